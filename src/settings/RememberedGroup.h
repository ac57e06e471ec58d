#pragma once

#include <QString>

#include <optional>

class CIniFile;

// The group and library a window remembered in its section of the settings.
struct RememberedGroup
{
    QString group;
    int libraryIndex = 0;
};

// What `section` remembers, when it is usable with a library list of
// `listCount` entries: both values present (spaces around them do not count),
// and the library index a whole number naming an entry, or -1 (nothing
// chosen) where `noneAllowed`. Anything else (libraries removed by hand, a
// value edited into something else) counts as nothing remembered.
std::optional<RememberedGroup> rememberedGroup(CIniFile &ini, const QString &section, int listCount,
                                               bool noneAllowed = false);
