#include "browse/BrowseWalk.h"
#include "browse/SingleRandom.h"

#include <QtTest>

namespace {

// Loads one letter per word into the walk, as the loader would.
void fill(BrowseWalk &walk, const QString &letters)
{
    walk.Words = WordTable{};
    for (int i = 0; i < letters.size(); ++i)
        walk.Words[size_t(i)].Word = letters.at(i);
    walk.WordCount = qint16(letters.size());
    walk.groupLoaded(false);
}

// Ticks as the bar does and returns what was shown, "_" for the empty slot
// after the last word. At the end of a group the walk goes on with `next`,
// whose starting slot is shown at once, or records "|" when there is none.
QString run(BrowseWalk &walk, int ticks, bool loop, const QString &next = {})
{
    QString seen;
    for (int t = 0; t < ticks; ++t) {
        if (walk.tick([loop] { return loop; }) == BrowseWalk::Step::EndOfGroup) {
            if (next.isEmpty()) {
                seen += u'|';
                continue;
            }
            fill(walk, next);
        }
        seen += walk.current().Word.isEmpty() ? QStringLiteral("_") : walk.current().Word;
        walk.shown();
    }
    return seen;
}

QString sorted(QString text)
{
    std::sort(text.begin(), text.end());
    return text;
}

} // namespace

class TestBrowseWalk : public QObject
{
    Q_OBJECT

private slots:
    void fixedOrders_data()
    {
        QTest::addColumn<BrowseOrder>("order");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sequence, loop") << BrowseOrder::Sequence << true << QStringLiteral("ABC_ABC_A");
        QTest::newRow("sequence, next") << BrowseOrder::Sequence << false << QStringLiteral("ABC_DEF_");
        QTest::newRow("negative, loop") << BrowseOrder::Negative << true << QStringLiteral("CBA_CBA_C");
        QTest::newRow("negative, next") << BrowseOrder::Negative << false << QStringLiteral("CBA_FED");
        QTest::newRow("empty group") << BrowseOrder::Sequence << true << QStringLiteral("___");
    }

    void fixedOrders()
    {
        QFETCH(BrowseOrder, order);
        QFETCH(bool, loop);
        QFETCH(QString, expected);
        SingleRandom random;
        BrowseWalk walk(random);
        walk.Order = order;
        fill(walk, expected.contains(u'A') ? QStringLiteral("ABC") : QString());
        QCOMPARE(run(walk, int(expected.size()), loop, QStringLiteral("DEF")), expected);
    }

    void randomPasses()
    {
        SingleRandom random;
        BrowseWalk walk(random);
        walk.Order = BrowseOrder::Random;
        fill(walk, QStringLiteral("ABC"));
        const QString seen = run(walk, 3 + 20 * 3, true);
        QCOMPARE(sorted(seen.left(3)), QStringLiteral("ABC"));
        QStringList passes;
        for (int pass = 1; pass <= 20; ++pass) {
            const QString thisPass = seen.mid(pass * 3, 3);
            // A new pass starts with the last word of the old one again,
            // then shows the other two.
            QCOMPARE(thisPass.at(0), seen.at(pass * 3 - 1));
            QCOMPARE(sorted(thisPass), QStringLiteral("ABC"));
            passes << thisPass;
        }
        passes.removeDuplicates();
        QVERIFY2(passes.size() > 1, qPrintable(seen)); // really drawn

        // Going on: slot 0 of the next group, then the rest of it at random.
        fill(walk, QStringLiteral("ABC"));
        const QString onwards = run(walk, 6, false, QStringLiteral("DEF"));
        QCOMPARE(sorted(onwards.left(3)), QStringLiteral("ABC"));
        QCOMPARE(onwards.at(3), QChar(u'D'));
        QCOMPARE(sorted(onwards.mid(4)), QStringLiteral("EF"));
    }

    void randomNumbersAreSingleFractionsFromAFixedSeed()
    {
        SingleRandom first;
        SingleRandom second;
        double sum = 0;
        for (int i = 0; i < 20000; ++i) {
            const float u = first.next();
            QVERIFY(u >= 0.0f && u < 1.0f);
            QCOMPARE(second.next(), u);
            sum += u;
        }
        QVERIFY2(qAbs(sum / 20000 - 0.5) < 0.01, qPrintable(QString::number(sum / 20000)));
    }

    void delayInterval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("milliseconds");
        QTest::newRow("plain") << QStringLiteral(" 5 ") << 5000;
        QTest::newRow("zero: no ticks") << QStringLiteral("0") << 0;
        QTest::newRow("past a 16-bit product") << QStringLiteral("33") << 33000;
        QTest::newRow("large") << QStringLiteral("99999") << MaxDelaySeconds * 1000;
        QTest::newRow("too many digits") << QStringLiteral("123456789012345678901234") << MaxDelaySeconds * 1000;
        QTest::newRow("empty") << QString() << 1000;
        QTest::newRow("letters") << QStringLiteral("abc") << 1000;
        QTest::newRow("negative") << QStringLiteral("-4") << 1000;
    }

    void delayInterval()
    {
        QFETCH(QString, text);
        QFETCH(int, milliseconds);
        QCOMPARE(browseIntervalMs(text), milliseconds);
    }
};

QTEST_APPLESS_MAIN(TestBrowseWalk)
#include "tst_browsewalk.moc"
