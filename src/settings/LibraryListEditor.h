#pragma once

#include "text/TextCodec.h"

#include <QList>
#include <QString>

class CIniFile;

// One registered word library as the settings file holds it.
struct RegisteredLibrary
{
    // The name every window shows: the stored value cut to 19 bytes, trimmed.
    QString name;
    // The file name under [LibraryFileName] for that name (trimmed; empty
    // when none is registered).
    QString fileName;
    // The value exactly as stored under LibN, uncut: kept as it is when the
    // entry itself is not changed.
    QString storedValue;
    // Its place in the list when it was read; -1 for a new entry.
    int origin = -1;
};

// Changes the list of registered libraries: [LibName] Lib0, Lib1, ... (the
// first missing or empty key ends the list) and [LibraryFileName]. Every
// change is one atomic replacement of the settings file through CIniFile, so
// a failed write leaves the old settings as they were. The key after the
// last entry is always removed, so that no entry stranded behind a gap by a
// hand edit comes back into the list unexpectedly.
//
// The windows remember their library by its place in the list (WordLibrary
// in Form1LastData, Form2LastData and Form4LastData, the boxes counted after
// the registered libraries). The same write moves those numbers with their
// library; the number of a library that is removed is removed too, so the
// window starts on its defaults rather than on whatever took that place.
class LibraryListEditor
{
public:
    // Display names and file names are read with room for 19 bytes.
    static constexpr int NameLimit = 19;

    enum class Outcome {
        Done,
        NameEmpty,
        NameTooLong,       // more than NameLimit bytes in the file's encoding
        NameIsBox,         // 月光宝盒0 to 月光宝盒4
        NameTaken,         // another library has it (letter case ignored)
        NameBadCharacter,  // "=", "[", "]", a tab, a line break or quotes around it
        FileNameEmpty,
        FileNameTooLong,
        FileNameBadCharacter, // a path, a line break, "=", or a box's or the
                              // program's own working file
        NoSuchLibrary,
        WriteFailed,
    };

    explicit LibraryListEditor(CIniFile &ini);

    QList<RegisteredLibrary> libraries() const;

    // The encoding the settings file is (or will be) written in, which
    // decides how many bytes a name takes.
    TextCodec::Encoding encoding() const;
    qsizetype storedLength(const QString &text) const;

    // Whether `name` may be used for the entry at `index` (-1 for a new one).
    Outcome checkName(const QString &name, int index = -1) const;
    Outcome checkFileName(const QString &fileName) const;
    // What to tell the user of an outcome (empty for Done); the byte limits
    // are told in this file's encoding.
    QString messageFor(Outcome outcome) const;

    // Appends a library at the end of the list.
    Outcome add(const QString &name, const QString &fileName);
    Outcome rename(int index, const QString &name);
    // Takes the library off the list; its file is left alone.
    Outcome remove(int index);
    // Moves the entry one place up (-1) or down (+1).
    Outcome move(int index, int delta);

private:
    Outcome save(const QList<RegisteredLibrary> &before, const QList<RegisteredLibrary> &after);
    CIniFile &m_ini;
};
