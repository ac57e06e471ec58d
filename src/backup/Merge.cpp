#include "backup/Merge.h"
#include "backup/FileAccess.h"

#include "record/RecordStore.h"
#include "settings/CIniFile.h"
#include "settings/LibraryListEditor.h"
#include "settings/LibraryRegistry.h"
#include "text/TextCodec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>

namespace Merge {

namespace {

// A merge may wait for the live record's writer (an answer, a checkpoint).
class Connection : public Backup::SqlConnection
{
public:
    explicit Connection(const QString &path)
        : SqlConnection(path, false, 5000)
    {
    }
};

QStringList columnsOf(QSqlDatabase &db, const QString &schema, const QString &table)
{
    QStringList columns;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("PRAGMA %1.table_info(%2)").arg(schema, table))) {
        while (query.next())
            columns << query.value(1).toString();
    }
    return columns;
}

QString quoted(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool exec(QSqlQuery &query, const QString &sql, QString &error)
{
    if (query.exec(sql))
        return true;
    error = query.lastError().text() + QStringLiteral(" in: ") + sql.left(200);
    return false;
}

// Copies the rows of `table` in the attached database "other" that are not
// here yet, column by column by name (every column both have, so a record
// with more or fewer columns still merges). `identity` are the columns that
// say two rows are the same event. The library file goes through the
// renames table first.
bool mergeTable(QSqlDatabase &db, const QString &table, const QStringList &identity, qint64 &added, QString &error)
{
    const QStringList here = columnsOf(db, QStringLiteral("main"), table);
    const QStringList there = columnsOf(db, QStringLiteral("other"), table);
    QStringList columns;
    for (const QString &column : here) {
        if (column != QLatin1String("id") && there.contains(column))
            columns << column;
    }
    for (const QString &column : identity) {
        if (!columns.contains(column)) {
            error = QStringLiteral("%1 has no column %2").arg(table, column);
            return false;
        }
    }
    QStringList selected, quotedColumns, keys, match;
    for (const QString &column : columns) {
        quotedColumns << quoted(column);
        selected << (column == QLatin1String("file")
                         ? QStringLiteral("coalesce((SELECT new FROM temp.renames WHERE old = o.file), o.file)")
                         : QStringLiteral("o.") + quoted(column)) +
                        QStringLiteral(" AS ") + quoted(column);
    }
    for (const QString &column : identity) {
        keys << quoted(column);
        match << QStringLiteral("s.%1 = n.%1").arg(quoted(column));
    }
    QSqlQuery query(db);
    // The rows here, by their identity, in a temporary table with an index:
    // a look-up per imported row instead of a scan.
    if (!exec(query, QStringLiteral("DROP TABLE IF EXISTS temp.seen"), error) ||
        !exec(query, QStringLiteral("CREATE TEMP TABLE seen AS SELECT %1 FROM main.%2").arg(keys.join(u','), table),
              error) ||
        !exec(query, QStringLiteral("CREATE INDEX temp.seen_key ON seen (%1)").arg(keys.join(u',')), error))
        return false;
    // The imported rows, renamed, each event once even if the other record
    // held it twice, in the order they happened.
    const QString sql =
        QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM (SELECT %3 FROM other.%1 o) n"
                       " WHERE NOT EXISTS (SELECT 1 FROM temp.seen s WHERE %4) GROUP BY %5 ORDER BY n.at")
            .arg(table, quotedColumns.join(u','), selected.join(u','), match.join(QStringLiteral(" AND ")),
                 keys.join(u','));
    if (!exec(query, sql, error))
        return false;
    added = query.numRowsAffected();
    return exec(query, QStringLiteral("DROP TABLE temp.seen"), error);
}

// The sentences words were found in, under their library's file here. A
// word that has one here keeps it: that sentence belongs to the file as it
// is here. A record from before sentences were kept has none to give.
bool mergeSources(QSqlDatabase &db, qint64 &added, QString &error)
{
    if (columnsOf(db, QStringLiteral("other"), QStringLiteral("sources")).isEmpty())
        return true;
    QSqlQuery query(db);
    if (!exec(query,
              QStringLiteral("INSERT OR IGNORE INTO main.sources (file, word, sentence)"
                             " SELECT coalesce((SELECT new FROM temp.renames WHERE old = o.file), o.file),"
                             " o.word, o.sentence FROM other.sources o"),
              error))
        return false;
    added = query.numRowsAffected();
    return true;
}

bool rebuildTotalsOn(QSqlDatabase &db, QString &error)
{
    QSqlQuery query(db);
    // The word's library, meaning and group are those of its latest answer,
    // as when the answers were recorded one by one.
    return exec(query, QStringLiteral("DELETE FROM words"), error) &&
           exec(query,
                QStringLiteral("INSERT INTO words (file, word, library, meaning, grp, answers, wrong, rights, total_ms)"
                               " SELECT file, word, library, meaning, grp, count(*), sum(1 - correct), sum(correct),"
                               " sum(max(ms, 0)) FROM (SELECT * FROM answers ORDER BY at, id) GROUP BY file, word"),
                error) &&
           exec(query, QStringLiteral("DELETE FROM days"), error) &&
           // The local date's Julian day number, as QDate counts it.
           exec(query,
                QStringLiteral("INSERT INTO days (day, answers, first_tries, first_right)"
                               " SELECT CAST(julianday(date(at / 1000, 'unixepoch', 'localtime')) + 0.5 AS INTEGER)"
                               " AS d, count(*), sum(pass = 0), sum(pass = 0 AND correct = 1) FROM answers GROUP BY d"),
                error);
}

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// A name not yet in use: "名字(2)", "名字(3)", ... shortened to fit.
QString freeName(LibraryListEditor &editor, const QString &name)
{
    for (int n = 2; n < 1000; ++n) {
        const QString suffix = QStringLiteral("(%1)").arg(n);
        QString base = name;
        while (!base.isEmpty() && editor.storedLength(base + suffix) > LibraryListEditor::NameLimit)
            base.chop(1);
        QString candidate = base + suffix;
        if (editor.checkName(candidate) == LibraryListEditor::Outcome::Done)
            return candidate;
    }
    return QString();
}

QString freeFileName(LibraryListEditor &editor, const QString &dataDir, const QString &file)
{
    const QFileInfo info(file);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString stem = info.suffix().isEmpty() ? file : file.left(file.size() - suffix.size());
    for (int n = 2; n < 1000; ++n) {
        QString base = stem;
        const QString tail = QStringLiteral("(%1)").arg(n) + suffix;
        while (!base.isEmpty() && editor.storedLength(base + tail) > LibraryListEditor::NameLimit)
            base.chop(1);
        QString candidate = base + tail;
        if (editor.checkFileName(candidate) == LibraryListEditor::Outcome::Done &&
            !QFileInfo::exists(dataDir + u'/' + candidate))
            return candidate;
    }
    return QString();
}

// The records of a box file (word line, meaning line), as text.
QList<QPair<QString, QString>> boxRecords(const QByteArray &bytes)
{
    const TextCodec::Encoding encoding = TextCodec::detect(bytes);
    QString text = TextCodec::decode(QByteArrayView(bytes).sliced(TextCodec::bomLength(encoding)), encoding);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QList<QPair<QString, QString>> records;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        records.append({lines[i], lines[i + 1]});
    return records;
}

// Adds to the box file at `path` the records of `incoming` it lacks, in its
// own encoding (GBK for a new file), in one replacement of the file.
bool mergeBox(const QString &path, const QByteArray &incoming, int &added, QString &error)
{
    QByteArray bytes;
    const bool exists = QFileInfo::exists(path);
    if (exists && !Backup::readWholeFile(path, bytes)) {
        error = QStringLiteral("%1 cannot be read").arg(path);
        return false;
    }
    QSet<QPair<QString, QString>> present;
    for (const auto &record : boxRecords(bytes))
        present.insert(record);
    QString text;
    int count = 0;
    for (const auto &record : boxRecords(incoming)) {
        if (present.contains(record) || record.first.isEmpty())
            continue;
        present.insert(record);
        text += record.first + QStringLiteral("\r\n") + record.second + QStringLiteral("\r\n");
        ++count;
    }
    if (count == 0)
        return true;
    const TextCodec::Encoding encoding = exists ? TextCodec::detect(bytes) : TextCodec::Encoding::Gbk;
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
        bytes += "\r\n";
    bytes += TextCodec::encode(text, encoding);
    if (!Backup::writeFileAtomically(path, bytes, Backup::writeAll, &error))
        return false;
    added += count;
    return true;
}

} // namespace

bool mergeRecord(const QString &recordPath, const QString &otherPath, const QHash<QString, QString> &fileRenames,
                 Summary &summary, QString &error)
{
    Connection connection(recordPath);
    QSqlDatabase db = connection.db();
    if (!connection.isOpen()) {
        error = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("ATTACH DATABASE ? AS other"));
    query.addBindValue(otherPath);
    if (!query.exec()) {
        error = query.lastError().text();
        return false;
    }
    bool ok = exec(query, QStringLiteral("BEGIN IMMEDIATE"), error);
    if (ok)
        ok = exec(query, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS renames (old TEXT PRIMARY KEY, new TEXT)"),
                  error) &&
             exec(query, QStringLiteral("DELETE FROM temp.renames"), error);
    if (ok && !fileRenames.isEmpty()) {
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO temp.renames (old, new) VALUES (?, ?)"));
        for (auto rename = fileRenames.cbegin(); ok && rename != fileRenames.cend(); ++rename) {
            insert.addBindValue(rename.key());
            insert.addBindValue(rename.value());
            if (!insert.exec()) {
                error = insert.lastError().text();
                ok = false;
            }
        }
    }
    Summary added;
    if (ok)
        ok = mergeTable(db, QStringLiteral("answers"),
                        {QStringLiteral("at"), QStringLiteral("file"), QStringLiteral("word"), QStringLiteral("pass"),
                         QStringLiteral("correct")},
                        added.answersAdded, error) &&
             mergeTable(db, QStringLiteral("box_events"),
                        {QStringLiteral("at"), QStringLiteral("kind"), QStringLiteral("box"), QStringLiteral("file"),
                         QStringLiteral("word")},
                        added.boxEventsAdded, error) &&
             mergeSources(db, added.sourcesAdded, error);
    if (ok && added.answersAdded > 0)
        ok = rebuildTotalsOn(db, error);
    if (ok)
        ok = exec(query, QStringLiteral("COMMIT"), error);
    if (!ok)
        query.exec(QStringLiteral("ROLLBACK"));
    query.exec(QStringLiteral("DETACH DATABASE other"));
    if (ok) {
        summary.answersAdded += added.answersAdded;
        summary.boxEventsAdded += added.boxEventsAdded;
        summary.sourcesAdded += added.sourcesAdded;
    }
    return ok;
}

bool rebuildTotals(const QString &recordPath, QString &error)
{
    Connection connection(recordPath);
    QSqlDatabase db = connection.db();
    QSqlQuery query(db);
    if (!connection.isOpen() || !exec(query, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    if (rebuildTotalsOn(db, error) && exec(query, QStringLiteral("COMMIT"), error))
        return true;
    query.exec(QStringLiteral("ROLLBACK"));
    return false;
}

ImportResult importArchive(const ProgramPaths &paths, const Archive::Contents &contents, RecordStore &store)
{
    ImportResult result;
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        result.outcome = ImportResult::WriteFailed;
        result.detail = QStringLiteral("no temporary folder");
        return result;
    }

    // The archive's record, opened (and brought up to this schema) on a
    // copy before anything here changes.
    QString otherRecord;
    if (const Archive::Entry *db = contents.find(Archive::DatabaseName)) {
        otherRecord = scratch.filePath(QStringLiteral("other.db"));
        QFile copy(otherRecord);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(db->bytes) != db->bytes.size()) {
            result.outcome = ImportResult::WriteFailed;
            result.detail = QStringLiteral("the archive's record cannot be unpacked");
            return result;
        }
        copy.close();
        RecordStore other;
        const RecordStore::Outcome opened = other.open(otherRecord, 1000, 1000);
        QString problems = opened.ok() ? other.integrityProblems() : QString();
        other.close();
        if (!opened.ok() || !problems.isEmpty()) {
            result.outcome = ImportResult::BadArchive;
            result.archive =
                opened.status == RecordStore::Status::TooNew ? Archive::Status::TooNew : Archive::Status::Damaged;
            result.detail = opened.ok() ? problems : opened.detail;
            return result;
        }
    }

    // The libraries: which are here already (same bytes), which are new,
    // and which clash with a different file of the same name.
    CIniFile localIni;
    localIni.SpecifyIni(paths.iniPath());
    LibraryListEditor local(localIni);
    QHash<QString, QString> fileOfContent;
    for (const RegisteredLibrary &library : local.libraries()) {
        QByteArray bytes;
        if (!library.fileName.isEmpty() && Backup::readWholeFile(paths.dataDir + u'/' + library.fileName, bytes))
            fileOfContent.insert(sha256(bytes), library.fileName);
    }
    struct NewLibrary
    {
        QString name, file;
        QByteArray bytes;
    };
    QList<NewLibrary> newLibraries;
    QHash<QString, QString> renames;
    if (const Archive::Entry *ini = contents.find(Archive::SettingsName)) {
        const QString otherIni = scratch.filePath(QStringLiteral("other.ini"));
        QFile copy(otherIni);
        if (copy.open(QIODevice::WriteOnly) && copy.write(ini->bytes) == ini->bytes.size()) {
            copy.close();
            CIniFile importedIni;
            importedIni.SpecifyIni(otherIni);
            QSet<QString> plannedNames, plannedFiles;
            for (const RegisteredLibrary &library : LibraryListEditor(importedIni).libraries()) {
                const Archive::Entry *file = contents.find(Archive::DataPrefix + library.fileName);
                if (library.name.isEmpty() || !file)
                    continue;
                const QString hash = sha256(file->bytes);
                if (const auto same = fileOfContent.constFind(hash); same != fileOfContent.cend()) {
                    if (*same != library.fileName)
                        renames.insert(library.fileName, *same);
                    continue;
                }
                NewLibrary added{library.name, library.fileName, file->bytes};
                const bool clash = QFileInfo::exists(paths.dataDir + u'/' + added.file) ||
                                   plannedFiles.contains(added.file.toLower());
                if (clash) {
                    added.file = freeFileName(local, paths.dataDir, added.file);
                    ++result.summary.librariesRenamed;
                } else {
                    ++result.summary.librariesAdded;
                }
                if (local.checkName(added.name) != LibraryListEditor::Outcome::Done ||
                    plannedNames.contains(added.name.toLower()))
                    added.name = freeName(local, added.name);
                if (added.file.isEmpty() || added.name.isEmpty())
                    continue;
                if (added.file != library.fileName)
                    renames.insert(library.fileName, added.file);
                plannedNames.insert(added.name.toLower());
                plannedFiles.insert(added.file.toLower());
                fileOfContent.insert(hash, added.file);
                newLibraries.append(added);
            }
        }
    }

    // New library files first, each under a name no file has: nothing is
    // written over. They are taken back if the record cannot be merged.
    QStringList written;
    auto takeBack = [&] {
        for (const QString &path : written)
            QFile::remove(path);
    };
    for (const NewLibrary &library : newLibraries) {
        const QString path = paths.dataDir + u'/' + library.file;
        if (!Backup::writeFileAtomically(path, library.bytes, Backup::writeAll, &result.detail)) {
            takeBack();
            result.outcome = ImportResult::WriteFailed;
            return result;
        }
        written << path;
    }

    if (!otherRecord.isEmpty()) {
        if (!QFileInfo::exists(paths.databasePath()) && !store.isRecording()) {
            const RecordStore::Outcome opened = store.open(paths.databasePath());
            if (!opened.ok()) {
                takeBack();
                result.outcome = ImportResult::RecordFailed;
                result.detail = opened.detail;
                return result;
            }
        }
        if (!mergeRecord(paths.databasePath(), otherRecord, renames, result.summary, result.detail)) {
            takeBack();
            result.outcome = ImportResult::RecordFailed;
            return result;
        }
        // The words' memory states follow from the merged history.
        if (result.summary.answersAdded > 0 && !replayMemoryStates(paths.databasePath(), result.detail)) {
            takeBack();
            result.outcome = ImportResult::RecordFailed;
            return result;
        }
    }

    for (const NewLibrary &library : newLibraries) {
        if (local.add(library.name, library.file) != LibraryListEditor::Outcome::Done) {
            result.outcome = ImportResult::WriteFailed;
            result.detail = QStringLiteral("lexvan.ini cannot be written");
            return result;
        }
    }
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box) {
        const QString name = LibraryRegistry::boxFileName(box);
        if (const Archive::Entry *file = contents.find(Archive::DataPrefix + name)) {
            if (!mergeBox(paths.dataDir + u'/' + name, file->bytes, result.summary.boxWordsAdded, result.detail)) {
                result.outcome = ImportResult::WriteFailed;
                return result;
            }
        }
    }
    result.outcome = ImportResult::Imported;
    return result;
}

bool replayMemoryStates(const QString &recordPath, QString &error)
{
    Connection connection(recordPath);
    QSqlDatabase db = connection.db();
    if (!connection.isOpen()) {
        error = db.lastError().text();
        return false;
    }
    // The record's own rules, so a merged history schedules exactly as if
    // it had all been answered here.
    return RecordStore::rebuildMemoryStates(db, error);
}

QString summaryLine(const Summary &summary)
{
    return QStringLiteral("新增答题记录 %1 条，新增词库 %2 个，改名保存的词库 %3 个，月光宝盒新增单词 %4 个。")
        .arg(summary.answersAdded)
        .arg(summary.librariesAdded)
        .arg(summary.librariesRenamed)
        .arg(summary.boxWordsAdded);
}

QString messageFor(const ImportResult &result)
{
    switch (result.outcome) {
    case ImportResult::Imported:
        return QString();
    case ImportResult::BadArchive:
        return Archive::messageFor(result.archive);
    case ImportResult::RecordFailed:
        return QStringLiteral("无法写入学习记录文件 lexvan.db，没有导入。");
    case ImportResult::WriteFailed:
        break;
    }
    return QStringLiteral("磁盘已满或无法写入，导入没有完成。");
}

} // namespace Merge
