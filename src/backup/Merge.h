#pragma once

#include "backup/Archive.h"
#include "backup/Backup.h"

#include <QHash>
#include <QString>

class RecordStore;

// Importing an archive (or another computer's events) merges, never
// replaces. Answers and box events are events: the result is the union of
// both histories, an event that is already here being recognised by its own
// fields (when, which library file, which word, which pass, right or wrong)
// and not added twice. Libraries and boxes are merged by content: a library
// whose file here holds something else is kept under a new name and file,
// never written over; words a box lacks are added to it.
namespace Merge {

struct Summary
{
    qint64 answersAdded = 0;
    qint64 boxEventsAdded = 0;
    // Sentences words of libraries made from texts were found in (not
    // part of the summary line).
    qint64 sourcesAdded = 0;
    int librariesAdded = 0;
    int librariesRenamed = 0;
    int boxWordsAdded = 0;
};

struct ImportResult
{
    enum Outcome {
        Imported,
        BadArchive,   // see `archive`
        RecordFailed, // lexvan.db here could not be written
        WriteFailed,  // a library, box or lexvan.ini could not be written
    } outcome = RecordFailed;
    Archive::Status archive = Archive::Status::Ok;
    Summary summary;
    QString detail;
    bool ok() const { return outcome == Imported; }
};

// Merges the archive's contents into the program's files. `store` is the
// open record of this program (its memory states are recomputed from the
// merged answers). The archive's record is checked (a later schema, a
// damaged file) before anything here is touched.
ImportResult importArchive(const ProgramPaths &paths, const Archive::Contents &contents, RecordStore &store);

// Adds the answers and box events of the database at `otherPath` that the
// record at `recordPath` lacks, in one transaction, then recomputes the
// totals. `fileRenames` maps a library file name there to its name here.
// False (with `error`) when nothing was added.
bool mergeRecord(const QString &recordPath, const QString &otherPath, const QHash<QString, QString> &fileRenames,
                 Summary &summary, QString &error);

// Recomputes every word's memory state from the (merged) answers by the
// record's own rules: RecordStore::rebuildMemoryStates on the file.
bool replayMemoryStates(const QString &recordPath, QString &error);

// Recomputes the per-word and per-day totals from the answers.
bool rebuildTotals(const QString &recordPath, QString &error);

// "新增答题记录 …" — the one line the command line and the window show.
QString summaryLine(const Summary &summary);
QString messageFor(const ImportResult &result);

} // namespace Merge
