#pragma once

#include "text/TextCodec.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Word lists from elsewhere, read into records of a word and its meaning so
// that they can become one of our two-line libraries. The importer only
// reports what it found; the windows turn its outcome into messages.
//
// Input may be GBK, UTF-8 or UTF-8 with a byte-order mark (TextCodec::detect
// decides), with CR LF, LF or CR line ends. Line numbers count from 1, as an
// editor shows them.
namespace Import {

enum class Format {
    // Our own format: the word on one line, its meaning on the next.
    WordLibrary,
    // word<TAB>meaning, one per line; further columns are ignored.
    Tsv,
    // word,meaning with the usual CSV quoting ("a, b", "say ""hi""", a
    // quoted line break); further columns are ignored.
    Csv,
    // A flashcard program's plain-text export: front<TAB>back per line,
    // fields quoted as in CSV when they hold a tab or line break, HTML tags
    // and sound references removed, "#key:value" header lines at the top.
    Flashcard,
};

enum class SkipReason {
    NoSeparator,   // no tab (or comma) on the line
    NoWord,        // the word is empty
    NoMeaning,     // the meaning is empty, or a word library ends in a word
    UnclosedQuote, // a quoted field never ends; only its first line is skipped
};

struct Record
{
    QString word;
    QString meaning;
    qsizetype line = 0; // where the record starts
};

struct SkippedLine
{
    qsizetype line = 0;
    SkipReason reason = SkipReason::NoSeparator;
};

enum class Error {
    None,
    Unreadable, // missing, not a plain file, or a read error
    NoRecords,  // readable, but not one record in it
};

struct Outcome
{
    Error error = Error::None;
    TextCodec::Encoding encoding = TextCodec::Encoding::Gbk;
    QList<Record> records;
    QList<SkippedLine> skipped;
    qsizetype lines = 0; // lines in the input
};

// Reads `bytes` as `format`. Every record has a non-empty word and meaning,
// each a single line without surrounding blanks; Error::NoRecords when there
// is none.
Outcome parse(const QByteArray &bytes, Format format);

// Reads the file, and gives its bytes in `bytes` when asked (a word library
// is copied as it is).
Outcome readFile(const QString &path, Format format, QByteArray *bytes = nullptr);

// The format a file most likely has, from its name and its first lines:
// .csv is Csv; two-line records without a tab are a WordLibrary; "#html:" or
// "#separator:" headers or HTML tags mean Flashcard; anything else with tabs
// is Tsv.
Format guessFormat(const QString &fileName, const QByteArray &bytes);

// The records as a library file of ours: GBK (GB18030 for characters outside
// it), CR LF. Should those bytes happen to read as UTF-8, the file is
// written as UTF-8 with a byte-order mark instead, so it reads back as
// written.
QByteArray libraryBytes(const QList<Record> &records);

// Writes a new file in one piece (through a temporary file and a rename);
// false, and nothing left behind, on failure or when the file exists.
bool writeNewFile(const QString &path, const QByteArray &bytes);

// A file name for an imported list: the source's name without its folder
// and extension, characters a settings value or a path cannot hold replaced
// by "_", cut (never inside a character) so that name + ".txt" takes at most
// `maxBytes` bytes in `encoding`, then made unique by "_2", "_3", ... while
// `taken` says the name is in use.
QString suggestFileName(const QString &sourcePath, TextCodec::Encoding encoding, int maxBytes,
                        const std::function<bool(const QString &)> &taken);

// A display name from the source's name: its base name, cut to `maxBytes`
// bytes in `encoding`.
QString suggestDisplayName(const QString &sourcePath, TextCodec::Encoding encoding, int maxBytes);

} // namespace Import
