// The readers of subtitles, web pages and plain text, and the tokeniser,
// under arbitrary bytes: people extract words from files of any origin.
// Properties: no crash; every block is one trimmed, non-empty line; every
// sentence is a trimmed, non-empty line found in its block (white space
// collapsed); every word has at least two characters, no white space and no
// digit, and is the first of its sentence only when it comes first.
//
// Input: the first byte picks the reader (its value modulo 5: plain text,
// SubRip, WebVTT, ASS/SSA, HTML); the rest is the file.

#include "FuzzSupport.h"

#include "extract/TextSources.h"
#include "extract/Tokeniser.h"

#include <cstdint>

namespace {

bool isTidyLine(const QString &text)
{
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return false;
    return !text.contains(u'\r') && !text.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QString text =
        TextSources::decodeText(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));
    QStringList blocks;
    switch (data[0] % 5) {
    case 0:
        blocks = TextSources::plainTextBlocks(text);
        break;
    case 1:
        blocks = TextSources::subRipBlocks(text);
        break;
    case 2:
        blocks = TextSources::webVttBlocks(text);
        break;
    case 3:
        blocks = TextSources::assBlocks(text);
        break;
    default:
        blocks = TextSources::htmlBlocks(text);
        break;
    }
    for (const QString &block : blocks) {
        FUZZ_CHECK(isTidyLine(block), "a block is one trimmed line");
        const QString collapsed = block.simplified();
        for (const QString &sentence : Tokeniser::sentences(block)) {
            FUZZ_CHECK(isTidyLine(sentence), "a sentence is one trimmed line");
            FUZZ_CHECK(collapsed.contains(sentence), "a sentence comes from its block");
            bool first = true;
            for (const Tokeniser::Token &token : Tokeniser::words(sentence)) {
                FUZZ_CHECK(token.word.size() >= 2, "a word has two letters at least");
                for (const QChar c : token.word)
                    FUZZ_CHECK(!c.isSpace() && !c.isDigit(), "no space or digit in a word");
                FUZZ_CHECK(!token.sentenceStart || first, "only the first word starts a sentence");
                first = false;
            }
        }
    }
    return 0;
}
