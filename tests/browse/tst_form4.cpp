#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "browse/Form3.h"
#include "browse/Form4.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QInputMethodEvent>
#include <QtTest>

#include <memory>

namespace {

const QStringList kLibrary = {QStringLiteral("[LibName]"), QStringLiteral("Lib0=测试词库"),
                              QStringLiteral("[LibraryFileName]"), QStringLiteral("测试词库=test.txt")};

// The dialog as the bar's first touch creates it: hidden, loaded from the
// settings file.
class Fixture
{
public:
    explicit Fixture(const QStringList &ini = kLibrary)
    {
        if (!ini.isEmpty())
            folder.writeIni(ini);
        folder.writeNumberedLibrary(QStringLiteral("test.txt"), 60);
        app = std::make_unique<LexivaneApp>(folder.path(), &dialogs);
        dialog = app->browseSettings();
    }

    template<typename T = QAbstractButton>
    T *child(const char *name) const
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }

    QLineEdit *box(const char *name) const { return child<QLineEdit>(name); }
    QComboBox *list() const { return child<QComboBox>("Combo1"); }

    // Form4LastData as it stands in the file, one "key=value" per line.
    QStringList section() const
    {
        const QString ini = TestFiles::fromGbk(TestFiles::readBytes(folder.iniPath()));
        const qsizetype start = ini.indexOf(QStringLiteral("[Form4LastData]"));
        return start < 0 ? QStringList() : ini.mid(start).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1);
    }

    ProgramFolder folder;
    RecordingDialogs dialogs;
    std::unique_ptr<LexivaneApp> app;
    QPointer<Form4> dialog;
};

} // namespace

class TestForm4 : public QObject
{
    Q_OBJECT

private slots:
    void load_data()
    {
        // group, list index, 隐藏中文, 隐藏英文, 循环本组, delay, order button ("" for none)
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no settings file") << QStringList() << QStringLiteral("1 0 0 0 1 1 Option1");
        QTest::newRow("all set") << QStringList{QStringLiteral("WordGroup= 12 "), QStringLiteral("WordLibrary=3"),
                                                QStringLiteral("MaskC=True"), QStringLiteral("MaskE= True"),
                                                QStringLiteral("CircuMode=Next"), QStringLiteral("DelayTime=5"),
                                                QStringLiteral("BrowseMode=Negative")}
                                 << QStringLiteral("12 3 1 1 0 5 Option2");
        QTest::newRow("wrong cases") << QStringList{QStringLiteral("MaskC=true"), QStringLiteral("CircuMode=this"),
                                                    QStringLiteral("BrowseMode=sequence")}
                                     << QStringLiteral("1 0 0 0 0 1 ");
        QTest::newRow("random") << QStringList{QStringLiteral("CircuMode=This"), QStringLiteral("BrowseMode=Random")}
                                << QStringLiteral("1 0 0 0 1 1 Option5");
        QTest::newRow("group without library") << QStringList{QStringLiteral("WordGroup=7")}
                                               << QStringLiteral("1 0 0 0 1 1 Option1");
        QTest::newRow("nothing selected") << QStringList{QStringLiteral("WordGroup=7"), QStringLiteral("WordLibrary=-1")}
                                          << QStringLiteral("7 -1 0 0 1 1 Option1");
        QTest::newRow("library past the list")
            << QStringList{QStringLiteral("WordGroup=7"), QStringLiteral("WordLibrary=6")}
            << QStringLiteral("1 0 0 0 1 1 Option1");
    }

    void load()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, expected);
        Fixture f(stored.isEmpty() ? QStringList() : kLibrary + QStringList{QStringLiteral("[Form4LastData]")} + stored);
        QVERIFY(!f.dialog->isVisible());
        QString order;
        for (const char *button : {"Option1", "Option2", "Option5"})
            order += f.child(button)->isChecked() ? QString::fromLatin1(button) : QString();
        const QStringList seen = {f.box("Text2")->text(), QString::number(f.list()->currentIndex()),
                                  QString::number(f.child("Check1")->isChecked()),
                                  QString::number(f.child("Check2")->isChecked()),
                                  QString::number(f.child("Option3")->isChecked()), f.box("Text1")->text(), order};
        QCOMPARE(seen.join(u' '), expected);
        QCOMPARE(f.child("Option4")->isChecked(), !f.child("Option3")->isChecked());
        QCOMPARE(f.list()->count(), stored.isEmpty() ? 5 : 6);
        QCOMPARE(QFile::exists(f.folder.iniPath()), !stored.isEmpty()); // loading writes nothing
    }

    void okChecksInOrder_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::addColumn<int>("library");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("message");
        QTest::newRow("all wrong") << QStringLiteral(" ") << -1 << QString() << QStringLiteral("间隔时间设置不允许为空值！");
        QTest::newRow("no library") << QStringLiteral("x") << -1 << QString() << QStringLiteral("词库名字不允许为空值！");
        QTest::newRow("no group") << QStringLiteral("x") << 0 << QStringLiteral("  ") << QStringLiteral("组号不允许为空值！");
        QTest::newRow("pasted space") << QStringLiteral("x") << 0 << QStringLiteral(" 12")
                                      << QStringLiteral("组号不允许含有非数字字符！");
        QTest::newRow("delay with space") << QStringLiteral("3 ") << 0 << QStringLiteral("12")
                                          << QStringLiteral("间隔时间不允许含有非数字字符！");
    }

    void okChecksInOrder()
    {
        QFETCH(QString, delay);
        QFETCH(int, library);
        QFETCH(QString, group);
        QFETCH(QString, message);
        Fixture f;
        f.dialog->show();
        f.box("Text1")->setText(delay);
        f.list()->setCurrentIndex(library);
        f.box("Text2")->setText(group);
        f.child<QPushButton>("Command1")->click();
        QCOMPARE(f.dialogs.messages, QStringList{message});
        QCOMPARE(f.section(), QStringList());
        QVERIFY(f.dialog && f.dialog->isVisible());
        QVERIFY(!f.app->browseBar());
    }

    void okOpensTheBarThenSavesEverythingInOrder()
    {
        Fixture f(kLibrary + QStringList{QStringLiteral("[Form4LastData]"), QStringLiteral("BrowseMode=sequence")});
        f.dialog->show();
        f.box("Text2")->setText(QStringLiteral("009")); // past the end: the bar loads group 3
        f.box("Text1")->setText(QStringLiteral("4"));
        f.child("Check2")->setChecked(true);
        f.child("Option4")->setChecked(true);
        f.child<QPushButton>("Command1")->click();
        QVERIFY(f.app->browseBar() && f.app->browseBar()->isVisible());
        QVERIFY(!f.app->existingBrowseSettings());
        QTRY_VERIFY(f.dialog.isNull());
        QVERIFY(f.dialogs.messages.isEmpty());
        // An unrecognised order browses at random and is saved so.
        QCOMPARE(f.app->browseBar()->walk().Order, BrowseOrder::Random);
        // BrowseMode was in the file already; the rest is appended as written.
        QCOMPARE(f.section(), (QStringList{QStringLiteral("BrowseMode=Random"), QStringLiteral("WordGroup=3"),
                                           QStringLiteral("WordLibrary=0"), QStringLiteral("MaskC=False"),
                                           QStringLiteral("MaskE=True"), QStringLiteral("CircuMode=Next"),
                                           QStringLiteral("DelayTime=4")}));
    }

    void numberBoxesKeepOnlyTheDigitsOfInputMethodText_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("beeps");
        QTest::newRow("group, digits") << QStringLiteral("Text2") << QStringLiteral("12") << QStringLiteral("12") << 0;
        QTest::newRow("group, mixed") << QStringLiteral("Text2") << QStringLiteral("第3组") << QStringLiteral("3") << 1;
        QTest::newRow("delay, word") << QStringLiteral("Text1") << QStringLiteral("五") << QString() << 1;
    }

    void numberBoxesKeepOnlyTheDigitsOfInputMethodText()
    {
        QFETCH(QString, box);
        QFETCH(QString, committed);
        QFETCH(QString, kept);
        QFETCH(int, beeps);
        Fixture f;
        QLineEdit *edit = f.box(qPrintable(box));
        edit->clear();
        QInputMethodEvent event;
        event.setCommitString(committed);
        QCoreApplication::sendEvent(edit, &event);
        QCOMPARE(edit->text(), kept);
        QCOMPARE(f.dialogs.beeps, beeps);
    }

    void numberBoxesTakeOnlyDigits()
    {
        Fixture f;
        f.dialog->show();
        QLineEdit *group = f.box("Text2");
        group->clear();
        QTest::keyClicks(group, QStringLiteral("1a2 -345"));
        QCOMPARE(group->text(), QStringLiteral("1234")); // four at most
        QTest::keyClick(group, Qt::Key_Backspace);
        QTest::keyClick(group, Qt::Key_Return);
        QTest::keyClick(group, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(group->text(), QStringLiteral("123"));
        QCOMPARE(f.dialogs.beeps, 5);
        QLineEdit *delay = f.box("Text1");
        delay->clear();
        QTest::keyClicks(delay, QStringLiteral("78"));
        QCOMPARE(delay->text(), QStringLiteral("7")); // one at most
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void closeControlGoesBackToTheTestWindow()
    {
        Fixture f;
        f.dialog->show();
        f.box("Text2")->setText(QStringLiteral("2"));
        QVERIFY(f.dialog->close());
        QVERIFY(f.app->form1()->isVisible());
        QVERIFY(!f.app->browseBar());
        QCOMPARE(f.section(), QStringList());
        QTRY_VERIFY(f.dialog.isNull());
        QCOMPARE(f.app->browseSettings()->groupText(), QStringLiteral("1")); // loaded afresh
    }
};

QTEST_MAIN(TestForm4)
#include "tst_form4.moc"
