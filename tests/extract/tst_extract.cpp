#include "ExtractFixture.h"

#include "dict/Dictionary.h"
#include "extract/ExtractTask.h"
#include "extract/TextSources.h"
#include "extract/Tokeniser.h"
#include "extract/WordExtractor.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

namespace {

// A zip of (name, bytes) members, deflated, through minizip.
void writeZip(const QString &path, const QList<QPair<QByteArray, QByteArray>> &members)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    QVERIFY(zip != nullptr);
    for (const auto &[name, bytes] : members) {
        zip_fileinfo info{};
        QCOMPARE(zipOpenNewFileInZip64(zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0),
                 ZIP_OK);
        QCOMPARE(zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size())), ZIP_OK);
        zipCloseFileInZip(zip);
    }
    QCOMPARE(zipClose(zip, nullptr), ZIP_OK);
}

QByteArray xhtml(const QByteArray &body)
{
    return "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body>" + body + "</body></html>";
}

const QByteArray container = "<?xml version=\"1.0\"?><container><rootfiles>"
                             "<rootfile full-path=\"OEBPS/content.opf\"/></rootfiles></container>";
const QByteArray package = "<?xml version=\"1.0\"?><package><manifest>"
                           "<item id=\"a\" href=\"text/one.xhtml\"/><item id=\"b\" href=\"text/two%20b.xhtml\"/>"
                           "</manifest><spine><itemref idref=\"b\"/><itemref idref=\"a\"/></spine></package>";

} // namespace

class TestExtract : public QObject
{
    Q_OBJECT

private slots:
    // Each format to its blocks (joined by " | ").
    void readers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("blocks");
        QTest::newRow("srt")
            << "a.srt" << ExtractFixture::subtitle()
            << "The children entered the ancient forest. | Rivers glimmered. Then Rose smiled and whispered. | "
               "The children's voices, the wild river and the ancient meadow.";
        QTest::newRow("vtt") << "a.vtt"
                             << QByteArray(
                                    "WEBVTT - title\n\nNOTE a comment here\n\nSTYLE\n::cue { color: red }\n\n"
                                    "intro\n00:01.000 --> 00:02.000 align:start\n<v Bob>Fish &amp; <c.x>chips</c>\n"
                                    "<00:01.500>now\n\n00:03.000 --> 00:04.000\nTwo\n")
                             << "Fish & chips now | Two";
        QTest::newRow("ass")
            << "a.ass"
            << QByteArray("[Script Info]\nTitle: x\n\n[V4+ Styles]\nFormat: Name, Fontname\n\n[Events]\n"
                          "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
                          "Comment: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,hidden\n"
                          "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\i1}Hello,{\\i0} world\\Nagain\n")
            << "Hello, world again";
        QTest::newRow("html")
            << "a.html"
            << QByteArray("<!DOCTYPE html><html><head><title>Tea</title><style>p{x:y}</style>"
                          "<script>if (a<b) go();</script></head><body><!-- note -->"
                          "<p>Caf&eacute; &amp; t&#233;a<br>A&nbsp;<b>bold</b>  one &#x2019;</p></body></html>")
            << "Tea | Café & téa | A bold one \u2019";
        QTest::newRow("plain utf-8 two paragraphs")
            << "a.txt" << QByteArray("naïve line\nwrapped\n\nSecond") << "naïve line wrapped | Second";
        QTest::newRow("plain gbk") << "a.txt" << TestFiles::gbk(QStringLiteral("中文 river\r\n")) << "中文 river";
        QTest::newRow("plain utf-16") << "a.txt" << QByteArray("\xFF\xFEh\0i\0", 6) << "hi";
        QTest::newRow("empty") << "a.txt" << QByteArray("\n \n") << "";
    }

    void readers()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, blocks);
        QTemporaryDir dir;
        TestFiles::writeBytes(dir.filePath(name), bytes);
        const TextSources::Document document = TextSources::readFile(dir.filePath(name));
        QCOMPARE(document.error, QString());
        QCOMPARE(document.blocks.join(QStringLiteral(" | ")), blocks);
    }

    // Books in spine order, without a package in name order; damage named.
    void epub_data()
    {
        QTest::addColumn<bool>("withPackage");
        QTest::addColumn<int>("damage"); // 0 none, 1 truncated, 2 a byte of a member changed
        QTest::addColumn<QString>("blocks");
        QTest::addColumn<QString>("error");
        QTest::newRow("spine order") << true << 0 << "Second part | First part" << QString();
        QTest::newRow("name order") << false << 0 << "First part | Second part" << QString();
        QTest::newRow("truncated") << true << 1 << ""
                                   << "不是完整的 zip";
        QTest::newRow("bad member") << true << 2 << ""
                                    << "“OEBPS/text/one.xhtml”的数据有误";
    }

    void epub()
    {
        QFETCH(bool, withPackage);
        QFETCH(int, damage);
        QFETCH(QString, blocks);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.epub"));
        QList<QPair<QByteArray, QByteArray>> members = {{"mimetype", "application/epub+zip"}};
        if (withPackage)
            members += {{"META-INF/container.xml", container}, {"OEBPS/content.opf", package}};
        members += {{"OEBPS/text/one.xhtml", xhtml("<p>First part</p>" + QByteArray(400, ' '))},
                    {"OEBPS/text/two b.xhtml", xhtml("<p>Second part</p>")}};
        writeZip(path, members);
        QByteArray bytes = TestFiles::readBytes(path);
        if (damage == 1)
            bytes.chop(30);
        if (damage == 2) {
            // Deflated spaces are the same bytes over and over; change one.
            const qsizetype at = bytes.indexOf("OEBPS/text/one.xhtml") + 40;
            bytes[at] = char(bytes[at] ^ 0x55);
        }
        TestFiles::writeBytes(path, bytes);
        const TextSources::Document document = TextSources::readFile(path);
        QVERIFY2(document.error.contains(error), qPrintable(document.error));
        QCOMPARE(document.error.isEmpty(), error.isEmpty());
        QCOMPARE(document.blocks.join(QStringLiteral(" | ")), blocks);
    }

    void tokens_data()
    {
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("tokens"); // word, with ^ for a capital, * for all capitals, + for the first
        QTest::newRow("contractions") << "Don't, they won\u2019t; it's John's dog I've seen."
                                      << "Do^+ they will it John^ dog seen";
        QTest::newRow("hyphens and quotes") << "'Well-known' ice-cold -- trail-- o'clock runnin'"
                                            << "Well-known^+ ice-cold trail o'clock runnin";
        QTest::newRow("numbers and addresses") << "See 3rd mp3 1990s https://x.org/a www.y.com a@b.cn e.g. U.S. NASA ok"
                                               << "See^+ NASA* ok";
        QTest::newRow("timing and letters") << "00:01:02,000 --> x I go an AN"
                                            << "go";
        QTest::newRow("not latin") << "中文 naïve"
                                   << "naïve+";
    }

    void tokens()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, tokens);
        QStringList seen;
        for (const Tokeniser::Token &token : Tokeniser::words(sentence)) {
            const char *mark = token.letterCase == Tokeniser::Case::Capitalised ? "^"
                               : token.letterCase == Tokeniser::Case::AllCaps   ? "*"
                                                                                : "";
            seen << token.word + QLatin1String(mark) + (token.sentenceStart ? QStringLiteral("+") : QString());
        }
        QCOMPARE(seen.join(u' '), tokens);
    }

    void sentences()
    {
        QCOMPARE(Tokeniser::sentences(u"Mr. Smith ran.  \"Why?\" he said… Then 3.5 went! End"),
                 (QList<QString>{QStringLiteral("Mr. Smith ran."), QStringLiteral("\"Why?\" he said…"),
                                 QStringLiteral("Then 3.5 went!"), QStringLiteral("End")}));
    }

    void baseForms_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("base");
        QTest::newRow("past") << "entered"
                              << "enter";
        QTest::newRow("irregular plural") << "children"
                                          << "child";
        QTest::newRow("entry with a lemma") << "studies"
                                            << "study";
        QTest::newRow("past of another verb") << "studied"
                                              << "study";
        QTest::newRow("irregular past") << "was"
                                        << "be";
        QTest::newRow("base itself") << "river"
                                     << "river";
        QTest::newRow("hyphenated entry") << "well-known"
                                          << "well-known";
        QTest::newRow("form of two entries") << "shelves"
                                             << "shelf";
        QTest::newRow("unknown") << "zzzz"
                                 << "";
    }

    void baseForms()
    {
        QFETCH(QString, word);
        QFETCH(QString, base);
        QTemporaryDir dir;
        ExtractFixture::write(dir.path());
        Dictionary dictionary({dir.filePath(QStringLiteral("data/ecdict-core.tsv"))});
        BaseForms forms(dictionary);
        QCOMPARE(forms.of(word), base);
    }

    // Known words, known levels and proper nouns out; counts by base form.
    void filtering_data()
    {
        QTest::addColumn<QStringList>("known");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("candidates");
        const QString all =
            QStringLiteral("the:5 child:2 ancient:2 river:2 and:2 enter:1 forest:1 glimmer:1 smile:1 whisper:1 "
                           "voice:1 wild:1 meadow:1");
        QTest::newRow("nothing known") << QStringList{} << int(ExamLevel::None) << all;
        QTest::newRow("known list, any form")
            << QStringList{QStringLiteral("the"), QStringLiteral("children"), QStringLiteral("Enter")}
            << int(ExamLevel::None)
            << "ancient:2 river:2 and:2 forest:1 glimmer:1 smile:1 whisper:1 voice:1 wild:1 meadow:1";
        QTest::newRow("up to 高考") << QStringList{} << ExamLevel::fromName(QStringLiteral("高考"))
                                    << "ancient:2 glimmer:1 whisper:1 wild:1 meadow:1";
        QTest::newRow("up to GRE") << QStringList{} << ExamLevel::fromName(QStringLiteral("gre")) << "wild:1";
    }

    void filtering()
    {
        QFETCH(QStringList, known);
        QFETCH(int, level);
        QFETCH(QString, candidates);
        QTemporaryDir dir;
        ExtractFixture::write(dir.path());
        TestFiles::writeBytes(dir.filePath(QStringLiteral("known.txt")), known.join(u'\n').toUtf8() + "\n# comment\n");
        Dictionary dictionary({dir.filePath(QStringLiteral("data/ecdict-core.tsv"))});
        BaseForms forms(dictionary);
        ExtractOptions options;
        options.knownWords = readKnownWords(dir.filePath(QStringLiteral("known.txt")));
        options.knownLevel = level;
        const ExtractResult result = extractWords(
            TextSources::subRipBlocks(QString::fromUtf8(ExtractFixture::subtitle())), dictionary, forms, options);
        QStringList seen;
        for (const ExtractCandidate &candidate : result.candidates)
            seen << candidate.word + u':' + QString::number(candidate.count);
        QCOMPARE(seen.join(u' '), candidates);
        QCOMPARE(result.properNouns, 1); // Rose, capitalised inside a sentence
    }

    // A text without full stops shows the part of its sentence around a word.
    void longSentenceExcerpt()
    {
        QTemporaryDir dir;
        ExtractFixture::write(dir.path());
        Dictionary dictionary({dir.filePath(QStringLiteral("data/ecdict-core.tsv"))});
        BaseForms forms(dictionary);
        const QString block = QStringLiteral("the river ").repeated(60) + QStringLiteral("meadows and ice ") +
                              QStringLiteral("the forest ").repeated(60);
        const ExtractResult result = extractWords({block}, dictionary, forms, ExtractOptions{});
        const auto meadow = std::find_if(result.candidates.begin(), result.candidates.end(),
                                         [](const ExtractCandidate &c) { return c.word == QLatin1String("meadow"); });
        QVERIFY(meadow != result.candidates.end());
        QVERIFY2(meadow->sentence.startsWith(u'…') && meadow->sentence.endsWith(u'…'), qPrintable(meadow->sentence));
        QVERIFY(meadow->sentence.contains(QLatin1String("river meadows and ice the")));
        QCOMPARE(meadow->sentence.size(), 242);
    }

    // The background reading: words or the reason there are none, with
    // progress that only grows and ends complete.
    void task_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("subtitle") << ExtractFixture::subtitle() << QStringLiteral("13 words");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("文件是空的，没有可提取的文字。");
        QTest::newRow("binary") << QByteArray("\x7f" "ELF\x02\x01\x00\x00\x00\x00\x00", 12).repeated(50)
                                << QStringLiteral("不是文本文件（像是二进制文件）。");
        QTest::newRow("not English") << QStringLiteral("这是一段中文。没有英文。Lorem ipsum dolor sit amet.").toUtf8()
                                     << QStringLiteral("这不像英文文本：大部分词在词典里查不到。");
        QTest::newRow("missing") << QByteArray("-") << QStringLiteral("无法读取文件。");
    }

    void task()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        ExtractFixture::write(dir.path());
        const QString path = dir.filePath(QStringLiteral("input.srt"));
        if (bytes != "-")
            TestFiles::writeBytes(path, bytes);
        Dictionary dictionary({dir.filePath(QStringLiteral("data/ecdict-core.tsv"))});
        ExtractTask task(dictionary);
        QSignalSpy progress(&task, &ExtractTask::progress);
        QSignalSpy finished(&task, &ExtractTask::finished);
        task.start(path, ExtractOptions{});
        QVERIFY(task.isRunning());
        QVERIFY(finished.wait(10000));
        QVERIFY(!task.isRunning());
        const auto result = finished.first().first().value<ExtractResult>();
        QCOMPARE(result.error.isEmpty() ? QStringLiteral("%1 words").arg(result.candidates.size()) : result.error, outcome);
        int last = -1;
        for (const QList<QVariant> &report : progress) {
            QVERIFY(report.first().toInt() >= last);
            last = report.first().toInt();
        }
        if (result.error.isEmpty())
            QCOMPARE(last, 100);
    }

    // Told to stop, the extraction ends part-way with nothing to show; a
    // task deleted while it reads stops its thread before it goes.
    void stopsWhenAsked()
    {
        QTemporaryDir dir;
        ExtractFixture::write(dir.path());
        const QString path = dir.filePath(QStringLiteral("long.txt"));
        TestFiles::writeBytes(path, QByteArray("The children entered the ancient forest.\n\n").repeated(100000));
        Dictionary dictionary({dir.filePath(QStringLiteral("data/ecdict-core.tsv"))});
        QList<int> told;
        ExtractOptions options;
        options.progress = [&told](int percent) {
            told.append(percent);
            return percent < 50;
        };
        const ExtractResult result = extractFromFile(path, dictionary, options);
        QVERIFY(result.stopped);
        QVERIFY(result.candidates.isEmpty());
        QVERIFY2(told.last() >= 50 && told.last() < 100, qPrintable(QString::number(told.last())));

        int delivered = 0;
        {
            ExtractTask task(dictionary);
            connect(&task, &ExtractTask::finished, this, [&] { ++delivered; });
            task.start(path, ExtractOptions{});
        }
        QTest::qWait(50);
        QCOMPARE(delivered, 0);
    }

    // Seeding the known-words list by level keeps what the user wrote.
    void knownWordsByLevel()
    {
        QTemporaryDir dir;
        ExtractFixture::write(dir.path());
        Dictionary dictionary({dir.filePath(QStringLiteral("data/ecdict-core.tsv"))});
        QCOMPARE(wordsUpToLevel(dictionary, ExamLevel::fromName(QStringLiteral("高考"))).join(u' '),
                 QStringLiteral("and be child cold enter forest ice river rose shelf smile study the voice"));
        int added = -1;
        const QString text = withKnownWords(QStringLiteral("# mine\nThe\nwild"),
                                            wordsUpToLevel(dictionary, ExamLevel::fromName(QStringLiteral("中考"))).mid(0, 3)
                                                + QStringList{QStringLiteral("Wild")},
                                            &added);
        QCOMPARE(text, QStringLiteral("# mine\nThe\nwild\nand\nbe\nchild\n"));
        QCOMPARE(added, 3);
        const QString path = dir.filePath(QStringLiteral("known.txt"));
        QVERIFY(writeKnownWordsText(path, text));
        QCOMPARE(readKnownWords(path), (QSet<QString>{QStringLiteral("the"), QStringLiteral("wild"), QStringLiteral("and"),
                                                       QStringLiteral("be"), QStringLiteral("child")}));
        QVERIFY(!writeKnownWordsText(dir.filePath(QStringLiteral("no/such/folder/known.txt")), text));
    }
};

QTEST_GUILESS_MAIN(TestExtract)
#include "tst_extract.moc"
