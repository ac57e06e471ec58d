#include "app/LexivaneApp.h"

#include "typing/Form1.h"
#include "app/MessageBoxDialogs.h"
#include "boxes/Form2.h"
#include "browse/Form3.h"
#include "browse/Form4.h"
#include "browse/Form5.h"
#include "settings/ProfileFile.h"
#include "manager/LibraryManager.h"
#include "record/RecordStore.h"
#include "record/ReviewWords.h"
#include "recordui/ProgressWindow.h"
#include "boxes/BoxStore.h"
#include "settings/LibraryRegistry.h"
#include "settings/UserDialogs.h"
#include "speech/QtSpeechEngine.h"
#include "speech/SilentSpeechEngine.h"
#include "speech/SpeechSettingsDialog.h"
#include "speech/WordSpeaker.h"

#include <QMenu>

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
    // A settings write killed half-way can leave its temporary copy beside
    // the file; one that a later write has overtaken is of no use.
    Profile::removeLeftoverCopies(m_iniFile.IniPath());
    m_ownSpeechEngine = ownSpeechEngine(dialogs, speech);
    m_speaker = std::make_unique<WordSpeaker>(speech ? *speech : *m_ownSpeechEngine, m_iniFile, *m_dialogs,
                                              dataDir() + QStringLiteral("/audio"));
    openRecord();
}

LexivaneApp::~LexivaneApp()
{
    // --- Learning record windows teardown ---
    delete m_progressWindow.data();
    // --- Book menu and library manager teardown ---
    delete m_bookMenu.data();
    delete m_libraryManager.data();
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
    // --- Learning record teardown ---
    m_record->close();
}

WindowContext LexivaneApp::windowContext()
{
    return WindowContext{m_iniFile, *m_dialogs, dataDir(), m_browseRandom, *m_speaker};
}

void LexivaneApp::start()
{
    // The about window opens first and stays in front of the test window.
    m_form5 = new Form5();
    connect(m_form5, &Form5::testWindowWanted, this, [this] { form1()->show(); });
    // On opening, the test window steps back until the picture is clicked.
    // At start-up the test window is not shown yet, so both end up visible.
    if (m_form1)
        m_form1->hide();
    form1()->show();
    m_form5->show();
    m_form5->raise();
    m_form5->activateWindow();
}

Form1 *LexivaneApp::form1()
{
    if (!m_form1) {
        m_form1 = new Form1(windowContext());
        connect(m_form1, &Form1::boxWindowRequested, this, &LexivaneApp::openBoxWindow);
        connect(m_form1, &Form1::browseBarRequested, this, &LexivaneApp::openBrowseBar);
        connect(m_form1, &Form1::closed, this, &LexivaneApp::testWindowClosed);
        connect(m_form1, &Form1::bookMenuRequested, this, &LexivaneApp::showBookMenu);
        connect(m_form1, &Form1::libraryManagerRequested, this, &LexivaneApp::openLibraryManager);
        m_form1->test().setAnswerListener([this](const TypedAnswer &answer) { recordAnswer(answer); });
        // A pause the user does not feel: the log goes into the database.
        connect(m_form1, &Form1::groupFinished, this, [this] { m_record->checkpoint(); });
    }
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
    if (!m_form2) {
        m_form2 = new Form2(windowContext());
        connect(m_form2, &Form2::testWindowWanted, this, &LexivaneApp::boxWindowClosed);
        connect(m_form2, &Form2::wordAddedToBox, this, &LexivaneApp::recordBoxEvent);
        connect(m_form2, &Form2::wordDeleted, this,
                [this](const QString &library, const QString &libraryFile, const QString &word, const QString &meaning) {
                    recordBoxEvent(-1, library, libraryFile, word, meaning);
                });
    }
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
        m_form3 = new Form3(
            windowContext(), [this]() -> Form4 & { return *browseSettings(); }, m_form1);
        connect(m_form3, &Form3::testWindowWanted, this, [this] {
            form1()->show();
            if (m_form4)
                m_form4->dismiss();
        });
        connect(m_form3, &Form3::closed, this, &LexivaneApp::browseBarClosed);
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
    if (!m_form4) {
        m_form4 = new Form4(windowContext());
        connect(m_form4, &Form4::browseBarRequested, this, &LexivaneApp::openBrowseBar);
        connect(m_form4, &Form4::closed, this, [this](Form4 *dialog, bool byUser) {
            // Closed without "确定" while no bar runs: the test window comes
            // back so that the program is never left without a visible window.
            if (byUser && !m_form3)
                form1()->show();
            browseSettingsClosed(dialog);
        });
    }
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

// --- Book menu and library manager ---

void LexivaneApp::showBookMenu(const QPoint &globalPos)
{
    delete m_bookMenu.data();
    m_bookMenu = new QMenu(m_form1);
    m_bookMenu->setObjectName(QStringLiteral("bookMenu"));
    m_bookMenu->setAttribute(Qt::WA_DeleteOnClose);
    QFont kai(QStringLiteral("楷体_GB2312"));
    kai.setPixelSize(15);
    m_bookMenu->setFont(kai);
    QAction *manager = m_bookMenu->addAction(QStringLiteral("词库管理…"));
    manager->setObjectName(QStringLiteral("libraryManagerAction"));
    manager->setShortcut(Form1::libraryManagerKey());
    connect(manager, &QAction::triggered, this, &LexivaneApp::openLibraryManager);
    QAction *speech = m_bookMenu->addAction(QStringLiteral("发音设置…"));
    speech->setObjectName(QStringLiteral("speechSettingsAction"));
    connect(speech, &QAction::triggered, this, [this] { openSpeechSettings(); });
    QAction *progress = m_bookMenu->addAction(QStringLiteral("学习记录"));
    progress->setObjectName(QStringLiteral("progressAction"));
    connect(progress, &QAction::triggered, this, [this] { openProgressWindow(); });
    // Counted as the menu opens, so it is right after every answer.
    const int due = m_record->dueCount(QDateTime::currentDateTime());
    QAction *review = m_bookMenu->addAction(QStringLiteral("今日复习 (%1)").arg(due));
    review->setObjectName(QStringLiteral("reviewAction"));
    review->setEnabled(due > 0 && m_form1);
    connect(review, &QAction::triggered, this, [this] { startReview(); });
    m_bookMenu->popup(globalPos);
}

QMenu *LexivaneApp::bookMenu() const
{
    return m_bookMenu;
}

LibraryManager *LexivaneApp::openLibraryManager()
{
    if (!m_libraryManager) {
        m_libraryManager = new LibraryManager(windowContext());
        m_libraryManager->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_libraryManager, &LibraryManager::libraryListChanged, this, &LexivaneApp::reloadLibraryLists);
    }
    m_libraryManager->show();
    m_libraryManager->raise();
    m_libraryManager->activateWindow();
    return m_libraryManager;
}

LibraryManager *LexivaneApp::libraryManager() const
{
    return m_libraryManager;
}

void LexivaneApp::reloadLibraryLists()
{
    if (m_form1)
        m_form1->reloadLibraryList();
    if (m_form2)
        m_form2->reloadLibraryList();
    if (m_form4)
        m_form4->reloadLibraryList();
    emit libraryListChanged();
}

// --- End of the mode sections ---

void LexivaneApp::testWindowClosed()
{
    // The test window is unloaded and takes the box window with it. The
    // about window and the browse bar stay; the program ends when its last
    // window closes, so the bar still writes its place when it goes.
    // --- Box window on close ---
    if (Form2 *boxes = boxWindow())
        boxes->unload();
    // The library manager works on the test window's list: it goes with it.
    if (m_libraryManager)
        m_libraryManager->close();
    if (m_form1)
        m_form1->deleteLater();
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
        m_speaker->explainWhyMute();
    }
    m_speechSettings->show();
    m_speechSettings->raise();
    m_speechSettings->activateWindow();
    return m_speechSettings;
}

// --- Learning record ---

void LexivaneApp::openRecord()
{
    m_record = std::make_unique<RecordStore>();
    const RecordStore::Outcome outcome = m_record->open(m_programDir + QLatin1Char('/') + RecordStore::fileName());
    if (!outcome.ok()) {
        qWarning("Learning record not opened: %s", qUtf8Printable(outcome.detail));
        sayRecordProblem();
    }
}

void LexivaneApp::sayRecordProblem()
{
    if (m_recordProblemSaid)
        return;
    m_recordProblemSaid = true;
    m_dialogs->message(RecordStore::messageFor(m_record->lastOutcome().status));
}

void LexivaneApp::recordAnswer(const TypedAnswer &answer)
{
    if (!m_record->isRecording() || !m_form1)
        return;
    const Form1::GroupOrigin origin = m_form1->currentOrigin();
    AnswerRecord row;
    row.time = QDateTime::currentDateTime();
    row.library = origin.library;
    row.libraryFile = origin.libraryFile;
    row.group = origin.group;
    row.word = answer.word;
    row.meaning = answer.meaning;
    row.pass = answer.pass;
    row.right = answer.right;
    row.milliseconds = answer.millis;
    if (m_record->recordAnswer(row) == RecordStore::WriteResult::Failed) {
        qWarning("Learning record stopped: %s", qUtf8Printable(m_record->lastOutcome().detail));
        sayRecordProblem();
    }
}

void LexivaneApp::recordBoxEvent(int box, const QString &library, const QString &libraryFile, const QString &word,
                                 const QString &meaning)
{
    if (!m_record->isRecording())
        return;
    BoxEvent event;
    event.time = QDateTime::currentDateTime();
    event.kind = box < 0 ? BoxEventKind::Deleted : BoxEventKind::Added;
    event.box = box;
    event.library = library;
    event.libraryFile = libraryFile;
    event.word = word;
    event.meaning = meaning;
    if (m_record->recordBoxEvent(event) == RecordStore::WriteResult::Failed) {
        qWarning("Learning record stopped: %s", qUtf8Printable(m_record->lastOutcome().detail));
        sayRecordProblem();
    }
}

ProgressWindow *LexivaneApp::openProgressWindow()
{
    if (!m_progressWindow) {
        m_progressWindow = new ProgressWindow();
        m_progressWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_progressWindow, &ProgressWindow::sendToBox, this, &LexivaneApp::sendToBox);
        connect(m_progressWindow, &ProgressWindow::speak, this,
                [this](const QString &word) { m_speaker->speakOnRequest(word); });
    }
    QList<LibraryInfo> libraries;
    for (const QString &name : LibraryRegistry::libraryNames(m_iniFile)) {
        const QString file = LibraryRegistry::libraryFileName(m_iniFile, name);
        if (file.isEmpty())
            continue;
        libraries.append(LibraryInfo{name, file, countLibraryWords(dataDir() + QLatin1Char('/') + file)});
    }
    m_progressWindow->setData(m_record->progress(libraries, QDate::currentDate()));
    m_progressWindow->show();
    m_progressWindow->raise();
    m_progressWindow->activateWindow();
    return m_progressWindow;
}

bool LexivaneApp::startReview()
{
    if (!m_form1)
        return false;
    return m_form1->startReview([this] {
        return pickReviewWords(*m_record, dataDir(), QDateTime::currentDateTime(), ReviewSize,
                               [this](const QString &file) { return libraryNameOfFile(file); });
    });
}

QString LexivaneApp::libraryNameOfFile(const QString &file)
{
    for (const QString &name : LibraryRegistry::libraryNames(m_iniFile)) {
        if (LibraryRegistry::libraryFileName(m_iniFile, name) == file)
            return name;
    }
    return QString();
}

ProgressWindow *LexivaneApp::progressWindow() const
{
    return m_progressWindow;
}

void LexivaneApp::sendToBox(int box, const QString &word, const QString &meaning)
{
    const WordEntry entry{meaning, word, 0};
    QString caption; // the box window recounts its captions from the files
    const BoxStore::AddOutcome outcome = BoxStore::addWord(dataDir(), box, &entry, caption);
    if (outcome != BoxStore::AddOutcome::Added) {
        m_dialogs->message(BoxStore::messageFor(outcome));
        return;
    }
    if (m_form2)
        m_form2->IniBoxSum();
    // The word came from one of the hardest words: its library is known there.
    QString library;
    QString libraryFile;
    if (m_progressWindow) {
        for (const HardWord &hard : m_progressWindow->data().hardest) {
            if (hard.word == word && hard.meaning == meaning) {
                library = hard.library;
                libraryFile = hard.file;
                break;
            }
        }
    }
    recordBoxEvent(box, library, libraryFile, word, meaning);
}
