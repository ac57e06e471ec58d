// The word-list importer under arbitrary bytes: imported files come from
// anywhere. Properties: no crash; every record has a word and a meaning,
// each one line without surrounding blanks; records and skipped lines come
// in line order and within the file; every line of a tab-separated file
// that holds anything is either a record or reported as skipped (one header
// row may go silently); and the records, converted into a library of ours,
// read back unchanged.
//
// Input: the first byte picks the format (its value modulo 4: two-line
// library, TSV, CSV, flashcard export); the rest is the file.

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

// Lines of a TSV file that hold something besides blanks.
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
    const auto format = static_cast<Import::Format>(data[0] % 4);
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const Import::Outcome outcome = Import::parse(bytes, format);

    FUZZ_CHECK((outcome.error == Import::Error::NoRecords) == outcome.records.isEmpty(), "no records, and only then, is an error");
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

    if (format == Import::Format::Tsv) {
        const qsizetype bom = TextCodec::bomLength(outcome.encoding);
        const qsizetype filled = filledLines(TextCodec::decode(QByteArrayView(bytes).sliced(bom), outcome.encoding));
        const qsizetype seen = outcome.records.size() + outcome.skipped.size();
        FUZZ_CHECK(seen == filled || seen + 1 == filled, "every filled line is a record or reported");
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
