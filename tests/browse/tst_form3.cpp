#include "Pixels.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "browse/Form3.h"
#include "browse/Form4.h"
#include "settings/CIniFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

const QString kFinished = QStringLiteral("词库浏览完毕");

// A library of `records` numbered words, the given browse settings, the test
// window shown at (200, 150), and the browse bar opened from it.
class Fixture
{
public:
    explicit Fixture(const QStringList &settings, int records = 28)
    {
        folder.writeIni(QStringList{QStringLiteral("[LibName]"), QStringLiteral("Lib0=测试词库"),
                                    QStringLiteral("[LibraryFileName]"), QStringLiteral("测试词库=test.txt"),
                                    QStringLiteral("[Form4LastData]"), QStringLiteral("WordLibrary=0")} +
                        settings);
        if (records > 0)
            folder.writeNumberedLibrary(QStringLiteral("test.txt"), records);
        app = std::make_unique<LexivaneApp>(folder.path(), &dialogs);
        app->form1()->move(200, 150);
        app->form1()->show();
        openBar();
    }

    void openBar()
    {
        app->openBrowseBar();
        bar = app->browseBar();
    }

    QLabel *label(const char *name) const { return bar->findChild<QLabel *>(QString::fromLatin1(name)); }
    QString word() const { return label("Label1")->text(); }
    Form4 *options() const { return app->existingBrowseSettings(); }

    // Ticks and records each word shown ("_" for an empty label).
    QStringList tick(int times)
    {
        QStringList seen;
        for (int i = 0; i < times; ++i) {
            bar->Timer1_Timer();
            seen << (word().isEmpty() ? QStringLiteral("_") : word());
        }
        return seen;
    }

    void command(const QString &name) const { bar->popupMenu()->findChild<QAction *>(name)->trigger(); }

    QString stored(const char *key) const
    {
        CIniFile ini;
        ini.SpecifyIni(folder.iniPath());
        return ini.ReadString(QStringLiteral("Form4LastData"), QString::fromLatin1(key), 10);
    }

    QByteArray iniBytes() const { return TestFiles::readBytes(folder.iniPath()); }

    ProgramFolder folder;
    RecordingDialogs dialogs;
    std::unique_ptr<LexivaneApp> app;
    QPointer<Form3> bar;
};

QStringList words(int from, int to)
{
    QStringList list;
    for (int n = from; from <= to ? n <= to : n >= to; n += from <= to ? 1 : -1)
        list << QStringLiteral("word%1").arg(n);
    return list;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestForm3 : public QObject
{
    Q_OBJECT

private slots:
    void opensAsATopmostStripInPlaceOfTheTestWindow()
    {
        Fixture f({QStringLiteral("WordGroup=02"), QStringLiteral("DelayTime=3")});
        QVERIFY(f.bar->isVisible());
        QVERIFY(!f.app->form1()->isVisible());
        QVERIFY(f.bar->windowFlags().testFlags(Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint));
        QCOMPARE(f.bar->size(), QSize(553, 45));
        QCOMPARE(f.label("Picture1")->pixmap().size(), QSize(668, 57));
        // Over the test window's place.
        QCOMPARE(f.bar->y(), f.app->form1()->frameGeometry().top());
        QVERIFY(qAbs(f.bar->geometry().center().x() - f.app->form1()->frameGeometry().center().x()) <= 1);
        // The dialog exists, hidden, and holds the group the bar loaded.
        QVERIFY(f.options() && !f.options()->isVisible());
        QCOMPARE(f.options()->groupText(), QStringLiteral("2"));
        QVERIFY(f.bar->isTicking());
        QCOMPARE(f.bar->timerInterval(), 3000);
        // The first word comes with the first tick, not with the load.
        QCOMPARE(f.word(), QString());
        QCOMPARE(f.tick(2), words(26, 27));
        QCOMPARE(f.label("Label2")->text(), QStringLiteral("释义27"));
        QCOMPARE(f.label("Label1")->toolTip(), QStringLiteral("【测试词库】【组2第2】【释义27】"));
        QCOMPARE(f.label("Label2")->toolTip(), QStringLiteral("【测试词库】【组2第2】【word27】"));
        f.tick(2); // the blank after the last word counts as one more
        QCOMPARE(f.label("Label1")->toolTip(), QStringLiteral("【测试词库】【组2第4】【】"));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void walksOnThroughTheLibrary_data()
    {
        // 28 records: group 1 holds 25 words, group 2 the last three.
        QTest::addColumn<QString>("order");
        QTest::addColumn<QStringList>("expected");
        const QStringList blank{QStringLiteral("_")};
        QTest::newRow("sequence") << QStringLiteral("Sequence")
                                  << words(1, 25) + blank + words(26, 28) + blank + QStringList{kFinished};
        QTest::newRow("negative") << QStringLiteral("Negative")
                                  << words(25, 1) + blank + words(28, 26) + QStringList{kFinished};
        QTest::newRow("random") << QStringLiteral("Random") << QStringList();
    }

    void walksOnThroughTheLibrary()
    {
        QFETCH(QString, order);
        QFETCH(QStringList, expected);
        Fixture f({QStringLiteral("WordGroup=1"), QStringLiteral("CircuMode=Next"), QStringLiteral("BrowseMode=") + order});
        const QStringList seen = f.tick(expected.isEmpty() ? 29 : int(expected.size()));
        if (expected.isEmpty()) {
            QCOMPARE(sorted(seen.mid(0, 25)), sorted(words(1, 25)));
            QCOMPARE(seen.at(25), QStringLiteral("word26"));
            QCOMPARE(sorted(seen.mid(26, 2)), words(27, 28));
            QCOMPARE(seen.at(28), kFinished);
        } else {
            QCOMPARE(seen, expected);
        }
        QCOMPARE(f.label("Label2")->text(), kFinished);
        QVERIFY(!f.bar->isTicking());
        QCOMPARE(f.options()->groupText(), QStringLiteral("2"));
        QCOMPARE(f.stored("WordGroup"), QStringLiteral("2"));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void failedLoadLeavesAStoppedBarWithAHint()
    {
        Fixture f({QStringLiteral("WordGroup=1")}, 0);
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("找不到词库文件！测试词库")});
        QVERIFY(f.bar->isVisible());
        QCOMPARE(f.word(), QStringLiteral("没有可显示的单词"));
        QCOMPARE(f.label("Label2")->text(), QStringLiteral("请单击右键设置"));
        f.command(QStringLiteral("SpeedLower")); // changes the speed, not whether it runs
        QVERIFY(!f.bar->isTicking());
    }

    void speedCommands_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected"); // empty: nothing happens
        QTest::newRow("zero: no ticks until slower")
            << QStringLiteral("0") << QStringLiteral("SpeedLower") << QStringLiteral("1");
        QTest::newRow("faster") << QStringLiteral("2") << QStringLiteral("SpeedQuicker") << QStringLiteral("1");
        QTest::newRow("faster at 1") << QStringLiteral("1") << QStringLiteral("SpeedQuicker") << QString();
        QTest::newRow("slower") << QStringLiteral("8") << QStringLiteral("SpeedLower") << QStringLiteral("9");
        QTest::newRow("slower at 9") << QStringLiteral("9") << QStringLiteral("SpeedLower") << QString();
        QTest::newRow("faster from a huge delay")
            << QStringLiteral("70000") << QStringLiteral("SpeedQuicker") << QStringLiteral("3599");
    }

    void speedCommands()
    {
        QFETCH(QString, delay);
        QFETCH(QString, command);
        QFETCH(QString, expected);
        Fixture f({QStringLiteral("WordGroup=1"), QStringLiteral("DelayTime=") + delay});
        const QByteArray before = f.iniBytes();
        const int interval = f.bar->timerInterval();
        QCOMPARE(f.bar->isTicking(), delay != QStringLiteral("0"));
        f.command(command);
        if (expected.isEmpty()) {
            QCOMPARE(f.options()->delayText(), delay);
            QCOMPARE(f.iniBytes(), before);
            QCOMPARE(f.bar->timerInterval(), interval);
        } else {
            QCOMPARE(f.options()->delayText(), expected);
            QCOMPARE(f.stored("DelayTime"), expected);
            QCOMPARE(f.bar->timerInterval(), expected.toInt() * 1000);
            QVERIFY(f.bar->isTicking());
        }
    }

    void groupCommands_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected"); // empty: nothing happens
        QTest::newRow("previous") << QStringLiteral("3") << QStringLiteral("LastGroup") << QStringLiteral("2");
        QTest::newRow("previous at 1") << QStringLiteral("1") << QStringLiteral("LastGroup") << QString();
        QTest::newRow("next") << QStringLiteral("1") << QStringLiteral("NextGroup") << QStringLiteral("2");
        QTest::newRow("next past the end") << QStringLiteral("3") << QStringLiteral("NextGroup") << QStringLiteral("3");
    }

    void groupCommands()
    {
        QFETCH(QString, group);
        QFETCH(QString, command);
        QFETCH(QString, expected);
        Fixture f({QStringLiteral("WordGroup=") + group}, 60);
        f.tick(3);
        const QByteArray before = f.iniBytes();
        f.command(command);
        if (expected.isEmpty()) {
            QCOMPARE(f.iniBytes(), before);
            QCOMPARE(f.options()->groupText(), group);
            QCOMPARE(f.word(), QStringLiteral("word3"));
            return;
        }
        QCOMPARE(f.options()->groupText(), expected);
        QCOMPARE(f.stored("WordGroup"), expected);
        // The walk starts afresh at the next tick, with the group's first word.
        QCOMPARE(f.word(), QString());
        QCOMPARE(f.tick(1), words(expected.toInt() * 25 - 24, expected.toInt() * 25 - 24));
    }

    void stepBackFromTheLastGroupGoesOnAgain()
    {
        Fixture f({QStringLiteral("WordGroup=3"), QStringLiteral("CircuMode=Next")}, 60);
        f.command(QStringLiteral("LastGroup"));
        QCOMPARE(f.tick(27).mid(25), (QStringList{QStringLiteral("_"), QStringLiteral("word51")}));
        QCOMPARE(f.label("Label1")->toolTip(), QStringLiteral("【测试词库】【组3第1】【释义51】"));
    }

    void hideOptionsNarrowTheBar_data()
    {
        QTest::addColumn<QString>("maskC");
        QTest::addColumn<QString>("maskE");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("meaningLeft");
        QTest::newRow("none") << QStringLiteral("False") << QStringLiteral("False") << 553 << 216;
        QTest::newRow("meaning hidden") << QStringLiteral("True") << QStringLiteral("False") << 201 << 216;
        QTest::newRow("word hidden") << QStringLiteral("False") << QStringLiteral("True") << 329 << 2;
        QTest::newRow("both: word hidden wins") << QStringLiteral("True") << QStringLiteral("True") << 329 << 2;
    }

    void hideOptionsNarrowTheBar()
    {
        QFETCH(QString, maskC);
        QFETCH(QString, maskE);
        QFETCH(int, width);
        QFETCH(int, meaningLeft);
        Fixture f({QStringLiteral("WordGroup=1"), QStringLiteral("MaskC=") + maskC, QStringLiteral("MaskE=") + maskE});
        QCOMPARE(f.bar->width(), width);
        QCOMPARE(f.label("Label1")->isVisible(), meaningLeft != 2);
        QCOMPARE(f.label("Label2")->x(), meaningLeft);
    }

    void storedPosition_data()
    {
        QTest::addColumn<QString>("barX");
        QTest::addColumn<QString>("barY");
        QTest::addColumn<QPoint>("expected");
        const QPoint byDefault(172, 150); // centred over the test window
        QTest::newRow("both") << QStringLiteral(" 1500") << QStringLiteral("3000 ") << QPoint(100, 200);
        QTest::newRow("no top") << QStringLiteral("1500") << QString() << byDefault;
        QTest::newRow("past 16 bits") << QStringLiteral("99999") << QStringLiteral("3000") << byDefault;
        QTest::newRow("not a number") << QStringLiteral("1500") << QStringLiteral("top") << byDefault;
        QTest::newRow("off every screen") << QStringLiteral("-30000") << QStringLiteral("-30000") << byDefault;
    }

    void storedPosition()
    {
        QFETCH(QString, barX);
        QFETCH(QString, barY);
        QFETCH(QPoint, expected);
        Fixture f({QStringLiteral("WordGroup=1"), QStringLiteral("BarX=") + barX, QStringLiteral("BarY=") + barY});
        QCOMPARE(f.bar->pos(), expected);
    }

    void backToTheTestWindow_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("返回") << true;
        QTest::newRow("closed by the system") << false;
    }

    void backToTheTestWindow()
    {
        QFETCH(bool, byMenu);
        Fixture f({QStringLiteral("WordGroup=1")});
        f.bar->move(40, 60);
        QPointer<Form4> options = f.options();
        if (byMenu)
            f.command(QStringLiteral("Close"));
        else
            QVERIFY(f.bar->close());
        QVERIFY(f.app->form1()->isVisible());
        QVERIFY(!f.app->browseBar());
        QCOMPARE(f.stored("BarX"), QStringLiteral("600"));
        QCOMPARE(f.stored("BarY"), QStringLiteral("900"));
        QTRY_VERIFY(f.bar.isNull());
        QTRY_VERIFY(options.isNull()); // destroyed, not hidden
        f.openBar();
        QCOMPARE(f.bar->pos(), QPoint(40, 60));
    }

    void closingTheTestWindowLeavesTheBarRunning()
    {
        Fixture f({QStringLiteral("WordGroup=1")});
        QPointer<Form1> testWindow = f.app->form1();
        QVERIFY(testWindow->close());
        QTRY_VERIFY(testWindow.isNull());
        QVERIFY(f.bar && f.bar->isVisible());
        QVERIFY(f.bar->isTicking());
        // The bar, closed later, still writes its place.
        f.bar->move(40, 60);
        QVERIFY(f.bar->close());
        QCOMPARE(f.stored("BarX"), QStringLiteral("600"));
        QCOMPARE(f.stored("BarY"), QStringLiteral("900"));
    }

    void bothLabelsReadableOnTheirGround_data()
    {
        QTest::addColumn<QString>("masks");
        QTest::newRow("word and meaning") << QString();
        QTest::newRow("meaning only") << QStringLiteral("MaskE=True");
        QTest::newRow("word only") << QStringLiteral("MaskC=True");
    }

    void bothLabelsReadableOnTheirGround()
    {
        QFETCH(QString, masks);
        Fixture f({QStringLiteral("WordGroup=1"), masks});
        QVERIFY(QTest::qWaitForWindowExposed(f.bar));
        // The ground under each shown label, with the labels' text taken away.
        for (const char *name : {"Label1", "Label2"}) {
            QLabel *label = f.label(name);
            const QRect area = QRect(label->mapTo(f.bar, QPoint()), label->size()).intersected(f.bar->rect());
            if (!label->isVisible() || area.isEmpty())
                continue; // hidden, or cut off by the narrowed bar
            const QString text = label->text();
            label->clear();
            const QImage ground = Pixels::grab(f.bar, area);
            label->setText(text);
            const double worst = Pixels::worstContrast(ground, label->palette().color(QPalette::WindowText));
            QVERIFY2(worst >= 4.5, qPrintable(QStringLiteral("%1: %2 : 1").arg(QLatin1String(name)).arg(worst)));
        }
    }

    void settingsRoundTrip()
    {
        Fixture f({QStringLiteral("WordGroup=1")});
        f.bar->move(10, 20);
        f.command(QStringLiteral("Set"));
        QPointer<Form4> options = f.options();
        QVERIFY(options && options->isVisible());
        QVERIFY(!f.app->browseBar());
        QCOMPARE(f.stored("BarX"), QStringLiteral("150"));
        QTRY_VERIFY(f.bar.isNull());

        options->findChild<QRadioButton *>(QStringLiteral("Option2"))->setChecked(true);
        options->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("2"));
        options->findChild<QCheckBox *>(QStringLiteral("Check1"))->setChecked(true);
        options->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("2"));
        options->findChild<QPushButton *>(QStringLiteral("Command1"))->click();

        f.bar = f.app->browseBar();
        QVERIFY(f.bar && f.bar->isVisible());
        QVERIFY(!f.app->existingBrowseSettings());
        QCOMPARE(f.bar->pos(), QPoint(10, 20));
        QCOMPARE(f.bar->width(), 201);
        QCOMPARE(f.bar->timerInterval(), 2000);
        // The first tick needs the dialog again: created hidden from the
        // values just saved.
        QCOMPARE(f.tick(1), words(28, 28));
        QVERIFY(f.options() && !f.options()->isVisible());
        QCOMPARE(f.options()->delayText(), QStringLiteral("2"));
        QVERIFY(f.options()->hidesMeaning());
    }

    void mouseButtonsOnTheLabels()
    {
        Fixture f({QStringLiteral("WordGroup=1")});
        QMenu *menu = f.bar->popupMenu();
        QStringList captions;
        for (QAction *action : menu->actions())
            captions << action->text();
        // The browse commands come first, in their order; pronunciation
        // follows them after a separator.
        QCOMPARE(captions.mid(0, 6).join(u' '), QStringLiteral("设置 上一组 下一组 加速 减速 返回"));
        QCOMPARE(captions.mid(6).join(u' '), QStringLiteral(" 朗读"));
        QTest::mousePress(f.label("Label2"), Qt::RightButton);
        QVERIFY(menu->isVisible());
        menu->hide();

        // Where the window system will not move the bar, it follows the
        // mouse itself until the button is let go.
        const QPoint start = f.bar->pos();
        QLabel *word = f.label("Label1");
        QTest::mousePress(word, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(40, 25), word->mapToGlobal(QPointF(40, 25)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(word, &move);
        QTest::mouseRelease(word, Qt::LeftButton, Qt::NoModifier, QPoint(40, 25));
        QCOMPARE(f.bar->pos(), start + QPoint(30, 15));
        QVERIFY(!menu->isVisible());
    }

    void oneRandomGeneratorForTheWholeRun()
    {
        const QStringList settings = {QStringLiteral("WordGroup=1"), QStringLiteral("BrowseMode=Random")};
        Fixture first(settings);
        const QStringList firstPass = first.tick(25);
        first.command(QStringLiteral("Close"));
        first.openBar();
        const QStringList secondPass = first.tick(25);
        QCOMPARE(sorted(secondPass), sorted(words(1, 25)));
        QVERIFY(secondPass != firstPass); // the second bar draws on
        Fixture again(settings);
        QCOMPARE(again.tick(25), firstPass); // a new run draws the same again
    }
};

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
