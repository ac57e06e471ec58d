#pragma once

#include <QString>

// Every section and key of lexvan.ini that the windows and the library list
// share, named once. (The pronunciation settings name theirs in
// speech/SpeechSettings.cpp, the only code that reads them.)
namespace SettingsKeys {

// Sections.
inline const QString TestWindow = QStringLiteral("Form1LastData");
inline const QString BoxWindow = QStringLiteral("Form2LastData");
// The browse settings dialog and the bar share one section.
inline const QString Browse = QStringLiteral("Form4LastData");
inline const QString LibraryNames = QStringLiteral("LibName");
inline const QString LibraryFileNames = QStringLiteral("LibraryFileName");

// The group last loaded and the list index of its library, in each window's
// section.
inline const QString WordGroup = QStringLiteral("WordGroup");
inline const QString WordLibrary = QStringLiteral("WordLibrary");

// The browse options, in Browse.
inline const QString HideMeaning = QStringLiteral("MaskC");
inline const QString HideWord = QStringLiteral("MaskE");
inline const QString LoopMode = QStringLiteral("CircuMode");
inline const QString Order = QStringLiteral("BrowseMode");
inline const QString Delay = QStringLiteral("DelayTime");
inline const QString BarX = QStringLiteral("BarX");
inline const QString BarY = QStringLiteral("BarY");

} // namespace SettingsKeys

// Backups, export and the sync folder (a section of its own).
namespace SettingsKeys {

inline const QString Sync = QStringLiteral("Sync");
// The folder the user already syncs between computers; empty for none.
inline const QString SyncFolder = QStringLiteral("Folder");
// This computer's own name in that folder and in exported files.
inline const QString ComputerId = QStringLiteral("ComputerId");

} // namespace SettingsKeys
