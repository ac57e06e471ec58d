#include "backup/Backup.h"
#include "backup/FileAccess.h"

#include "record/RecordStore.h"
#include "settings/CIniFile.h"
#include "settings/DiskSync.h"
#include "settings/LibraryListEditor.h"
#include "settings/LibraryRegistry.h"

#include <QtEndian>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <unistd.h>

#include <algorithm>

bool ProgramPaths::isOwnFile(const QString &path) const
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    return absolute == QFileInfo(databasePath()).absoluteFilePath() || absolute == QFileInfo(iniPath()).absoluteFilePath();
}

namespace Backup {

namespace {

// Reads through a connection of its own; the busy time is a live record's
// answer commit or two.
class Connection : public SqlConnection
{
public:
    Connection(const QString &path, bool readOnly)
        : SqlConnection(path, readOnly, 2000)
    {
    }
};

// Copies the live record through SQLite (a read transaction sees every
// committed answer, the write-ahead log included) and checks the copy.
bool copyDatabase(const QString &source, QByteArray &bytes, qint64 &answers, QString &error)
{
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString copy = scratch.filePath(QStringLiteral("copy.db"));
    {
        // Read-write although it only reads: a read-only connection cannot
        // remove the shared-memory file when it closes, and a restore that
        // failed would leave that file behind.
        Connection live(source, false);
        if (!live.isOpen()) {
            error = live.db().lastError().text();
            return false;
        }
        QSqlQuery query(live.db());
        query.prepare(QStringLiteral("VACUUM INTO ?"));
        query.addBindValue(copy);
        if (!query.exec()) {
            error = QStringLiteral("VACUUM INTO: ") + query.lastError().text();
            return false;
        }
    }
    {
        Connection checked(copy, true);
        QSqlQuery query(checked.db());
        if (!checked.isOpen() || !query.exec(QStringLiteral("PRAGMA integrity_check")) || !query.next() ||
            query.value(0).toString() != QLatin1String("ok")) {
            error = QStringLiteral("the copy fails integrity_check");
            return false;
        }
        query.finish();
        answers = 0;
        if (query.exec(QStringLiteral("SELECT count(*) FROM answers")) && query.next())
            answers = query.value(0).toLongLong();
    }
    if (!readWholeFile(copy, bytes)) {
        error = QStringLiteral("the copy cannot be read");
        return false;
    }
    return true;
}

const QRegularExpression &dailyPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})\\.lxv$"));
    return pattern;
}

} // namespace

qint64 writeAll(QFileDevice &file, const char *data, qint64 size)
{
    return file.write(data, size);
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, const WriteBytes &write, QString *error)
{
    QSaveFile file(path);
    auto fail = [&](const QString &why) {
        file.cancelWriting();
        if (error)
            *error = why;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (write(file, bytes.constData(), bytes.size()) != bytes.size())
        return fail(QStringLiteral("write failed: ") + file.errorString());
    if (!file.flush() || !DiskSync::syncDescriptor(int(file.handle())))
        return fail(QStringLiteral("sync failed"));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    DiskSync::syncFolder(QFileInfo(path).absolutePath());
    return true;
}

bool snapshot(const ProgramPaths &paths, const QString &computer, Archive::Contents &contents, QString &error)
{
    contents = Archive::Contents();
    contents.created = QDateTime::currentDateTimeUtc();
    contents.computer = computer;
    if (QFileInfo(paths.databasePath()).isFile()) {
        Archive::Entry db{Archive::DatabaseName, {}};
        if (!copyDatabase(paths.databasePath(), db.bytes, contents.answers, error))
            return false;
        contents.entries.append(db);
    } else {
        contents.answers = 0;
    }
    QByteArray ini;
    if (QFileInfo(paths.iniPath()).isFile()) {
        if (!readWholeFile(paths.iniPath(), ini)) {
            error = QStringLiteral("lexvan.ini cannot be read");
            return false;
        }
        contents.entries.append({Archive::SettingsName, ini});
    }
    QStringList files;
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box)
        files << LibraryRegistry::boxFileName(box);
    if (!ini.isEmpty()) {
        CIniFile settings;
        settings.SpecifyIni(paths.iniPath());
        for (const RegisteredLibrary &library : LibraryListEditor(settings).libraries())
            files << library.fileName;
    }
    files.removeDuplicates();
    for (const QString &name : files) {
        const QString path = paths.dataDir + u'/' + name;
        if (!Archive::isAllowedName(Archive::DataPrefix + name) || !QFileInfo(path).isFile())
            continue;
        Archive::Entry entry{Archive::DataPrefix + name, {}};
        if (!readWholeFile(path, entry.bytes)) {
            error = QStringLiteral("%1 cannot be read").arg(name);
            return false;
        }
        contents.entries.append(entry);
    }
    return true;
}

bool writeSnapshot(const ProgramPaths &paths, const QString &computer, const QString &file, QString &error,
                   const WriteBytes &write, Archive::Contents *written)
{
    Archive::Contents contents;
    if (!snapshot(paths, computer, contents, error))
        return false;
    const QByteArray bytes = Archive::build(contents);
    if (bytes.isEmpty()) {
        error = QStringLiteral("the archive could not be built");
        return false;
    }
    if (!writeFileAtomically(file, bytes, write, &error))
        return false;
    const Archive::ReadResult check = Archive::readFile(file);
    if (!check.ok()) {
        error = QStringLiteral("the written archive does not read back: ") + check.detail;
        QFile::remove(file);
        return false;
    }
    if (written)
        *written = std::move(contents);
    return true;
}

QString dailyFileName(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".lxv");
}

QDate dateOfDailyFile(const QString &fileName)
{
    const QRegularExpressionMatch match = dailyPattern().match(fileName);
    if (!match.hasMatch())
        return QDate();
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

QList<QDate> backupsToRemove(const QList<QDate> &backups, const QDate &today)
{
    QList<QDate> sorted = backups;
    std::sort(sorted.begin(), sorted.end());
    const QDate recent = today.addDays(-29);
    const QDate yearAgo = today.addYears(-1);
    QList<QDate> remove;
    int lastMonth = -1;
    for (const QDate &date : sorted) {
        const int month = date.year() * 12 + date.month();
        const bool firstOfMonth = month != lastMonth;
        lastMonth = month;
        if (date > today || date >= recent)
            continue;
        if (firstOfMonth && date > yearAgo)
            continue;
        remove.append(date);
    }
    return remove;
}

DailyResult runDaily(const ProgramPaths &paths, const QDate &today, const QString &computer)
{
    DailyResult result;
    const QDir dir(paths.backupDir());
    if (!dir.exists() && !QDir().mkpath(paths.backupDir())) {
        result.detail = QStringLiteral("backup folder cannot be made");
        return result;
    }
    result.file = dir.filePath(dailyFileName(today));
    if (QFileInfo::exists(result.file)) {
        result.outcome = DailyResult::AlreadyDone;
        return result;
    }
    if (!writeSnapshot(paths, computer, result.file, result.detail)) {
        result.outcome = DailyResult::Failed;
        return result;
    }
    result.outcome = DailyResult::Written;
    QList<QDate> dates;
    for (const QString &name : dir.entryList({QStringLiteral("*.lxv")}, QDir::Files)) {
        const QDate date = dateOfDailyFile(name);
        if (date.isValid())
            dates.append(date);
    }
    for (const QDate &date : backupsToRemove(dates, today)) {
        const QString name = dailyFileName(date);
        if (QFile::remove(dir.filePath(name)))
            result.removed << name;
    }
    return result;
}

QList<BackupInfo> listBackups(const ProgramPaths &paths)
{
    QList<BackupInfo> list;
    const QDir dir(paths.backupDir());
    for (const QFileInfo &file : dir.entryInfoList({QStringLiteral("*.lxv")}, QDir::Files)) {
        BackupInfo info;
        info.path = file.absoluteFilePath();
        info.size = file.size();
        info.created = file.lastModified();
        // The whole archive is read and checked: a backup listed is one that
        // can be restored. One that cannot is listed without its counts.
        const Archive::ReadResult read = Archive::readFile(info.path);
        if (read.ok()) {
            if (read.contents.created.isValid())
                info.created = read.contents.created;
            info.answers = read.contents.answers;
        }
        list.append(info);
    }
    std::sort(list.begin(), list.end(),
              [](const BackupInfo &a, const BackupInfo &b) { return a.created > b.created; });
    return list;
}

RestoreResult restore(const ProgramPaths &paths, const QString &archivePath, const QString &computer,
                      const QDateTime &now, const WriteBytes &write)
{
    RestoreResult result;
    const Archive::ReadResult read = Archive::readFile(archivePath);
    if (!read.ok()) {
        result.outcome = RestoreResult::BadArchive;
        result.archive = read.status;
        result.detail = read.detail;
        return result;
    }
    // The record in the archive must be one this program can open.
    if (const Archive::Entry *db = read.contents.find(Archive::DatabaseName)) {
        const int version = db->bytes.size() >= 64 ? int(qFromBigEndian<quint32>(db->bytes.constData() + 60)) : -1;
        if (!db->bytes.startsWith("SQLite format 3") || version < 0) {
            result.outcome = RestoreResult::BadArchive;
            result.archive = Archive::Status::Damaged;
            result.detail = QStringLiteral("lexvan.db is no database");
            return result;
        }
        if (version > RecordStore::SchemaVersion) {
            result.outcome = RestoreResult::BadArchive;
            result.archive = Archive::Status::TooNew;
            result.detail = QStringLiteral("schema version %1").arg(version);
            return result;
        }
    }

    // Where each entry goes, and the current file's place while it is moved
    // aside. Everything is staged in its own folder, so a rename is one step.
    struct Move
    {
        QString target, staged, aside;
        bool hasTarget = false, done = false;
    };
    std::vector<Move> moves;
    auto place = [&](const QString &target) {
        Move move;
        move.target = target;
        move.staged = target + QStringLiteral(".restore-new");
        move.aside = target + QStringLiteral(".restore-old");
        return move;
    };
    for (const Archive::Entry &entry : read.contents.entries) {
        if (entry.name == Archive::DatabaseName)
            moves.push_back(place(paths.databasePath()));
        else if (entry.name == Archive::SettingsName)
            moves.push_back(place(paths.iniPath()));
        else
            moves.push_back(place(paths.dataDir + u'/' + entry.name.mid(Archive::DataPrefix.size())));
    }

    const QString safety = QDir(paths.backupDir())
                               .filePath(QStringLiteral("before-restore-%1.lxv")
                                             .arg(now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"))));
    if (!QDir().mkpath(paths.backupDir()) || !writeSnapshot(paths, computer, safety, result.detail)) {
        result.outcome = RestoreResult::BackupFailed;
        return result;
    }
    result.safetyBackup = safety;

    auto cleanStaged = [&] {
        for (const Move &move : moves)
            QFile::remove(move.staged);
    };
    for (qsizetype i = 0; i < read.contents.entries.size(); ++i) {
        QFile::remove(moves[size_t(i)].staged);
        if (!writeFileAtomically(moves[size_t(i)].staged, read.contents.entries[i].bytes, write, &result.detail)) {
            cleanStaged();
            result.outcome = RestoreResult::WriteFailed;
            return result;
        }
    }

    // The record's log and shared memory belong to the old file: they go
    // aside with it, so SQLite never replays an old log into the new file.
    if (read.contents.find(Archive::DatabaseName)) {
        for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            Move move = place(paths.databasePath() + suffix);
            move.staged.clear();
            moves.push_back(move);
        }
    }
    bool ok = true;
    for (Move &move : moves) {
        QFile::remove(move.aside);
        move.hasTarget = QFileInfo::exists(move.target);
        if (move.hasTarget && !QFile::rename(move.target, move.aside)) {
            ok = false;
            break;
        }
        if (!move.staged.isEmpty() && !QFile::rename(move.staged, move.target)) {
            if (move.hasTarget)
                QFile::rename(move.aside, move.target);
            ok = false;
            break;
        }
        move.done = true;
    }
    if (!ok) {
        // Back the way it came, newest move first.
        for (auto move = moves.rbegin(); move != moves.rend(); ++move) {
            if (!move->done)
                continue;
            if (!move->staged.isEmpty())
                QFile::remove(move->target);
            if (move->hasTarget)
                QFile::rename(move->aside, move->target);
        }
        cleanStaged();
        result.outcome = RestoreResult::WriteFailed;
        result.detail = QStringLiteral("a file could not be moved into place");
        return result;
    }
    for (const Move &move : moves)
        QFile::remove(move.aside);
    DiskSync::syncFolder(paths.programDir);
    DiskSync::syncFolder(paths.dataDir);
    result.outcome = RestoreResult::Restored;
    return result;
}

QString messageFor(const RestoreResult &result)
{
    switch (result.outcome) {
    case RestoreResult::Restored:
        return QString();
    case RestoreResult::BadArchive:
        return Archive::messageFor(result.archive);
    case RestoreResult::BackupFailed:
        return QStringLiteral("无法先备份当前的数据，没有恢复。");
    case RestoreResult::WriteFailed:
        break;
    }
    return QStringLiteral("磁盘已满或无法写入，没有恢复，数据保持原样。");
}

} // namespace Backup
