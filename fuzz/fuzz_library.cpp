// Word files and the group loader under arbitrary bytes. The reader must see
// the same lines and records as a plain reading of the file, and the loader
// must load exactly the group the file holds for the number typed: never
// more than 25 words, the right ones, and the settings updated only when a
// group was loaded.
//
// Input: the group number as typed (at most 8 bytes), a LF, then the library
// file. Without that LF the group is "1" and the whole input is the file.

#include "FuzzSupport.h"

#include "library/GroupLoader.h"
#include "library/WordFile.h"
#include "library/WordTable.h"
#include "settings/CIniFile.h"
#include "settings/UserDialogs.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdint>

namespace {

using FuzzSupport::RawRecord;

class Recorder : public UserDialogs
{
public:
    void message(const QString &text) override { messages << text; }
    bool question(const QString &) override { return true; }
    void beep() override {}
    QStringList messages;
};

void checkReader(QByteArrayView bytes, const QList<RawRecord> &records)
{
    const TextCodec::Encoding encoding = TextCodec::detect(bytes);
    FUZZ_CHECK(countLines(bytes) == FuzzSupport::referenceLines(bytes).size(), "line count");

    WordFileReader reader(bytes.toByteArray());
    QString word;
    QString meaning;
    for (const RawRecord &record : records) {
        FUZZ_CHECK(reader.hasMoreRecords(), "a record is left");
        FUZZ_CHECK(reader.readRecord(word, meaning), "a record is read");
        FUZZ_CHECK(word == TextCodec::decode(record.word, encoding), "word of a record");
        FUZZ_CHECK(meaning == TextCodec::decode(record.meaning, encoding), "meaning of a record");
    }
    FUZZ_CHECK(!reader.hasMoreRecords(), "no record is left after the last");
    FUZZ_CHECK(!reader.readRecord(word, meaning) && word.isEmpty() && meaning.isEmpty(), "reading past the end");

    // Skipping lines lands where reading them would.
    const qsizetype filled = records.isEmpty() ? 0 : 2 * records.size() - (records.back().meaning.isEmpty() ? 1 : 0);
    for (const qsizetype skip : {qsizetype(0), qsizetype(1), filled / 2, filled - 1, filled, filled + 3}) {
        if (skip < 0)
            continue;
        WordFileReader skipper(bytes.toByteArray());
        FUZZ_CHECK(skipper.skipNonEmptyLines(skip) == qMin(skip, filled), "lines skipped");
        QByteArrayView line;
        const bool more = skipper.nextNonEmptyLine(line);
        FUZZ_CHECK(more == (skip < filled), "a line is left after skipping");
        if (more) {
            const RawRecord &record = records[skip / 2];
            FUZZ_CHECK(line == (skip % 2 == 0 ? record.word : record.meaning), "the line after skipping");
        }
    }
}

void checkLoader(const QByteArray &groupText, QByteArrayView bytes, const QList<RawRecord> &records)
{
    const QString dataDir = FuzzSupport::scratchDir() + QStringLiteral("/data");
    QDir().mkpath(dataDir);
    FuzzSupport::writeFile(dataDir + QStringLiteral("/box3.txt"), bytes);
    const QString iniPath = FuzzSupport::scratchDir() + QStringLiteral("/lexvan.ini");
    QFile::remove(iniPath);
    CIniFile ini;
    ini.SpecifyIni(iniPath);

    Recorder dialogs;
    int resets = 0;
    GroupLoaderSetup setup;
    setup.ini = &ini;
    setup.dataDir = dataDir;
    setup.section = QStringLiteral("Form2LastData");
    setup.libraryIndex = 7;
    setup.formReset = [&resets] { ++resets; };

    WordTable words;
    for (WordEntry &entry : words) {
        entry.Word = QStringLiteral("old");
        entry.Meaning = QStringLiteral("旧");
        entry.Mark = 3;
    }
    qint16 wordCount = -1;
    GroupLoadDetails details;
    const QString typed = QString::fromLatin1(groupText);
    const qint16 loaded = ReadWords(typed, QStringLiteral("月光宝盒3"), words, wordCount, setup, &details);
    // What the window would say.
    if (const QString said = groupLoadMessage(details, QStringLiteral("月光宝盒3"), true); !said.isEmpty())
        dialogs.message(said);

    FUZZ_CHECK(words[GroupSize].Word == QStringLiteral("old"), "slot 25 is never touched");
    const QString storedGroup = ini.ReadString(setup.section, QStringLiteral("WordGroup"), 10);
    if (loaded == 0) {
        FUZZ_CHECK(dialogs.messages.size() == 1, "a refused load says why, once");
        FUZZ_CHECK(storedGroup.isEmpty() && !QFile::exists(iniPath), "nothing is remembered after a refused load");
        if (resets == 0)
            FUZZ_CHECK(wordCount == -1 && words[0].Word == QStringLiteral("old"), "a refused load keeps the table");
        else
            FUZZ_CHECK(records.isEmpty() && words[0].Word.isEmpty(), "only an emptied library resets and fails");
        return;
    }

    // The loader accepted the number: 1 to 4 ASCII digits, not all zeros.
    bool ok = false;
    const int requested = typed.toInt(&ok);
    FUZZ_CHECK(ok && typed.size() <= 4 && requested >= 1, "only a usable group number loads");
    FUZZ_CHECK(!records.isEmpty() && resets == 1, "a group is loaded from a library with records, once reset");
    FUZZ_CHECK(details.fileName == QStringLiteral("box3.txt") && details.isBox, "the box's file is known");
    const int lastGroup = int((records.size() + GroupSize - 1) / GroupSize);
    const int group = qMin(requested, lastGroup);
    FUZZ_CHECK(loaded == group, "the group loaded is the one asked for, or the last one");
    const qsizetype first = qsizetype(group - 1) * GroupSize;
    const qsizetype count = qMin<qsizetype>(GroupSize, records.size() - first);
    FUZZ_CHECK(wordCount >= 1 && wordCount <= GroupSize, "a group holds 1 to 25 words");
    FUZZ_CHECK(wordCount == count, "the group holds its records");
    const TextCodec::Encoding encoding = TextCodec::detect(bytes);
    for (int i = 0; i < GroupSize; ++i) {
        const WordEntry &entry = words[size_t(i)];
        FUZZ_CHECK(entry.Mark == 0, "marks are cleared");
        if (i < count) {
            const RawRecord &record = records[first + i];
            FUZZ_CHECK(entry.Word == TextCodec::decode(record.word, encoding), "loaded word");
            FUZZ_CHECK(entry.Meaning == TextCodec::decode(record.meaning, encoding), "loaded meaning");
        } else {
            FUZZ_CHECK(entry.Word.isEmpty() && entry.Meaning.isEmpty(), "slots after the group are empty");
        }
    }
    const bool last = group == lastGroup;
    FUZZ_CHECK(details.isLastGroup == last, "the last group is known as such");
    FUZZ_CHECK(dialogs.messages == (last ? QStringList{QStringLiteral("现在已经是最后一组了！")} : QStringList()),
               "only the last group has a notice");
    FUZZ_CHECK(storedGroup == QString::number(group), "WordGroup remembered");
    FUZZ_CHECK(ini.ReadString(setup.section, QStringLiteral("WordLibrary"), 10) == QStringLiteral("7"),
               "WordLibrary remembered");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray groupText;
    QByteArrayView bytes;
    FuzzSupport::splitParameter(input, 8, QByteArray("1"), groupText, bytes);

    const QList<RawRecord> records = FuzzSupport::referenceRecords(bytes);
    checkReader(bytes, records);
    checkLoader(groupText, bytes, records);
    return 0;
}
