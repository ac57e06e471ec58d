#pragma once

#include "browse/SingleRandom.h"
#include "dict/Dictionary.h"
#include "record/ProgressData.h"
#include "settings/CIniFile.h"
#include "widgets/WindowContext.h"

struct TypedAnswer;

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class BackgroundJob;
class BackupWindow;
class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class LibraryManager;
class ProgressWindow;
class QMenu;
class ExamPlanDialog;
class RecordStore;
class SpeechEngine;
class SpeechSettingsDialog;
class UserDialogs;
class WordSpeaker;

// Owns the windows and the one shared settings file. A window is created the
// first time it is needed. Windows never reach each other: they announce what
// they want with signals, and this object alone creates, shows, hides and
// destroys them.
class LexivaneApp : public QObject
{
    Q_OBJECT

public:
    // `programDir` is the folder that holds lexvan.ini. Word libraries are
    // found under "data" in the working folder. Without `dialogs`, real
    // message boxes are used; tests pass a recorder. Without `speech`, the
    // program speaks through the installed speech engines, except when a
    // recorder is given: tests then stay silent, as without an engine.
    explicit LexivaneApp(const QString &programDir, UserDialogs *dialogs = nullptr, SpeechEngine *speech = nullptr);
    ~LexivaneApp() override;

    // Opens the start-up windows.
    void start();

    CIniFile &iniFile() { return m_iniFile; }
    UserDialogs &dialogs() { return *m_dialogs; }
    QString dataDir() const { return QStringLiteral("data"); }
    QString programDir() const { return m_programDir; }
    // What every window is given of the program.
    WindowContext windowContext();

    // The test window, created (and loaded) on first use.
    Form1 *form1();
    // The test window if it has been created, else nullptr.
    Form1 *existingForm1() const;
    // The about window while it is open, else nullptr.
    Form5 *aboutWindow() const;

    // --- Box window (src/boxes) ---
    // Hides the test window and shows the box window.
    bool openBoxWindow();
    // The box window while it is open, else nullptr.
    Form2 *boxWindow() const;
    // The box window has closed: the test window comes back as it was left.
    void boxWindowClosed();

    // --- Browse mode (src/browse) ---
    // Opens the browse bar (unless it is open already) and hides the test
    // window.
    bool openBrowseBar();
    // The browse bar while it is open, else nullptr.
    Form3 *browseBar() const;
    // The browse settings dialog. The first use creates it hidden, and its
    // load fills it from the settings file.
    Form4 *browseSettings();
    // The browse settings dialog if it exists, else nullptr.
    Form4 *existingBrowseSettings() const;
    // The bar and the dialog report their closing at once, so that the next
    // use opens new ones even before the old ones are gone.
    void browseBarClosed(Form3 *bar);
    void browseSettingsClosed(Form4 *dialog);
    // The random draws of browse mode: one generator for the whole run.
    SingleRandom &browseRandom() { return m_browseRandom; }

    // The test window was closed: it is unloaded (the next use loads a new
    // one) with the box window; other windows stay open.
    void testWindowClosed();

    // --- Book menu and library manager (src/manager) ---
    // The pop-up menu of the test window's book picture, opened at
    // `globalPos` without waiting for a choice. Every tool reached from the
    // book is an item of this one menu.
    void showBookMenu(const QPoint &globalPos);
    // The book menu while it is open, else nullptr.
    QMenu *bookMenu() const;
    // Opens the library manager (or brings it to the front).
    LibraryManager *openLibraryManager();
    // The library manager while it is open, else nullptr.
    LibraryManager *libraryManager() const;
    // The registered libraries changed: every open window's library list is
    // filled again.
    void reloadLibraryLists();

    // --- Pronunciation (src/speech) ---
    // Speaks words for the windows; recordings in data/audio come first.
    WordSpeaker &speaker() { return *m_speaker; }
    // The core dictionary: phonetics and full meanings for the windows' tips.
    Dictionary &dictionary() { return *m_dictionary; }
    // Opens "发音设置…" in front of the test window (or brings it forward).
    SpeechSettingsDialog *openSpeechSettings();

    // --- Learning record (src/record) ---
    // lexvan.db in the program folder, opened with the program. When it
    // cannot be opened or written, the user is told once and the program
    // goes on without recording.
    RecordStore &record() { return *m_record; }
    // "学习记录" of the book menu: the record in pictures (or brought to the
    // front, with its figures read again).
    ProgressWindow *openProgressWindow();
    // The progress window while it is open, else nullptr.
    ProgressWindow *progressWindow() const;
    // "今日复习 (n)" of the book menu: the due words, a group's worth at a
    // time, in the test window. False when none is due (or still in its
    // library) or the test window is not open.
    bool startReview();
    static constexpr int ReviewSize = 25;
    // "考试计划…" of the book menu (or brought to the front).
    ExamPlanDialog *openExamPlan();
    ExamPlanDialog *examPlanDialog() const;

    // --- Backups, export and import, the sync folder (src/backup) ---
    // The daily backup, then a pass over the sync folder, on a thread of
    // their own: called once the first window shows, it never delays it.
    void startHousekeeping();
    // The housekeeping job while it runs (or has run), else nullptr.
    BackgroundJob *housekeeping() const { return m_housekeeping.get(); }
    // "备份与迁移…" of the book menu (or brought to the front).
    BackupWindow *openBackupWindow();
    BackupWindow *backupWindow() const;
    // Backs up the current state, puts the archive's in its place and
    // reloads the windows. False (the user told why) when nothing changed.
    bool restoreBackup(const QString &archivePath);
    bool exportTo(const QString &file);
    bool importFrom(const QString &file);
    // Who picks the file to export to or import from, or the sync folder;
    // an empty answer is a cancel. Tests put in their own.
    enum class FileChoice { ExportFile, ImportFile, SyncFolder };
    using FileChooser = std::function<QString(FileChoice)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

signals:
    void libraryListChanged();

private:
    QString m_programDir;
    CIniFile m_iniFile;
    std::unique_ptr<UserDialogs> m_ownDialogs;
    UserDialogs *m_dialogs;
    // Declared before the windows' members: it outlives every window.
    // Shared with the imports' meaning lookups, which may outlive a window.
    std::shared_ptr<Dictionary> m_dictionary;
    QPointer<Form1> m_form1;
    QPointer<Form5> m_form5;
    // --- Box window members ---
    // Held as a plain widget so that the teardown needs no box window header.
    QPointer<Form2> m_form2;
    // --- Browse mode members ---
    QPointer<Form3> m_form3;
    QPointer<Form4> m_form4;
    SingleRandom m_browseRandom;
    // --- Book menu and library manager members ---
    QPointer<QMenu> m_bookMenu;
    QPointer<LibraryManager> m_libraryManager;
    // --- Pronunciation members ---
    std::unique_ptr<SpeechEngine> m_ownSpeechEngine;
    std::unique_ptr<WordSpeaker> m_speaker;
    QPointer<SpeechSettingsDialog> m_speechSettings;
    // --- Learning record members ---
    std::unique_ptr<RecordStore> m_record;
    bool m_recordProblemSaid = false;
    QPointer<ProgressWindow> m_progressWindow;
    QPointer<ExamPlanDialog> m_examPlan;
    QList<LibraryInfo> registeredLibraries();
    // --- Backup members ---
    std::unique_ptr<BackgroundJob> m_housekeeping;
    QPointer<BackupWindow> m_backupWindow;
    FileChooser m_chooseFile;
    void refreshBackupWindow();
    // Stores the sync folder chosen in the backup window (empty: none).
    void useSyncFolder(const QString &folder);
    void syncFolderAtExit();
    void sendToBox(int box, const QString &word, const QString &meaning);
    QString libraryNameOfFile(const QString &file);
    void openRecord();
    void recordAnswer(const TypedAnswer &answer);
    void recordBoxEvent(int box, const QString &library, const QString &libraryFile, const QString &word,
                        const QString &meaning);
    // Tells the user, the first time only, that recording has stopped.
    void sayRecordProblem();
};
