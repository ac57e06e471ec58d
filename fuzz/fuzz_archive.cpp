// The .lxv reader under arbitrary bytes: an archive to import can come from
// anywhere. Properties: no crash and no unbounded memory; an archive that is
// accepted holds only allowed names, each once; and written again by our own
// writer it reads back with the same entries, byte for byte.

#include "FuzzSupport.h"

#include "backup/Archive.h"

#include <QSet>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Archive::ReadResult read = Archive::parse(bytes);
    if (!read.ok())
        return 0;
    QSet<QString> names;
    for (const Archive::Entry &entry : read.contents.entries) {
        FUZZ_CHECK(Archive::isAllowedName(entry.name), "accepted entry has an allowed name");
        FUZZ_CHECK(entry.name != Archive::ManifestName, "the manifest is not handed out as an entry");
        FUZZ_CHECK(!names.contains(entry.name), "each name once");
        names.insert(entry.name);
    }
    const Archive::ReadResult again = Archive::parse(Archive::build(read.contents));
    FUZZ_CHECK(again.ok(), "a rewritten archive reads back");
    FUZZ_CHECK(again.contents.entries.size() == read.contents.entries.size(), "same entries after rewriting");
    for (qsizetype i = 0; i < again.contents.entries.size(); ++i) {
        FUZZ_CHECK(again.contents.entries[i].name == read.contents.entries[i].name, "same names");
        FUZZ_CHECK(again.contents.entries[i].bytes == read.contents.entries[i].bytes, "same bytes");
    }
    return 0;
}
