#include "text/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace TextCodec {
namespace {

constexpr char kGbkName[] = "GB18030";

bool startsWithBom(QByteArrayView bytes)
{
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xEF && uchar(bytes[1]) == 0xBB && uchar(bytes[2]) == 0xBF;
}

// Length of the well-formed UTF-8 sequence at `i`, or 0 when it is not one.
// Overlong forms, surrogates and code points above U+10FFFF are refused, so a
// GBK file is very unlikely to pass for UTF-8.
qsizetype utf8SequenceLength(QByteArrayView bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return uchar(bytes[k]); };
    const uchar lead = at(i);
    const qsizetype left = bytes.size() - i;
    const auto cont = [&](qsizetype k) { return (at(i + k) & 0xC0) == 0x80; };
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && cont(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !cont(1) || !cont(2))
            return 0;
        if (lead == 0xE0 && at(i + 1) < 0xA0)
            return 0; // overlong
        if (lead == 0xED && at(i + 1) >= 0xA0)
            return 0; // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !cont(1) || !cont(2) || !cont(3))
            return 0;
        if (lead == 0xF0 && at(i + 1) < 0x90)
            return 0; // overlong
        if (lead == 0xF4 && at(i + 1) >= 0x90)
            return 0; // beyond U+10FFFF
        return 4;
    }
    return 0;
}

// Length of the GB18030 character at `i`: 1, 2 or 4 bytes. A malformed or
// incomplete character counts as whatever is left, so callers never split it.
qsizetype gbCharacterLength(QByteArrayView bytes, qsizetype i)
{
    const auto lead = uchar(bytes[i]);
    if (lead < 0x81 || lead == 0xFF)
        return 1;
    if (i + 1 >= bytes.size())
        return bytes.size() - i;
    const auto second = uchar(bytes[i + 1]);
    if (second >= 0x30 && second <= 0x39)
        return qMin<qsizetype>(4, bytes.size() - i);
    return 2;
}

} // namespace

Encoding detect(QByteArrayView bytes)
{
    if (startsWithBom(bytes))
        return Encoding::Utf8Bom;
    // Valid UTF-8 alone is no proof: about one common Chinese character in
    // six is, in GBK, a valid two-byte UTF-8 sequence (猫 is C3 A8, "è"), so
    // a box holding "cat" and "猫" would read back as "è". Chinese text in
    // UTF-8 always has three-byte sequences, which GBK text of that kind
    // almost never forms, so UTF-8 needs at least one of them.
    bool sawLongSequence = false;
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (uchar(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const qsizetype length = utf8SequenceLength(bytes, i);
        if (length == 0)
            return Encoding::Gbk;
        if (length >= 3)
            sawLongSequence = true;
        i += length;
    }
    return sawLongSequence ? Encoding::Utf8 : Encoding::Gbk;
}

qsizetype bomLength(Encoding encoding)
{
    return encoding == Encoding::Utf8Bom ? 3 : 0;
}

QByteArray bom(Encoding encoding)
{
    return encoding == Encoding::Utf8Bom ? QByteArray("\xEF\xBB\xBF", 3) : QByteArray();
}

QString decode(QByteArrayView bytes, Encoding encoding)
{
    // What is decoded here is a slice of a file (a line, a name, a value),
    // never its start: the byte-order mark has been stepped over before. So
    // a U+FEFF at the start of a slice is text like any other and is kept;
    // the decoders would drop it, and a name would then read differently
    // depending on where the slice began.
    if (encoding != Encoding::Gbk) {
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
        return decoder.decode(bytes);
    }
    // ASCII is the same in GBK; skip the converter for the common case.
    bool ascii = true;
    for (const char c : bytes) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    // The converter holds back an unfinished character at the very end for a
    // next call that never comes, so "abc" and a lone lead byte would read as
    // plain "abc". A line feed after the bytes (never part of a character)
    // makes it show as U+FFFD like any other broken character; the line feed
    // is dropped again.
    QByteArray terminated;
    terminated.reserve(bytes.size() + 1);
    terminated.append(bytes.data(), bytes.size()).append('\n');
    QStringDecoder decoder(kGbkName, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(terminated);
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

QByteArray encode(const QString &text, Encoding encoding)
{
    if (encoding != Encoding::Gbk)
        return text.toUtf8();
    QStringEncoder encoder(kGbkName);
    return encoder.encode(text);
}

Utf16Guess detectUtf16(QByteArrayView bytes)
{
    if (bytes.size() >= 2) {
        const uchar first = uchar(bytes[0]);
        const uchar second = uchar(bytes[1]);
        if (first == 0xFF && second == 0xFE)
            return {Utf16::LittleEndian, 2};
        if (first == 0xFE && second == 0xFF)
            return {Utf16::BigEndian, 2};
    }
    if (bytes.size() < 4 || bytes.size() % 2 != 0)
        return {};
    // Word lists hold Latin letters, digits, tabs and line ends: in UTF-16
    // each of them has a zero byte on one side. GBK and UTF-8 text has no
    // zero bytes at all, and binary files have them on both sides.
    const qsizetype pairs = qMin<qsizetype>(bytes.size(), 4096) / 2;
    qsizetype zeroHigh = 0; // zero in the odd place: little-endian ASCII
    qsizetype zeroLow = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        const bool evenZero = bytes[2 * i] == 0;
        const bool oddZero = bytes[2 * i + 1] == 0;
        if (oddZero && !evenZero)
            ++zeroHigh;
        else if (evenZero && !oddZero)
            ++zeroLow;
    }
    const auto clear = [pairs](qsizetype mostly, qsizetype other) { return mostly * 10 >= pairs * 3 && other * 20 <= mostly; };
    if (clear(zeroHigh, zeroLow))
        return {Utf16::LittleEndian, 0};
    if (clear(zeroLow, zeroHigh))
        return {Utf16::BigEndian, 0};
    return {};
}

QString decodeUtf16(QByteArrayView bytes, Utf16 order)
{
    if (order == Utf16::None)
        return {};
    QStringDecoder decoder(order == Utf16::LittleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                           QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    // Qt's decoder lets a lone surrogate through; written out again it would
    // become "?" or an invalid sequence.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

bool looksLikeText(QStringView text)
{
    qsizetype bad = 0;
    for (const QChar c : text) {
        if (c.isNull())
            return false;
        if (c == QChar::ReplacementCharacter
            || (c.category() == QChar::Other_Control && !QStringView(u"\t\n\r\f\v\x1a").contains(c)))
            ++bad;
    }
    return bad < 4 || bad * 50 < text.size();
}

QByteArray truncateToCharacters(QByteArrayView bytes, qsizetype maxBytes, Encoding encoding)
{
    if (maxBytes <= 0)
        return {};
    if (bytes.size() <= maxBytes)
        return bytes.toByteArray();
    qsizetype end = 0;
    while (end < bytes.size()) {
        qsizetype length = 1;
        if (uchar(bytes[end]) >= 0x80) {
            if (encoding == Encoding::Gbk) {
                length = gbCharacterLength(bytes, end);
            } else {
                length = utf8SequenceLength(bytes, end);
                if (length == 0)
                    length = 1; // a stray byte is one (replacement) character
            }
        }
        if (end + length > maxBytes)
            break;
        end += length;
    }
    return bytes.first(end).toByteArray();
}

} // namespace TextCodec
