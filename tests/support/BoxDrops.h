#pragma once

#include "boxes/BoxStore.h"
#include "RecordingDialogs.h"

// A word dropped on a box or on the delete target as the box window drops
// it: the slot `index` of `words` (none when it lies outside the table),
// and the message the window says for anything but success.
namespace BoxDrops {

inline const WordEntry *slot(const WordTable &words, int index)
{
    return index >= 0 && index < int(words.size()) ? &words[size_t(index)] : nullptr;
}

inline BoxStore::AddOutcome add(const QString &dataDir, int box, const WordTable &words, int index,
                                QString &countCaption, RecordingDialogs &dialogs,
                                BoxStore::SyncFile sync = &BoxStore::syncFile)
{
    const BoxStore::AddOutcome outcome = BoxStore::addWord(dataDir, box, slot(words, index), countCaption, sync);
    if (outcome != BoxStore::AddOutcome::Added)
        dialogs.message(BoxStore::messageFor(outcome));
    return outcome;
}

inline BoxStore::DeleteOutcome remove(const QString &dataDir, const QString &libraryFile, const WordTable &words,
                                      int index, RecordingDialogs &dialogs,
                                      BoxStore::ReplaceFile replace = &BoxStore::replaceFile,
                                      BoxStore::SyncFile sync = &BoxStore::syncFile)
{
    const BoxStore::DeleteOutcome outcome =
        BoxStore::DeleteWord(dataDir, libraryFile, slot(words, index), replace, sync);
    if (outcome != BoxStore::DeleteOutcome::Deleted)
        dialogs.message(BoxStore::messageFor(outcome));
    return outcome;
}

} // namespace BoxDrops
