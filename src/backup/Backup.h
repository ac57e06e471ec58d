#pragma once

#include "backup/Archive.h"

#include <QDate>
#include <QFileDevice>
#include <QList>
#include <QString>

#include <functional>

// Where a learner's things are: lexvan.ini and lexvan.db in the program
// folder, the word boxes and libraries in data/ under the folder the program
// was started from (the same one, when started as usual).
struct ProgramPaths
{
    QString programDir;
    QString dataDir;

    QString iniPath() const { return programDir + QStringLiteral("/lexvan.ini"); }
    QString databasePath() const { return programDir + QStringLiteral("/lexvan.db"); }
    QString backupDir() const { return programDir + QStringLiteral("/backup"); }
    // True for the record and the settings file: an export written over
    // one of them would destroy what it exports.
    bool isOwnFile(const QString &path) const;
};

// The daily backups in backup/, restoring one, and the one-file export.
namespace Backup {

// Writes `size` bytes to the open file; returns how many were written, like
// QFile::write. Tests hand in one that fails part way, like a full disk.
using WriteBytes = std::function<qint64(QFileDevice &file, const char *data, qint64 size)>;
qint64 writeAll(QFileDevice &file, const char *data, qint64 size);

// Replaces the file at `path` with `bytes` in one step: written beside it,
// synced, then renamed over it. On failure the old file is as it was and
// nothing is left behind.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, const WriteBytes &write = writeAll,
                         QString *error = nullptr);

// Everything a learner has, as archive entries: lexvan.db through SQLite's
// own online copy (VACUUM INTO, never a copy of the live file), checked with
// integrity_check; lexvan.ini; the word boxes; and the file of every
// registered library found in data/. False (with `error`) when the record
// cannot be copied or the copy is not sound.
bool snapshot(const ProgramPaths &paths, const QString &computer, Archive::Contents &contents, QString &error);

// Writes a snapshot to `file` and reads it back through the archive reader,
// so a backup that is kept is one that can be restored. `written`, when
// given, receives what went in.
bool writeSnapshot(const ProgramPaths &paths, const QString &computer, const QString &file, QString &error,
                   const WriteBytes &write = writeAll, Archive::Contents *written = nullptr);

// The daily backup's file name for a date: "YYYY-MM-DD.lxv".
QString dailyFileName(const QDate &date);
// The date of a daily backup's file name; invalid for any other name.
QDate dateOfDailyFile(const QString &fileName);

// Which of the daily backups to remove on `today`: the last 30 days are kept,
// and the first backup of each month for a year. Backups dated after today
// (a clock that was set back) are kept.
QList<QDate> backupsToRemove(const QList<QDate> &backups, const QDate &today);

struct DailyResult
{
    enum Outcome { AlreadyDone, Written, Failed } outcome = Failed;
    QString file;
    QStringList removed;
    QString detail;
};

// Today's backup when there is none yet; older ones are removed only once
// today's has been written and read back sound.
DailyResult runDaily(const ProgramPaths &paths, const QDate &today, const QString &computer);

// One archive in backup/, as the backup window lists it.
struct BackupInfo
{
    QString path;
    QDateTime created;
    qint64 size = 0;
    qint64 answers = -1; // -1 when the manifest does not say
};
// Newest first. Reads only each archive's manifest.
QList<BackupInfo> listBackups(const ProgramPaths &paths);

struct RestoreResult
{
    enum Outcome {
        Restored,
        BadArchive,   // see `archive`
        BackupFailed, // the current state could not be backed up first
        WriteFailed,  // a full disk or a folder that cannot be written
    } outcome = WriteFailed;
    Archive::Status archive = Archive::Status::Ok;
    QString safetyBackup; // the backup of the state before the restore
    QString detail;
};

// Puts the archive's files in place of the current ones. The current state is
// backed up first (to backup/before-restore-...lxv). Every new file is
// written and synced beside its place before any is moved in, so a bad
// archive or a full disk leaves everything as it was. The record must be
// closed by its owner while this runs.
RestoreResult restore(const ProgramPaths &paths, const QString &archivePath, const QString &computer,
                      const QDateTime &now, const WriteBytes &write = writeAll);

// What the user is told about a failed restore.
QString messageFor(const RestoreResult &result);

} // namespace Backup
