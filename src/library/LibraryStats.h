#pragma once

#include "text/TextCodec.h"

#include <QString>

// What the library manager shows of a library file.
struct LibraryStats
{
    bool readable = false;
    qsizetype records = 0; // a word at the very end without meaning counts, as in the loader
    int groups = 0;
    TextCodec::Encoding encoding = TextCodec::Encoding::Gbk;
};

LibraryStats libraryStats(const QString &path);
