#pragma once

#include <QString>

// Putting written data and new folder entries on the disk, for every file the
// program replaces or appends to (settings, libraries, boxes). A rename over
// a file is only safe against a power cut once both the new file and its
// folder have been synced.
namespace DiskSync {

using SyncFunction = bool (*)(int descriptor);

// fsync of an open descriptor; false when the disk refuses it.
bool syncDescriptor(int descriptor);

// Syncs the entries of folder `dir` (a new or renamed name in it) through
// `sync`. False when the folder cannot be opened or the sync fails.
bool syncFolder(const QString &dir, SyncFunction sync = &syncDescriptor);

} // namespace DiskSync
