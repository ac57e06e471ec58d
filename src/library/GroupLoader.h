#pragma once

#include "library/WordTable.h"

#include <QString>

#include <functional>

class CIniFile;

// What differs between the windows that load groups.
struct GroupLoaderSetup
{
    // Must be set: the settings file (library file names, and where the
    // loaded group is remembered).
    CIniFile *ini = nullptr;
    // Folder of the word libraries, normally "data" in the working folder.
    QString dataDir = QStringLiteral("data");
    // Settings section that remembers WordGroup and WordLibrary.
    QString section;
    // List index of the chosen library, stored as WordLibrary.
    int libraryIndex = 0;
    // Whether the window says "现在已经是最后一组了！" when the loaded group is
    // the last (see groupLoadMessage).
    bool lastGroupNotice = true;
    // The window's own reset. It runs once the file has been found and read
    // into memory, so a load that fails earlier leaves the window as it was.
    std::function<void()> formReset;
};

// Why a load failed.
enum class GroupLoadProblem {
    None,
    GroupEmptyOrZero,  // the group number is empty, blank or all zeros
    GroupTooLong,      // more than four characters
    GroupNotDigits,    // a character that is no digit
    NoLibraryName,     // the library name is empty or blank
    NoFileName,        // the library has no file name in the settings
    FileMissing,       // the library file does not exist
    FileUnreadable,    // the library file could not be read
    LibraryEmpty,      // the library file holds no record
};

// What the loader found beyond the group number, for windows that keep it.
// Cleared at the start of every call.
struct GroupLoadDetails
{
    // Why the load failed; None after a load.
    GroupLoadProblem problem = GroupLoadProblem::None;
    // File name inside the data folder, set as soon as it is known (even when
    // the load then fails), e.g. "box2.txt"; empty when no file name was found.
    QString fileName;
    bool isBox = false;
    // The loaded group runs into the end of the library.
    bool isLastGroup = false;
};

// Loads group `groupText` of library `libraryName` into `words` and sets
// `wordCount`. Returns the group actually loaded (leading zeros dropped, a
// group past the end becomes the last one) or 0, with the reason in
// `details`. It says nothing itself: the window shows groupLoadMessage().
//
// On success slots 0 to wordCount - 1 hold the group with Mark 0, the rest up
// to slot 24 are emptied, slot 25 is left alone, and WordGroup and then
// WordLibrary are written to the setup's section. Nothing is written when the
// load fails.
qint16 ReadWords(const QString &groupText, const QString &libraryName, WordTable &words, qint16 &wordCount,
                 const GroupLoaderSetup &setup, GroupLoadDetails *details = nullptr);

// What a window says after a load of library `libraryName`: why it failed,
// or, after a load of the last group with `lastGroupNotice`, that it is the
// last; empty text when there is nothing to say.
QString groupLoadMessage(const GroupLoadDetails &details, const QString &libraryName, bool lastGroupNotice);
