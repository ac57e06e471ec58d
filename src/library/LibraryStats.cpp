#include "library/LibraryStats.h"

#include "library/WordFile.h"
#include "library/WordTable.h"

LibraryStats libraryStats(const QString &path)
{
    LibraryStats stats;
    QByteArray bytes;
    if (!readWordFileBytes(path, bytes))
        return stats;
    stats.readable = true;
    WordFileReader reader(bytes);
    stats.encoding = reader.encoding();
    QByteArrayView line;
    qsizetype lines = 0;
    while (reader.nextNonEmptyLine(line))
        ++lines;
    stats.records = (lines + 1) / 2;
    stats.groups = int((stats.records + GroupSize - 1) / GroupSize);
    return stats;
}
