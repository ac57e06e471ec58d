#include "DictionaryFixture.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"
#include "ToolTips.h"

#include "app/LexivaneApp.h"
#include "boxes/Form2.h"
#include "record/RecordStore.h"
#include "settings/CIniFile.h"
#include "typing/Form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

// Mouse events go through the window, as real ones do, so that the word
// cell holding the mouse during a drag gets the moves.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <memory>

using TestFiles::gbk;
using TestFiles::readBytes;

namespace {

const QStringList kLibraries = {
    QStringLiteral("[LibName]"),
    QStringLiteral("Lib0=测试词库"),
    QStringLiteral("Lib1=无文件"),
    QStringLiteral("[LibraryFileName]"),
    QStringLiteral("测试词库=test.txt"),
    QStringLiteral("无文件=nofile.txt"),
};

// List positions: the two registered libraries, then the boxes.
constexpr int kTestLibrary = 0;
constexpr int kMissingLibrary = 1;
constexpr int kBox0 = 2;

// stem + from ... stem + to, then empty texts up to `size`.
QStringList numbered(const QString &stem, int from, int to, int size = 0)
{
    QStringList list;
    for (int n = from; n <= to; ++n)
        list << stem + QString::number(n);
    while (list.size() < size)
        list << QString();
    return list;
}

// The eight rows: `list`, then empty rows.
QStringList padded(QStringList list)
{
    while (list.size() < Form2::RowCount)
        list << QString();
    return list;
}

// A program folder with a library of numbered records, the test window
// shown, and the box window opened from it.
class Fixture
{
public:
    explicit Fixture(int records = 60, const QStringList &extraIni = {}, const QByteArray &box0 = QByteArray())
    {
        folder.writeIni(kLibraries + extraIni);
        folder.writeNumberedLibrary(QStringLiteral("test.txt"), records);
        if (!box0.isNull())
            TestFiles::writeBytes(folder.dataPath(QStringLiteral("box0.txt")), box0);
        app = std::make_unique<LexivaneApp>(folder.path(), &dialogs);
        app->form1()->show();
        app->openBoxWindow();
        form = app->boxWindow();
        if (!form || !QTest::qWaitForWindowExposed(form))
            qFatal("the box window did not open");
    }

    template<typename T>
    T *child(const QString &name) const
    {
        T *found = form->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    QLabel *wordCell(int row) const { return child<QLabel>(QStringLiteral("Label1_%1").arg(row)); }
    QLineEdit *meaningCell(int row) const { return child<QLineEdit>(QStringLiteral("Text1_%1").arg(row)); }
    QLabel *box(int n) const { return child<QLabel>(QStringLiteral("Picture1_%1").arg(n)); }
    QString count(int n) const { return child<QLabel>(QStringLiteral("Label4_%1").arg(n))->text(); }
    QLabel *deleteTarget() const { return child<QLabel>(QStringLiteral("Picture2")); }
    QLineEdit *groupBox() const { return child<QLineEdit>(QStringLiteral("Text2")); }
    QComboBox *libraries() const { return child<QComboBox>(QStringLiteral("Combo1")); }
    QScrollBar *scrollBar() const { return child<QScrollBar>(QStringLiteral("VScroll1")); }
    QCheckBox *hideWords() const { return child<QCheckBox>(QStringLiteral("Check1")); }
    QCheckBox *hideMeanings() const { return child<QCheckBox>(QStringLiteral("Check2")); }

    // The eight word cells, or the eight meaning cells, top to bottom.
    QStringList words(bool meanings = false) const
    {
        QStringList texts;
        for (int row = 0; row < Form2::RowCount; ++row)
            texts << (meanings ? meaningCell(row)->text() : wordCell(row)->text());
        return texts;
    }
    QStringList meanings() const { return words(true); }

    void load(const QString &group, int library = kTestLibrary) const
    {
        libraries()->setCurrentIndex(library);
        groupBox()->setText(group);
        QTest::keyClick(groupBox(), Qt::Key_Return);
    }

    void clickPicture(const char *name) const
    {
        QTest::mouseClick(child<QLabel>(QString::fromLatin1(name)), Qt::LeftButton);
    }

    // Where a widget's centre is, in the window.
    QPoint centreOf(const QWidget *widget) const { return widget->mapTo(form, widget->rect().center()); }

    // Presses on the word cell of `row`, moves over `via` and then onto
    // `target` with the button held, and lets go there.
    void drag(int row, const QWidget *target, const QList<const QWidget *> &via = {}) const
    {
        QTest::mousePress(wordCell(row), Qt::LeftButton);
        for (const QWidget *stop : via)
            QTest::mouseMove(form, centreOf(stop));
        QTest::mouseMove(form, centreOf(target));
        QTest::mouseRelease(form, Qt::LeftButton, {}, centreOf(target));
    }

    QString library() const { return TestFiles::fromGbk(readBytes(folder.dataPath(QStringLiteral("test.txt")))); }
    QString boxFile(int n) const
    {
        return TestFiles::fromGbk(readBytes(folder.dataPath(QStringLiteral("box%1.txt").arg(n))));
    }

    ProgramFolder folder;
    RecordingDialogs dialogs;
    std::unique_ptr<LexivaneApp> app;
    Form2 *form = nullptr;
};

QString records(int from, int to)
{
    QString text;
    for (int n = from; n <= to; ++n)
        text += QStringLiteral("word%1\r\n释义%1\r\n").arg(n);
    return text;
}

} // namespace

class TestForm2 : public QObject
{
    Q_OBJECT

private slots:
    // A word cell's tooltip: the dictionary entry and the sentence the word
    // was found in (its library's; any library's for a box word) above the
    // cell's own hint, without what the window hides.
    void wordCellsShowTheDictionaryEntry()
    {
        Fixture f(60, {}, gbk(QStringLiteral("nope\r\n甲\r\n")));
        f.folder.writeLibrary(QStringLiteral("test.txt"), {QStringLiteral("apple"), QStringLiteral("苹果"),
                                                           QStringLiteral("nope"), QStringLiteral("不在词典里")});
        DictionaryFixture::write(f.folder.path());
        f.app->record().recordSourceSentences(QStringLiteral("test.txt"),
                                              {{QStringLiteral("apple"), QStringLiteral("An apple.")}});
        f.app->record().recordSourceSentences(QStringLiteral("b.txt"),
                                              {{QStringLiteral("nope"), QStringLiteral("No.")}});
        f.load(QStringLiteral("1"));
        QCOMPARE(f.words().mid(0, 3), (QStringList{QStringLiteral("apple"), QStringLiteral("nope"), QString()}));
        const QString hint = f.wordCell(0)->toolTip();
        QVERIFY(!hint.isEmpty());
        QCOMPARE(ToolTips::shownFor(f.wordCell(0)),
                 QStringLiteral("apple /ˈæpl/ n. 苹果, 家伙 [医] 苹果 原文：An apple. ") + hint);
        QCOMPARE(ToolTips::shownFor(f.wordCell(1)), hint);
        QCOMPARE(ToolTips::shownFor(f.wordCell(2)), hint);
        f.hideMeanings()->click();
        QCOMPARE(ToolTips::shownFor(f.wordCell(0)), QStringLiteral("apple /ˈæpl/ 原文：An apple. ") + hint);
        f.hideMeanings()->click();
        f.hideWords()->click();
        QCOMPARE(ToolTips::shownFor(f.wordCell(0)), hint);
        f.hideWords()->click();
        f.load(QStringLiteral("1"), kBox0);
        QCOMPARE(ToolTips::shownFor(f.wordCell(0)), QStringLiteral("原文：No. ") + hint);
    }

    void opensWithDefaultsAndCountsTheBoxes()
    {
        Fixture f(60, {}, QByteArray("a\r\nA\r\nb\r\nB\r\nc\r\n"));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Kelvaro--Lexivane V1.0"));
        QVERIFY(!f.app->form1()->isVisible());
        QCOMPARE(f.groupBox()->text(), QStringLiteral("1"));
        QCOMPARE(f.libraries()->count(), 7);
        QCOMPARE(f.libraries()->currentIndex(), 0);
        QCOMPARE(f.libraries()->itemText(kBox0 + 4), QStringLiteral("月光宝盒4"));
        QCOMPARE(f.words(), padded({}));
        QCOMPARE(f.count(0), QStringLiteral("2.5"));
        for (int n = 1; n < 5; ++n) {
            QCOMPARE(f.count(n), QStringLiteral("0"));
            QVERIFY(QFileInfo(f.folder.dataPath(QStringLiteral("box%1.txt").arg(n))).isFile());
        }
        QCOMPARE(f.scrollBar()->minimum(), 7);
        QCOMPARE(f.scrollBar()->maximum(), 24);
        QCOMPARE(f.scrollBar()->value(), 7);
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.form->currentLibFile(), QString());
    }

    void restoresTheSavedChoice_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("shownGroup");
        QTest::addColumn<int>("shownLibrary");
        QTest::newRow("saved") << QStringLiteral(" 12 ") << QStringLiteral("3") << QStringLiteral("12") << 3;
        QTest::newRow("library past the list") << QStringLiteral("12") << QStringLiteral("7") << QStringLiteral("1") << 0;
    }

    void restoresTheSavedChoice()
    {
        QFETCH(QString, group);
        QFETCH(QString, library);
        QFETCH(QString, shownGroup);
        QFETCH(int, shownLibrary);
        Fixture f(60, {QStringLiteral("[Form2LastData]"), QStringLiteral("WordGroup=") + group,
                       QStringLiteral("WordLibrary=") + library});
        QCOMPARE(f.groupBox()->text(), shownGroup);
        QCOMPARE(f.libraries()->currentIndex(), shownLibrary);
        QCOMPARE(f.words(), padded({})); // nothing is loaded on opening
    }

    void rowsFollowTheScrollBar()
    {
        Fixture f;
        QTest::mouseClick(f.child<QPushButton>(QStringLiteral("xpcmdbutton1")), Qt::LeftButton);
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 1, 8));
        QCOMPARE(f.meanings(), numbered(QStringLiteral("释义"), 1, 8));
        QCOMPARE(f.form->currentLibFile(), QStringLiteral("test.txt"));

        f.scrollBar()->setValue(24);
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 18, 25));
        QCOMPARE(f.meanings(), numbered(QStringLiteral("释义"), 18, 25));
        // A meaning is shown from its start, however long it is.
        for (int row = 0; row < 8; ++row)
            QCOMPARE(f.meaningCell(row)->cursorPosition(), 0);

        // Another group keeps the scroll position.
        f.load(QStringLiteral("02"));
        QCOMPARE(f.groupBox()->text(), QStringLiteral("2"));
        QCOMPARE(f.scrollBar()->value(), 24);
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 43, 50));

        CIniFile ini;
        ini.SpecifyIni(f.folder.iniPath());
        QCOMPARE(ini.ReadString(QStringLiteral("Form2LastData"), QStringLiteral("WordGroup"), 10), QStringLiteral("2"));
    }

    void hidingAndPeeking()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        f.scrollBar()->setValue(9);

        f.hideWords()->click();
        QCOMPARE(f.words(), padded({}));
        QCOMPARE(f.meanings(), numbered(QStringLiteral("释义"), 3, 10));

        // Holding the left button on a meaning shows its word until let go.
        QTest::mousePress(f.meaningCell(2), Qt::LeftButton);
        QCOMPARE(f.wordCell(2)->text(), QStringLiteral("word5"));
        QCOMPARE(f.wordCell(1)->text(), QString());
        QTest::mouseRelease(f.meaningCell(2), Qt::LeftButton);
        QCOMPARE(f.wordCell(2)->text(), QString());

        f.hideMeanings()->click();
        QCOMPARE(f.meanings(), padded({}));
        QTest::mousePress(f.wordCell(4), Qt::RightButton);
        QCOMPARE(f.meaningCell(4)->text(), QStringLiteral("释义7"));
        QTest::mouseRelease(f.wordCell(4), Qt::RightButton);
        QCOMPARE(f.meaningCell(4)->text(), QString());

        // Shown again, each column comes back at the current position.
        f.scrollBar()->setValue(11);
        f.hideWords()->click();
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 5, 12));
        QCOMPARE(f.meanings(), padded({}));

        // With meanings shown a peek leaves the meaning in place.
        f.hideMeanings()->click();
        QTest::mousePress(f.wordCell(0), Qt::RightButton);
        QTest::mouseRelease(f.wordCell(0), Qt::RightButton);
        QCOMPARE(f.meaningCell(0)->text(), QStringLiteral("释义5"));
    }

    void groupBoxTakesOnlyDigits()
    {
        Fixture f;
        QLineEdit *box = f.groupBox();
        box->clear();
        QTest::keyClicks(box, QStringLiteral("1a2 -"));
        QCOMPARE(box->text(), QStringLiteral("12"));
        QCOMPARE(f.dialogs.beeps, 3);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("1"));
        QTest::keyClicks(box, QStringLiteral("234567"));
        QCOMPARE(box->text(), QStringLiteral("12345"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("组号不能大于5为数！")});
    }

    void draggingOntoABoxAddsOnce()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        f.scrollBar()->setValue(10);

        QTest::mousePress(f.wordCell(1), Qt::LeftButton);
        QCOMPARE(f.form->draggedRow(), 1);
        QCOMPARE(QWidget::mouseGrabber(), f.wordCell(1));
        QVERIFY(QGuiApplication::overrideCursor());

        // Across the window, then into box 2 and on into box 3.
        QTest::mouseMove(f.form, f.centreOf(f.meaningCell(5)));
        QCOMPARE(f.form->draggedRow(), 1);
        QCOMPARE(f.boxFile(2), QString());
        QTest::mouseMove(f.form, f.centreOf(f.box(2)));
        QCOMPARE(f.form->draggedRow(), -1);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QCOMPARE(f.boxFile(2), records(5, 5));
        QCOMPARE(f.count(2), QStringLiteral("1"));

        QTest::mouseMove(f.form, f.centreOf(f.box(3)));
        QTest::mouseMove(f.form, f.centreOf(f.box(2)) + QPoint(2, 2));
        QTest::mouseRelease(f.form, Qt::LeftButton, {}, f.centreOf(f.box(2)));
        QCOMPARE(f.boxFile(2), records(5, 5));
        QCOMPARE(f.boxFile(3), QString());
        QCOMPARE(f.count(2), QStringLiteral("1"));
        QCOMPARE(f.count(3), QStringLiteral("0"));
        QVERIFY(f.dialogs.messages.isEmpty());

        // Counts rise by one per word, also for a word already in the box.
        f.drag(1, f.box(2));
        f.drag(7, f.box(2));
        QCOMPARE(f.boxFile(2), records(5, 5) + records(5, 5) + records(11, 11));
        QCOMPARE(f.count(2), QStringLiteral("3"));
        // Nothing was reloaded.
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 4, 11));
    }

    void hiddenWordIsAddedWhole()
    {
        Fixture f;
        f.load(QStringLiteral("2"));
        f.hideWords()->click();
        f.hideMeanings()->click();
        f.drag(0, f.box(4));
        QCOMPARE(f.boxFile(4), records(26, 26));
        QCOMPARE(f.words(), padded({}));
        QCOMPARE(f.meanings(), padded({}));
    }

    void releasingElsewhereDoesNothing()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        f.drag(0, f.child<QWidget>(QStringLiteral("AniGIF1")));
        QCOMPARE(f.form->draggedRow(), -1);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);

        // The pointer passing over targets afterwards, no button held.
        QTest::mouseMove(f.form, f.centreOf(f.box(0)));
        QTest::mouseMove(f.form, f.centreOf(f.deleteTarget()));
        for (int n = 0; n < 5; ++n)
            QCOMPARE(f.boxFile(n), QString());
        QCOMPARE(f.library(), records(1, 60));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void emptyRowsSayThereIsNothing()
    {
        Fixture f(30);
        f.load(QStringLiteral("2"));
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("现在已经是最后一组了！")});
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 26, 30, 8));
        QCOMPARE(f.meanings(), numbered(QStringLiteral("释义"), 26, 30, 8));
        f.dialogs.clear();

        f.drag(6, f.box(1));
        f.drag(5, f.deleteTarget());
        QCOMPARE(f.dialogs.messages,
                 (QStringList{QStringLiteral("没有可以添加的数据！"), QStringLiteral("没有可以删除的数据！")}));
        QCOMPARE(f.boxFile(1), QString());
        QCOMPARE(f.count(1), QStringLiteral("0"));
        QCOMPARE(f.library(), records(1, 30));
        QVERIFY(!QFile::exists(f.folder.dataPath(QStringLiteral("$word_temp"))));

        // Before any load, every row is empty.
        Fixture fresh;
        fresh.drag(0, fresh.deleteTarget());
        QCOMPARE(fresh.dialogs.messages, QStringList{QStringLiteral("没有可以删除的数据！")});
    }

    void draggingOntoTheDeleteTargetRemovesTheWord()
    {
        Fixture f;
        f.load(QStringLiteral("2"));
        f.scrollBar()->setValue(8);
        f.groupBox()->setText(QStringLiteral("002"));

        // Row r shows entry 1 + r: word27 to word34.
        f.drag(2, f.deleteTarget(), {f.box(0)}); // the first target entered wins
        QCOMPARE(f.boxFile(0), records(29, 29));
        QCOMPARE(f.library(), records(1, 60));

        f.drag(3, f.deleteTarget());
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.library(), records(1, 29) + records(31, 60));
        // Reloaded from the group box as it stands, which keeps its text, at
        // the same scroll position.
        QCOMPARE(f.words(), QStringList({QStringLiteral("word27"), QStringLiteral("word28"), QStringLiteral("word29"),
                                         QStringLiteral("word31"), QStringLiteral("word32"), QStringLiteral("word33"),
                                         QStringLiteral("word34"), QStringLiteral("word35")}));
        QCOMPARE(f.groupBox()->text(), QStringLiteral("002"));
        QCOMPARE(f.scrollBar()->value(), 8);
    }

    void deletingFromABoxLowersItsCount()
    {
        Fixture f(60, {}, gbk(records(1, 3) + records(2, 2)));
        QCOMPARE(f.count(0), QStringLiteral("4"));
        f.load(QStringLiteral("1"), kBox0);
        QCOMPARE(f.form->currentLibFile(), QStringLiteral("box0.txt"));
        f.dialogs.clear();

        f.drag(1, f.deleteTarget());
        QCOMPARE(f.boxFile(0), records(1, 1) + records(3, 3));
        QCOMPARE(f.count(0), QStringLiteral("2"));
        QCOMPARE(f.words(), padded(QStringList{QStringLiteral("word1"), QStringLiteral("word3")}));
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("现在已经是最后一组了！")});
    }

    void deletingTheOnlyWordEmptiesTheLibrary()
    {
        Fixture f(1);
        f.load(QStringLiteral("1"));
        f.dialogs.clear();
        f.drag(0, f.deleteTarget());
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("词库文件已经清空！")});
        QCOMPARE(readBytes(f.folder.dataPath(QStringLiteral("test.txt"))), QByteArray());
        QCOMPARE(f.words(), padded({}));
        QCOMPARE(f.meanings(), padded({}));
    }

    void deletionUsesTheFileOfTheShownGroup()
    {
        Fixture f(60, {}, gbk(records(100, 101)));
        f.load(QStringLiteral("1"));

        // A load that fails before the reset leaves the shown group, and its
        // file, in place: here the box file has gone since the window opened.
        QFile::remove(f.folder.dataPath(QStringLiteral("box1.txt")));
        f.load(QStringLiteral("1"), kBox0 + 1);
        QCOMPARE(f.dialogs.messages.last(), QStringLiteral("找不到词库文件！月光宝盒1"));
        QCOMPARE(f.form->currentLibFile(), QStringLiteral("test.txt"));

        // Another library picked but not loaded: the word goes from the shown
        // library, then the picked one is loaded.
        f.libraries()->setCurrentIndex(kBox0);
        f.dialogs.clear();
        f.drag(0, f.deleteTarget());
        QCOMPARE(f.library(), records(2, 60));
        QCOMPARE(f.boxFile(0), records(100, 101));
        QCOMPARE(f.words(), padded(QStringList{QStringLiteral("word100"), QStringLiteral("word101")}));
        QCOMPARE(f.form->currentLibFile(), QStringLiteral("box0.txt"));
    }

    void nextGroupAtTheEnd()
    {
        Fixture f;
        f.load(QStringLiteral("2"));
        f.scrollBar()->setValue(20);
        f.clickPicture("Picture3");
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("现在已经是最后一组了！")});
        QCOMPARE(f.groupBox()->text(), QStringLiteral("3"));
        QCOMPARE(f.scrollBar()->value(), 7);
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 51, 58, 8));

        f.clickPicture("Picture3");
        QCOMPARE(f.dialogs.messages.size(), 2);
        QCOMPARE(f.groupBox()->text(), QStringLiteral("3"));

        f.clickPicture("Picture4");
        QCOMPARE(f.groupBox()->text(), QStringLiteral("2"));
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 26, 33));
    }

    void nextGroupAfterAFailedLoad()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        f.libraries()->setCurrentIndex(kMissingLibrary);
        f.clickPicture("Picture3");
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("找不到词库文件！无文件")});
        QCOMPARE(f.groupBox()->text(), QStringLiteral("0"));
        // The table was not touched; the rows are redrawn from it.
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 1, 8));

        // From "0" the next group is group 1.
        f.libraries()->setCurrentIndex(kTestLibrary);
        f.scrollBar()->setValue(12);
        f.clickPicture("Picture3");
        QCOMPARE(f.groupBox()->text(), QStringLiteral("1"));
        QCOMPARE(f.words(), numbered(QStringLiteral("word"), 1, 8));
        f.clickPicture("Picture4");
        QCOMPARE(f.groupBox()->text(), QStringLiteral("1"));
    }

    void groupBoxWithBlanksCountsAsItsNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("firstWord");
        QTest::newRow("next from pasted \" 3\"") << QStringLiteral(" 3") << QStringLiteral("Picture3")
                                                << QStringLiteral("4") << 76;
        QTest::newRow("previous from \"3 \"") << QStringLiteral("3 ") << QStringLiteral("Picture4")
                                             << QStringLiteral("2") << 26;
    }

    void groupBoxWithBlanksCountsAsItsNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, picture);
        QFETCH(QString, group);
        QFETCH(int, firstWord);
        Fixture f(120);
        f.groupBox()->setText(text);
        f.clickPicture(qPrintable(picture));
        QCOMPARE(f.dialogs.messages, QStringList{});
        QCOMPARE(f.groupBox()->text(), group);
        QCOMPARE(f.words().first(), QStringLiteral("word%1").arg(firstWord));
    }

    void groupBoxThatCannotBeCountedGoesToTheLoader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("message");
        QTest::newRow("next, empty") << QString() << QStringLiteral("Picture3")
                                     << QStringLiteral("组号不允许为空值或者零！");
        QTest::newRow("next, past 16 bits") << QStringLiteral("32767") << QStringLiteral("Picture3")
                                            << QStringLiteral("组号不能大于5为数！");
        QTest::newRow("previous, past 16 bits") << QStringLiteral("99999") << QStringLiteral("Picture4")
                                                << QStringLiteral("组号不能大于5为数！");
    }

    void groupBoxThatCannotBeCountedGoesToTheLoader()
    {
        QFETCH(QString, text);
        QFETCH(QString, picture);
        QFETCH(QString, message);
        Fixture f;
        f.groupBox()->setText(text);
        f.clickPicture(qPrintable(picture));
        QCOMPARE(f.dialogs.messages, QStringList{message});
        QCOMPARE(f.groupBox()->text(), QStringLiteral("0"));
    }

    void returnShowsTheTestWindowAsItWas()
    {
        Fixture f;
        Form1 *testWindow = f.app->form1();
        QPointer<Form2> boxes = f.form;
        QTest::mouseClick(f.child<QPushButton>(QStringLiteral("xpcmdbutton2")), Qt::LeftButton);
        QVERIFY(testWindow->isVisible());
        QTRY_VERIFY(boxes.isNull());
        QCOMPARE(f.app->boxWindow(), nullptr);

        // Opened again, it starts afresh from the settings.
        f.app->openBoxWindow();
        QVERIFY(f.app->boxWindow());
        QVERIFY(!testWindow->isVisible());
        QCOMPARE(f.app->boxWindow()->currentLibFile(), QString());

        // Closed by the window system, it leads back as well.
        f.app->boxWindow()->close();
        QVERIFY(testWindow->isVisible());
        QTRY_COMPARE(f.app->boxWindow(), nullptr);
    }

    void closingTheTestWindowClosesTheBoxWindow()
    {
        Fixture f;
        QPointer<Form2> boxes = f.form;
        f.app->testWindowClosed();
        QTRY_VERIFY(boxes.isNull());
        QVERIFY(!f.app->form1()->isVisible());
    }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
