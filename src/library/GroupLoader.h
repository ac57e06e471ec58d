#pragma once

#include "library/WordTable.h"

#include <QString>

#include <functional>

class CIniFile;
class UserDialogs;

// What differs between the windows that load groups.
struct GroupLoaderSetup
{
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
    // The window's own reset, run right before the file is read.
    std::function<void()> formReset;
};

// What the loader found beyond the group number, for windows that keep it.
struct GroupLoadDetails
{
    // File name inside the data folder, set as soon as it is known (even when
    // the load then fails), e.g. "box2.txt".
    QString fileName;
    bool isBox = false;
    // The loaded group runs into the end of the library.
    bool isLastGroup = false;
};

// Loads group `groupText` of library `libraryName` into `words` and sets
// `wordCount`. Returns the group actually loaded (leading zeros dropped, a
// group past the end becomes the last one) or 0 after a message.
qint16 ReadWords(const QString &groupText, const QString &libraryName, WordTable &words, qint16 &wordCount,
                 const GroupLoaderSetup &setup, GroupLoadDetails *details = nullptr);
