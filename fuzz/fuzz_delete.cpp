// Deleting a word rewrites the whole library through a temporary file. Under
// arbitrary library bytes and words, the new library must hold exactly the
// complete records whose word differs, with their bytes unchanged, and none
// whose word is equal; and a rename that fails must leave the old library
// exactly as it was.
//
// Input: the word (at most 64 bytes, read in the library's encoding), a LF,
// then the library file. An empty word means the word of the first record;
// without that LF the word is "word" and the whole input is the library.

#include "FuzzSupport.h"

#include "boxes/BoxStore.h"
#include "text/TextCodec.h"

#include <QDir>
#include <QFile>

#include <cstdint>

namespace {

using FuzzSupport::RawRecord;

bool refuseToReplace(const QString &, const QString &)
{
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray wordBytes;
    QByteArrayView library;
    FuzzSupport::splitParameter(input, 64, QByteArray("word"), wordBytes, library);

    const TextCodec::Encoding encoding = TextCodec::detect(library);
    const QList<RawRecord> records = FuzzSupport::referenceRecords(library);
    QString word = TextCodec::decode(wordBytes, encoding);
    if (word.isEmpty() && !records.isEmpty())
        word = TextCodec::decode(records.front().word, encoding);

    // What the rewrite must leave: every complete record of another word,
    // byte for byte, each line ended by CR LF.
    QByteArray keptBytes;
    QList<RawRecord> kept;
    for (const RawRecord &record : records) {
        if (record.meaning.isEmpty() || TextCodec::decode(record.word, encoding) == word)
            continue;
        kept.append(record);
        keptBytes += record.word.toByteArray() + "\r\n" + record.meaning.toByteArray() + "\r\n";
    }

    const QString dataDir = FuzzSupport::scratchDir() + QStringLiteral("/data");
    QDir().mkpath(dataDir);
    const QString path = dataDir + QStringLiteral("/lib.txt");
    const QString temp = BoxStore::tempPath(dataDir);
    FuzzSupport::writeFile(path, library);

    // Now and then the rename fails: nothing may change.
    if (size % 5 == 0) {
        FUZZ_CHECK(BoxStore::removeWord(dataDir, QStringLiteral("lib.txt"), word, &refuseToReplace) ==
                       BoxStore::DeleteOutcome::ReplaceFailed,
                   "a failed rename is reported");
        FUZZ_CHECK(FuzzSupport::readFile(path) == library, "a failed rename leaves the library as it was");
        FUZZ_CHECK(!QFile::exists(temp), "a failed rename leaves no temporary file");
    }

    FUZZ_CHECK(BoxStore::removeWord(dataDir, QStringLiteral("lib.txt"), word) == BoxStore::DeleteOutcome::Deleted,
               "the rewrite succeeds");
    const QByteArray rewritten = FuzzSupport::readFile(path);
    FUZZ_CHECK(!QFile::exists(temp), "the temporary file is gone");

    // Before the records there may be one thing that keeps them reading as
    // they did: a UTF-8 byte-order mark (always, if the library had one; for
    // UTF-8 that would otherwise pass for GBK), or an empty line (so that a
    // first word starting with the bytes of a byte-order mark is not taken
    // for one). Nothing else may change.
    const QByteArray bom("\xEF\xBB\xBF", 3);
    FUZZ_CHECK(rewritten.endsWith(keptBytes), "exactly the complete records of other words remain, unchanged and in order");
    const QByteArray lead = rewritten.first(rewritten.size() - keptBytes.size());
    if (encoding == TextCodec::Encoding::Utf8Bom) {
        FUZZ_CHECK(lead == bom, "a byte-order mark stays");
    } else {
        FUZZ_CHECK(lead.isEmpty() || lead == "\r\n" || (lead == bom && encoding == TextCodec::Encoding::Utf8),
                   "at most an empty first line, or a byte-order mark for UTF-8");
        if (TextCodec::detect(keptBytes) == encoding)
            FUZZ_CHECK(lead.isEmpty(), "nothing is added where the records read right without it");
    }

    // Read back, the remaining records say what they said before. The one
    // exception cannot be helped: GBK bytes that, once the others are gone,
    // happen to be valid UTF-8 with a long character read as UTF-8; no line
    // of GBK text can mark a file as GBK.
    const TextCodec::Encoding after = TextCodec::detect(rewritten);
    if (!(encoding == TextCodec::Encoding::Gbk && after == TextCodec::Encoding::Utf8)) {
        const QList<RawRecord> reread = FuzzSupport::referenceRecords(rewritten);
        FUZZ_CHECK(reread.size() == kept.size(), "record count after the rewrite");
        for (qsizetype i = 0; i < kept.size(); ++i) {
            FUZZ_CHECK(TextCodec::decode(reread[i].word, after) == TextCodec::decode(kept[i].word, encoding),
                       "a remaining word reads the same");
            FUZZ_CHECK(TextCodec::decode(reread[i].meaning, after) == TextCodec::decode(kept[i].meaning, encoding),
                       "a remaining meaning reads the same");
            FUZZ_CHECK(TextCodec::decode(reread[i].word, after) != word, "no record of the word remains");
        }
    }
    return 0;
}
