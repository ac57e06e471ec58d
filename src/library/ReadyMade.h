#pragma once

#include <QList>
#include <QString>

// The word libraries that come with the program (data/), with the display
// names the settings template registers them under.
struct ReadyMadeLibrary
{
    QString name;
    QString fileName;
};

QList<ReadyMadeLibrary> readyMadeLibraries();

class LibraryListEditor;

// Whether a new library may not take `fileName`: a file of that name in
// `dataDir`, a registered or ready-made library's file, or a name the
// settings file cannot hold. Compared without letter case: the settings file
// matches names so, and the user may copy the folder to a system that does
// too. A ready-made name stays free for its own library.
bool libraryFileNameTaken(const QString &dataDir, const LibraryListEditor &editor, const QString &fileName);
