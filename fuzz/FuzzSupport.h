#pragma once

// Shared pieces of the fuzz targets: a failed property aborts with a message
// (libFuzzer then keeps the input as a crash), a private scratch folder, and
// a deliberately simple reading of word files to hold the real reader to.

#include "text/TextCodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "property failed: %s\n  (%s) at %s:%d\n", what, #condition, __FILE__, __LINE__);      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

namespace FuzzSupport {

// One scratch folder per fuzzing process, removed when it ends. TMPDIR
// decides where (fuzz/run.sh points it at a RAM disk when there is one).
inline const QString &scratchDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/lexivane-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a scratch folder under %s\n", qPrintable(QDir::tempPath()));
        std::abort();
    }
    static const QString path = dir.path();
    return path;
}

inline void writeFile(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Splits at the first LF within the first `limit` bytes: the part before it
// is a short parameter (a group number, a word), the rest the file. Without
// such a LF the parameter is `fallback` and the whole input is the file.
inline void splitParameter(QByteArrayView input, qsizetype limit, QByteArray fallback, QByteArray &parameter,
                           QByteArrayView &file)
{
    const qsizetype lf = input.first(qMin(input.size(), limit + 1)).indexOf('\n');
    if (lf < 0) {
        parameter = fallback;
        file = input;
        return;
    }
    parameter = input.first(lf).toByteArray();
    file = input.sliced(lf + 1);
}

// The lines of a word file, read the plain way: a UTF-8 byte-order mark is
// dropped, then every CR LF, lone CR and lone LF ends a line, and a last
// line without an end still counts.
inline QList<QByteArrayView> referenceLines(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines.append(bytes.sliced(start, i - start));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < bytes.size())
        lines.append(bytes.sliced(start));
    return lines;
}

// The records of a word file: the non-empty lines taken two by two; an odd
// last line is a word with no meaning.
struct RawRecord
{
    QByteArrayView word;
    QByteArrayView meaning;
};

inline QList<RawRecord> referenceRecords(QByteArrayView bytes)
{
    QList<QByteArrayView> filled;
    for (const QByteArrayView line : referenceLines(bytes)) {
        if (!line.isEmpty())
            filled.append(line);
    }
    QList<RawRecord> records;
    for (qsizetype i = 0; i < filled.size(); i += 2)
        records.append({filled[i], i + 1 < filled.size() ? filled[i + 1] : QByteArrayView()});
    return records;
}

} // namespace FuzzSupport
