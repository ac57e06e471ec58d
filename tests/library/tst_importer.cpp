#include "library/GroupLoader.h"
#include "library/Importer.h"
#include "library/WordFile.h"
#include "text/TextCodec.h"

#include "ImportFiles.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Import;
using ImportFiles::Bytes;

Q_DECLARE_METATYPE(Import::Format)
Q_DECLARE_METATYPE(ImportFiles::Bytes)

namespace {

// "word=meaning@line" for each record, "line:reason" for each skipped line.
QStringList recordsOf(const Outcome &outcome)
{
    QStringList out;
    for (const Record &record : outcome.records)
        out << record.word + u'=' + record.meaning + u'@' + QString::number(record.line);
    return out;
}

QStringList skippedOf(const Outcome &outcome)
{
    static const char *const reasons[] = {"no-separator", "no-word", "no-meaning", "unclosed"};
    QStringList out;
    for (const SkippedLine &skipped : outcome.skipped)
        out << QString::number(skipped.line) + u':' + QLatin1String(reasons[int(skipped.reason)]);
    return out;
}

} // namespace

class TestImporter : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void encodings_data();
    void encodings();
    void guessFormat_data();
    void guessFormat();
    void libraryBytesReadBack_data();
    void libraryBytesReadBack();
    void fileNames();
    void writeNewFileNeverReplaces();
    void largeTsv();
};

void TestImporter::formats_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<qsizetype>("lines");

    QTest::newRow("tsv") << Format::Tsv << QStringLiteral("apple\t苹果\r\npear\t梨\r\n")
                         << QStringList{QStringLiteral("apple=苹果@1"), QStringLiteral("pear=梨@2")} << QStringList() << qsizetype(2);
    QTest::newRow("tsv blank, malformed and extra columns")
        << Format::Tsv << QStringLiteral("\r\napple\t苹果\textra\n   \nno tab here\n\t无词\nlonely\t \n  big   cat \t 大 猫 \n")
        << QStringList{QStringLiteral("apple=苹果@2"), QStringLiteral("big cat=大 猫@7")}
        << QStringList{QStringLiteral("4:no-separator"), QStringLiteral("5:no-word"), QStringLiteral("6:no-meaning")}
        << qsizetype(7);
    QTest::newRow("tsv text only in a later column") << Format::Tsv << QStringLiteral("\t\textra\n\t \t\n")
                                                     << QStringList() << QStringList{QStringLiteral("1:no-word")} << qsizetype(2);
    QTest::newRow("tsv lone CR, no final line end") << Format::Tsv << QStringLiteral("a\t甲\rb\t乙")
                                                    << QStringList{QStringLiteral("a=甲@1"), QStringLiteral("b=乙@2")}
                                                    << QStringList() << qsizetype(2);
    QTest::newRow("tsv keeps quotes") << Format::Tsv << QStringLiteral("\"a\"\t\"甲\"\n")
                                      << QStringList{QStringLiteral("\"a\"=\"甲\"@1")} << QStringList() << qsizetype(1);
    QTest::newRow("tsv header row") << Format::Tsv << QStringLiteral("Word\tMeaning\nfox\t狐狸\n")
                                    << QStringList{QStringLiteral("fox=狐狸@2")} << QStringList() << qsizetype(2);

    QTest::newRow("csv plain") << Format::Csv << QStringLiteral("apple,苹果\r\npear,梨")
                               << QStringList{QStringLiteral("apple=苹果@1"), QStringLiteral("pear=梨@2")} << QStringList() << qsizetype(2);
    QTest::newRow("csv quoting") << Format::Csv
                                 << QStringLiteral("\"ice cream\",\"冰淇淋, 雪糕\"\nsay,\"说 \"\"你好\"\"\"\n\"two\nlines\",\"跨\r\n行\"\nafter,之后\n")
                                 << QStringList{QStringLiteral("ice cream=冰淇淋, 雪糕@1"), QStringLiteral("say=说 \"你好\"@2"),
                                                QStringLiteral("two lines=跨 行@3"), QStringLiteral("after=之后@6")}
                                 << QStringList() << qsizetype(6);
    QTest::newRow("csv unclosed quote skips one line") << Format::Csv
                                                       << QStringLiteral("a,甲\n\"broken,乙\nc,丙\n")
                                                       << QStringList{QStringLiteral("a=甲@1"), QStringLiteral("c=丙@3")}
                                                       << QStringList{QStringLiteral("2:unclosed")} << qsizetype(3);
    QTest::newRow("csv malformed") << Format::Csv << QStringLiteral("onlyword\n,无词\nword,\n,\n\nok,好\n")
                                   << QStringList{QStringLiteral("ok=好@6")}
                                   << QStringList{QStringLiteral("1:no-separator"), QStringLiteral("2:no-word"), QStringLiteral("3:no-meaning")}
                                   << qsizetype(6);

    QTest::newRow("flashcard") << Format::Flashcard
                               << QStringLiteral("#separator:tab\n#html:true\n<b>run</b>\t跑<br>奔跑&nbsp;[sound:run.mp3]\tTag1\n"
                                                 "\"multi\nline\"\t\"<div>一</div><div>二</div>\"\nbare\t&lt;光&gt; &amp; &#20320;\n")
                               << QStringList{QStringLiteral("run=跑 奔跑@3"), QStringLiteral("multi line=一 二@4"),
                                              QStringLiteral("bare=<光> & 你@6")}
                               << QStringList() << qsizetype(6);
    QTest::newRow("flashcard empty after tags") << Format::Flashcard << QStringLiteral("<br>\t空\nword\t<div></div>\n")
                                                << QStringList()
                                                << QStringList{QStringLiteral("1:no-word"), QStringLiteral("2:no-meaning")}
                                                << qsizetype(2);

    QTest::newRow("word library") << Format::WordLibrary << QStringLiteral("apple\r\n苹果\r\n\r\npear\r\n\r\n梨\r\n")
                                  << QStringList{QStringLiteral("apple=苹果@1"), QStringLiteral("pear=梨@4")} << QStringList()
                                  << qsizetype(6);
    QTest::newRow("word library ends in a word") << Format::WordLibrary << QStringLiteral("a\n甲\nlast\n")
                                                 << QStringList{QStringLiteral("a=甲@1")}
                                                 << QStringList{QStringLiteral("3:no-meaning")} << qsizetype(3);
    QTest::newRow("word library of spaces") << Format::WordLibrary << QStringLiteral("   \n甲\nb\n  \n")
                                            << QStringList() << QStringList{QStringLiteral("1:no-word"), QStringLiteral("3:no-meaning")}
                                            << qsizetype(4);
}

void TestImporter::formats()
{
    QFETCH(Format, format);
    QFETCH(QString, input);
    QFETCH(QStringList, records);
    QFETCH(QStringList, skipped);
    QFETCH(qsizetype, lines);

    const Outcome outcome = parse(TestFiles::gbk(input), format);
    QCOMPARE(recordsOf(outcome), records);
    QCOMPARE(skippedOf(outcome), skipped);
    QCOMPARE(outcome.lines, lines);
    QCOMPARE(outcome.error, records.isEmpty() ? Error::NoRecords : Error::None);
}

void TestImporter::encodings_data()
{
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<Format>("format");
    QTest::addColumn<TextCodec::Encoding>("encoding");
    const struct {
        const char *name;
        Bytes bytes;
        TextCodec::Encoding encoding;
    } inputs[] = {{"GBK", Bytes::Gbk, TextCodec::Encoding::Gbk},
                  {"UTF-8", Bytes::Utf8, TextCodec::Encoding::Utf8},
                  {"UTF-8 BOM", Bytes::Utf8Bom, TextCodec::Encoding::Utf8Bom}};
    for (const auto &input : inputs) {
        QTest::addRow("%s tsv", input.name) << input.bytes << Format::Tsv << input.encoding;
        QTest::addRow("%s csv", input.name) << input.bytes << Format::Csv << input.encoding;
        QTest::addRow("%s flashcard", input.name) << input.bytes << Format::Flashcard << input.encoding;
        QTest::addRow("%s library", input.name) << input.bytes << Format::WordLibrary << input.encoding;
    }
}

void TestImporter::encodings()
{
    QFETCH(Bytes, bytes);
    QFETCH(Format, format);
    QFETCH(TextCodec::Encoding, encoding);
    const QChar separator = format == Format::Csv ? u',' : format == Format::WordLibrary ? u'\n' : u'\t';
    // The BOM must not become part of the first word.
    const QString text = QStringLiteral("first") + separator + QStringLiteral("第一\r\n") + QStringLiteral("second")
        + separator + QStringLiteral("第二𠀀\r\n");
    const Outcome outcome = parse(ImportFiles::encode(text, bytes), format);
    QCOMPARE(outcome.encoding, encoding);
    const qsizetype secondLine = format == Format::WordLibrary ? 3 : 2;
    QCOMPARE(recordsOf(outcome), (QStringList{QStringLiteral("first=第一@1"),
                                              QStringLiteral("second=第二𠀀@") + QString::number(secondLine)}));
}

void TestImporter::guessFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Format>("format");
    QTest::newRow("csv by name") << QStringLiteral("list.CSV") << QByteArray("a\tb\n") << Format::Csv;
    QTest::newRow("tabs") << QStringLiteral("list.txt") << QByteArray("a\tb\n") << Format::Tsv;
    QTest::newRow("anki header") << QStringLiteral("deck.txt") << QByteArray("#separator:tab\na\tb\n") << Format::Flashcard;
    QTest::newRow("html") << QStringLiteral("deck.txt") << QByteArray("a\tb<br>c\n") << Format::Flashcard;
    QTest::newRow("two lines") << QStringLiteral("lib.txt") << QByteArray("a\nb\n") << Format::WordLibrary;
}

void TestImporter::guessFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(Format, format);
    QCOMPARE(Import::guessFormat(name, bytes), format);
}

void TestImporter::libraryBytesReadBack_data()
{
    QTest::addColumn<QStringList>("pairs");
    QTest::addColumn<TextCodec::Encoding>("encoding");
    QTest::newRow("GBK") << QStringList{QStringLiteral("cat"), QStringLiteral("猫"), QStringLiteral("ox"), QStringLiteral("牛𠀀")}
                         << TextCodec::Encoding::Gbk;
    // "浣犲ソ" in GBK is the UTF-8 of "你好": as GBK it would read back as
    // something else, so the file goes out as UTF-8 with a BOM.
    QTest::newRow("GBK that reads as UTF-8") << QStringList{QStringLiteral("hi"), QStringLiteral("浣犲ソ")}
                                             << TextCodec::Encoding::Utf8Bom;
}

void TestImporter::libraryBytesReadBack()
{
    QFETCH(QStringList, pairs);
    QFETCH(TextCodec::Encoding, encoding);
    QList<Record> records;
    for (int i = 0; i + 1 < pairs.size(); i += 2)
        records << Record{pairs[i], pairs[i + 1], 0};
    const QByteArray bytes = libraryBytes(records);
    QCOMPARE(TextCodec::detect(bytes), encoding);
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), pairs.size());
    WordFileReader reader(bytes);
    QString word, meaning;
    for (int i = 0; i + 1 < pairs.size(); i += 2) {
        QVERIFY(reader.readRecord(word, meaning));
        QCOMPARE(word, pairs[i]);
        QCOMPARE(meaning, pairs[i + 1]);
    }
    QVERIFY(!reader.readRecord(word, meaning));
}

void TestImporter::fileNames()
{
    QStringList taken{QStringLiteral("words.txt"), QStringLiteral("words_2.txt")};
    const auto isTaken = [&taken](const QString &name) { return taken.contains(name); };
    using TextCodec::Encoding;
    QCOMPARE(suggestFileName(QStringLiteral("/x/y/words.csv"), Encoding::Gbk, 19, isTaken), QStringLiteral("words_3.txt"));
    QCOMPARE(suggestFileName(QStringLiteral("/x/a b=c[d].tsv"), Encoding::Gbk, 19, isTaken), QStringLiteral("a_b_c_d_.txt"));
    QCOMPARE(suggestFileName(QStringLiteral("/x/.hidden"), Encoding::Gbk, 19, isTaken), QStringLiteral("wordlist.txt"));
    // Cut to 19 bytes, never inside a character: a Chinese character takes two
    // bytes in GBK, three in UTF-8.
    const QString chinese = QStringLiteral("/x/大学英语四级词汇表大全.txt");
    const QString gbkName = suggestFileName(chinese, Encoding::Gbk, 19, isTaken);
    QCOMPARE(gbkName, QStringLiteral("大学英语四级词.txt"));
    QCOMPARE(suggestFileName(chinese, Encoding::Utf8, 19, isTaken), QStringLiteral("大学英语四.txt"));
    taken << gbkName;
    QCOMPARE(suggestFileName(chinese, Encoding::Gbk, 19, isTaken), QStringLiteral("大学英语四级_2.txt"));
    const QString longAscii = suggestFileName(QStringLiteral("abcdefghijklmnopqrstuvwxyz.csv"), Encoding::Gbk, 19, isTaken);
    QCOMPARE(longAscii, QStringLiteral("abcdefghijklmno.txt"));

    QCOMPARE(suggestDisplayName(chinese, Encoding::Gbk, 19), QStringLiteral("大学英语四级词汇表"));
    QCOMPARE(suggestDisplayName(QStringLiteral("/x/my=list [v2].csv"), Encoding::Gbk, 19), QStringLiteral("my list v2"));
}

void TestImporter::writeNewFileNeverReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.txt"));
    QVERIFY(writeNewFile(path, "a\r\nb\r\n"));
    QCOMPARE(TestFiles::readBytes(path), QByteArray("a\r\nb\r\n"));
    QVERIFY(!writeNewFile(path, "other"));
    QCOMPARE(TestFiles::readBytes(path), QByteArray("a\r\nb\r\n"));
    QVERIFY(!writeNewFile(dir.filePath(QStringLiteral("missing/lib.txt")), "x"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("lib.txt")});
}

void TestImporter::largeTsv()
{
    const Outcome outcome = parse(ImportFiles::numberedTsv(100000), Format::Tsv);
    QCOMPARE(outcome.records.size(), 100000);
    QVERIFY(outcome.skipped.isEmpty());
    QCOMPARE(outcome.records.last().word, QStringLiteral("word100000"));
    QCOMPARE(outcome.records.last().meaning, QStringLiteral("释义100000"));
    QCOMPARE(outcome.records.last().line, 100000);
    // And the converted file loads its last group like any library.
    const QByteArray bytes = libraryBytes(outcome.records);
    QCOMPARE(countLines(bytes), 200000);
}

QTEST_GUILESS_MAIN(TestImporter)
#include "tst_importer.moc"
