#pragma once

#include "library/WordTable.h"

#include <QString>

#include <functional>

class CIniFile;
class UserDialogs;

// What differs between the windows that load groups.
struct GroupLoaderSetup
{
    // Both must be set: the settings file (library file names, and where the
    // loaded group is remembered) and where messages go.
    CIniFile *ini = nullptr;
    UserDialogs *dialogs = nullptr;
    // Folder of the word libraries, normally "data" in the working folder.
    QString dataDir = QStringLiteral("data");
    // Settings section that remembers WordGroup and WordLibrary.
    QString section;
    // List index of the chosen library, stored as WordLibrary.
    int libraryIndex = 0;
    // Whether to say "现在已经是最后一组了！" when the loaded group is the last.
    bool lastGroupNotice = true;
    // The window's own reset. It runs once the file has been found and read
    // into memory, so a load that fails earlier leaves the window as it was.
    std::function<void()> formReset;
};

// What the loader found beyond the group number, for windows that keep it.
// Cleared at the start of every call.
struct GroupLoadDetails
{
    // File name inside the data folder, set as soon as it is known (even when
    // the load then fails), e.g. "box2.txt"; empty when no file name was found.
    QString fileName;
    bool isBox = false;
    // The loaded group runs into the end of the library.
    bool isLastGroup = false;
};

// Loads group `groupText` of library `libraryName` into `words` and sets
// `wordCount`. Returns the group actually loaded (leading zeros dropped, a
// group past the end becomes the last one) or 0 after a message.
//
// On success slots 0 to wordCount - 1 hold the group with Mark 0, the rest up
// to slot 24 are emptied, slot 25 is left alone, and WordGroup and then
// WordLibrary are written to the setup's section. Nothing is written when the
// load fails.
qint16 ReadWords(const QString &groupText, const QString &libraryName, WordTable &words, qint16 &wordCount,
                 const GroupLoaderSetup &setup, GroupLoadDetails *details = nullptr);
