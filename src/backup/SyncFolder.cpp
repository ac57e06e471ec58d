#include "backup/SyncFolder.h"

#include "backup/FileAccess.h"
#include "backup/Merge.h"
#include "record/RecordStore.h"
#include "settings/CIniFile.h"
#include "settings/DiskSync.h"
#include "settings/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <QVariant>

namespace SyncFolder {

namespace {

const QString FilePrefix = QStringLiteral("lexivane-");
const QString FileSuffix = QStringLiteral(".events");
const QString AnswerKind = QStringLiteral("answer");
const QString BoxKind = QStringLiteral("box");

struct Table
{
    QString name, kind;
    QStringList identity;
};

// The same identities as an import uses. Only events travel: libraries do
// not go through the folder, so neither do the sentences their words were
// found in (an export and import carries those).
const QList<Table> &tables()
{
    static const QList<Table> list{
        {QStringLiteral("answers"),
         AnswerKind,
         {QStringLiteral("at"), QStringLiteral("file"), QStringLiteral("word"), QStringLiteral("pass"),
          QStringLiteral("correct")}},
        {QStringLiteral("box_events"),
         BoxKind,
         {QStringLiteral("at"), QStringLiteral("kind"), QStringLiteral("box"), QStringLiteral("file"),
          QStringLiteral("word")}},
    };
    return list;
}

QString identityOf(const Table &table, const QJsonObject &event)
{
    QStringList parts{table.kind};
    for (const QString &column : table.identity)
        parts << event.value(column).toVariant().toString();
    return parts.join(QChar(0x1f));
}

const Table *tableOfKind(const QString &kind)
{
    for (const Table &table : tables()) {
        if (table.kind == kind)
            return &table;
    }
    return nullptr;
}

// The events of one file. A line that does not read (the end of an append
// cut short, or a file the sync tool is still bringing in) is passed over:
// its event comes again with the next append.
QList<QJsonObject> readEvents(const QString &path, bool &readable)
{
    QList<QJsonObject> events;
    QFile file(path);
    readable = file.open(QIODevice::ReadOnly);
    if (!readable)
        return events;
    const QByteArray bytes = file.readAll();
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonDocument document = QJsonDocument::fromJson(line);
        if (!document.isObject())
            continue;
        const QJsonObject event = document.object();
        if (tableOfKind(event.value(QStringLiteral("t")).toString()))
            events.append(event);
    }
    return events;
}

// Reading the live record may wait out an answer being committed.
constexpr int BusyTimeoutMs = 5000;

// Writes `events` into a new record at `path` (the schema of this program),
// column by column by name, so events from a later program with more
// columns still load.
bool writeRecord(const QString &path, const QList<QJsonObject> &events, QString &error)
{
    {
        RecordStore store;
        const RecordStore::Outcome opened = store.open(path, 1000, 1000);
        store.close();
        if (!opened.ok()) {
            error = opened.detail;
            return false;
        }
    }
    const Backup::SqlConnection connection(path, false, BusyTimeoutMs);
    bool ok = connection.isOpen();
    {
        QSqlDatabase db = connection.db();
        QSqlQuery query(db);
        ok = ok && query.exec(QStringLiteral("BEGIN"));
        for (const Table &table : tables()) {
            QStringList columns;
            const QSqlRecord record = db.record(table.name);
            for (int i = 0; i < record.count(); ++i) {
                if (record.fieldName(i) != QLatin1String("id"))
                    columns << record.fieldName(i);
            }
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table.name, columns.join(u','),
                                    QStringList(columns.size(), QStringLiteral("?")).join(u',')));
            for (const QJsonObject &event : events) {
                if (!ok)
                    break;
                if (event.value(QStringLiteral("t")).toString() != table.kind)
                    continue;
                // An event without every field this program needs is not
                // one it can use.
                bool complete = true;
                for (int i = 0; i < columns.size(); ++i) {
                    const QJsonValue value = event.value(columns[i]);
                    complete = complete && !value.isUndefined() && !value.isNull();
                    insert.bindValue(i, value.toVariant());
                }
                if (complete && !insert.exec()) {
                    error = insert.lastError().text();
                    ok = false;
                }
            }
        }
        ok = ok && query.exec(QStringLiteral("COMMIT"));
        if (!ok && error.isEmpty())
            error = db.lastError().text();
    }
    return ok;
}

// The identity of every event of the record, and as lines those that
// `known` lacks.
bool readRecord(const QString &path, const QSet<QString> &known, QSet<QString> &identities, QByteArray &fresh,
                qint64 &freshCount, QString &error)
{
    const Backup::SqlConnection connection(path, false, BusyTimeoutMs);
    bool ok = connection.isOpen();
    {
        QSqlDatabase db = connection.db();
        for (const Table &table : tables()) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (!ok || !query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY at, id").arg(table.name))) {
                error = ok ? query.lastError().text() : db.lastError().text();
                ok = false;
                break;
            }
            const QSqlRecord record = query.record();
            QList<int> identityColumns;
            for (const QString &column : table.identity)
                identityColumns << record.indexOf(column);
            while (query.next()) {
                // The identity straight from the row (as identityOf makes it
                // from a line); the line itself only for an event to write.
                QStringList parts{table.kind};
                for (int column : identityColumns)
                    parts << query.value(column).toString();
                const QString identity = parts.join(QChar(0x1f));
                if (identities.contains(identity))
                    continue;
                identities.insert(identity);
                if (!known.contains(identity)) {
                    QJsonObject event{{QStringLiteral("t"), table.kind}};
                    for (int i = 0; i < record.count(); ++i) {
                        if (record.fieldName(i) != QLatin1String("id"))
                            event.insert(record.fieldName(i), QJsonValue::fromVariant(query.value(i)));
                    }
                    fresh += QJsonDocument(event).toJson(QJsonDocument::Compact) + '\n';
                    ++freshCount;
                }
            }
        }
    }
    return ok;
}

// Appends `bytes` to the file and puts them on the disk. A line left cut
// short by an earlier append is ended first, so it spoils only itself.
bool append(const QString &path, QByteArray bytes, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        error = file.errorString();
        return false;
    }
    if (file.size() > 0) {
        QFile reader(path);
        if (reader.open(QIODevice::ReadOnly) && reader.seek(file.size() - 1) && reader.read(1) != "\n")
            bytes.prepend('\n');
    }
    if (file.write(bytes) != bytes.size() || !file.flush() || !DiskSync::syncDescriptor(int(file.handle()))) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString computerId(const QString &iniPath, bool create)
{
    CIniFile ini;
    ini.SpecifyIni(iniPath);
    QString stored = ini.ReadString(SettingsKeys::Sync, SettingsKeys::ComputerId, 64).trimmed();
    if (!stored.isEmpty())
        return stored;
    if (!create)
        return QSysInfo::machineHostName();
    // Short, and only letters and digits: it names a file in the folder.
    const QString made = QUuid::createUuid().toString(QUuid::Id128).left(12);
    return ini.WriteString(SettingsKeys::Sync, SettingsKeys::ComputerId, made) ? made : QString();
}

QString folderSetting(const QString &iniPath)
{
    CIniFile ini;
    ini.SpecifyIni(iniPath);
    return ini.ReadString(SettingsKeys::Sync, SettingsKeys::SyncFolder, 1024).trimmed();
}

bool setFolderSetting(const QString &iniPath, const QString &folder)
{
    CIniFile ini;
    ini.SpecifyIni(iniPath);
    return ini.WriteString(SettingsKeys::Sync, SettingsKeys::SyncFolder, folder);
}

QString eventFileName(const QString &id)
{
    return FilePrefix + id + FileSuffix;
}

Result prepare(const QString &recordPath, const QString &folder, const QString &computerId, Staged &staged)
{
    Result result;
    staged = Staged();
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) {
        result.outcome = Result::FolderMissing;
        result.detail = folder;
        return result;
    }
    const QString ownName = eventFileName(computerId);

    // What the folder holds: our own file's events, and everyone else's.
    QSet<QString> inFolder;
    QList<QJsonObject> others;
    bool readable = true;
    for (const QFileInfo &file : dir.entryInfoList({FilePrefix + u'*' + FileSuffix}, QDir::Files)) {
        const QList<QJsonObject> events = readEvents(file.absoluteFilePath(), readable);
        if (!readable && file.fileName() != ownName)
            continue;
        for (const QJsonObject &event : events) {
            const Table *table = tableOfKind(event.value(QStringLiteral("t")).toString());
            inFolder.insert(identityOf(*table, event));
        }
        if (file.fileName() != ownName) {
            others += events;
            ++result.otherFiles;
        }
    }

    // The record as it is now (a read: it holds up no answer being
    // written): what it has, and what the folder lacks.
    QSet<QString> inRecord;
    QByteArray fresh;
    qint64 freshCount = 0;
    if (!readRecord(recordPath, inFolder, inRecord, fresh, freshCount, result.detail)) {
        result.outcome = Result::RecordFailed;
        return result;
    }

    // The others' events the record lacks, in a record of their own.
    QList<QJsonObject> missing;
    for (const QJsonObject &event : others) {
        const QString identity = identityOf(*tableOfKind(event.value(QStringLiteral("t")).toString()), event);
        if (!inRecord.contains(identity)) {
            inRecord.insert(identity);
            missing.append(event);
        }
    }
    if (!missing.isEmpty()) {
        staged.scratch = std::make_shared<QTemporaryDir>();
        staged.path = staged.scratch->filePath(QStringLiteral("others.db"));
        if (!staged.scratch->isValid() || !writeRecord(staged.path, missing, result.detail)) {
            staged = Staged();
            result.outcome = Result::RecordFailed;
            return result;
        }
    }

    // Ours: what was recorded here (or imported) and no file holds. An
    // answer given after the read goes out next time.
    if (!fresh.isEmpty() && !append(dir.filePath(ownName), fresh, result.detail)) {
        result.outcome = Result::FolderUnwritable;
        return result;
    }
    result.eventsWritten = freshCount;
    result.outcome = Result::Synced;
    return result;
}

bool apply(const QString &recordPath, const Staged &staged, Result &result)
{
    if (staged.path.isEmpty())
        return true;
    Merge::Summary summary;
    if (!Merge::mergeRecord(recordPath, staged.path, {}, summary, result.detail)) {
        result.outcome = Result::RecordFailed;
        return false;
    }
    result.answersAdded = summary.answersAdded;
    result.boxEventsAdded = summary.boxEventsAdded;
    // The words' memory states follow from the merged history.
    if (summary.answersAdded > 0 && !Merge::replayMemoryStates(recordPath, result.detail)) {
        result.outcome = Result::RecordFailed;
        return false;
    }
    return true;
}

Result syncOnce(const QString &recordPath, const QString &folder, const QString &computerId)
{
    Staged staged;
    Result result = prepare(recordPath, folder, computerId, staged);
    // The others' events are merged even when our own could not be written.
    if (result.outcome == Result::Synced || result.outcome == Result::FolderUnwritable)
        apply(recordPath, staged, result);
    return result;
}

} // namespace SyncFolder
