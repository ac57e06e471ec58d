#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The one place where file bytes become text and back.
//
// Word libraries, box files and lexvan.ini are GBK text. We read and write
// GBK through GB18030, its superset, so no character is ever lost. Linux
// editors write UTF-8, so a file that starts with a UTF-8 byte-order mark, or
// that is valid UTF-8 and holds at least one character of three or more bytes
// (every Chinese character is one), is read as UTF-8, and every rewrite of
// such a file keeps its encoding (and its BOM).
namespace TextCodec {

enum class Encoding {
    Gbk,     // GBK / GB18030, no BOM: the default for new files
    Utf8,    // UTF-8 without a byte-order mark
    Utf8Bom, // UTF-8 that starts with EF BB BF
};

// Decides how a file's bytes are to be read. Pure ASCII (and empty) input is
// Gbk, which reads ASCII unchanged and keeps new non-ASCII text in GBK. So is
// valid UTF-8 whose only non-ASCII characters take two bytes (accented
// Latin letters and the like): those bytes are far more often short GBK
// text.
Encoding detect(QByteArrayView bytes);

// Length of the byte-order mark that `detect` found at the start (0 or 3).
qsizetype bomLength(Encoding encoding);

// The BOM bytes to write at the start of a new file of this encoding.
QByteArray bom(Encoding encoding);

// Bytes (without BOM) to text, and text to bytes (never adds a BOM).
QString decode(QByteArrayView bytes, Encoding encoding);
QByteArray encode(const QString &text, Encoding encoding);

// Text made elsewhere, such as a word list to import, may also be UTF-16:
// Notepad's "Unicode" and Excel's "Unicode 文本" save it, with a byte-order
// mark or (other programs) without one. Our own files never are, so `detect`
// does not look for it; importers ask first.
enum class Utf16 {
    None,
    LittleEndian,
    BigEndian,
};

struct Utf16Guess
{
    Utf16 order = Utf16::None;
    qsizetype bomLength = 0; // 0 or 2
};

// UTF-16 when the bytes start with its byte-order mark, or, without one,
// when their length is even and the zero bytes of ASCII characters stand
// in the odd (LE) or even (BE) places of most of the first 4 KB's pairs.
Utf16Guess detectUtf16(QByteArrayView bytes);

// Bytes (without BOM) of UTF-16 to text; a lone surrogate or an odd last
// byte becomes U+FFFD.
QString decodeUtf16(QByteArrayView bytes, Utf16 order);

// Whether decoded text from elsewhere is text at all, not a program, a
// picture or a zip: no NUL, and hardly any control characters or bytes that
// were no character. A file typed by hand may hold a stray one, a binary
// file holds them everywhere.
bool looksLikeText(QStringView text);

// Shortens `bytes` to at most `maxBytes` bytes without cutting a character in
// half: a partial character at the end is dropped.
QByteArray truncateToCharacters(QByteArrayView bytes, qsizetype maxBytes, Encoding encoding);

} // namespace TextCodec
