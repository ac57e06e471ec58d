#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

// The sync folder: a folder the user already keeps in step between computers
// (a sync service, a cloud drive, a USB stick). Each computer appends the
// events it recorded (answers, box events) to a file of its own there, and
// merges the files of the others. No file is ever written by two computers,
// so there is nothing a sync tool could find in conflict; every event is
// known by its own fields, so reading one twice adds nothing.
//
// The folder may be slow, full, read-only, or gone (a stick not plugged in):
// callers run this off the GUI thread, and a folder that is not there is
// never created.
namespace SyncFolder {

// This computer's id ([Sync] ComputerId in lexvan.ini). When there is none,
// one is made up and, if `create`, stored; otherwise the host name stands in.
QString computerId(const QString &iniPath, bool create);

// The folder named in lexvan.ini ([Sync] Folder); empty for none.
QString folderSetting(const QString &iniPath);
bool setFolderSetting(const QString &iniPath, const QString &folder);

// "lexivane-ID.events": the file of computer `id` in the folder.
QString eventFileName(const QString &id);

struct Result
{
    enum Outcome {
        Synced,
        FolderMissing,    // the folder is not there (not mounted, removed)
        FolderUnwritable, // the others' events were merged, ours not written
        RecordFailed,     // lexvan.db could not be read or written
    } outcome = RecordFailed;
    qint64 eventsWritten = 0; // appended to this computer's file
    qint64 answersAdded = 0;  // merged from the others' files
    qint64 boxEventsAdded = 0;
    int otherFiles = 0;
    QString detail;
    bool ok() const { return outcome == Synced; }
};

// The other computers' events the record lacks, in a scratch record of
// their own, ready to be merged.
struct Staged
{
    std::shared_ptr<QTemporaryDir> scratch;
    QString path; // empty when there is nothing to merge
};

// The part that touches the folder, and only reads the record: appends to
// this computer's own file every event of the record that no file in the
// folder holds yet, and stages the others' events the record lacks.
Result prepare(const QString &recordPath, const QString &folder, const QString &computerId, Staged &staged);

// Merges what `prepare` staged into the record, in one transaction, and
// replays the memory states. Run where the record's own writes run: the
// merge holds the record's write lock, and an answer written meanwhile by
// another connection would give up after its short wait.
bool apply(const QString &recordPath, const Staged &staged, Result &result);

// Both, one after the other (at exit, with the record closed).
Result syncOnce(const QString &recordPath, const QString &folder, const QString &computerId);

} // namespace SyncFolder
