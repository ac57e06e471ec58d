#include "app/LexivaneApp.h"

#include "typing/Form1.h"
#include "app/MessageBoxDialogs.h"
#include "backup/BackgroundJob.h"
#include "backup/Merge.h"
#include "backup/SyncFolder.h"
#include "backupui/BackupWindow.h"
#include "boxes/Form2.h"
#include "browse/Form3.h"
#include "browse/Form4.h"
#include "browse/Form5.h"
#include "settings/ProfileFile.h"
#include "manager/LibraryManager.h"
#include "record/RecordStore.h"
#include "record/ReviewWords.h"
#include "recordui/ExamPlanDialog.h"
#include "recordui/ProgressWindow.h"
#include "boxes/BoxStore.h"
#include "settings/LibraryRegistry.h"
#include "settings/UserDialogs.h"
#include "speech/QtSpeechEngine.h"
#include "speech/SilentSpeechEngine.h"
#include "speech/SpeechSettingsDialog.h"
#include "speech/WordSpeaker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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
    , m_dictionary(std::make_shared<Dictionary>(Dictionary::standardPlaces(dataDir(), programDir)))
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
    // --- Backup windows teardown ---
    delete m_backupWindow.data();
    // --- Learning record windows teardown ---
    delete m_progressWindow.data();
    delete m_examPlan.data();
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
    // --- Backup teardown (the record closed: everything is in the file) ---
    syncFolderAtExit();
}

WindowContext LexivaneApp::windowContext()
{
    return WindowContext{m_iniFile,      *m_dialogs,    dataDir(), m_browseRandom,
                         *m_speaker,     *m_dictionary, Dictionary::meaningLookup(m_dictionary),
                         *m_record};
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
    QAction *plan = m_bookMenu->addAction(QStringLiteral("考试计划…"));
    plan->setObjectName(QStringLiteral("examPlanAction"));
    connect(plan, &QAction::triggered, this, [this] { openExamPlan(); });
    // Counted as the menu opens, so it is right after every answer: the due
    // reviews within the day's cap, then the plan's new words.
    const int due = planToday(*m_record, dataDir(), ScheduleSettings::read(m_iniFile), QDateTime::currentDateTime())
                        .total();
    QAction *review = m_bookMenu->addAction(QStringLiteral("今日复习 (%1)").arg(due));
    review->setObjectName(QStringLiteral("reviewAction"));
    review->setEnabled(due > 0 && m_form1);
    connect(review, &QAction::triggered, this, [this] { startReview(); });
    QAction *backup = m_bookMenu->addAction(QStringLiteral("备份与迁移…"));
    backup->setObjectName(QStringLiteral("backupAction"));
    connect(backup, &QAction::triggered, this, [this] { openBackupWindow(); });
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
    // Opened again after a restore: the same object, since every window's
    // context refers to it.
    if (!m_record)
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
    row.reactionMs = answer.reactionMillis;
    row.typingMs = answer.typingMillis;
    row.characters = answer.characters;
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
        m_progressWindow->setWordDetails([this](const QString &word) { return m_dictionary->describe(word); });
        connect(m_progressWindow, &ProgressWindow::speak, this,
                [this](const QString &word) { m_speaker->speakOnRequest(word); });
    }
    const QList<LibraryInfo> libraries = registeredLibraries();
    ProgressData data = m_record->progress(libraries, QDate::currentDate());
    const ScheduleSettings schedule = ScheduleSettings::read(m_iniFile);
    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = Schedule::studyDay(now);
    const TodayPlan plan = planToday(*m_record, dataDir(), schedule, now);
    for (const DayPlayer::Day &day : forecastDays(m_record->wordStates(), schedule.plan, schedule.dailyCap,
                                                  int(plan.unmet.size()), today, plan.reviewsDone, plan.newDone))
        data.forecast.append({day.date, day.reviews, day.newWords});
    if (schedule.plan.isActive())
        data.examDaysLeft = std::max(0, schedule.plan.daysLeft(today));
    m_progressWindow->setData(data);
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
        return pickTodayWords(*m_record, dataDir(), ScheduleSettings::read(m_iniFile), QDateTime::currentDateTime(),
                              ReviewSize, [this](const QString &file) { return libraryNameOfFile(file); });
    });
}

QList<LibraryInfo> LexivaneApp::registeredLibraries()
{
    QList<LibraryInfo> libraries;
    for (const QString &name : LibraryRegistry::libraryNames(m_iniFile)) {
        const QString file = LibraryRegistry::libraryFileName(m_iniFile, name);
        if (file.isEmpty())
            continue;
        libraries.append(LibraryInfo{name, file, countLibraryWords(dataDir() + QLatin1Char('/') + file)});
    }
    return libraries;
}

ExamPlanDialog *LexivaneApp::openExamPlan()
{
    if (!m_examPlan) {
        m_examPlan = new ExamPlanDialog(registeredLibraries(), ScheduleSettings::read(m_iniFile),
                                        Schedule::studyDay(QDateTime::currentDateTime()), m_form1);
        m_examPlan->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_examPlan, &ExamPlanDialog::saved, this, [this](const ScheduleSettings &settings) {
            if (!settings.write(m_iniFile))
                m_dialogs->message(QStringLiteral("考试计划没能保存。"));
        });
        connect(m_examPlan, &ExamPlanDialog::cleared, this, [this](int dailyCap) {
            if (!ScheduleSettings::clearPlan(m_iniFile, dailyCap))
                m_dialogs->message(QStringLiteral("考试计划没能保存。"));
        });
    }
    m_examPlan->show();
    m_examPlan->raise();
    m_examPlan->activateWindow();
    return m_examPlan;
}

ExamPlanDialog *LexivaneApp::examPlanDialog() const
{
    return m_examPlan;
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

// --- Backups, export and import, the sync folder ---

namespace {

ProgramPaths pathsOf(const QString &programDir, const QString &dataDir)
{
    // Absolute: the jobs run on other threads, and the paths must not hang
    // on the working folder.
    return ProgramPaths{programDir, QDir(dataDir).absolutePath()};
}

QString chooseWithDialog(LexivaneApp::FileChoice choice, QWidget *parent)
{
    const QString filter = QStringLiteral("Lexivane 备份 (*.lxv)");
    switch (choice) {
    case LexivaneApp::FileChoice::ExportFile: {
        QString file = QFileDialog::getSaveFileName(parent, QStringLiteral("导出到"),
                                                    QDir::home().filePath(QStringLiteral("lexivane.lxv")), filter);
        if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
            file += QStringLiteral(".lxv");
        return file;
    }
    case LexivaneApp::FileChoice::ImportFile:
        return QFileDialog::getOpenFileName(parent, QStringLiteral("导入"), QDir::homePath(), filter);
    case LexivaneApp::FileChoice::SyncFolder:
        break;
    }
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("同步文件夹"), QDir::homePath());
}

} // namespace

void LexivaneApp::startHousekeeping()
{
    if (m_housekeeping)
        return;
    const ProgramPaths paths = pathsOf(m_programDir, dataDir());
    // The id is made (and stored) here, on this thread, with the other
    // writes of the settings file; only a computer that syncs needs one.
    const QString folder = SyncFolder::folderSetting(m_iniFile.IniPath());
    const QString computer = SyncFolder::computerId(m_iniFile.IniPath(), !folder.isEmpty());
    const QDate today = QDate::currentDate();
    // The folder is read and written on the job's thread; what it brings is
    // merged here, between answers, so the merge never makes an answer
    // wait for the record's lock.
    auto staged = std::make_shared<SyncFolder::Staged>();
    auto synced = std::make_shared<SyncFolder::Result>();
    m_housekeeping = std::make_unique<BackgroundJob>([paths, computer, folder, today, staged, synced] {
        const Backup::DailyResult daily = Backup::runDaily(paths, today, computer);
        QString summary = daily.outcome == Backup::DailyResult::Failed
                              ? QStringLiteral("daily backup failed: ") + daily.detail
                              : QStringLiteral("daily backup: ") + daily.file;
        if (!folder.isEmpty()) {
            *synced = SyncFolder::prepare(paths.databasePath(), folder, computer, *staged);
            summary += QStringLiteral("; sync folder: %1 events written %2")
                           .arg(synced->eventsWritten)
                           .arg(synced->ok() ? QString() : synced->detail);
        }
        return summary;
    });
    connect(m_housekeeping.get(), &BackgroundJob::finished, this, [this, paths, staged, synced](const QString &summary) {
        qInfo("%s", qUtf8Printable(summary));
        if (!staged->path.isEmpty()) {
            if (SyncFolder::apply(paths.databasePath(), *staged, *synced))
                qInfo("sync folder: %lld answers merged", static_cast<long long>(synced->answersAdded));
            else
                qWarning("sync folder merge failed: %s", qUtf8Printable(synced->detail));
            *staged = SyncFolder::Staged();
        }
        refreshBackupWindow();
    });
    m_housekeeping->start();
}

void LexivaneApp::syncFolderAtExit()
{
    const QString folder = SyncFolder::folderSetting(m_iniFile.IniPath());
    if (folder.isEmpty())
        return;
    // Waited for only as long as BackgroundJob allows: the windows are gone,
    // and a folder that hangs must not keep the program from ending.
    m_housekeeping.reset();
    const QString record = pathsOf(m_programDir, dataDir()).databasePath();
    const QString computer = SyncFolder::computerId(m_iniFile.IniPath(), true);
    BackgroundJob exitSync([record, folder, computer] {
        return SyncFolder::syncOnce(record, folder, computer).detail;
    });
    exitSync.start();
}

BackupWindow *LexivaneApp::openBackupWindow()
{
    if (!m_backupWindow) {
        m_backupWindow = new BackupWindow();
        m_backupWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_backupWindow, &BackupWindow::restoreRequested, this, &LexivaneApp::restoreBackup);
        connect(m_backupWindow, &BackupWindow::exportRequested, this, [this] {
            const QString file = m_chooseFile ? m_chooseFile(FileChoice::ExportFile)
                                              : chooseWithDialog(FileChoice::ExportFile, m_backupWindow);
            if (!file.isEmpty())
                exportTo(file);
        });
        connect(m_backupWindow, &BackupWindow::importRequested, this, [this] {
            const QString file = m_chooseFile ? m_chooseFile(FileChoice::ImportFile)
                                              : chooseWithDialog(FileChoice::ImportFile, m_backupWindow);
            if (!file.isEmpty())
                importFrom(file);
        });
        connect(m_backupWindow, &BackupWindow::chooseSyncFolderRequested, this, [this] {
            const QString folder = m_chooseFile ? m_chooseFile(FileChoice::SyncFolder)
                                                : chooseWithDialog(FileChoice::SyncFolder, m_backupWindow);
            if (folder.isEmpty())
                return;
            m_backupWindow->setSyncFolder(folder);
            useSyncFolder(folder);
        });
        connect(m_backupWindow, &BackupWindow::syncFolderChanged, this, &LexivaneApp::useSyncFolder);
    }
    m_backupWindow->setSyncFolder(SyncFolder::folderSetting(m_iniFile.IniPath()));
    refreshBackupWindow();
    m_backupWindow->show();
    m_backupWindow->raise();
    m_backupWindow->activateWindow();
    return m_backupWindow;
}

void LexivaneApp::useSyncFolder(const QString &folder)
{
    if (folder == SyncFolder::folderSetting(m_iniFile.IniPath()))
        return;
    if (!SyncFolder::setFolderSetting(m_iniFile.IniPath(), folder)) {
        m_dialogs->message(QStringLiteral("无法写入设置文件 lexvan.ini，同步文件夹没有改变。"));
        return;
    }
    if (m_backupWindow)
        m_backupWindow->setStatus(folder.isEmpty() ? QStringLiteral("不再使用同步文件夹。")
                                                   : QStringLiteral("下次启动和退出时与同步文件夹交换记录。"));
}

BackupWindow *LexivaneApp::backupWindow() const
{
    return m_backupWindow;
}

void LexivaneApp::refreshBackupWindow()
{
    if (m_backupWindow)
        m_backupWindow->setBackups(Backup::listBackups(pathsOf(m_programDir, dataDir())));
}

bool LexivaneApp::restoreBackup(const QString &archivePath)
{
    if (!m_dialogs->question(QStringLiteral("用这个备份替换现在的学习记录、设置、词库和月光宝盒吗？\n"
                                            "现在的数据会先另存一个备份。")))
        return false;
    // Today's backup may be being written from the same files.
    if (m_housekeeping && !m_housekeeping->waitFor(0)) {
        m_dialogs->message(QStringLiteral("正在自动备份，请稍后再试。"));
        return false;
    }
    const ProgramPaths paths = pathsOf(m_programDir, dataDir());
    m_record->close();
    const Backup::RestoreResult result = Backup::restore(
        paths, archivePath, SyncFolder::computerId(m_iniFile.IniPath(), false), QDateTime::currentDateTime());
    openRecord();
    if (result.outcome != Backup::RestoreResult::Restored) {
        qWarning("Restore failed: %s", qUtf8Printable(result.detail));
        m_dialogs->message(Backup::messageFor(result));
        refreshBackupWindow();
        return false;
    }
    // Every window reads its files again.
    reloadLibraryLists();
    if (m_form2)
        m_form2->IniBoxSum();
    if (m_progressWindow)
        m_progressWindow->close();
    refreshBackupWindow();
    if (m_backupWindow)
        m_backupWindow->setStatus(QStringLiteral("已恢复。恢复前的数据保存在 %1。")
                                      .arg(QFileInfo(result.safetyBackup).fileName()));
    return true;
}

bool LexivaneApp::exportTo(const QString &file)
{
    const ProgramPaths paths = pathsOf(m_programDir, dataDir());
    if (paths.isOwnFile(file)) {
        m_dialogs->message(QStringLiteral("不能导出到程序自己的文件 %1。").arg(QFileInfo(file).fileName()));
        return false;
    }
    m_record->checkpoint();
    Archive::Contents contents;
    QString error;
    if (!Backup::writeSnapshot(paths, SyncFolder::computerId(m_iniFile.IniPath(), false), file, error,
                               Backup::writeAll, &contents)) {
        qWarning("Export failed: %s", qUtf8Printable(error));
        m_dialogs->message(QStringLiteral("导出失败，没有写入 %1。").arg(QFileInfo(file).fileName()));
        return false;
    }
    if (m_backupWindow)
        m_backupWindow->setStatus(
            QStringLiteral("已导出到 %1：答题记录 %2 条。").arg(QDir::toNativeSeparators(file)).arg(contents.answers));
    return true;
}

bool LexivaneApp::importFrom(const QString &file)
{
    const Archive::ReadResult read = Archive::readFile(file);
    if (!read.ok()) {
        m_dialogs->message(Archive::messageFor(read.status));
        return false;
    }
    const Merge::ImportResult result = Merge::importArchive(pathsOf(m_programDir, dataDir()), read.contents, *m_record);
    if (!result.ok()) {
        qWarning("Import failed: %s", qUtf8Printable(result.detail));
        m_dialogs->message(Merge::messageFor(result));
        return false;
    }
    reloadLibraryLists();
    if (m_form2)
        m_form2->IniBoxSum();
    if (m_backupWindow)
        m_backupWindow->setStatus(QStringLiteral("已导入：") + Merge::summaryLine(result.summary));
    return true;
}
