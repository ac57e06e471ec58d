#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>

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

// A dictionary of a few words, standing in for the bundled one.
inline std::function<QString(const QString &)> fakeLookup()
{
    return [](const QString &word) {
        static const QHash<QString, QString> meanings = {{QStringLiteral("abandon"), QStringLiteral("v. 放弃")},
                                                        {QStringLiteral("apple"), QStringLiteral("n. 苹果")},
                                                        {QStringLiteral("give up"), QStringLiteral("放弃")}};
        return meanings.value(word.toLower());
    };
}

// Text as UTF-16, little- or big-endian, with or without a byte-order mark.
inline QByteArray utf16(const QString &text, bool littleEndian, bool bom)
{
    QByteArray out;
    if (bom)
        out += littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF);
        const char high = char(c.unicode() >> 8);
        out.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return out;
}

} // namespace ImportFiles
