#include "settings/LibraryRegistry.h"

#include "settings/SettingsKeys.h"

#include "settings/CIniFile.h"
#include "text/Trim.h"
#include "settings/UserDialogs.h"

namespace LibraryRegistry {
namespace {

// Registered names and file names are read with room for 19 bytes.
constexpr long kNameReadLength = 20;

} // namespace

QString boxName(int box)
{
    return QStringLiteral("月光宝盒") + QString::number(box);
}

QString boxFileName(int box)
{
    return QStringLiteral("box") + QString::number(box) + QStringLiteral(".txt");
}

int boxOfName(const QString &name)
{
    for (int box = 0; box < BoxCount; ++box) {
        if (name == boxName(box))
            return box;
    }
    return -1;
}

QStringList libraryNames(CIniFile &ini)
{
    QStringList names;
    const QString section = SettingsKeys::LibraryNames;
    // The first missing or empty key ends the list; names after a gap are
    // never seen.
    QString name = ini.ReadString(section, QStringLiteral("Lib0"), kNameReadLength);
    while (!name.isEmpty()) {
        names << trimSpaces(name);
        name = ini.ReadString(section, QStringLiteral("Lib") + QString::number(names.size()), kNameReadLength);
    }
    for (int box = 0; box < BoxCount; ++box)
        names << boxName(box);
    return names;
}

QString libraryFileName(CIniFile &ini, const QString &name)
{
    return trimSpaces(ini.ReadString(SettingsKeys::LibraryFileNames, name, kNameReadLength));
}

QString noFileNameMessage()
{
    return QStringLiteral("该词库没有对应的文件名！");
}

QString GetLibraryFileName(CIniFile &ini, UserDialogs &dialogs, const QString &name)
{
    QString fileName = libraryFileName(ini, name);
    if (fileName.isEmpty())
        dialogs.message(noFileNameMessage());
    return fileName;
}

} // namespace LibraryRegistry

bool HasNonDigit(const QString &text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return true;
    }
    return false;
}
