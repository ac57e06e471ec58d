#include "FakeSpeechEngine.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "boxes/Form2.h"
#include "browse/Form3.h"
#include "settings/CIniFile.h"
#include "speech/SpeechSettingsDialog.h"
#include "speech/WordSpeaker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QtTest>

#include <memory>

namespace {

// Lines of text written as one, separated by "|".
QStringList lines(const char *joined)
{
    return QString::fromUtf8(joined).split(QLatin1Char('|'));
}

// A program folder with one library of numbered words, the application with
// a fake voice, and the test window shown.
class Fixture
{
public:
    explicit Fixture(const QStringList &extraIni = {},
                     QStringList installed = {QStringLiteral("flite"), QStringLiteral("speechd")})
        : engine(std::move(installed))
    {
        folder.writeIni(QStringList{QStringLiteral("[LibName]"), QStringLiteral("Lib0=测试词库"),
                                    QStringLiteral("[LibraryFileName]"), QStringLiteral("测试词库=test.txt"),
                                    QStringLiteral("[Form4LastData]"), QStringLiteral("WordLibrary=0")} +
                        extraIni);
        folder.writeNumberedLibrary(QStringLiteral("test.txt"), 30);
        app = std::make_unique<LexivaneApp>(folder.path(), &dialogs, &engine);
        app->form1()->show();
    }

    template<typename T>
    T *child(QWidget *window, const char *name) const
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    // The words the voice was asked for once pending requests are taken up;
    // each is heard to the end so that the next one follows at once.
    QStringList heard()
    {
        QCoreApplication::processEvents();
        while (app->speaker().isBusy())
            engine.finish();
        return engine.spoken();
    }

    // Test window.
    QLineEdit *answerBox() const { return child<QLineEdit>(app->form1(), "Text1"); }
    QString label(const char *name) const { return child<QLabel>(app->form1(), name)->text(); }
    void loadTest(const QString &group) const
    {
        QLineEdit *box = child<QLineEdit>(app->form1(), "Text2");
        box->setText(group);
        QTest::keyClick(box, Qt::Key_Return);
    }
    void answer(const QString &typed) const
    {
        QTest::keyClicks(answerBox(), typed);
        QTest::keyClick(answerBox(), Qt::Key_Return);
    }

    // Box window.
    Form2 *openBoxes()
    {
        app->openBoxWindow();
        Form2 *boxes = app->boxWindow();
        QLineEdit *group = child<QLineEdit>(boxes, "Text2");
        group->setText(QStringLiteral("1"));
        QTest::keyClick(group, Qt::Key_Return);
        return boxes;
    }
    QLabel *wordCell(Form2 *boxes, int row) const
    {
        return boxes->findChild<QLabel *>(QStringLiteral("Label1_%1").arg(row));
    }

    QString stored(const QString &section, const QString &key)
    {
        CIniFile ini;
        ini.SpecifyIni(folder.iniPath());
        return ini.ReadString(section, key, 64);
    }

    ProgramFolder folder;
    RecordingDialogs dialogs;
    FakeSpeechEngine engine;
    std::unique_ptr<LexivaneApp> app;
};

} // namespace

class TestSpeechWindows : public QObject
{
    Q_OBJECT

private slots:
    void testWindowSpeaksTheRightWordAfterEachAnswer_data();
    void testWindowSpeaksTheRightWordAfterEachAnswer();
    void f2InTheAnswerBoxChangesNothing();
    void boxWindowSpeaksOnRightClickAndF2();
    void barSpeaksEachWordOnlyWhenAsked();
    void barSwitchIsStoredAndReadBack();
    void noEngineDisablesTheCommandsWithOneMessage();
    void settingsDialogStoresOnlyOnOk();
    void settingsDialogTriesTheShownVoice();
};

void TestSpeechWindows::testWindowSpeaksTheRightWordAfterEachAnswer_data()
{
    QTest::addColumn<QStringList>("ini");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("default") << QStringList{} << lines("word1|word2|word3");
    QTest::newRow("answers not spoken") << lines("[Speech]|AnswerSpeak=False") << QStringList{};
    QTest::newRow("speech off") << lines("[Speech]|Enabled=False") << QStringList{};
}

void TestSpeechWindows::testWindowSpeaksTheRightWordAfterEachAnswer()
{
    QFETCH(QStringList, ini);
    QFETCH(QStringList, expected);
    Fixture f(ini);
    f.loadTest(QStringLiteral("1"));
    QVERIFY(f.heard().isEmpty());

    // Right, wrong (the right word is heard, not the typed one) and empty.
    f.answer(QStringLiteral("word1"));
    QCOMPARE(f.heard(), expected.mid(0, 1));
    f.answer(QStringLiteral("wrong"));
    QCOMPARE(f.heard(), expected.mid(0, 2));
    f.answer(QString());
    QCOMPARE(f.heard(), expected);
    QCOMPARE(f.label("Label4"), QStringLiteral("1"));
    QCOMPARE(f.label("Label7"), QStringLiteral("2"));
}

void TestSpeechWindows::f2InTheAnswerBoxChangesNothing()
{
    Fixture f;
    // Before a group is loaded there is nothing to hear and nothing to say.
    QTest::keyClick(f.answerBox(), Qt::Key_F2);
    QVERIFY(f.heard().isEmpty());
    QVERIFY(f.dialogs.messages.isEmpty());

    f.loadTest(QStringLiteral("1"));
    f.answer(QStringLiteral("word1"));
    QCOMPARE(f.heard(), QStringList{QStringLiteral("word1")});
    QTest::keyClicks(f.answerBox(), QStringLiteral("wor"));

    QTest::keyClick(f.answerBox(), Qt::Key_F2);
    QTest::keyClick(f.answerBox(), Qt::Key_F2, Qt::ShiftModifier);
    QCOMPARE(f.heard(), (QStringList{QStringLiteral("word1"), QStringLiteral("word2")}));
    QCOMPARE(f.answerBox()->text(), QStringLiteral("wor"));
    QCOMPARE(f.app->form1()->currentIndex(), qint16(1));
    QCOMPARE(f.label("Label4"), QStringLiteral("1"));
    QCOMPARE(f.label("Label7"), QStringLiteral("0"));
    QCOMPARE(f.label("Label9"), QStringLiteral("25"));
    QCOMPARE(f.app->form1()->words()[1].Mark, Form1::MarkUnanswered);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestSpeechWindows::boxWindowSpeaksOnRightClickAndF2()
{
    Fixture f;
    Form2 *boxes = f.openBoxes();
    QVERIFY(boxes);
    QScrollBar *scroll = boxes->findChild<QScrollBar *>(QStringLiteral("VScroll1"));
    scroll->setValue(9); // rows show word3 to word10

    QTest::mousePress(f.wordCell(boxes, 4), Qt::RightButton);
    QTest::mouseRelease(f.wordCell(boxes, 4), Qt::RightButton);
    QCOMPARE(f.heard(), QStringList{QStringLiteral("word7")});
    // The peek still works as before.
    QCOMPARE(boxes->findChild<QLineEdit *>(QStringLiteral("Text1_4"))->text(), QStringLiteral("释义7"));

    // A left press starts a drag and says nothing.
    QTest::mousePress(f.wordCell(boxes, 2), Qt::LeftButton);
    QCOMPARE(boxes->draggedRow(), 2);
    QTest::mouseRelease(f.wordCell(boxes, 2), Qt::LeftButton);
    QCOMPARE(boxes->draggedRow(), -1);
    QCOMPARE(f.heard(), QStringList{QStringLiteral("word7")});

    // F2 from the group box, from a meaning cell and from the window: the top row.
    QLineEdit *group = boxes->findChild<QLineEdit *>(QStringLiteral("Text2"));
    QTest::keyClick(group, Qt::Key_F2);
    QCOMPARE(f.heard().last(), QStringLiteral("word3"));
    QCOMPARE(group->text(), QStringLiteral("1"));
    scroll->setValue(12);
    QTest::keyClick(boxes->findChild<QLineEdit *>(QStringLiteral("Text1_5")), Qt::Key_F2);
    f.heard();
    QTest::keyClick(boxes, Qt::Key_F2);
    QCOMPARE(f.heard(),
             (QStringList{QStringLiteral("word7"), QStringLiteral("word3"), QStringLiteral("word6"),
                          QStringLiteral("word6")}));
}

void TestSpeechWindows::barSpeaksEachWordOnlyWhenAsked()
{
    Fixture f;
    f.app->openBrowseBar();
    Form3 *bar = f.app->browseBar();
    QAction *speak = bar->speakAction();
    QVERIFY(speak->isCheckable());
    QVERIFY(speak->isEnabled());
    QVERIFY(!speak->isChecked());
    // The browse commands keep their places; the new item comes after them.
    const QList<QAction *> items = bar->popupMenu()->actions();
    QCOMPARE(items.first()->text(), QStringLiteral("设置"));
    QCOMPARE(items.at(5)->text(), QStringLiteral("返回"));
    QCOMPARE(items.last(), speak);

    bar->Timer1_Timer();
    QVERIFY(f.heard().isEmpty());

    speak->trigger();
    // Each word cuts off the one before, without waiting for it.
    bar->Timer1_Timer();
    QCoreApplication::processEvents();
    bar->Timer1_Timer();
    QCoreApplication::processEvents();
    QCOMPARE(f.engine.actions(),
             (QStringList{QStringLiteral("say word2"), QStringLiteral("stop"), QStringLiteral("say word3")}));
    QCOMPARE(bar->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("word3"));

    speak->trigger();
    bar->Timer1_Timer();
    QCOMPARE(f.heard(), (QStringList{QStringLiteral("word2"), QStringLiteral("word3")}));
}

void TestSpeechWindows::barSwitchIsStoredAndReadBack()
{
    Fixture f;
    f.app->openBrowseBar();
    f.app->browseBar()->speakAction()->trigger();
    QCOMPARE(f.stored(QStringLiteral("Speech"), QStringLiteral("BarSpeak")), QStringLiteral("True"));
    f.app->browseBar()->Close_Click();
    QTRY_VERIFY(!f.app->browseBar());

    // A new run reads it back.
    f.app.reset();
    f.app = std::make_unique<LexivaneApp>(f.folder.path(), &f.dialogs, &f.engine);
    f.app->form1()->show();
    f.app->openBrowseBar();
    QAction *speak = f.app->browseBar()->speakAction();
    QVERIFY(speak->isChecked());
    speak->trigger();
    QCOMPARE(f.stored(QStringLiteral("Speech"), QStringLiteral("BarSpeak")), QStringLiteral("False"));
    // The browse options were not touched.
    QCOMPARE(f.stored(QStringLiteral("Form4LastData"), QStringLiteral("WordLibrary")), QStringLiteral("0"));
}

void TestSpeechWindows::noEngineDisablesTheCommandsWithOneMessage()
{
    Fixture f({QStringLiteral("[Speech]"), QStringLiteral("BarSpeak=True")}, {});
    f.loadTest(QStringLiteral("1"));
    f.answer(QStringLiteral("word1"));
    QVERIFY(f.dialogs.messages.isEmpty());

    QTest::keyClick(f.answerBox(), Qt::Key_F2);
    QTest::keyClick(f.answerBox(), Qt::Key_F2);
    QCOMPARE(f.dialogs.messages, QStringList{WordSpeaker::missingEngineText()});
    QCOMPARE(f.answerBox()->text(), QString());

    Form2 *boxes = f.openBoxes();
    QTest::keyClick(boxes->findChild<QLineEdit *>(QStringLiteral("Text2")), Qt::Key_F2);
    QTest::mousePress(f.wordCell(boxes, 0), Qt::RightButton);
    QTest::mouseRelease(f.wordCell(boxes, 0), Qt::RightButton);
    boxes->close();

    f.app->openBrowseBar();
    QAction *speak = f.app->browseBar()->speakAction();
    QVERIFY(!speak->isEnabled());
    f.app->browseBar()->Timer1_Timer();

    SpeechSettingsDialog *dialog = f.app->openSpeechSettings();
    QVERIFY(dialog->findChild<QLabel *>(QStringLiteral("missingEngine"))->isVisibleTo(dialog));
    QVERIFY(!dialog->findChild<QPushButton *>(QStringLiteral("tryOut"))->isEnabled());
    QVERIFY(!dialog->findChild<QCheckBox *>(QStringLiteral("enabled"))->isEnabled());

    QCOMPARE(f.dialogs.messages, QStringList{WordSpeaker::missingEngineText()});
    QVERIFY(f.engine.log.isEmpty());
}

void TestSpeechWindows::settingsDialogStoresOnlyOnOk()
{
    Fixture f;
    // The test window's book menu is the way in.
    f.app->showBookMenu(f.app->form1()->mapToGlobal(QPoint(10, 10)));
    QVERIFY(f.app->bookMenu());
    QAction *item = nullptr;
    for (QAction *action : f.app->bookMenu()->actions()) {
        if (action->text() == QStringLiteral("发音设置…"))
            item = action;
    }
    QVERIFY(item);
    item->trigger();
    SpeechSettingsDialog *opened = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<SpeechSettingsDialog *>(window); candidate && candidate->isVisible())
            opened = candidate;
    }
    QVERIFY(opened);
    SpeechSettingsDialog *dialog = f.app->openSpeechSettings();
    QCOMPARE(dialog, opened);
    QCOMPARE(f.app->openSpeechSettings(), dialog);
    auto *engine = dialog->findChild<QComboBox *>(QStringLiteral("engine"));
    auto *accent = dialog->findChild<QComboBox *>(QStringLiteral("accent"));
    QCOMPARE(engine->count(), 2);
    // Flite is listed first but never chosen for the user.
    QCOMPARE(engine->currentData().toString(), QStringLiteral("speechd"));
    engine->setCurrentIndex(0);
    QCOMPARE(accent->count(), 1); // the fake's flite has a US voice only

    engine->setCurrentIndex(1);
    QCOMPARE(accent->count(), 2);
    accent->setCurrentIndex(1);
    dialog->findChild<QSlider *>(QStringLiteral("rate"))->setValue(-5);
    dialog->findChild<QCheckBox *>(QStringLiteral("speakAnswers"))->setChecked(false);

    dialog->reject();
    QVERIFY(f.stored(QStringLiteral("Speech"), QStringLiteral("Engine")).isEmpty());
    QVERIFY(f.app->speaker().speaksAnswers());

    // Opened again, it shows what is stored, not what was cancelled.
    dialog = f.app->openSpeechSettings();
    QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("engine"))->currentData().toString(), QStringLiteral("speechd"));
    QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("accent"))->currentData().toString(), QStringLiteral("US"));
    QCOMPARE(dialog->findChild<QSlider *>(QStringLiteral("rate"))->value(), 0);
    dialog->findChild<QComboBox *>(QStringLiteral("engine"))->setCurrentIndex(1);
    dialog->findChild<QComboBox *>(QStringLiteral("accent"))->setCurrentIndex(1);
    dialog->findChild<QSlider *>(QStringLiteral("rate"))->setValue(-5);
    dialog->findChild<QCheckBox *>(QStringLiteral("speakAnswers"))->setChecked(false);
    dialog->findChild<QPushButton *>(QStringLiteral("ok"))->click();

    QCOMPARE(f.stored(QStringLiteral("Speech"), QStringLiteral("Enabled")), QStringLiteral("True"));
    QCOMPARE(f.stored(QStringLiteral("Speech"), QStringLiteral("Engine")), QStringLiteral("speechd"));
    QCOMPARE(f.stored(QStringLiteral("Speech"), QStringLiteral("Voice")), QStringLiteral("UK"));
    QCOMPARE(f.stored(QStringLiteral("Speech"), QStringLiteral("Rate")), QStringLiteral("-5"));
    QCOMPARE(f.stored(QStringLiteral("Speech"), QStringLiteral("AnswerSpeak")), QStringLiteral("False"));
    QVERIFY(!f.app->speaker().speaksAnswers());

    // Switched off in the dialog: the test window says nothing any more.
    dialog = f.app->openSpeechSettings();
    dialog->findChild<QCheckBox *>(QStringLiteral("enabled"))->setChecked(false);
    QVERIFY(!dialog->findChild<QPushButton *>(QStringLiteral("tryOut"))->isEnabled());
    dialog->accept();
    QCOMPARE(f.stored(QStringLiteral("Speech"), QStringLiteral("Enabled")), QStringLiteral("False"));
    f.loadTest(QStringLiteral("1"));
    QTest::keyClick(f.answerBox(), Qt::Key_F2);
    QVERIFY(f.heard().isEmpty());
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestSpeechWindows::settingsDialogTriesTheShownVoice()
{
    Fixture f;
    SpeechSettingsDialog *dialog = f.app->openSpeechSettings();
    dialog->findChild<QComboBox *>(QStringLiteral("engine"))->setCurrentIndex(1);
    dialog->findChild<QSlider *>(QStringLiteral("rate"))->setValue(3);
    dialog->findChild<QLineEdit *>(QStringLiteral("tryOutWord"))->setText(QStringLiteral("colonel"));
    dialog->findChild<QPushButton *>(QStringLiteral("tryOut"))->click();
    QCoreApplication::processEvents();
    QCOMPARE(f.engine.log, (QStringList{QStringLiteral("configure speechd US 3"), QStringLiteral("say colonel")}));
    // Trying out stores nothing.
    QVERIFY(f.stored(QStringLiteral("Speech"), QStringLiteral("Rate")).isEmpty());
}

QTEST_MAIN(TestSpeechWindows)
#include "tst_speechwindows.moc"
