#include "library/WordFile.h"

#include <QFile>
#include <QFileInfo>

#include <QtAlgorithms>
#include <QtEndian>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <cstring>
#include <utility>

namespace {

inline bool isLineEndByte(char c)
{
    return c == '\n' || c == '\r';
}

// Offset of the first CR or LF at or after `from`, or `size` when there is
// none. Large libraries are walked line by line up to the requested group,
// so this is the loader's inner loop: it looks at eight bytes at a time.
qsizetype findLineEnd(const char *data, qsizetype from, qsizetype size)
{
    qsizetype i = from;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    constexpr quint64 ones = 0x0101010101010101ULL;
    constexpr quint64 highs = 0x8080808080808080ULL;
    constexpr quint64 lfs = ones * '\n';
    constexpr quint64 crs = ones * '\r';
    while (size - i >= 8) {
        quint64 chunk;
        std::memcpy(&chunk, data + i, sizeof chunk);
        // A byte of x (or y) is zero where the chunk holds LF (or CR). The
        // lowest flagged byte is always a true match: the borrow that can
        // cause false flags only runs upwards from a real zero byte.
        const quint64 x = chunk ^ lfs;
        const quint64 y = chunk ^ crs;
        const quint64 hits = (((x - ones) & ~x) | ((y - ones) & ~y)) & highs;
        if (hits != 0)
            return i + qCountTrailingZeroBits(hits) / 8;
        i += 8;
    }
#endif
    while (i < size && !isLineEndByte(data[i]))
        ++i;
    return i;
}

bool startsWithUtf8Bom(QByteArrayView bytes)
{
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xEF && uchar(bytes[1]) == 0xBB && uchar(bytes[2]) == 0xBF;
}

} // namespace

WordFileReader::WordFileReader(QByteArray bytes)
    : m_bytes(std::move(bytes))
    , m_encoding(TextCodec::detect(m_bytes))
{
    m_pos = TextCodec::bomLength(m_encoding);
}

QByteArrayView WordFileReader::takeLine()
{
    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    const qsizetype end = findLineEnd(data, m_pos, size);
    const QByteArrayView line(data + m_pos, end - m_pos);
    m_pos = end;
    if (m_pos < size) {
        // CR LF is one line end; a lone CR or a lone LF is one as well.
        if (data[m_pos] == '\r' && m_pos + 1 < size && data[m_pos + 1] == '\n')
            m_pos += 2;
        else
            m_pos += 1;
    }
    return line;
}

void WordFileReader::skipEmptyLines()
{
    // At the start of a line every CR or LF ends an empty line, so a whole
    // run of them is nothing but empty lines, however they pair up.
    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    while (m_pos < size && isLineEndByte(data[m_pos]))
        ++m_pos;
}

bool WordFileReader::nextLine(QByteArrayView &line)
{
    if (atEnd())
        return false;
    line = takeLine();
    return true;
}

bool WordFileReader::nextNonEmptyLine(QByteArrayView &line)
{
    skipEmptyLines();
    if (atEnd())
        return false;
    line = takeLine();
    return true;
}

QString WordFileReader::nextNonEmptyLine()
{
    QByteArrayView line;
    if (!nextNonEmptyLine(line))
        return {};
    return decode(line);
}

bool WordFileReader::skipNonEmptyLine()
{
    QByteArrayView line;
    return nextNonEmptyLine(line);
}

bool WordFileReader::readRecord(QString &word, QString &meaning)
{
    word.clear();
    meaning.clear();
    QByteArrayView line;
    if (!nextNonEmptyLine(line))
        return false;
    word = decode(line);
    if (nextNonEmptyLine(line))
        meaning = decode(line);
    return true;
}

qsizetype WordFileReader::skipNonEmptyLines(qsizetype count)
{
    // Rather than splitting lines, count where non-empty lines begin: a byte
    // that is no line end, right after one (m_pos is always at the start of
    // a line, so "right after a line end" holds there too). We stop on the
    // start of line count + 1, which is as good as right after line count,
    // since reading always skips empty lines first.
    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    qsizetype i = m_pos;
    qsizetype found = 0;
    bool afterLineEnd = true;
#ifdef __SSE2__
    const __m128i lfs = _mm_set1_epi8('\n');
    const __m128i crs = _mm_set1_epi8('\r');
    while (size - i >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const uint lineEnds = uint(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lfs), _mm_cmpeq_epi8(block, crs))));
        uint starts = ~lineEnds & ((lineEnds << 1) | uint(afterLineEnd)) & 0xFFFFu;
        const qsizetype here = qPopulationCount(starts);
        if (found + here > count) {
            for (qsizetype k = count - found; k > 0; --k)
                starts &= starts - 1; // drop the lowest start
            m_pos = i + qCountTrailingZeroBits(starts);
            return count;
        }
        found += here;
        afterLineEnd = (lineEnds >> 15) & 1u;
        i += 16;
    }
#endif
    for (; i < size; ++i) {
        const bool lineEnd = isLineEndByte(data[i]);
        if (!lineEnd && afterLineEnd) {
            if (found == count) {
                m_pos = i;
                return count;
            }
            ++found;
        }
        afterLineEnd = lineEnd;
    }
    m_pos = size;
    return found;
}

bool WordFileReader::hasMoreRecords() const
{
    const char *data = m_bytes.constData();
    for (qsizetype i = m_pos; i < m_bytes.size(); ++i) {
        if (!isLineEndByte(data[i]))
            return true;
    }
    return false;
}

qsizetype countLines(QByteArrayView bytes)
{
    const qsizetype start = startsWithUtf8Bom(bytes) ? 3 : 0;
    const qsizetype size = bytes.size();
    const char *data = bytes.data();
    qsizetype lines = 0;
    qsizetype i = start;
    while (i < size) {
        i = findLineEnd(data, i, size);
        if (i == size) {
            ++lines; // the last line has no line end
            break;
        }
        ++lines;
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            i += 2;
        else
            i += 1;
    }
    return lines;
}

bool readWordFileBytes(const QString &path, QByteArray &bytes)
{
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}
