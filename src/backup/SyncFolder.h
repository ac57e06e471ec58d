#pragma once

#include <QString>

// The sync folder and this computer's name in it.
namespace SyncFolder {

// This computer's id ([Sync] ComputerId in lexvan.ini). When there is none,
// one is made up and, if `create`, stored; otherwise the host name stands in.
QString computerId(const QString &iniPath, bool create);

} // namespace SyncFolder
