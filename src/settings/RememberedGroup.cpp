#include "settings/RememberedGroup.h"

#include "settings/CIniFile.h"
#include "settings/SettingsKeys.h"
#include "text/Trim.h"

std::optional<RememberedGroup> rememberedGroup(CIniFile &ini, const QString &section, int listCount,
                                               bool noneAllowed)
{
    // Values are read as the window reads them: at most ten characters.
    const QString group = trimSpaces(ini.ReadString(section, SettingsKeys::WordGroup, 10));
    const QString library = trimSpaces(ini.ReadString(section, SettingsKeys::WordLibrary, 10));
    bool isNumber = false;
    const int index = library.toInt(&isNumber);
    const int lowest = noneAllowed ? -1 : 0;
    if (group.isEmpty() || library.isEmpty() || !isNumber || index < lowest || index >= listCount)
        return std::nullopt;
    return RememberedGroup{group, index};
}
