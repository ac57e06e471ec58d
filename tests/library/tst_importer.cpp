#include "library/GroupLoader.h"
#include "library/ImportTask.h"
#include "library/Importer.h"
#include "library/WordFile.h"
#include "text/TextCodec.h"

#include "ImportFiles.h"
#include "TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Import;
using ImportFiles::Bytes;

Q_DECLARE_METATYPE(Import::Format)
Q_DECLARE_METATYPE(ImportFiles::Bytes)
Q_DECLARE_METATYPE(Import::Role)

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
    static const char *const reasons[] = {"no-separator", "no-word", "no-meaning", "unclosed", "not-found"};
    static_assert(int(SkipReason::NotInDictionary) == 4);
    QStringList out;
    for (const SkippedLine &skipped : outcome.skipped)
        out << QString::number(skipped.line) + u':' + QLatin1String(reasons[int(skipped.reason)]);
    return out;
}

// "line:joined" for each note; "column:count" for each column not imported.
QStringList notesOf(const Outcome &outcome)
{
    static const char *const kinds[] = {"joined", "extra", "dictionary"};
    QStringList out;
    for (const Note &note : outcome.notes)
        out << QString::number(note.line) + u':' + QLatin1String(kinds[int(note.kind)]);
    for (qsizetype column = 0; column < outcome.droppedValues.size(); ++column) {
        if (outcome.droppedValues[column] > 0)
            out << QStringLiteral("column%1:%2").arg(column + 1).arg(outcome.droppedValues[column]);
    }
    return out;
}

} // namespace

class TestImporter : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void fileShapes_data();
    void fileShapes();
    void chosenColumnsAndTraps();
    void taskGivesOnlyTheLatestParse();
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
    // The only text is in the third column: that column is the word.
    QTest::newRow("tsv text only in a later column") << Format::Tsv << QStringLiteral("\t\textra\n\t \t\n")
                                                     << QStringList() << QStringList{QStringLiteral("1:no-meaning")} << qsizetype(2);
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

// The file shapes students keep their lists in, each as its format is
// guessed from the file: the records, the lines skipped, and the notes and
// columns left out, so that nothing goes missing unannounced.
void TestImporter::fileShapes_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("dictionary");
    QTest::addColumn<Format>("format");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<QStringList>("notes");
    const auto row = [](const char *name, const char *fileName, const QByteArray &bytes, bool dictionary, Format format,
                        const QStringList &records, const QStringList &skipped = {}, const QStringList &notes = {}) {
        QTest::newRow(name) << QString::fromLatin1(fileName) << bytes << dictionary << format << records << skipped << notes;
    };
    const auto u8 = [](const char *text) { return QByteArray(text); };
    const QStringList abandonApple{QStringLiteral("abandon=v. 放弃@1"), QStringLiteral("apple=n. 苹果@2")};

    row("flashcard comma separator", "deck.txt", u8("#separator:Comma\n#html:true\nfox,狐狸\n"), false, Format::Flashcard,
        {QStringLiteral("fox=狐狸@3")});
    row("flashcard html false", "deck.txt", u8("#separator:tab\n#html:false\nvector<int>\t整数向量 <b>\n"), false,
        Format::Flashcard, {QStringLiteral("vector<int>=整数向量 <b>@3")});
    row("flashcard id and note type", "deck.txt",
        u8("#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n#tags column:5\n"
           "Bz)5k{~Xh7\tBasic\tcat\t猫\tanimal\nq9w*E!r2t\tBasic\tdog\t狗\t\n"),
        false, Format::Flashcard, {QStringLiteral("cat=猫@6"), QStringLiteral("dog=狗@7")}, {},
        {QStringLiteral("column1:2"), QStringLiteral("column2:2"), QStringLiteral("column5:1")});
    row("flashcard columns header, data starts with #", "deck.txt",
        u8("#separator:tab\n#columns:Back\tFront\n#hashtag\t井号\n"), false, Format::Flashcard, {QStringLiteral("井号=#hashtag@3")});
    row("phonetic as a third column", "list.txt", u8("abandon\t[ə'bændən]\tv. 放弃\napple\t/ˈæpl/\tn. 苹果\n"), false, Format::Tsv,
        abandonApple, {}, {QStringLiteral("column2:2")});
    row("csv header 单词,音标,释义", "list.csv", u8("单词,音标,释义\nabandon,[ə'bændən],\"v. 放弃, 抛弃\"\n"), false, Format::Csv,
        {QStringLiteral("abandon=v. 放弃, 抛弃@2")}, {}, {QStringLiteral("column2:1")});
    row("csv header 序号,单词,释义", "list.csv", u8("序号,单词,释义\n1,abandon,v. 放弃\n2,apple,n. 苹果\n"), false, Format::Csv,
        {QStringLiteral("abandon=v. 放弃@2"), QStringLiteral("apple=n. 苹果@3")}, {}, {QStringLiteral("column1:2")});
    row("csv unquoted comma in a meaning", "list.csv", u8("abandon,v. 放弃, 抛弃\napple,n. 苹果\n"), false, Format::Csv,
        {QStringLiteral("abandon=v. 放弃, 抛弃@1"), QStringLiteral("apple=n. 苹果@2")}, {}, {QStringLiteral("1:joined")});
    row("excel tab-separated quotes", "list.txt", u8("quote\t\"n. 引语; \"\"引号\"\"\"\n"), false, Format::Tsv,
        {QStringLiteral("quote=n. 引语; \"引号\"@1")});
    row("tsv extra field after the meaning", "list.txt", u8("a\t甲\nb\t乙\textra\n"), false, Format::Tsv,
        {QStringLiteral("a=甲@1"), QStringLiteral("b=乙@2")}, {}, {QStringLiteral("column3:1")});
    row("utf-16 le with bom", "list.txt", ImportFiles::utf16(QStringLiteral("abandon\tv. 放弃\r\napple\tn. 苹果\r\n"), true, true),
        false, Format::Tsv, abandonApple);
    row("utf-16 le without bom", "list.txt", ImportFiles::utf16(QStringLiteral("abandon\tv. 放弃\napple\tn. 苹果\n"), true, false),
        false, Format::Tsv, abandonApple);
    row("utf-16 be with bom", "list.txt", ImportFiles::utf16(QStringLiteral("abandon,v. 放弃\napple,n. 苹果\n"), false, true), false,
        Format::Csv, abandonApple);
    // A lone surrogate cannot be written out: it reads as a broken character.
    row("utf-16 lone surrogate", "list.txt", ImportFiles::utf16(QStringLiteral("ab\t甲") + QChar(0xDDB2) + u'\n', true, true),
        false, Format::Tsv, {QStringLiteral("ab=甲\uFFFD@1")});
    QByteArray binary(3000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 251);
    binary[1500] = '\t';
    row("binary with a tab", "photo.txt", binary, false, Format::Tsv, {});
    row("word list with dictionary", "words.txt", u8("abandon\napple\nzyzzyva\ngive up\n"), true, Format::WordOnly,
        {QStringLiteral("abandon=v. 放弃@1"), QStringLiteral("apple=n. 苹果@2"), QStringLiteral("give up=放弃@4")},
        {QStringLiteral("3:not-found")}, {QStringLiteral("1:dictionary"), QStringLiteral("2:dictionary"), QStringLiteral("4:dictionary")});
    row("word list without dictionary", "words.txt", u8("abandon\napple\n"), false, Format::WordOnly, {},
        {QStringLiteral("1:no-meaning"), QStringLiteral("2:no-meaning")});
    row("numbered dictionary export", "cet4.txt", u8("1. abandon [ə'bændən] v. 放弃\n2、give up vt. 放弃\n3) apple /ˈæpl/ n. 苹果\n"),
        false, Format::Numbered,
        {QStringLiteral("abandon=v. 放弃@1"), QStringLiteral("give up=vt. 放弃@2"), QStringLiteral("apple=n. 苹果@3")}, {},
        {QStringLiteral("column1:3"), QStringLiteral("column3:2")});
    row("two or more spaces", "list.txt", u8("abandon   v. 放弃  抛弃\napple  n. 苹果\n"), false, Format::Spaces,
        {QStringLiteral("abandon=v. 放弃 抛弃@1"), QStringLiteral("apple=n. 苹果@2")}, {}, {QStringLiteral("1:joined")});
    row("dash", "list.txt", u8("well-known - 著名的\ngive up - 放弃 - 抛弃\n"), false, Format::Dash,
        {QStringLiteral("well-known=著名的@1"), QStringLiteral("give up=放弃 - 抛弃@2")});
    row("semicolon", "list.txt", u8("abandon;v. 放弃; 抛弃\napple;n. 苹果\n"), false, Format::Semicolon,
        {QStringLiteral("abandon=v. 放弃; 抛弃@1"), QStringLiteral("apple=n. 苹果@2")}, {}, {QStringLiteral("1:joined")});
    row("equals", "list.txt", u8("abandon = v. 放弃, 抛弃\napple=n. 苹果\n=\n"), false, Format::Equals,
        {QStringLiteral("abandon=v. 放弃, 抛弃@1"), QStringLiteral("apple=n. 苹果@2")}, {QStringLiteral("3:no-word")});
    row("full-width colon and comma", "list.txt", u8("abandon：放弃，抛弃\napple，苹果\nlonely\n"), true, Format::FullWidth,
        {QStringLiteral("abandon=放弃，抛弃@1"), QStringLiteral("apple=苹果@2")}, {QStringLiteral("3:no-separator")});
}

void TestImporter::fileShapes()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, dictionary);
    QFETCH(Format, format);
    QFETCH(QStringList, records);
    QFETCH(QStringList, skipped);
    QFETCH(QStringList, notes);
    QCOMPARE(Import::guessFormat(fileName, bytes), format);
    const Outcome outcome = parse(bytes, Choice{format, {}}, dictionary ? ImportFiles::fakeLookup() : MeaningLookup());
    QCOMPARE(recordsOf(outcome), records);
    QCOMPARE(skippedOf(outcome), skipped);
    QCOMPARE(notesOf(outcome), notes);
    const bool binary = fileName == QStringLiteral("photo.txt");
    QCOMPARE(outcome.error, binary ? Error::NotText : records.isEmpty() ? Error::NoRecords : Error::None);
    QCOMPARE(outcome.noDictionary, !dictionary && format == Format::WordOnly);
}

void TestImporter::chosenColumnsAndTraps()
{
    // The user's own column choice wins over the guess: meaning first here.
    const QByteArray reversed("放弃\tabandon\n苹果\tapple\n");
    Outcome outcome = parse(reversed, Choice{Format::Tsv, {Role::Meaning, Role::Word}});
    QCOMPARE(recordsOf(outcome), (QStringList{QStringLiteral("abandon=放弃@1"), QStringLiteral("apple=苹果@2")}));
    // A word-only list read as a two-line library pairs words with words:
    // that is flagged, a real library is not.
    QVERIFY(parse("abandon\napple\ncat\ndog\n", Format::WordLibrary).pairsLookLikeWords);
    QVERIFY(!parse(TestFiles::gbk(QStringLiteral("abandon\n放弃\ncat\n猫\n")), Format::WordLibrary).pairsLookLikeWords);
    // Stopped by the progress function: no records, and said so.
    outcome = parse(ImportFiles::numberedTsv(10000), Choice{Format::Tsv, {}}, {}, [](qsizetype, qsizetype) { return false; });
    QCOMPARE(outcome.error, Error::Cancelled);
    // The column sample holds the header row and the first rows as they are.
    outcome = parse("No.,Word,Meaning\n1,cat,猫\n", Choice{Format::Csv, {}});
    QCOMPARE(outcome.headerLine, 1);
    QCOMPARE(outcome.sample, (QList<QStringList>{QStringLiteral("No.,Word,Meaning").split(u','), QStringLiteral("1,cat,猫").split(u',')}));
    QCOMPARE(outcome.choice.roles, (QList<Role>{Role::Number, Role::Word, Role::Meaning}));
}

void TestImporter::taskGivesOnlyTheLatestParse()
{
    // A choice changed while a big file is still being read: the first
    // parse's result never arrives, only the second's, with its library.
    const QByteArray big = ImportFiles::numberedTsv(200000);
    ImportTask task;
    QSignalSpy finished(&task, &ImportTask::finished);
    task.start(big, Choice{Format::Tsv, {}}, {});
    task.start(big, Choice{Format::Tsv, {Role::Meaning, Role::Word}}, {});
    QVERIFY(task.isRunning());
    QVERIFY(finished.wait(60000));
    QVERIFY(!finished.wait(300));
    QCOMPARE(finished.size(), 1);
    const auto outcome = finished[0][0].value<Outcome>();
    QCOMPARE(outcome.choice.roles, (QList<Role>{Role::Meaning, Role::Word}));
    QCOMPARE(outcome.records.size(), 200000);
    QCOMPARE(finished[0][1].toByteArray(), libraryBytes(outcome.records));
    QVERIFY(!task.isRunning());

    // Gone while parsing: its thread is stopped and waited for.
    auto doomed = std::make_unique<ImportTask>();
    doomed->start(big, Choice{Format::Tsv, {}}, {});
    doomed.reset();
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
    // Header lines count only where the flashcard reader takes them.
    QTest::newRow("column header") << QStringLiteral("deck.txt") << QByteArray("#notetype column:1\nBasic\tcat\tb\n")
                                   << Format::Flashcard;
    QTest::newRow("header line after data") << QStringLiteral("list.txt") << QByteArray("a\tb\n#tags:x\nc\td\n") << Format::Tsv;
    QTest::newRow("two lines") << QStringLiteral("lib.txt") << QByteArray("a\n\xC6\xBB\n") << Format::WordLibrary;
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
