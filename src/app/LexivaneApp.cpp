#include "app/LexivaneApp.h"

#include "app/Form1.h"
#include "app/MessageBoxDialogs.h"
#include "browse/Form5.h"

#include <QCoreApplication>

// The pictures live in a static library, whose resource registration the
// linker would otherwise drop.
static void initResources()
{
    Q_INIT_RESOURCE(lexivane);
}

LexivaneApp::LexivaneApp(const QString &programDir, UserDialogs *dialogs)
    : m_programDir(programDir)
    , m_ownDialogs(dialogs ? nullptr : std::make_unique<MessageBoxDialogs>())
    , m_dialogs(dialogs ? dialogs : m_ownDialogs.get())
{
    initResources();
    // The folder path and the file name are joined as they are: a folder at
    // the root gives a doubled separator, which the file system accepts.
    m_iniFile.SpecifyIni(m_programDir + QStringLiteral("/lexvan.ini"));
}

LexivaneApp::~LexivaneApp()
{
    // --- Box window teardown ---
    // --- Browse mode teardown ---
    delete m_form5.data();
    delete m_form1.data();
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
        m_form1 = new Form1(*this);
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
    return false;
}

// --- Browse mode ---

bool LexivaneApp::openBrowseBar()
{
    return false;
}

// --- End of the mode sections ---

void LexivaneApp::testWindowClosed()
{
    // Closing the test window ends the program, whatever else is open.
    // --- Box window on close ---
    if (m_form5)
        m_form5->close();
    QCoreApplication::quit();
}
