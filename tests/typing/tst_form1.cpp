#include "DictionaryFixture.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"
#include "ToolTips.h"

#include "widgets/AniGif.h"
#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "settings/CIniFile.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMovie>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QPointer>
#include <QtTest>

#include <memory>

namespace {

const QStringList kOneLibrary = ProgramFolder::oneLibraryIni();

// A program folder, a recorder for the message boxes and the test window.
class Fixture
{
public:
    explicit Fixture(const QStringList &ini = kOneLibrary, int records = 60)
    {
        if (!ini.isEmpty())
            folder.writeIni(ini);
        folder.writeNumberedLibrary(QStringLiteral("test.txt"), records);
        app = std::make_unique<LexivaneApp>(folder.path(), &dialogs);
        form = app->form1();
        form->show();
    }

    template<typename T>
    T *child(const char *name) const
    {
        T *found = form->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    QString text(const char *label) const { return child<QLabel>(label)->text(); }

    void answer(const QString &typed) const
    {
        QLineEdit *box = child<QLineEdit>("Text1");
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Return);
    }

    void load(const QString &group) const
    {
        QLineEdit *box = child<QLineEdit>("Text2");
        box->setText(group);
        QTest::keyClick(box, Qt::Key_Return);
    }

    QStringList history() const
    {
        QStringList lines;
        for (int i = 0; i < 6; ++i)
            lines << child<QLabel>(QStringLiteral("Label3_%1").arg(i).toLatin1().constData())->text();
        return lines;
    }

    QString stored(const QString &key) const
    {
        CIniFile ini;
        ini.SpecifyIni(folder.iniPath());
        return ini.ReadString(QStringLiteral("Form1LastData"), key, 10);
    }

    ProgramFolder folder;
    RecordingDialogs dialogs;
    std::unique_ptr<LexivaneApp> app;
    Form1 *form = nullptr;
};

QStringList numbered(const QString &stem, int from, int to)
{
    QStringList list;
    for (int n = from; n <= to; ++n)
        list << stem + QString::number(n);
    return list;
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void startsWithDefaultsWithoutSettingsFile()
    {
        Fixture f(QStringList{});
        QCOMPARE(f.child<QLineEdit>("Text2")->text(), QStringLiteral("1"));
        auto *list = f.child<QComboBox>("Combo1");
        QCOMPARE(list->count(), 5);
        QCOMPARE(list->currentText(), QStringLiteral("月光宝盒0"));
        QCOMPARE(f.form->wordCount(), qint16(0));
        QCOMPARE(f.text("Label1"), QString());
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY2(!QFile::exists(f.folder.iniPath()), "starting must not write the settings file");
    }

    // Each judged word's line tells its phonetic and full meaning.
    void judgedLinesShowTheDictionaryEntry()
    {
        Fixture f;
        f.folder.writeLibrary(QStringLiteral("test.txt"), {QStringLiteral("apple"), QStringLiteral("苹果"),
                                                           QStringLiteral("might"), QStringLiteral("可能"),
                                                           QStringLiteral("nope"), QStringLiteral("不在词典里"),
                                                           QStringLiteral("zebra"), QStringLiteral("斑马")});
        DictionaryFixture::write(f.folder.path());
        f.load(QStringLiteral("1"));
        auto line = [&f](int n) { return f.child<QLabel>(QStringLiteral("Label3_%1").arg(n).toLatin1().constData()); };
        QCOMPARE(ToolTips::shownFor(line(0)), QString());
        f.answer(QStringLiteral("apple"));
        f.answer(QStringLiteral("wrong"));
        f.answer(QStringLiteral("nope"));
        QCOMPARE(f.history().mid(0, 3), (QStringList{QStringLiteral("apple"), QStringLiteral("might"), QStringLiteral("nope")}));
        QCOMPARE(ToolTips::shownFor(line(0)), QStringLiteral("apple /ˈæpl/ n. 苹果, 家伙 [医] 苹果"));
        QCOMPARE(ToolTips::shownFor(line(1)), QStringLiteral("might /maɪt/ aux. 可能, 也许 n. 力量, 权力, 威力"));
        QCOMPARE(ToolTips::shownFor(line(2)), QString());
        QCOMPARE(ToolTips::shownFor(line(3)), QString());
    }

    void restoresLastGroupAndLibrary()
    {
        Fixture f(kOneLibrary + QStringList{QStringLiteral("[Form1LastData]"), QStringLiteral("WordGroup= 12 "),
                                            QStringLiteral("WordLibrary=2")});
        auto *list = f.child<QComboBox>("Combo1");
        QCOMPARE(list->count(), 6);
        QCOMPARE(f.child<QLineEdit>("Text2")->text(), QStringLiteral("12"));
        QCOMPARE(list->currentIndex(), 2);
        QCOMPARE(list->currentText(), QStringLiteral("月光宝盒1"));
        QCOMPARE(f.form->wordCount(), qint16(0));
    }

    void ignoresUnusableStoredSettings_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("library");
        QTest::newRow("library not a number") << QStringLiteral("12") << QStringLiteral("abc");
        QTest::newRow("library past the list") << QStringLiteral("12") << QStringLiteral("6");
        QTest::newRow("no library selected") << QStringLiteral("12") << QStringLiteral("-1");
        QTest::newRow("library empty") << QStringLiteral("12") << QStringLiteral("");
        QTest::newRow("group empty") << QStringLiteral("") << QStringLiteral("2");
    }

    void ignoresUnusableStoredSettings()
    {
        QFETCH(QString, group);
        QFETCH(QString, library);
        Fixture f(kOneLibrary + QStringList{QStringLiteral("[Form1LastData]"), QStringLiteral("WordGroup=") + group,
                                            QStringLiteral("WordLibrary=") + library});
        QCOMPARE(f.child<QLineEdit>("Text2")->text(), QStringLiteral("1"));
        QCOMPARE(f.child<QComboBox>("Combo1")->currentIndex(), 0);
    }

    void loadsGroupThreeWays_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("start button") << 0;
        QTest::newRow("Enter in the group box") << 1;
        QTest::newRow("Enter in the library list") << 2;
    }

    void loadsGroupThreeWays()
    {
        QFETCH(int, way);
        Fixture f;
        f.child<QLineEdit>("Text2")->setText(QStringLiteral("02"));
        switch (way) {
        case 0:
            QTest::mouseClick(f.child<QPushButton>("xpcmdbutton1_0"), Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(f.child<QLineEdit>("Text2"), Qt::Key_Return);
            break;
        default:
            QTest::keyClick(f.child<QComboBox>("Combo1"), Qt::Key_Return);
            break;
        }
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.child<QLineEdit>("Text2")->text(), QStringLiteral("2"));
        QCOMPARE(f.text("Label1"), QStringLiteral("释义26"));
        QCOMPARE(f.text("Label9"), QStringLiteral("25"));
        QCOMPARE(f.text("Label10"), QStringLiteral("浏览测试"));
        QCOMPARE(f.stored(QStringLiteral("WordGroup")), QStringLiteral("2"));
        QCOMPARE(f.stored(QStringLiteral("WordLibrary")), QStringLiteral("0"));
    }

    void failedLoadKeepsTheDisplay()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        f.load(QStringLiteral("1a"));
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("组号不允许含有非数字字符！")});
        QCOMPARE(f.text("Label1"), QStringLiteral("释义1"));
        QCOMPARE(f.child<QLineEdit>("Text2")->text(), QStringLiteral("1a"));
        QCOMPARE(f.stored(QStringLiteral("WordGroup")), QStringLiteral("1"));
    }

    void groupBoxTakesOnlyDigits()
    {
        Fixture f;
        auto *box = f.child<QLineEdit>("Text2");
        box->clear();
        QTest::keyClicks(box, QStringLiteral("1a2 -"));
        QCOMPARE(box->text(), QStringLiteral("12"));
        QCOMPARE(f.dialogs.beeps, 3);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("1"));
        QTest::keyClicks(box, QStringLiteral("23456"));
        QCOMPARE(box->text(), QStringLiteral("1234"));
    }

    void answeringBeforeLoadingIsRefused()
    {
        Fixture f;
        auto *box = f.child<QLineEdit>("Text1");
        QTest::keyClicks(box, QStringLiteral("ab"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(f.dialogs.messages, QStringList(3, QStringLiteral("单词还没有读入呢！")));
        QCOMPARE(box->text(), QString());
        QCOMPARE(f.text("Label4"), QStringLiteral("0"));
    }

    void judgesAnswers()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        f.answer(QStringLiteral("  word1  ")); // blanks around the word do not count
        f.answer(QStringLiteral("Word2"));     // letter case does
        f.answer(QString());                   // an empty answer is wrong
        QCOMPARE(f.dialogs.messages,
                 (QStringList{QStringLiteral("错误！正确答案是：word2"), QStringLiteral("错误！正确答案是：word3")}));
        QCOMPARE(f.text("Label4"), QStringLiteral("1"));
        QCOMPARE(f.text("Label7"), QStringLiteral("2"));
        QCOMPARE(f.form->words()[0].Mark, Form1::MarkRight);
        QCOMPARE(f.form->words()[1].Mark, Form1::MarkWrong);
        QCOMPARE(f.text("Label1"), QStringLiteral("释义4"));
        QCOMPARE(f.child<QLineEdit>("Text1")->text(), QString());

        const QList<QLabel *> lines = {f.child<QLabel>("Label3_0"), f.child<QLabel>("Label3_1")};
        QCOMPARE(lines[0]->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(lines[1]->palette().color(QPalette::WindowText), QColor(Qt::red));
    }

    void retestsExactlyTheWrongWordsInGroupOrder()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        for (int n = 1; n <= 25; ++n)
            f.answer(n == 4 || n == 11 || n == 21 ? QStringLiteral("x") : QStringLiteral("word%1").arg(n));
        QCOMPARE(f.text("Label10"), QStringLiteral("错误重测"));
        QCOMPARE(f.text("Label9"), QStringLiteral("3"));
        QCOMPARE(f.text("Label4"), QStringLiteral("0"));
        QCOMPARE(f.text("Label7"), QStringLiteral("0"));
        QCOMPARE(f.history(), QStringList(6, QString()));
        QCOMPARE(f.text("Label1"), QStringLiteral("释义4"));
        QCOMPARE(f.form->words()[1].Word, QStringLiteral("word11"));
        QCOMPARE(f.form->words()[2].Word, QStringLiteral("word21"));
        QCOMPARE(f.form->words()[2].Mark, Form1::MarkUnanswered);

        // One mistake in the re-test leads to a pass of that one word.
        f.answer(QStringLiteral("word4"));
        f.answer(QStringLiteral("oops"));
        f.answer(QStringLiteral("word21"));
        QCOMPARE(f.text("Label9"), QStringLiteral("1"));
        QCOMPARE(f.text("Label1"), QStringLiteral("释义11"));
        QVERIFY(f.dialogs.questions.isEmpty());

        // Getting it right ends the group; "No" tests the same group again.
        f.dialogs.answers = {false};
        f.answer(QStringLiteral("word11"));
        QCOMPARE(f.dialogs.questions,
                 QStringList{QStringLiteral("本组测试完毕！继续下一组测试吗？选否重新测试本组单词。")});
        QCOMPARE(f.child<QLineEdit>("Text2")->text(), QStringLiteral("1"));
        QCOMPARE(f.text("Label10"), QStringLiteral("浏览测试"));
        QCOMPARE(f.text("Label9"), QStringLiteral("25"));
        QCOMPARE(f.text("Label1"), QStringLiteral("释义1"));
    }

    void wholeGroupRightOffersTheNextGroup()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        f.dialogs.answers = {true};
        for (const QString &word : numbered(QStringLiteral("word"), 1, 25))
            f.answer(word);
        QCOMPARE(f.dialogs.questions.size(), 1);
        QCOMPARE(f.child<QLineEdit>("Text2")->text(), QStringLiteral("2"));
        QCOMPARE(f.text("Label1"), QStringLiteral("释义26"));
        QCOMPARE(f.text("Label4"), QStringLiteral("0"));
        QCOMPARE(f.stored(QStringLiteral("WordGroup")), QStringLiteral("2"));
    }

    void yesAtTheLastGroupTestsItAgain()
    {
        Fixture f;
        f.load(QStringLiteral("3"));
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("现在已经是最后一组了！")});
        QCOMPARE(f.text("Label9"), QStringLiteral("10"));
        f.dialogs.answers = {true};
        for (const QString &word : numbered(QStringLiteral("word"), 51, 60))
            f.answer(word);
        QCOMPARE(f.dialogs.messages, QStringList(2, QStringLiteral("现在已经是最后一组了！")));
        QCOMPARE(f.child<QLineEdit>("Text2")->text(), QStringLiteral("3"));
        QCOMPARE(f.text("Label1"), QStringLiteral("释义51"));
    }

    void historyScrollsOverTheAnsweredWords()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        for (const QString &word : numbered(QStringLiteral("word"), 1, 7))
            f.answer(word);
        auto *scroll = f.child<QScrollBar>("VScroll1");
        QCOMPARE(scroll->value(), 6);
        QCOMPARE(f.history(), numbered(QStringLiteral("word"), 2, 7));
        scroll->setValue(5);
        QCOMPARE(f.history(), numbered(QStringLiteral("word"), 1, 6));
        // Scrolling on past the answers shows the words still to come, in black.
        scroll->setValue(9);
        QCOMPARE(f.history(), numbered(QStringLiteral("word"), 5, 10));
        QCOMPARE(f.child<QLabel>("Label3_5")->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    void historySnapsBackWithFewAnswers()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        for (const QString &word : numbered(QStringLiteral("word"), 1, 3))
            f.answer(word);
        auto *scroll = f.child<QScrollBar>("VScroll1");
        scroll->setValue(12);
        QCOMPARE(scroll->value(), 5);
        QCOMPARE(f.history(), numbered(QStringLiteral("word"), 1, 3) + QStringList(3, QString()));
    }

    void animationPlaysOnlyWhileTheWindowIsActive()
    {
        Fixture f;
        auto *globe = f.child<AniGif>("AniGIF1");
        QApplication::setActiveWindow(f.form);
        QTRY_COMPARE(globe->movie()->state(), QMovie::Running);
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QTRY_COMPARE(globe->movie()->state(), QMovie::Paused);
        QApplication::setActiveWindow(f.form);
        QTRY_COMPARE(globe->movie()->state(), QMovie::Running);
    }

    void successfulLoadPutsTheKeyboardInTheAnswerBox_data()
    {
        QTest::addColumn<QString>("startedFrom");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("loads");
        QTest::newRow("Enter in the group box") << QStringLiteral("Text2") << QStringLiteral("1") << true;
        QTest::newRow("Enter in the library list") << QStringLiteral("Combo1") << QStringLiteral("2") << true;
        QTest::newRow("first-learning button") << QStringLiteral("xpcmdbutton1_0") << QStringLiteral("1") << true;
        QTest::newRow("failed load") << QStringLiteral("Text2") << QStringLiteral("x") << false;
    }

    void successfulLoadPutsTheKeyboardInTheAnswerBox()
    {
        QFETCH(QString, startedFrom);
        QFETCH(QString, group);
        QFETCH(bool, loads);
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.form));
        auto *start = f.form->findChild<QWidget *>(startedFrom);
        QVERIFY(start);
        f.child<QLineEdit>("Text2")->setText(group);
        start->setFocus();
        if (qobject_cast<QPushButton *>(start))
            QTest::mouseClick(start, Qt::LeftButton);
        else
            QTest::keyClick(start, Qt::Key_Return);
        QCOMPARE(f.form->wordCount() > 0, loads);
        QLineEdit *answer = f.child<QLineEdit>("Text1");
        QCOMPARE(answer->hasFocus(), loads);
        if (!loads)
            return;
        // The first keys typed are the first answer.
        const int first = (group.toInt() - 1) * 25 + 1;
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("word%1").arg(first));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(f.text("Label4"), QStringLiteral("1"));
        QVERIFY(f.dialogs.beeps == 0);
    }

    void modeButtonsTakeEnterAndSpaceAndShowFocus_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }

    void modeButtonsTakeEnterAndSpaceAndShowFocus()
    {
        QFETCH(int, key);
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.form));
        auto *button = f.child<QPushButton>("xpcmdbutton1_0");
        const QImage plain = button->grab().toImage();
        button->setFocus(Qt::TabFocusReason);
        QVERIFY(button->hasFocus());
        QVERIFY2(button->grab().toImage() != plain, "the focused button looks the same as before");
        QTest::keyClick(button, Qt::Key(key));
        QTRY_COMPARE(f.form->wordCount(), qint16(25));
    }

    void inputMethodCommitsFollowTheKeyRules()
    {
        Fixture f;
        auto commit = [](QWidget *box, const QString &text) {
            QInputMethodEvent event;
            event.setCommitString(text);
            QCoreApplication::sendEvent(box, &event);
        };
        // Without words, a commit to the answer box is refused with the message.
        QLineEdit *answer = f.child<QLineEdit>("Text1");
        commit(answer, QStringLiteral("苹果"));
        QCOMPARE(answer->text(), QString());
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("单词还没有读入呢！")});
        // The group box keeps the digits of a commit and beeps for the rest.
        QLineEdit *group = f.child<QLineEdit>("Text2");
        group->clear();
        commit(group, QStringLiteral("１2三"));
        QCOMPARE(group->text(), QStringLiteral("2"));
        QCOMPARE(f.dialogs.beeps, 1);
        commit(group, QStringLiteral("3"));
        QCOMPARE(group->text(), QStringLiteral("23"));
        QCOMPARE(f.dialogs.beeps, 1);
        // With words loaded, a commit is an answer being typed.
        f.load(QStringLiteral("1"));
        f.dialogs.clear();
        commit(answer, QStringLiteral("word1"));
        QCOMPARE(answer->text(), QStringLiteral("word1"));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void titleBarButtonStaysAtTheRightEnd()
    {
        Fixture f;
        QWidget *close = f.form->findChild<QWidget *>(QStringLiteral("xptopbuttons1"), Qt::FindDirectChildrenOnly);
        QVERIFY(close);
        const int margin = f.form->width() - close->x();
        for (int width : {800, 620, f.form->width()}) {
            f.form->resize(width, f.form->height());
            QTRY_COMPARE(f.form->width(), width);
            QCOMPARE(f.form->width() - close->x(), margin);
        }
    }

    void quitButtonClosesTheWindow()
    {
        Fixture f;
        f.load(QStringLiteral("1"));
        f.answer(QStringLiteral("word1"));
        QPointer<Form1> closed = f.form;
        QTest::mouseClick(f.child<QPushButton>("xpcmdbutton1_4"), Qt::LeftButton);
        QVERIFY(closed.isNull() || !closed->isVisible());
        // Unloaded: the next use of the test window loads a new one.
        QTRY_VERIFY(closed.isNull());
        QVERIFY(f.dialogs.questions.isEmpty());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
