#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// One loaded word. Mark belongs to the window: the result colour in the test
// window, the shown flag in the browse bar. The loader sets it to 0.
struct WordEntry
{
    QString Meaning;
    QString Word;
    qint32 Mark = 0;
};

// Words per group.
inline constexpr int GroupSize = 25;

// A window's word table: slots 0 to 24 hold a group, slot 25 is never filled
// by the loader (the browse walk shows it as the blank after the last word).
using WordTable = std::array<WordEntry, GroupSize + 1>;
