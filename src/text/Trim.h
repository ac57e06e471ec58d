#pragma once

#include <QString>

// Strips the spaces before and after a text. Only plain spaces: a tab or an
// ideographic space is part of a name or a number as the user typed it.
inline QString trimSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}
