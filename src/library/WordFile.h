#pragma once

#include "settings/TextCodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A word library (or box) file: records of two non-empty lines, the word and
// then its meaning. Empty lines are skipped wherever they stand; a line of
// spaces is not empty. CR LF, a lone LF and a lone CR each end a line.
class WordFileReader
{
public:
    // `bytes` is the whole file; its encoding is detected once here.
    explicit WordFileReader(QByteArray bytes);

    TextCodec::Encoding encoding() const { return m_encoding; }

    // The next line's raw bytes (without its line end); false at end of file.
    // A last line without a line end still counts as a line.
    bool nextLine(QByteArrayView &line);

    // The next non-empty line, decoded; empty text once the file has ended.
    QString nextNonEmptyLine();
    // Same, but only skips over the line without decoding it; false at the end.
    bool skipNonEmptyLine();

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    QString decode(QByteArrayView line) const { return TextCodec::decode(line, m_encoding); }

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
    TextCodec::Encoding m_encoding;
};

// Counts lines the way WordFileReader splits them (empty lines count, and so
// does a last line without a line end).
qsizetype countLines(QByteArrayView bytes);
