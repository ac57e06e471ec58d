#pragma once

#include "text/TextCodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A word library (or box) file: records of two non-empty lines, the word and
// then its meaning. Empty lines are skipped wherever they stand; a line of
// spaces is not empty. CR LF, a lone LF and a lone CR each end a line.
//
// Lines are split on bytes. That is safe in every encoding we read (GBK,
// GB18030, UTF-8): none of them ever uses CR or LF inside a character. Only
// the lines a caller asks for are decoded, so walking past thousands of
// records costs little more than scanning their bytes.
class WordFileReader
{
public:
    // `bytes` is the whole file; its encoding is detected once here, and a
    // UTF-8 byte-order mark is not part of the first line.
    explicit WordFileReader(QByteArray bytes);

    TextCodec::Encoding encoding() const { return m_encoding; }

    // The next line's raw bytes (without its line end); false at end of file.
    // A last line without a line end still counts as a line. `line` stays
    // valid as long as the reader lives.
    bool nextLine(QByteArrayView &line);

    // The next non-empty line's raw bytes, skipping empty lines before it;
    // false once no non-empty line is left.
    bool nextNonEmptyLine(QByteArrayView &line);
    // Same, decoded; empty text once the file has ended.
    QString nextNonEmptyLine();
    // Same, but only steps over the line; false at the end.
    bool skipNonEmptyLine();

    // One record: the next non-empty line is the word, the one after it the
    // meaning. A word at the very end of the file comes with an empty
    // meaning. False (and both texts empty) when no word line is left, which
    // is also how trailing empty lines read: as no record at all.
    bool readRecord(QString &word, QString &meaning);
    // Steps over `count` non-empty lines (and the empty lines around them)
    // and returns how many there were: fewer than `count` only when the file
    // ends first. This is how the loader walks to a group: a group is
    // 2 * GroupSize non-empty lines, only the last record may lack its
    // meaning, and no line is decoded on the way.
    qsizetype skipNonEmptyLines(qsizetype count);
    // Whether another record follows, without moving.
    bool hasMoreRecords() const;

    // Byte offset of the start of the next line, for coming back to it later.
    qsizetype position() const { return m_pos; }
    // Goes back (or forward) to an offset that position() returned.
    void seek(qsizetype position) { m_pos = position; }

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    QString decode(QByteArrayView line) const { return TextCodec::decode(line, m_encoding); }

private:
    // Steps over the line ends at m_pos, i.e. over every empty line there.
    void skipEmptyLines();
    // Takes the line that starts at m_pos (m_pos must be before the end).
    QByteArrayView takeLine();

    QByteArray m_bytes;
    qsizetype m_pos = 0;
    TextCodec::Encoding m_encoding;
};

// Reads a whole word library or box file. Only a regular file (or a link to
// one) is read: a named pipe would keep us waiting for a writer for ever, and
// a device such as /dev/zero never ends. False when it cannot be read.
bool readWordFileBytes(const QString &path, QByteArray &bytes);

// Counts lines the way WordFileReader splits them (empty lines count, and so
// does a last line without a line end; a UTF-8 byte-order mark is no line).
qsizetype countLines(QByteArrayView bytes);
