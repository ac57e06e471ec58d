#include "DictionaryFixture.h"

#include "dict/Dictionary.h"
#include "dict/MeaningLine.h"

#include <QTemporaryDir>
#include <QTest>

// The core dictionary's reader over the fixture file and damaged copies of
// it: what a lookup finds, and that a bad file means no dictionary at all.
class TestDictionary : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("phonetic");
        QTest::addColumn<QString>("translation");
        QTest::newRow("first entry") << "China" << "China" << "ˈtʃaɪnə" << "n. 中国";
        QTest::newRow("last entry") << "zebra" << "zebra" << "ˈziːbrə" << "n. 斑马";
        QTest::newRow("line breaks") << "might" << "might" << "maɪt" << "aux. 可能, 也许\nn. 力量, 权力, 威力";
        QTest::newRow("backslash") << "backslash" << "backslash" << "ˈbækslæʃ" << "n. 反斜杠 \\ 符号";
        // Exact spelling first, so the capitalised entry is found as such...
        QTest::newRow("capital exact") << "Polish" << "Polish" << "ˈpəʊlɪʃ" << "a. 波兰的\nn. 波兰语";
        // ... and the lower-case entry only when there is none.
        QTest::newRow("lower-case fallback") << "POLISH" << "polish" << "ˈpɒlɪʃ" << "vt. 擦亮, 使优美\nn. 上光剂";
        QTest::newRow("sentence start") << "Enter" << "enter" << "ˈentə" << "vt. 进入, 参加, 登记, 输入\nvi. 进来, 参加";
        QTest::newRow("no lower-case entry") << "china" << "" << "" << "";
        QTest::newRow("phrase") << "ice cream" << "ice cream" << "ˌaɪs ˈkriːm" << "n. 冰淇淋";
        QTest::newRow("spaces around") << " apple\t" << "apple" << "ˈæpl" << "n. 苹果, 家伙\n[医] 苹果";
        QTest::newRow("non-ASCII") << "naïve" << "naïve" << "nɑːˈiːv" << "a. 天真的, 幼稚的";
        QTest::newRow("no phonetic") << "ok" << "ok" << "" << "int. 好";
        QTest::newRow("prefix only") << "app" << "" << "" << "";
        QTest::newRow("longer") << "apples" << "" << "" << "";
        QTest::newRow("before all") << "Aaa" << "" << "" << "";
        QTest::newRow("after all") << "zzz" << "" << "" << "";
        QTest::newRow("empty") << "" << "" << "" << "";
    }

    void lookup()
    {
        QFETCH(QString, asked);
        QFETCH(QString, word);
        QFETCH(QString, phonetic);
        QFETCH(QString, translation);
        QTemporaryDir dir;
        Dictionary dictionary({DictionaryFixture::write(dir.path())});
        const std::optional<DictionaryEntry> entry = dictionary.lookup(asked);
        QCOMPARE(dictionary.load(), Dictionary::State::Loaded);
        QCOMPARE(entry.has_value(), !word.isEmpty());
        if (entry) {
            QCOMPARE(entry->word, word);
            QCOMPARE(entry->phonetic, phonetic);
            QCOMPARE(entry->translation, translation);
        }
    }

    void otherColumns()
    {
        QTemporaryDir dir;
        Dictionary dictionary({DictionaryFixture::write(dir.path())});
        const std::optional<DictionaryEntry> can = dictionary.lookup(QStringLiteral("can"));
        QVERIFY(can);
        QCOMPARE(can->exchange, QStringLiteral("p:canned/d:canned/i:canning/3:cans"));
        QCOMPARE(can->tags, QStringLiteral("zk gk cet4"));
        QCOMPARE(dictionary.entryCount(), 13);
    }

    // Anything wrong with the file: no dictionary, no crash, nothing found.
    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("state");
        const QByteArray good = DictionaryFixture::text();
        const int damaged = int(Dictionary::State::Damaged);
        QTest::newRow("empty") << QByteArray() << damaged;
        QTest::newRow("comments only") << QByteArray("# nothing here\n") << damaged;
        QTest::newRow("cut mid-line") << good.left(good.indexOf("might") + 12) << damaged;
        QTest::newRow("a column short") << QByteArray("apple\tˈæpl\tn. 苹果\t\n") << damaged;
        QTest::newRow("a column more") << QByteArray("apple\tˈæpl\tn. 苹果\t\t\t\n") << damaged;
        QTest::newRow("no word") << QByteArray("\tˈæpl\tn. 苹果\t\t\n") << damaged;
        QTest::newRow("out of order") << QByteArray("zebra\t\tn. 斑马\t\t\napple\t\tn. 苹果\t\t\n") << damaged;
        QTest::newRow("twice") << QByteArray("apple\t\tn. 苹果\t\t\napple\t\tn. 苹果\t\t\n") << damaged;
        QTest::newRow("comment after entries") << good + "# more\n" << damaged;
        QTest::newRow("binary") << TestFiles::randomBytes(4096, 7) << damaged;
        QTest::newRow("missing") << QByteArray("-") << int(Dictionary::State::Missing);
    }

    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, state);
        QTemporaryDir dir;
        const QString path = bytes == "-" ? dir.filePath(QStringLiteral("data/ecdict-core.tsv"))
                                          : DictionaryFixture::write(dir.path(), bytes);
        Dictionary dictionary({path});
        QVERIFY(!dictionary.lookup(QStringLiteral("apple")));
        QCOMPARE(int(dictionary.state()), state);
        QVERIFY(dictionary.meaningLine(QStringLiteral("apple")).isEmpty());
        QVERIFY(dictionary.describe(QStringLiteral("apple")).isEmpty());
    }

    // Harmless differences a hand-edited copy may have still read.
    void toleratedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray good = DictionaryFixture::text();
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF") + good;
        QTest::newRow("CR LF") << QByteArray(good).replace("\n", "\r\n");
        QTest::newRow("no last line break") << good.chopped(1);
        QTest::newRow("no comments") << good.mid(good.indexOf("China"));
    }

    void toleratedFiles()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        Dictionary dictionary({DictionaryFixture::write(dir.path(), bytes)});
        for (const char *word : {"China", "might", "zebra"}) {
            const std::optional<DictionaryEntry> entry = dictionary.lookup(QString::fromUtf8(word));
            QVERIFY2(entry, word);
            QCOMPARE(entry->word, QString::fromUtf8(word));
        }
        QCOMPARE(dictionary.lookup(QStringLiteral("zebra"))->tags, QStringLiteral("zk"));
    }

    // The first existing candidate is read; nothing is read before a lookup.
    void places()
    {
        QTemporaryDir working;
        QTemporaryDir program;
        const QStringList places = Dictionary::standardPlaces(working.filePath(QStringLiteral("data")), program.path());
        QCOMPARE(places.size(), 2);
        Dictionary dictionary(places);
        QCOMPARE(dictionary.state(), Dictionary::State::NotLoaded);
        DictionaryFixture::write(program.path());
        QVERIFY(dictionary.lookup(QStringLiteral("apple")));
        QCOMPARE(dictionary.path(), program.filePath(QStringLiteral("data/ecdict-core.tsv")));

        DictionaryFixture::write(working.path(), "apple\tworking\t\t\t\n");
        Dictionary preferred(places);
        QCOMPARE(preferred.lookup(QStringLiteral("apple"))->phonetic, QStringLiteral("working"));
    }

    // The library-style meaning line made of a full translation.
    void meaningLine_data()
    {
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("two senses a part") << "vt. 进入, 参加, 登记\nn. 入口, 门口" << "vt. 进入，参加；n. 入口，门口";
        QTest::newRow("function word first") << "n. 力量, 权力\naux. 可能, 也许" << "aux. 可能，也许；n. 力量，权力";
        QTest::newRow("three parts at most") << "n. 罐头\nvt. 装罐\naux. 能\nadv. 很" << "aux. 能；n. 罐头；vt. 装罐";
        QTest::newRow("one slot per verb") << "vi. 跑\nvt. 经营\nn. 跑步" << "vi. 跑；n. 跑步";
        QTest::newRow("shared sense merged") << "n. 谋杀, 凶杀\nvt. 谋杀" << "n./vt. 谋杀；n. 凶杀";
        QTest::newRow("repeat dropped") << "vi. 发生, 发生, 碰巧" << "vi. 发生，碰巧";
        QTest::newRow("notes stripped") << "n. 同样的人(或物), [口]家伙（俚）" << "n. 同样的人，家伙";
        QTest::newRow("unbalanced note") << "a. [对...厌倦的；生腻的[with]" << "a. 对…厌倦的；生腻的";
        QTest::newRow("subject and web last") << "[医] 苹果\nn. 苹果, 家伙\n[网络] 苹果公司" << "n. 苹果，家伙";
        QTest::newRow("subject line carries on") << "[计] 光标\n游标\nn. 鼠标" << "n. 鼠标";
        QTest::newRow("web only") << "[网络] 某网站" << "某网站";
        QTest::newRow("inflection note gives way") << "n. dog的复数, 狗们" << "n. 狗们";
        QTest::newRow("only an inflection") << "v. go的过去式" << "v. go的过去式";
        QTest::newRow("abbreviation gives way") << "n. 话题\nabbr. Test Of Pupils" << "n. 话题";
        QTest::newRow("abbreviation alone") << "abbr. 美国" << "abbr. 美国";
        QTest::newRow("second senses go first")
            << "n. 一二三四五六七八九十一二三四, 一二三四五六七八九十一二三四\nvt. 一二三四五六七八九十, 一二三四五六七八九十"
            << "n. 一二三四五六七八九十一二三四；vt. 一二三四五六七八九十";
        QTest::newRow("nothing") << "\n  \n" << "";
    }

    void meaningLine()
    {
        QFETCH(QString, translation);
        QFETCH(QString, meaning);
        QCOMPARE(meaningLineOf(translation), meaning);
        QVERIFY(meaningLabelLines(meaning) <= 2);
    }

    // A sense too long for the label is cut at a character, with "…".
    void meaningLineCut()
    {
        const QString longSense = QStringLiteral("n. ") + QString(60, QChar(0x4E00));
        const QString cut = meaningLineOf(longSense);
        QCOMPARE(meaningLabelLines(cut), 2);
        QVERIFY(cut.endsWith(QChar(0x2026)));
        QVERIFY(meaningLabelLines(cut.chopped(1) + QChar(0x4E00) + QChar(0x2026)) > 2);
    }

    void labelLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::newRow("17 characters fit") << QString(17, QChar(0x4E00)) << 1;
        QTest::newRow("18 do not") << QString(18, QChar(0x4E00)) << 2;
        // A Latin word moves whole to the next line.
        QTest::newRow("word kept whole") << QString(15, QChar(0x4E00)) + QLatin1String("abcdef") << 2;
        // A comma stays with the character before it.
        QTest::newRow("no comma first") << QString(17, QChar(0x4E00)) + QStringLiteral("，") << 2;
        // A blank before a closer does not hang over the line's end: it stays
        // with the word before it.
        QTest::newRow("blank before a closer") << QStringLiteral("n. 咖啡馆，小餐厅( cafe的名词复数 )") << 2;
        QTest::newRow("three lines")
            << QStringLiteral("n. 猛烈的攻击/谴责，连珠炮似的攻讦/谴责，舷侧；adv. 无目标地，胡乱地") << 3;
        QTest::newRow("a word a line") << QString(34, QLatin1Char('a')) + QLatin1Char(' ') + QString(34, QLatin1Char('b')) << 2;
    }

    void labelLines()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QCOMPARE(meaningLabelLines(text), lines);
    }

    void meaningLookup()
    {
        QTemporaryDir dir;
        auto dictionary = std::make_shared<Dictionary>(QStringList{DictionaryFixture::write(dir.path())});
        const std::function<QString(const QString &)> lookup = Dictionary::meaningLookup(dictionary);
        dictionary.reset();
        QCOMPARE(lookup(QStringLiteral("might")), QStringLiteral("aux. 可能，也许；n. 力量，权力"));
        QCOMPARE(lookup(QStringLiteral("Happen")), QStringLiteral("vi. 发生，碰巧"));
        QCOMPARE(lookup(QStringLiteral("nope")), QString());
    }
};

QTEST_GUILESS_MAIN(TestDictionary)
#include "tst_dictionary.moc"
