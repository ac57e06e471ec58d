#include "app/LexivaneApp.h"

#include "app/Form1.h"
#include "app/MessageBoxDialogs.h"
#include "boxes/Form2.h"
#include "browse/Form3.h"
#include "browse/Form4.h"
#include "browse/Form5.h"
#include "speech/QtSpeechEngine.h"
#include "speech/SilentSpeechEngine.h"
#include "speech/SpeechSettingsDialog.h"
#include "speech/WordSpeaker.h"

#include <QCoreApplication>

// The pictures live in a static library, whose resource registration the
// linker would otherwise drop.
static void initResources()
{
    Q_INIT_RESOURCE(lexivane);
}

namespace {

std::unique_ptr<SpeechEngine> ownSpeechEngine(UserDialogs *dialogs, SpeechEngine *speech)
{
    if (speech)
        return nullptr;
    if (dialogs)
        return std::make_unique<SilentSpeechEngine>();
    return std::make_unique<QtSpeechEngine>();
}

} // namespace

LexivaneApp::LexivaneApp(const QString &programDir, UserDialogs *dialogs, SpeechEngine *speech)
    : m_programDir(programDir)
    , m_ownDialogs(dialogs ? nullptr : std::make_unique<MessageBoxDialogs>())
    , m_dialogs(dialogs ? dialogs : m_ownDialogs.get())
{
    initResources();
    // The folder path and the file name are joined as they are: a folder at
    // the root gives a doubled separator, which the file system accepts.
    m_iniFile.SpecifyIni(m_programDir + QStringLiteral("/lexvan.ini"));
    m_ownSpeechEngine = ownSpeechEngine(dialogs, speech);
    m_speaker = std::make_unique<WordSpeaker>(speech ? *speech : *m_ownSpeechEngine, m_iniFile, *m_dialogs,
                                              dataDir() + QStringLiteral("/audio"));
}

LexivaneApp::~LexivaneApp()
{
    // --- Box window teardown ---
    delete m_form2.data();
    // --- Browse mode teardown ---
    delete m_form3.data();
    delete m_form4.data();
    delete m_form5.data();
    delete m_form1.data();
    // --- Pronunciation teardown ---
    delete m_speechSettings.data();
    m_speaker->silence();
}

void LexivaneApp::start()
{
    // The about window opens first and stays in front of the test window.
    m_form5 = new Form5(*this);
    form1()->show();
    m_form5->show();
    m_form5->raise();
    m_form5->activateWindow();
}

Form1 *LexivaneApp::form1()
{
    if (!m_form1)
        m_form1 = new Form1(*this, *m_speaker);
    return m_form1;
}

Form1 *LexivaneApp::existingForm1() const
{
    return m_form1;
}

Form5 *LexivaneApp::aboutWindow() const
{
    return m_form5;
}

// --- Box window ---

bool LexivaneApp::openBoxWindow()
{
    if (!m_form2)
        m_form2 = new Form2(*this, *m_speaker);
    if (Form1 *testWindow = existingForm1())
        testWindow->hide();
    m_form2->show();
    m_form2->raise();
    m_form2->activateWindow();
    return true;
}

Form2 *LexivaneApp::boxWindow() const
{
    return m_form2;
}

void LexivaneApp::boxWindowClosed()
{
    Form1 *testWindow = form1();
    testWindow->show();
    testWindow->raise();
    testWindow->activateWindow();
}

// --- Browse mode ---

bool LexivaneApp::openBrowseBar()
{
    if (m_form3) {
        m_form3->raise();
    } else {
        m_form3 = new Form3(*this, m_browseRandom, *m_speaker);
        m_form3->show();
    }
    // The test window steps back only now: a message box of the bar's first
    // load then still has a window behind it, and closing it cannot end the
    // program for want of a visible window.
    if (m_form1)
        m_form1->hide();
    return true;
}

Form3 *LexivaneApp::browseBar() const
{
    return m_form3;
}

Form4 *LexivaneApp::browseSettings()
{
    if (!m_form4)
        m_form4 = new Form4(*this);
    return m_form4;
}

Form4 *LexivaneApp::existingBrowseSettings() const
{
    return m_form4;
}

void LexivaneApp::browseBarClosed(Form3 *bar)
{
    if (m_form3 == bar)
        m_form3 = nullptr;
}

void LexivaneApp::browseSettingsClosed(Form4 *dialog)
{
    if (m_form4 == dialog)
        m_form4 = nullptr;
}

// --- End of the mode sections ---

void LexivaneApp::testWindowClosed()
{
    // Closing the test window ends the program, whatever else is open.
    // --- Box window on close ---
    if (Form2 *boxes = boxWindow())
        boxes->unload();
    if (m_form5)
        m_form5->close();
    QCoreApplication::quit();
}

// --- Pronunciation ---

SpeechSettingsDialog *LexivaneApp::openSpeechSettings()
{
    // A dialog closed without "确定" may linger until its deletion; the next
    // one starts again from the stored settings.
    if (m_speechSettings && !m_speechSettings->isVisible())
        delete m_speechSettings.data();
    if (!m_speechSettings) {
        m_speechSettings = new SpeechSettingsDialog(*m_speaker, existingForm1());
        m_speechSettings->setAttribute(Qt::WA_DeleteOnClose);
        // Without an engine the dialog says so itself; the message box comes
        // once per run like for the other speech commands.
        m_speaker->explainMissingEngine();
    }
    m_speechSettings->show();
    m_speechSettings->raise();
    m_speechSettings->activateWindow();
    return m_speechSettings;
}
