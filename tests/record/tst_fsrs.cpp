// The memory model against values worked out by hand from the published
// formulas and default weights, and the rule that turns a typing-test
// answer into a rating.
#include "record/Fsrs.h"

#include <QtTest>

using Fsrs::Rating;

Q_DECLARE_METATYPE(Fsrs::Rating)

class TestFsrs : public QObject
{
    Q_OBJECT
private slots:
    void firstReview_data();
    void firstReview();
    void laterReview_data();
    void laterReview();
    void forgettingCurveAndInterval();
    void damagedStateStartsAfresh();
    void difficultyStaysInRange();
    void rating_data();
    void rating();
};

static bool near(double actual, double expected)
{
    return std::abs(actual - expected) < 1e-6 * std::max(1.0, std::abs(expected));
}

void TestFsrs::firstReview_data()
{
    QTest::addColumn<Rating>("rating");
    QTest::addColumn<double>("stability");
    QTest::addColumn<double>("difficulty");
    QTest::newRow("again") << Rating::Again << 0.40255 << 7.1949;
    QTest::newRow("hard") << Rating::Hard << 1.18385 << 6.488305268471453;
    QTest::newRow("good") << Rating::Good << 3.173 << 5.282434422319005;
    QTest::newRow("easy") << Rating::Easy << 15.69105 << 3.2245015893713678;
}

void TestFsrs::firstReview()
{
    QFETCH(Rating, rating);
    QFETCH(double, stability);
    QFETCH(double, difficulty);
    const Fsrs::MemoryState state = Fsrs::firstReview(rating);
    QVERIFY2(near(state.stability, stability), qPrintable(QString::number(state.stability, 'g', 12)));
    QVERIFY2(near(state.difficulty, difficulty), qPrintable(QString::number(state.difficulty, 'g', 12)));
}

void TestFsrs::laterReview_data()
{
    QTest::addColumn<Rating>("first");
    QTest::addColumn<double>("elapsedDays");
    QTest::addColumn<Rating>("second");
    QTest::addColumn<double>("stability");
    QTest::addColumn<double>("difficulty");
    // Forgotten three days after a good first answer: stability falls and
    // the word gets harder.
    QTest::newRow("again after good") << Rating::Good << 3.0 << Rating::Again << 1.0555610912864883
                                      << 6.796932579932991;
    // Remembered long after it was due (chance of recall down to 35 %): a
    // large gain in stability.
    QTest::newRow("good after a long delay")
        << Rating::Good << 100.0 << Rating::Good << 73.57354044653606 << 5.272967931287446;
    QTest::newRow("hard after five days")
        << Rating::Good << 5.0 << Rating::Hard << 5.918364950238929 << 6.0349502556102195;
    QTest::newRow("easy after three days")
        << Rating::Good << 3.0 << Rating::Easy << 25.79360509476422 << 4.510985606964673;
    QTest::newRow("good after again") << Rating::Again << 1.0 << Rating::Good << 2.265009435089055 << 7.176636167311107;
    // Same day: the short-term rule, not the forgetting curve.
    QTest::newRow("good ten minutes later")
        << Rating::Good << 10.0 / 1440 << Rating::Good << 4.466858064362218 << 5.272967931287446;
}

void TestFsrs::laterReview()
{
    QFETCH(Rating, first);
    QFETCH(double, elapsedDays);
    QFETCH(Rating, second);
    QFETCH(double, stability);
    QFETCH(double, difficulty);
    const Fsrs::MemoryState state = Fsrs::nextState(Fsrs::firstReview(first), elapsedDays, second);
    QVERIFY2(near(state.stability, stability), qPrintable(QString::number(state.stability, 'g', 12)));
    QVERIFY2(near(state.difficulty, difficulty), qPrintable(QString::number(state.difficulty, 'g', 12)));
}

void TestFsrs::forgettingCurveAndInterval()
{
    QVERIFY(near(Fsrs::retrievability(10, 10), 0.9));
    QVERIFY(near(Fsrs::retrievability(0, 10), 1.0));
    QVERIFY(near(Fsrs::retrievability(3, 3.173), 0.9046982108893272));
    QVERIFY(near(Fsrs::intervalDays(10), 10));
    QVERIFY(near(Fsrs::intervalDays(10, 0.8), 23.98026315789473));
    // A stability beyond a hundred years is not scheduled further out.
    QCOMPARE(Fsrs::intervalDays(1e9), Fsrs::MaxStability);
}

void TestFsrs::damagedStateStartsAfresh()
{
    // A state read back as zero or NaN would otherwise poison every later
    // review with NaN and never fall due.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Fsrs::MemoryState &bad :
         {Fsrs::MemoryState{0, 5}, Fsrs::MemoryState{nan, 5}, Fsrs::MemoryState{3, nan}, Fsrs::MemoryState{-1, 5}}) {
        const Fsrs::MemoryState state = Fsrs::nextState(bad, 4, Rating::Good);
        QVERIFY(near(state.stability, 3.173));
        QVERIFY(near(state.difficulty, 5.282434422319005));
    }
}

void TestFsrs::difficultyStaysInRange()
{
    Fsrs::MemoryState hard = Fsrs::firstReview(Rating::Again);
    Fsrs::MemoryState easy = Fsrs::firstReview(Rating::Easy);
    for (int i = 0; i < 200; ++i) {
        hard = Fsrs::nextState(hard, 2, Rating::Again);
        easy = Fsrs::nextState(easy, 30, Rating::Easy);
    }
    QVERIFY(hard.difficulty <= Fsrs::MaxDifficulty && hard.difficulty > 9);
    QVERIFY(hard.stability >= Fsrs::MinStability);
    QVERIFY(easy.difficulty >= Fsrs::MinDifficulty && easy.difficulty < 2);
    QVERIFY(easy.stability > 15.69105 && easy.stability <= Fsrs::MaxStability);
}

void TestFsrs::rating_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<qint64>("median"); // 0 = no median yet
    QTest::addColumn<Rating>("expected");
    QTest::newRow("wrong, however fast") << false << qint64(100) << qint64(2000) << Rating::Again;
    QTest::newRow("wrong, no median") << false << qint64(100) << qint64(0) << Rating::Again;
    QTest::newRow("right, no median") << true << qint64(99999) << qint64(0) << Rating::Good;
    QTest::newRow("right at the median") << true << qint64(2000) << qint64(2000) << Rating::Good;
    QTest::newRow("right at twice the median") << true << qint64(4000) << qint64(2000) << Rating::Good;
    QTest::newRow("right just over twice") << true << qint64(4001) << qint64(2000) << Rating::Hard;
    QTest::newRow("right at half the median") << true << qint64(1000) << qint64(2000) << Rating::Good;
    QTest::newRow("right just under half") << true << qint64(999) << qint64(2000) << Rating::Easy;
    QTest::newRow("odd median, half is not whole") << true << qint64(1000) << qint64(2001) << Rating::Easy;
}

void TestFsrs::rating()
{
    QFETCH(bool, right);
    QFETCH(qint64, ms);
    QFETCH(qint64, median);
    QFETCH(Rating, expected);
    const std::optional<qint64> m = median > 0 ? std::optional<qint64>(median) : std::nullopt;
    QCOMPARE(Fsrs::rate(right, ms, m), expected);
}

QTEST_APPLESS_MAIN(TestFsrs)
#include "tst_fsrs.moc"
