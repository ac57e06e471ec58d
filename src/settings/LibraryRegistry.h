#pragma once

#include <QString>
#include <QStringList>

class CIniFile;
class UserDialogs;

// The list of word libraries every window offers: the libraries registered by
// hand under [LibName] (Lib0, Lib1, ... up to the first missing or empty key),
// then the five word boxes "月光宝盒0" to "月光宝盒4".
namespace LibraryRegistry {

inline constexpr int BoxCount = 5;

// "月光宝盒" + digit.
QString boxName(int box);
// "box" + digit + ".txt", inside the data folder.
QString boxFileName(int box);
// The box whose name this is, compared exactly (no trimming); -1 for none.
int boxOfName(const QString &name);

// Registered names (each trimmed) followed by the five box names. A window's
// SetLibName appends these to its Combo1 and returns their count.
QStringList libraryNames(CIniFile &ini);

// The file name registered for a display name in [LibraryFileName], trimmed;
// empty when there is none.
QString libraryFileName(CIniFile &ini, const QString &name);
// What is said when a library has no file name.
QString noFileNameMessage();
// libraryFileName, saying noFileNameMessage() when there is none.
QString GetLibraryFileName(CIniFile &ini, UserDialogs &dialogs, const QString &name);

} // namespace LibraryRegistry

// True when the text holds a character other than the ASCII digits 0 to 9;
// false for the empty text.
bool HasNonDigit(const QString &text);
