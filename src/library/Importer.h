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
// Input may be GBK, UTF-8, UTF-8 with a byte-order mark (TextCodec::detect
// decides) or UTF-16 either way round, with CR LF, LF or CR line ends. Line
// numbers count from 1, as an editor shows them.
//
// Nothing is lost without a word: a line that gives no record is a
// SkippedLine, a column that is not imported is counted in
// Outcome::droppedValues, and a field that had to be joined or was left out
// on a single line is a Note.
namespace Import {

// The values are stored nowhere but picked by number in the fuzz input: new
// ones go at the end.
enum class Format {
    // Our own format: the word on one line, its meaning on the next.
    WordLibrary,
    // word<TAB>meaning, one per line; a field quoted the way Excel quotes it
    // ("n. 引语; ""引号""") loses its quotes.
    Tsv,
    // word,meaning with the usual CSV quoting ("a, b", "say ""hi""", a
    // quoted line break).
    Csv,
    // A flashcard program's plain-text export: "#key:value" header lines at
    // the top set the separator (a tab unless they say otherwise), whether
    // fields are HTML (tags, entities and sound references removed) and
    // which columns are not the card's sides; fields are quoted as in CSV.
    Flashcard,
    // word;meaning, quoted as in CSV.
    Semicolon,
    // word - meaning (a hyphen with a blank either side).
    Dash,
    // word=meaning.
    Equals,
    // word：meaning or word，meaning with the full-width colon or comma.
    FullWidth,
    // Two or more blanks between the columns.
    Spaces,
    // Numbered dictionary lines: "1. abandon [ə'bændən] v. 放弃", the
    // phonetic (in brackets or slashes) optional.
    Numbered,
    // One word a line; the meanings come from the dictionary.
    WordOnly,
};
constexpr int FormatCount = int(Format::WordOnly) + 1;

// What a column holds. Only the word and the meaning go into a library: our
// two-line format has no place for a phonetic (the dictionary gives it) or a
// number, so those columns are dropped knowingly, and counted.
enum class Role {
    Ignore,
    Word,
    Meaning,
    Phonetic,
    Number,
};

// How to read a file: its format, and the role of each column (empty:
// guessed from the header row, a flashcard export's headers and the
// content).
struct Choice
{
    // A format alone is a choice with the roles left to the guess.
    Choice(Format format = Format::Tsv, const QList<Role> &roles = {})
        : format(format)
        , roles(roles)
    {
    }

    Format format;
    QList<Role> roles;

    bool operator==(const Choice &other) const { return format == other.format && roles == other.roles; }
};

// The dictionary's meaning of a word in the form of a library's meaning
// line, or an empty string when it does not know the word. An empty
// function means there is no dictionary. It is called from the thread the
// parse runs on.
using MeaningLookup = std::function<QString(const QString &word)>;

// Called every few thousand lines with the characters read so far and in
// all; returning false stops the parse (Error::Cancelled).
using Progress = std::function<bool(qsizetype done, qsizetype total)>;

enum class SkipReason {
    NoSeparator,     // no separator on the line
    NoWord,          // the word is empty
    NoMeaning,       // the meaning is empty (and no dictionary could give
                     // one), or a word library ends in a word
    UnclosedQuote,   // a quoted field never ends; only its first line is skipped
    NotInDictionary, // no meaning in the file, and the dictionary does not
                     // know the word
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

// Something done to a record's fields that the user should know of.
enum class NoteKind {
    // More separators than columns: the rest of the line was kept as part of
    // the meaning ("abandon,v. 放弃, 抛弃").
    MeaningJoined,
    // More fields than columns after the meaning: they were left out.
    ExtraFields,
    // The meaning came from the dictionary.
    MeaningFromDictionary,
};

struct Note
{
    qsizetype line = 0;
    NoteKind kind = NoteKind::MeaningJoined;
};

enum class Error {
    None,
    Unreadable, // missing, not a plain file, or a read error
    NotText,    // binary data: nothing was read from it
    NoRecords,  // readable, but not one record in it
    Cancelled,  // the progress function stopped it
};

struct Outcome
{
    Error error = Error::None;
    TextCodec::Encoding encoding = TextCodec::Encoding::Gbk;
    TextCodec::Utf16 utf16 = TextCodec::Utf16::None; // when set, `encoding` means nothing
    Choice choice; // as read: the roles filled in when they were guessed

    // The first rows as their fields, with their line numbers, for the
    // column mapping; a header row among them.
    QList<QStringList> sample;
    QList<qsizetype> sampleLines;
    // Column names from a header row or "#columns:"; that row is no record.
    QStringList headers;
    qsizetype headerLine = 0;
    // Flashcard exports: whether fields were read as HTML.
    bool html = false;
    // Per column: values that were not imported because of the column's role.
    QList<qsizetype> droppedValues;
    // Meanings were needed from the dictionary, but there is none.
    bool noDictionary = false;
    // Read as a two-line library, most "meanings" look like English words:
    // the file is probably a list of words, one a line.
    bool pairsLookLikeWords = false;

    QList<Record> records;
    QList<SkippedLine> skipped;
    QList<Note> notes;
    qsizetype lines = 0; // lines in the input
};

// Rows kept in Outcome::sample.
constexpr int SampleRows = 20;

// Reads `bytes` as `choice` says. Every record has a non-empty word and
// meaning, each a single line without surrounding blanks; Error::NoRecords
// when there is none, Error::NotText for binary data.
Outcome parse(const QByteArray &bytes, const Choice &choice, const MeaningLookup &lookup = {},
              const Progress &progress = {});

// Reads the file, and gives its bytes in `bytes` when asked (a word library
// is copied as it is).
Outcome readFile(const QString &path, Format format, QByteArray *bytes = nullptr);

// The format a file most likely has, from its name and its first lines:
// flashcard header lines or HTML tags mean Flashcard; .csv is Csv; numbered
// lines are Numbered; otherwise each line votes for the separator that comes
// first on it (the one right after the word), and the most votes win; lines
// of single English words are WordOnly, and English and other lines in
// turn a WordLibrary.
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
