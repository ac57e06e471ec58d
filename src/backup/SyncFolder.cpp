#include "backup/SyncFolder.h"

#include "settings/CIniFile.h"
#include "settings/SettingsKeys.h"

#include <QSysInfo>
#include <QUuid>

namespace SyncFolder {

QString computerId(const QString &iniPath, bool create)
{
    CIniFile ini;
    ini.SpecifyIni(iniPath);
    const QString stored = ini.ReadString(SettingsKeys::Sync, SettingsKeys::ComputerId, 64).trimmed();
    if (!stored.isEmpty())
        return stored;
    if (!create)
        return QSysInfo::machineHostName();
    // Short, and only letters and digits: it names a file in the folder.
    const QString made = QUuid::createUuid().toString(QUuid::Id128).left(12);
    return ini.WriteString(SettingsKeys::Sync, SettingsKeys::ComputerId, made) ? made : QString();
}

} // namespace SyncFolder
