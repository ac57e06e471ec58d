#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QString>

// Word lists in the forms people import them in, for the importer, the
// library manager and the benchmark.
namespace ImportFiles {

enum class Bytes { Gbk, Utf8, Utf8Bom };

inline QByteArray encode(const QString &text, Bytes bytes)
{
    switch (bytes) {
    case Bytes::Gbk:
        return TestFiles::gbk(text);
    case Bytes::Utf8:
        return text.toUtf8();
    case Bytes::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
    return {};
}

// `count` lines "word<n><TAB>释义<n>", CR LF, GBK.
inline QByteArray numberedTsv(int count)
{
    QString text;
    text.reserve(count * 16);
    for (int n = 1; n <= count; ++n)
        text += QStringLiteral("word%1\t释义%1\r\n").arg(n);
    return TestFiles::gbk(text);
}

} // namespace ImportFiles
