#pragma once

#include <QString>

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

// Merges the events in the other computers' files into the record at
// `recordPath`, then appends to this computer's own file every event of the
// record that no file in the folder holds yet.
Result syncOnce(const QString &recordPath, const QString &folder, const QString &computerId);

} // namespace SyncFolder
