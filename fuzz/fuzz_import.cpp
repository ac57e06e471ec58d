// The word-list importer under arbitrary bytes: imported files come from
// anywhere. Properties: no crash; every record has a word and a meaning,
// each one line without surrounding blanks; records and skipped lines come
// in line order and within the file; a file refused as not text gives
// nothing; in a format read line by line, every line that holds anything is
// a record, reported as skipped, or the header row; meanings come from the
// dictionary only when there is one; and the records, converted into a
// library of ours, read back unchanged.
//
// Input: the first byte picks the format (its value modulo the number of
// formats, in the order Import::Format lists them: 0 two-line library,
// 1 TSV, 2 CSV, 3 flashcard export, 4 semicolon, 5 dash, 6 equals,
// 7 full-width, 8 spaces, 9 numbered, 10 word only) and, in the next
// multiple, whether a dictionary is at hand; the rest is the file. Inputs
// made when there were four formats keep their meaning.

#include "FuzzSupport.h"

#include "library/Importer.h"
#include "library/WordFile.h"

#include <cstdint>

namespace {

bool isOneTidyLine(const QString &text)
{
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return false;
    return !text.contains(u'\r') && !text.contains(u'\n');
}

// A dictionary that knows every word of an even length.
QString fakeMeaning(const QString &word)
{
    return word.size() % 2 == 0 ? QStringLiteral("释义 ") + word : QString();
}

bool readLineByLine(Import::Format format)
{
    using Import::Format;
    switch (format) {
    case Format::Tsv:
    case Format::Dash:
    case Format::Equals:
    case Format::FullWidth:
    case Format::Spaces:
    case Format::Numbered:
    case Format::WordOnly:
        return true;
    default:
        return false;
    }
}

// The file's text as the importer reads it.
QString decodedText(const QByteArray &bytes, const Import::Outcome &outcome)
{
    const TextCodec::Utf16Guess utf16 = TextCodec::detectUtf16(bytes);
    if (utf16.order != TextCodec::Utf16::None)
        return TextCodec::decodeUtf16(QByteArrayView(bytes).sliced(utf16.bomLength), utf16.order);
    const qsizetype bom = TextCodec::bomLength(outcome.encoding);
    return TextCodec::decode(QByteArrayView(bytes).sliced(qMin(bom, bytes.size())), outcome.encoding);
}

// Lines of a file that hold something besides blanks.
qsizetype filledLines(const QString &text)
{
    qsizetype filled = 0;
    const QStringList lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n').split(u'\n');
    for (const QString &line : lines) {
        for (const QChar c : line) {
            if (!c.isSpace() && c.category() != QChar::Other_Control && c != QChar(0xFEFF)) {
                ++filled;
                break;
            }
        }
    }
    return filled;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const auto format = static_cast<Import::Format>(data[0] % Import::FormatCount);
    const bool dictionary = (data[0] / Import::FormatCount) % 2 == 1;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const Import::Outcome outcome =
        Import::parse(bytes, Import::Choice{format, {}}, dictionary ? Import::MeaningLookup(fakeMeaning) : Import::MeaningLookup());

    const bool nothing = outcome.error == Import::Error::NoRecords || outcome.error == Import::Error::NotText;
    FUZZ_CHECK(nothing == outcome.records.isEmpty(), "no records, and only then, is an error");
    if (outcome.error == Import::Error::NotText)
        FUZZ_CHECK(outcome.skipped.isEmpty() && outcome.notes.isEmpty(), "nothing is read from a file that is not text");
    qsizetype lastLine = 0;
    for (const Import::Record &record : outcome.records) {
        FUZZ_CHECK(isOneTidyLine(record.word), "a record has a word");
        FUZZ_CHECK(isOneTidyLine(record.meaning), "a record has a meaning");
        FUZZ_CHECK(record.line > lastLine && record.line <= outcome.lines, "record lines in order and in the file");
        lastLine = record.line;
    }
    lastLine = 0;
    for (const Import::SkippedLine &skipped : outcome.skipped) {
        FUZZ_CHECK(skipped.line > lastLine && skipped.line <= outcome.lines, "skipped lines in order and in the file");
        lastLine = skipped.line;
    }
    qsizetype fromDictionary = 0;
    for (const Import::Note &note : outcome.notes)
        fromDictionary += note.kind == Import::NoteKind::MeaningFromDictionary ? 1 : 0;
    FUZZ_CHECK(dictionary || fromDictionary == 0, "meanings from the dictionary only when there is one");
    FUZZ_CHECK(fromDictionary <= outcome.records.size(), "a meaning from the dictionary makes a record");

    if (readLineByLine(format) && outcome.error != Import::Error::NotText) {
        const qsizetype filled = filledLines(decodedText(bytes, outcome));
        const qsizetype seen = outcome.records.size() + outcome.skipped.size() + (outcome.headerLine > 0 ? 1 : 0);
        FUZZ_CHECK(seen == filled, "every filled line is a record, reported, or the header row");
    }
    if (format == Import::Format::WordLibrary) {
        // Two non-empty lines per record or skipped pair, one for a last word.
        FUZZ_CHECK(outcome.records.size() + outcome.skipped.size() == FuzzSupport::referenceRecords(bytes).size(),
                   "every record of a library is read or reported");
    }

    WordFileReader reader(Import::libraryBytes(outcome.records));
    QString word;
    QString meaning;
    for (const Import::Record &record : outcome.records) {
        FUZZ_CHECK(reader.readRecord(word, meaning), "converted record is there");
        FUZZ_CHECK(word == record.word && meaning == record.meaning, "converted record reads back");
    }
    FUZZ_CHECK(!reader.readRecord(word, meaning), "nothing more in the converted library");
    return 0;
}
