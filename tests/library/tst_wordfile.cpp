#include "library/WordFile.h"

#include "TestFiles.h"

#include <QByteArrayList>
#include <QTest>

class TestWordFile : public QObject
{
    Q_OBJECT

private slots:
    void splitsLines_data();
    void splitsLines();
    void findsLineEndAtEveryOffset();
    void skipsLinesLikeReadingThem();
};

using Lines = QByteArrayList;

void TestWordFile::splitsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Lines>("lines");

    QTest::newRow("empty file") << QByteArray() << Lines{};
    QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n") << Lines{"one", "two"};
    QTest::newRow("LF") << QByteArray("one\ntwo\n") << Lines{"one", "two"};
    QTest::newRow("CR") << QByteArray("one\rtwo\r") << Lines{"one", "two"};
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd\r\n") << Lines{"a", "b", "c", "d"};
    QTest::newRow("last line without line end") << QByteArray("a\r\nb") << Lines{"a", "b"};
    QTest::newRow("single line without line end") << QByteArray("word") << Lines{"word"};
    QTest::newRow("only a line end") << QByteArray("\r\n") << Lines{""};
    QTest::newRow("CR then CR LF") << QByteArray("a\r\r\nb") << Lines{"a", "", "b"};
    QTest::newRow("LF then CR") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
    QTest::newRow("empty lines of each kind")
        << QByteArray("\r\n\n\ra\r\n\r\n") << Lines{"", "", "", "a", ""};
    QTest::newRow("spaces are content") << QByteArray("  \r\n \tx \r\n") << Lines{"  ", " \tx "};
    QTest::newRow("BOM is not part of the first line")
        << QByteArray("\xEF\xBB\xBFone\r\ntwo") << Lines{"one", "two"};
    QTest::newRow("BOM alone") << QByteArray("\xEF\xBB\xBF") << Lines{};
    // GBK bytes next to the line end must stay with their line.
    QTest::newRow("GBK text") << TestFiles::gbk(QStringLiteral("单词\r\n意思\r\n"))
                              << Lines{TestFiles::gbk(QStringLiteral("单词")), TestFiles::gbk(QStringLiteral("意思"))};
}

void TestWordFile::splitsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Lines, lines);

    WordFileReader reader(bytes);
    Lines seen;
    QByteArrayView line;
    while (reader.nextLine(line))
        seen << line.toByteArray();
    QCOMPARE(seen, lines);
    QVERIFY(reader.atEnd());
    QCOMPARE(countLines(bytes), qsizetype(lines.size()));
}

void TestWordFile::findsLineEndAtEveryOffset()
{
    // Bytes that differ from CR or LF in a single bit, and the extremes,
    // placed so that the line end falls on every offset within and across
    // eight-byte blocks.
    const QByteArray fillers("\x8a\x8d\x0b\x0c\x0e\x09\x00\xff\x2a\x2d\x1a\x1d", 12);
    for (const char lineEnd : {'\r', '\n'}) {
        for (int start = 0; start < 8; ++start) {
            for (int length = 0; length <= 24; ++length) {
                QByteArray line;
                for (int i = 0; i < length; ++i)
                    line += fillers.at((i + start) % fillers.size());
                const QByteArray bytes = QByteArray(start, 'x') + '\n' + line + lineEnd + "tail";
                WordFileReader reader(bytes);
                QByteArrayView seen;
                QVERIFY(reader.nextLine(seen));
                QVERIFY(reader.nextLine(seen));
                QCOMPARE(seen.toByteArray(), line);
                QVERIFY(reader.nextLine(seen));
                QCOMPARE(seen.toByteArray(), QByteArray("tail"));
                QVERIFY(!reader.nextLine(seen));
                QCOMPARE(countLines(bytes), qsizetype(3));
            }
        }
    }
}

void TestWordFile::skipsLinesLikeReadingThem()
{
    // A jumble of line lengths, line-end kinds and runs of empty lines, so
    // that line starts fall everywhere within and across 16-byte blocks.
    QByteArray bytes;
    quint32 state = 12345;
    const auto next = [&state](quint32 bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % bound;
    };
    const char *const ends[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\r", "\r\r\n\n"};
    for (int line = 0; line < 400; ++line) {
        const quint32 length = next(3) == 0 ? next(40) : next(6);
        for (quint32 k = 0; k < length; ++k)
            bytes += char(next(2) ? 'a' + next(26) : 0x81 + next(0x7e));
        bytes += ends[next(6)];
    }
    bytes += "last";

    WordFileReader reference(bytes);
    QList<QByteArray> lines;
    QByteArrayView line;
    while (reference.nextNonEmptyLine(line))
        lines << line.toByteArray();
    QVERIFY(lines.size() > 200);

    for (qsizetype count = 0; count <= lines.size() + 1; ++count) {
        WordFileReader reader(bytes);
        const qsizetype skipped = reader.skipNonEmptyLines(count);
        QCOMPARE(skipped, qMin(count, qsizetype(lines.size())));
        if (count < lines.size()) {
            QVERIFY(reader.nextNonEmptyLine(line));
            QCOMPARE(line.toByteArray(), lines.at(count));
        } else {
            QVERIFY(!reader.hasMoreRecords());
            QVERIFY(!reader.nextNonEmptyLine(line));
        }
    }

    // Skipping in steps ends where one long skip does.
    WordFileReader stepwise(bytes);
    QCOMPARE(stepwise.skipNonEmptyLines(7), qsizetype(7));
    QCOMPARE(stepwise.skipNonEmptyLines(50), qsizetype(50));
    WordFileReader direct(bytes);
    direct.skipNonEmptyLines(57);
    QCOMPARE(stepwise.position(), direct.position());
}

QTEST_APPLESS_MAIN(TestWordFile)
#include "tst_wordfile.moc"
