#pragma once

#include "library/WordTable.h"
#include "settings/LibraryRegistry.h"

#include <QString>

#include <array>

// The five word boxes on disk and the two changes the box window makes to
// word files: appending a word to a box and removing a word from a library.
//
// Everything here works on files in the data folder and on the window state
// handed in as arguments, so that it runs without a window.
namespace BoxStore {

// The captions of the five count labels, box 0 first.
using BoxCounts = std::array<QString, LibraryRegistry::BoxCount>;

// An entry counts only when it has both a word and a meaning.
bool isPresent(const WordEntry &entry);

// A count as a caption: a whole number as such ("3"), otherwise with its
// fraction ("2.5"); every count here is a multiple of one half.
QString countText(double count);

// The caption of a count label after one more word: the caption read as a
// number plus one, so "2.5" becomes "3.5". Not a recount.
QString raisedCount(const QString &caption);

// The path of box `box` inside `dataDir`.
QString boxPath(const QString &dataDir, int box);

// Counts the box files: each existing file shows its line count divided by
// two. A missing box file is created empty and keeps its caption; a box that
// cannot be read or created keeps its caption as well.
void IniBoxSum(const QString &dataDir, BoxCounts &counts);

// Puts what has been written to an open file (or a folder's entries, for an
// open folder) on the disk before returning: fsync. False when the disk
// refuses it. Tests hand in one that fails.
using SyncFile = bool (*)(int descriptor);
bool syncFile(int descriptor);

// Appends `entry` (word line, then meaning line) to box `box`, creating the
// file when it is missing. The file keeps its own encoding; a new file is
// GBK. A last line without a line end is ended first, so the word is never
// glued onto it. The record is on the disk when this returns true; false
// when the file could not be written or synced, and then the half-written
// record is taken back.
bool modify_box_data(const QString &dataDir, int box, const WordEntry &entry, SyncFile sync = &syncFile);

enum class AddOutcome {
    Added,
    NothingToAdd, // the row holds no word
    WriteFailed,  // the box file could not be written
};

// The whole of dropping `entry` on box `box`: the check for a word, the
// append, and one more on the box's count caption. `entry` is null when the
// row dropped shows no slot of the group. The window says messageFor() of
// anything but Added.
AddOutcome addWord(const QString &dataDir, int box, const WordEntry *entry, QString &countCaption,
                   SyncFile sync = &syncFile);

enum class DeleteOutcome {
    Deleted,
    NothingToDelete, // the row holds no word
    ReadFailed,      // the library could not be read
    WriteFailed,     // the temporary file could not be written
    ReplaceFailed,   // the library could not be replaced by its new copy
};

// Moves the file `from` over the file `to` in one step: `to` names either its
// old contents or the new ones, never nothing. False when it did not happen.
using ReplaceFile = bool (*)(const QString &from, const QString &to);
bool replaceFile(const QString &from, const QString &to);

// The temporary file that a library is rewritten into.
QString tempPath(const QString &dataDir);

// Rewrites library `libraryFile` (a name inside `dataDir`) without the
// records whose word line is exactly `word`. Empty lines and an unfinished
// last record go as well; every other record keeps its order, its bytes and
// the file's encoding, and lines end in CR LF. (A file that would otherwise
// start with the bytes of a byte-order mark that are really part of a word
// starts with an empty line, so the word reads as it did.)
//
// The new library is written whole to the temporary file, synced to the
// disk, and then moved over the old one; then the folder is synced, so the
// rename itself is on the disk too. When any step before the rename fails
// the library stays as it was and the temporary file is removed. (A failed
// sync of the folder comes after the library has been replaced and does not
// undo that: whichever name survives a crash holds a whole library.)
DeleteOutcome removeWord(const QString &dataDir, const QString &libraryFile, const QString &word,
                         ReplaceFile replace = &replaceFile, SyncFile sync = &syncFile);

// The whole of dropping `entry` on the delete target, up to the reload: the
// check for a word and the rewrite of `libraryFile`. `entry` is null when the
// row dropped shows no slot of the group. The window says messageFor() of
// anything but Deleted, and reloads the group after Deleted.
DeleteOutcome DeleteWord(const QString &dataDir, const QString &libraryFile, const WordEntry *entry,
                         ReplaceFile replace = &replaceFile, SyncFile sync = &syncFile);

// The messages of failed changes.
QString messageFor(AddOutcome outcome);
QString messageFor(DeleteOutcome outcome);

} // namespace BoxStore
