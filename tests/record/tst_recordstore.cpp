// The learning record on a real lexvan.db: what an answer writes, how the
// memory state and the due time follow the answers, which words fall due
// first, and the numbers the progress window is given.
#include "ProgramFolder.h"
#include "RecordFixtures.h"

#include "record/RecordStore.h"

#include <QtTest>

using RecordFixtures::answer;
using RecordFixtures::Inspector;
using RecordFixtures::noon;

namespace {

constexpr qint64 Day = 86400LL * 1000;

bool near(double actual, double expected)
{
    return std::abs(actual - expected) < 1e-9 * std::max(1.0, std::abs(expected));
}

qint64 dueOffset(double stabilityDays)
{
    return qint64(std::llround(stabilityDays * Day));
}

} // namespace

class TestRecordStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void recordsAndReopens();
    void firstTryMovesMemoryRetestDoesNot();
    void ratingFollowsMedian_data();
    void ratingFollowsMedian();
    void repeatedGroupLeavesStates();
    void rebuildMatchesLiveRecording();
    void firstSchemaIsMigratedAndRebuilt();
    void dueWordsLeastRecalledFirst();
    void progressNumbersOnGeneratedHistory();
    void countsLibraryWords();
    void longSessionKeepsTheLogShort();
    void olderSchemaIsBroughtUp();
    void newerSchemaIsLeftAlone();
    void sourceSentencesByFileAndWord();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestRecordStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(RecordStore::fileName());
}

void TestRecordStore::recordsAndReopens()
{
    {
        RecordStore store;
        QCOMPARE(store.open(m_path).status, RecordStore::Status::Open);
        QVERIFY(store.isRecording());
        QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("apple"), true)), RecordStore::WriteResult::Written);
        QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("pear"), false)), RecordStore::WriteResult::Written);
        QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("pear"), true, 900, 1)),
                 RecordStore::WriteResult::Written);
        BoxEvent added{noon(),
                       BoxEventKind::Added,
                       3,
                       QStringLiteral("基础词汇"),
                       QStringLiteral("basic.txt"),
                       QStringLiteral("pear"),
                       QStringLiteral("梨")};
        BoxEvent deleted{noon(),
                         BoxEventKind::Deleted,
                         3,
                         QStringLiteral("基础词汇"),
                         QStringLiteral("basic.txt"),
                         QStringLiteral("plum"),
                         QStringLiteral("李子")};
        QCOMPARE(store.recordBoxEvent(added), RecordStore::WriteResult::Written);
        QCOMPARE(store.recordBoxEvent(deleted), RecordStore::WriteResult::Written);
        // The log is in use while the store is open.
        QVERIFY(QFile::exists(m_path + QStringLiteral("-wal")));
    }
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    QCOMPARE(store.answerCount(), 3);
    QCOMPARE(store.boxEventCount(), 2);

    Inspector db(m_path);
    QCOMPARE(db.value(QStringLiteral("PRAGMA user_version")).toInt(), RecordStore::SchemaVersion);
    QCOMPARE(db.value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    QCOMPARE(db.value(QStringLiteral("SELECT group_concat(word || ':' || pass || ':' || correct || ':' || ms || ':' || "
                                     "meaning || ':' || library, ' ') FROM answers"))
                 .toString(),
             QStringLiteral("apple:0:1:2000:释义-apple:基础词汇 pear:0:0:2000:释义-pear:基础词汇 "
                            "pear:1:1:900:释义-pear:基础词汇"));
    QCOMPARE(db.value(QStringLiteral("SELECT at FROM answers LIMIT 1")).toLongLong(), noon().toMSecsSinceEpoch());
    // A deletion names no box.
    QCOMPARE(db.value(QStringLiteral("SELECT group_concat(kind || ':' || box || ':' || word, ' ') FROM box_events"))
                 .toString(),
             QStringLiteral("1:3:pear 2:-1:plum"));
}

void TestRecordStore::firstTryMovesMemoryRetestDoesNot()
{
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    const QString apple = QStringLiteral("apple");
    const QString file = QStringLiteral("basic.txt");
    QVERIFY(!store.memoryState(file, apple));

    // No median yet: right is Good.
    store.recordAnswer(answer(noon(), apple, true));
    auto state = store.memoryState(file, apple);
    QVERIFY(state);
    QVERIFY(near(state->stability, 3.173));
    QVERIFY(near(state->difficulty, 5.282434422319005));
    QCOMPARE(store.dueTime(file, apple)->toMSecsSinceEpoch(), noon().toMSecsSinceEpoch() + dueOffset(3.173));

    // A wrong answer in a re-test pass changes nothing.
    store.recordAnswer(answer(noon().addSecs(60), apple, false, 5000, 1));
    state = store.memoryState(file, apple);
    QVERIFY(near(state->stability, 3.173));

    // Forgotten three days later.
    const QDateTime later = noon().addDays(3);
    store.recordAnswer(answer(later, apple, false, 5000));
    state = store.memoryState(file, apple);
    QVERIFY2(near(state->stability, 1.0555610912864883), qPrintable(QString::number(state->stability, 'g', 12)));
    QVERIFY(near(state->difficulty, 6.796932579932991));
    QCOMPARE(store.dueTime(file, apple)->toMSecsSinceEpoch(),
             later.toMSecsSinceEpoch() + dueOffset(1.0555610912864883));

    // The same word in another library is another word.
    QVERIFY(!store.memoryState(QStringLiteral("fruit.txt"), apple));

    // An answer that comes without a time counts as given now.
    const QDateTime before = QDateTime::currentDateTime();
    store.recordAnswer(answer(QDateTime(), QStringLiteral("pear"), true));
    const QDateTime pearDue = *store.dueTime(file, QStringLiteral("pear"));
    QVERIFY(pearDue >= before.addMSecs(dueOffset(3.173)));
    QVERIFY(pearDue <= QDateTime::currentDateTime().addMSecs(dueOffset(3.173)));

    Inspector db(m_path);
    QCOMPARE(db.value(QStringLiteral("SELECT reviews || '/' || lapses FROM memory WHERE word = 'apple'")).toString(),
             QStringLiteral("2/1"));
    // No day in the calendar from the answer without a time but today's.
    QVERIFY(db.value(QStringLiteral("SELECT min(day) FROM days")).toLongLong() >=
            std::min(noon().date(), QDate::currentDate()).toJulianDay());
}

void TestRecordStore::ratingFollowsMedian_data()
{
    // Earlier right first tries: 1000 ms to the first key, 1000 ms for five
    // characters.
    QTest::addColumn<int>("earlierAnswers");
    QTest::addColumn<bool>("right");
    QTest::addColumn<qint64>("reaction");
    QTest::addColumn<double>("stability"); // tells the rating apart
    QTest::newRow("slow, no medians yet") << 9 << true << qint64(50000) << 3.173;
    QTest::newRow("slow") << 10 << true << qint64(2001) << 1.18385;
    QTest::newRow("quick") << 10 << true << qint64(499) << 15.69105;
    QTest::newRow("wrong and quick") << 10 << false << qint64(100) << 0.40255;
}

void TestRecordStore::ratingFollowsMedian()
{
    QFETCH(int, earlierAnswers);
    QFETCH(bool, right);
    QFETCH(qint64, reaction);
    QFETCH(double, stability);
    {
        RecordStore store;
        QVERIFY(store.open(m_path).ok());
        for (int i = 0; i < earlierAnswers; ++i)
            store.recordAnswer(RecordFixtures::timed(answer(noon(), QStringLiteral("w%1").arg(i), true), 1000, 1000, 5));
        // Wrong answers, re-test passes, pauses and unmeasured answers do not
        // count towards the medians.
        store.recordAnswer(RecordFixtures::timed(answer(noon(), QStringLiteral("x"), false), 90, 90, 5));
        store.recordAnswer(RecordFixtures::timed(answer(noon(), QStringLiteral("x"), true, 0, 1), 90, 90, 5));
        store.recordAnswer(RecordFixtures::timed(answer(noon(), QStringLiteral("y"), true), 90000, 90, 5));
        store.recordAnswer(answer(noon(), QStringLiteral("z"), true, 10));
    }
    // The medians survive closing the program.
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    const Fsrs::TimingMedians medians = store.timingMedians();
    QCOMPARE(bool(medians.reactionMs), earlierAnswers >= Schedule::Replayer::MedianMinimum);
    if (medians.reactionMs) {
        QCOMPARE(*medians.reactionMs, 1000.0);
        QCOMPARE(*medians.msPerCharacter, 200.0);
    }
    store.recordAnswer(RecordFixtures::timed(answer(noon(), QStringLiteral("target"), right), reaction, 1000, 5));
    const auto state = store.memoryState(QStringLiteral("basic.txt"), QStringLiteral("target"));
    QVERIFY(state);
    QVERIFY2(near(state->stability, stability), qPrintable(QString::number(state->stability)));
}

void TestRecordStore::repeatedGroupLeavesStates()
{
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    // Medians first, so that quick answers would grade Easy if they counted.
    for (int i = 0; i < 10; ++i)
        store.recordAnswer(RecordFixtures::timed(answer(noon().addDays(-3), QStringLiteral("m%1").arg(i), true), 1000,
                                                 1000, 5));
    const QStringList group = {QStringLiteral("apple"), QStringLiteral("pear"), QStringLiteral("plum")};
    auto pass = [&](const QDateTime &at, bool wrongPlum) {
        for (const QString &word : group) {
            const bool right = !(wrongPlum && word == QStringLiteral("plum"));
            store.recordAnswer(RecordFixtures::timed(answer(at, word, right), 300, 500, 5));
        }
    };
    auto states = [&] {
        QStringList all;
        for (const QString &word : group) {
            const auto state = *store.memoryState(QStringLiteral("basic.txt"), word);
            all << QStringLiteral("%1:%2:%3:%4")
                       .arg(word)
                       .arg(state.stability, 0, 'g', 12)
                       .arg(state.difficulty, 0, 'g', 12)
                       .arg(store.dueTime(QStringLiteral("basic.txt"), word)->toMSecsSinceEpoch());
        }
        return all;
    };
    pass(noon(), true);
    const QStringList afterFirst = states();
    // 否 at the end of the group: the same words again and again, quickly
    // and all right, later the same study day (up to 3:59 the next morning).
    pass(noon().addSecs(600), false);
    pass(noon().addSecs(1200), false);
    pass(Schedule::studyDayStart(Schedule::studyDay(noon())).addDays(1).addSecs(-60), false);
    QCOMPARE(states(), afterFirst);
    // Every answer is still in the record.
    QCOMPARE(store.answerCount(), 10 + 4 * 3);
    // The next study day counts again.
    pass(Schedule::studyDayStart(Schedule::studyDay(noon())).addDays(1), false);
    QVERIFY(states() != afterFirst);
}

void TestRecordStore::rebuildMatchesLiveRecording()
{
    // A month of a learner's answers: several libraries, lapses, re-test
    // passes, repeated groups, pauses, answers from before timing was split.
    QList<AnswerRecord> history;
    quint32 seed = 12345;
    auto next = [&seed](quint32 range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    for (int day = 0; day < 30; ++day) {
        for (int i = 0; i < 40; ++i) {
            const QString word = QStringLiteral("w%1").arg(next(25));
            const QString file = next(3) == 0 ? QStringLiteral("fruit.txt") : QStringLiteral("basic.txt");
            const QDateTime at = noon().addDays(day).addSecs(qint64(i) * 97 + qint64(next(20000)));
            AnswerRecord a = answer(at, word, next(4) != 0, 2000, int(next(4) == 0), file);
            if (next(8) != 0)
                a = RecordFixtures::timed(a, 300 + next(3000), 200 + next(3000), 1 + int(next(12)));
            history.append(a);
        }
    }
    std::stable_sort(history.begin(), history.end(),
                     [](const AnswerRecord &a, const AnswerRecord &b) { return a.time < b.time; });
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    for (const AnswerRecord &a : history)
        QCOMPARE(store.recordAnswer(a), RecordStore::WriteResult::Written);
    const QString columns =
        QStringLiteral("SELECT group_concat(file || ':' || word || ':' || printf('%.12g', stability) || ':' ||"
                       " printf('%.12g', difficulty) || ':' || last_review || ':' || due || ':' || reviews || ':' ||"
                       " lapses, ' ') FROM (SELECT * FROM memory ORDER BY file, word)");
    Inspector db(m_path);
    const QString live = db.value(columns).toString();
    QVERIFY(live.count(u' ') > 30);
    const Fsrs::TimingMedians liveMedians = store.timingMedians();
    // Damage the states, then rebuild them from the answers alone.
    QVERIFY(db.exec(QStringLiteral("UPDATE memory SET stability = 99, due = 0, reviews = 7")));
    QVERIFY(db.exec(QStringLiteral("DELETE FROM memory WHERE word = 'w3'")));
    QCOMPARE(store.rebuildMemoryStates(), RecordStore::WriteResult::Written);
    QCOMPARE(db.value(columns).toString(), live);
    QCOMPARE(store.timingMedians().reactionMs, liveMedians.reactionMs);
    QCOMPARE(store.timingMedians().msPerCharacter, liveMedians.msPerCharacter);
}

void TestRecordStore::firstSchemaIsMigratedAndRebuilt()
{
    // A database of the first schema: answers without the timing split, and
    // states the old rules gave (a repeated group counted again).
    {
        RecordStore store;
        QVERIFY(store.open(m_path).ok());
        store.recordAnswer(answer(noon(), QStringLiteral("apple"), true));
        store.recordAnswer(answer(noon().addDays(2), QStringLiteral("apple"), false));
    }
    {
        Inspector db(m_path);
        for (const char *column : {"reaction_ms", "typing_ms", "chars"})
            QVERIFY(db.exec(QStringLiteral("ALTER TABLE answers DROP COLUMN %1").arg(QLatin1String(column))));
        QVERIFY(db.exec(QStringLiteral("UPDATE memory SET stability = 40, reviews = 9")));
        QVERIFY(db.exec(QStringLiteral("DROP TABLE sources")));
        QVERIFY(db.exec(QStringLiteral("PRAGMA user_version = 1")));
    }
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    Inspector db(m_path);
    QCOMPARE(db.value(QStringLiteral("PRAGMA user_version")).toInt(), RecordStore::SchemaVersion);
    QCOMPARE(db.value(QStringLiteral("SELECT count(*) FROM answers WHERE reaction_ms = -1 AND chars = 0")).toInt(), 2);
    QCOMPARE(store.recordSourceSentences(QStringLiteral("t.txt"), {{QStringLiteral("apple"), QStringLiteral("An apple.")}}),
             RecordStore::WriteResult::Written);
    // Good, then Again two days later: the states the answers give.
    QVERIFY(std::abs(store.memoryState(QStringLiteral("basic.txt"), QStringLiteral("apple"))->stability - 0.98903849) <
            1e-7);
    QCOMPARE(db.value(QStringLiteral("SELECT reviews || '/' || lapses FROM memory")).toString(), QStringLiteral("2/1"));
    // New answers carry the split.
    store.recordAnswer(RecordFixtures::timed(answer(noon().addDays(3), QStringLiteral("pear"), true), 800, 900, 4));
    QCOMPARE(db.value(QStringLiteral("SELECT reaction_ms || '/' || typing_ms || '/' || chars FROM answers"
                                     " WHERE word = 'pear'"))
                 .toString(),
             QStringLiteral("800/900/4"));
}

void TestRecordStore::dueWordsLeastRecalledFirst()
{
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    const QDateTime now = noon();
    const QString basic = QStringLiteral("basic.txt");
    const QString fruit = QStringLiteral("fruit.txt");
    // Good: due 3.173 days later; Again: due 0.40255 days later.
    store.recordAnswer(answer(now.addDays(-10), QStringLiteral("a"), true, 2000, 0, basic));    // due -6.8 d
    store.recordAnswer(answer(now.addDays(-2), QStringLiteral("b"), false, 2000, 0, basic));    // due -1.6 d
    store.recordAnswer(answer(now.addDays(-5), QStringLiteral("c"), true, 2000, 0, basic));     // due -1.8 d
    store.recordAnswer(answer(now.addDays(-1), QStringLiteral("d"), true, 2000, 0, basic));     // due +2.2 d
    store.recordAnswer(answer(now.addSecs(-3600), QStringLiteral("e"), false, 2000, 0, basic)); // due +8.7 h
    store.recordAnswer(answer(now.addDays(-20), QStringLiteral("a"), true, 2000, 0, fruit));    // due -16.8 d
    // Exactly due now counts as due.
    store.recordAnswer(answer(now.addMSecs(-dueOffset(3.173)), QStringLiteral("f"), true, 2000, 0, basic));

    auto words = [](const QList<DueWord> &due) {
        QStringList names;
        for (const DueWord &word : due)
            names << word.libraryFile + u':' + word.word;
        return names;
    };
    QCOMPARE(store.dueCount(now), 5);
    // b fell due after c but is less likely recalled (2 days on 0.4 of
    // stability against 5 on 3.2), so it comes first.
    QCOMPARE(words(store.dueWords(now, 25)),
             (QStringList{QStringLiteral("fruit.txt:a"), QStringLiteral("basic.txt:b"), QStringLiteral("basic.txt:a"),
                          QStringLiteral("basic.txt:c"), QStringLiteral("basic.txt:f")}));
    QCOMPARE(words(store.dueWords(now, 2)),
             (QStringList{QStringLiteral("fruit.txt:a"), QStringLiteral("basic.txt:b")}));
    QVERIFY(store.dueWords(now, 0).isEmpty());
    const QList<DueWord> first = store.dueWords(now, 1);
    QCOMPARE(first[0].meaning, QStringLiteral("释义-a"));
    QCOMPARE(first[0].library, QStringLiteral("基础词汇"));
    QCOMPARE(first[0].due.toMSecsSinceEpoch(), now.addDays(-20).toMSecsSinceEpoch() + dueOffset(3.173));
    // Answering a due word moves it out of the list.
    store.recordAnswer(answer(now, QStringLiteral("a"), true, 2000, 0, fruit));
    QCOMPARE(store.dueCount(now), 4);
    QCOMPARE(store.dueCount(now.addDays(3)), 6);
    // A higher retention brings d (a day into 3.2 days of stability) forward.
    QCOMPARE(store.dueCount(now.addDays(1)), 5);
    QCOMPARE(store.dueCount(now.addDays(1), 0.95), 6);
    QVERIFY(words(store.dueWords(now.addDays(1), 25, 0.95)).contains(QStringLiteral("basic.txt:d")));

    // A word failed in the morning falls due that evening, but answering it
    // again the same study day would count for nothing: it waits.
    const QDateTime dayStart = Schedule::studyDayStart(Schedule::studyDay(now.addDays(30)));
    store.recordAnswer(answer(dayStart.addSecs(3600), QStringLiteral("g"), false, 2000, 0, basic));
    QVERIFY(!words(store.dueWords(dayStart.addSecs(20 * 3600), 25)).contains(QStringLiteral("basic.txt:g")));
    QVERIFY(words(store.dueWords(dayStart.addDays(1), 25)).contains(QStringLiteral("basic.txt:g")));
}

void TestRecordStore::progressNumbersOnGeneratedHistory()
{
    // Local times, as the heatmap counts days on the user's calendar.
    const QDate today(2026, 12, 8); // a Tuesday
    auto at = [&](int daysAgo, int hour = 10) { return QDateTime(today.addDays(-daysAgo), QTime(hour, 0)); };
    const QString basic = QStringLiteral("basic.txt");
    const QString fruit = QStringLiteral("fruit.txt");
    auto word = [](int n) { return QStringLiteral("word%1").arg(n, 2, 10, QLatin1Char('0')); };

    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    // More than a year ago: counted in the total only.
    store.recordAnswer(answer(at(400), word(1), true, 1500, 0, basic, 1));
    // Group 1, all 25 right at the first try, today.
    for (int n = 1; n <= 25; ++n)
        store.recordAnswer(answer(at(0), word(n), true, 1500, 0, basic, 1));
    // Group 2, ten words wrong at the first try and right on the re-test,
    // yesterday (Monday, so the same week as today).
    for (int n = 26; n <= 35; ++n) {
        store.recordAnswer(answer(at(1), word(n), false, 4000, 0, basic, 2));
        store.recordAnswer(answer(at(1), word(n), true, 2000, 1, basic, 2));
    }
    // Group 3 (the last, ten words), all right, eight days ago.
    for (int n = 51; n <= 60; ++n)
        store.recordAnswer(answer(at(8), word(n), true, 1500, 0, basic, 3));
    // Two fruit words thirty days ago (a Sunday); apple took three passes.
    store.recordAnswer(answer(at(30), QStringLiteral("apple"), false, 5000, 0, fruit, 1));
    store.recordAnswer(answer(at(30), QStringLiteral("apple"), false, 6000, 1, fruit, 1));
    store.recordAnswer(answer(at(30), QStringLiteral("apple"), true, 4000, 2, fruit, 1));
    store.recordAnswer(answer(at(30), QStringLiteral("pear"), false, 1000, 0, fruit, 1));
    store.recordAnswer(answer(at(30), QStringLiteral("pear"), true, 1000, 1, fruit, 1));

    // Sentences go with their own file's word only.
    store.recordSourceSentences(fruit, {{QStringLiteral("apple"), QStringLiteral("An apple fell.")}});
    store.recordSourceSentences(basic, {{QStringLiteral("pear"), QStringLiteral("Not this pear.")},
                                        {word(26), QStringLiteral("Word 26 here.")}});

    const QList<LibraryInfo> libraries = {{QStringLiteral("基础词汇"), basic, 60},
                                          {QStringLiteral("水果"), fruit, 10},
                                          {QStringLiteral("空"), QStringLiteral("empty.txt"), 0}};
    const ProgressData data = store.progress(libraries, today);

    QCOMPARE(data.totalAnswers, 61);
    QCOMPARE(data.dailyAnswers.size(), ProgressData::Days);
    QCOMPARE(data.firstDay(), QDate(2025, 12, 9));
    QCOMPARE(data.dailyAnswers[364], 25);
    QCOMPARE(data.dailyAnswers[363], 20);
    QCOMPARE(data.dailyAnswers[356], 10);
    QCOMPARE(data.dailyAnswers[334], 5);
    QCOMPARE(std::accumulate(data.dailyAnswers.begin(), data.dailyAnswers.end(), 0), 60);

    QCOMPARE(data.weeks.size(), ProgressData::Weeks);
    QCOMPARE(data.weeks.last().monday, QDate(2026, 12, 7));
    QCOMPARE(data.weeks[51].firstTries, 35);
    QCOMPARE(data.weeks[51].firstTriesRight, 25);
    QCOMPARE(data.weeks[50].monday, QDate(2026, 11, 30));
    QCOMPARE(data.weeks[50].accuracy(), 1.0);
    QCOMPARE(data.weeks[46].monday, QDate(2026, 11, 2));
    QCOMPARE(data.weeks[46].firstTries, 2);
    QCOMPARE(data.weeks[46].accuracy(), 0.0);
    int weeksWithTries = 0;
    for (const WeekAccuracy &week : data.weeks)
        weeksWithTries += week.firstTries > 0 ? 1 : 0;
    QCOMPARE(weeksWithTries, 3);
    QVERIFY(data.weeks[10].accuracy() < 0);

    QCOMPARE(data.libraries.size(), 3);
    const LibraryProgress &b = data.libraries[0];
    QCOMPARE(b.name, QStringLiteral("基础词汇"));
    QCOMPARE(QList<int>({b.groupsCompleted, b.groupsTotal, b.wordsMet, b.wordsTotal}), QList<int>({2, 3, 45, 60}));
    const LibraryProgress &f = data.libraries[1];
    QCOMPARE(QList<int>({f.groupsCompleted, f.groupsTotal, f.wordsMet, f.wordsTotal}), QList<int>({0, 1, 2, 10}));
    const LibraryProgress &e = data.libraries[2];
    QCOMPARE(QList<int>({e.groupsCompleted, e.groupsTotal, e.wordsMet, e.wordsTotal}), QList<int>({0, 0, 0, 0}));

    // Most often wrong first, then slowest: apple (2 wrong), the ten group-2
    // words (1 wrong, 3 s on average), pear (1 wrong, 1 s), then the rest.
    QCOMPARE(data.hardest.size(), 47);
    QCOMPARE(data.hardest[0].word, QStringLiteral("apple"));
    QCOMPARE(data.hardest[0].wrong, 2);
    QCOMPARE(data.hardest[0].answers, 3);
    QCOMPARE(data.hardest[0].averageMilliseconds, 5000);
    QCOMPARE(data.hardest[0].meaning, QStringLiteral("释义-apple"));
    for (int i = 1; i <= 10; ++i) {
        QCOMPARE(data.hardest[i].word, word(25 + i));
        QCOMPARE(data.hardest[i].averageMilliseconds, 3000);
    }
    QCOMPARE(data.hardest[11].word, QStringLiteral("pear"));
    QCOMPARE(data.hardest[12].wrong, 0);
    QCOMPARE(data.hardest[12].word, word(1)); // two answers, still 1.5 s; ties go by name
    QCOMPARE((QStringList{data.hardest[0].sentence, data.hardest[1].sentence, data.hardest[2].sentence,
                          data.hardest[11].sentence}),
             (QStringList{QStringLiteral("An apple fell."), QStringLiteral("Word 26 here."), QString(), QString()}));
}

void TestRecordStore::countsLibraryWords()
{
    ProgramFolder folder;
    folder.writeNumberedLibrary(QStringLiteral("sixty.txt"), 60);
    QCOMPARE(countLibraryWords(folder.dataPath(QStringLiteral("sixty.txt"))), 60);
    // Empty lines do not count; a last word without its meaning is no record.
    folder.writeLibrary(QStringLiteral("odd.txt"),
                        {QStringLiteral("cat"), QString(), QStringLiteral("猫"), QString(), QStringLiteral("dog")});
    QCOMPARE(countLibraryWords(folder.dataPath(QStringLiteral("odd.txt"))), 1);
    QCOMPARE(countLibraryWords(folder.dataPath(QStringLiteral("missing.txt"))), 0);
    QCOMPARE(countLibraryWords(folder.path()), 0);
}

void TestRecordStore::longSessionKeepsTheLogShort()
{
    // No checkpoint from the owner in a long session of quick answers with
    // short pauses: the log is still copied back now and then and starts
    // over, instead of growing with every answer (about 24 kB an answer,
    // so about 14 MB here without it).
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    qint64 largest = 0;
    for (int i = 0; i < 600; ++i) {
        QCOMPARE(store.recordAnswer(answer(noon().addSecs(i), QStringLiteral("w%1").arg(i % 700), i % 3 != 0)),
                 RecordStore::WriteResult::Written);
        largest = std::max(largest, QFileInfo(m_path + QStringLiteral("-wal")).size());
        if (i % 150 == 149)
            QTest::qWait(700);
    }
    QVERIFY2(largest < 8 * 1024 * 1024, qPrintable(QString::number(largest)));
    store.close();
    // Batches land whole.
    QVERIFY(store.open(m_path).ok());
    QCOMPARE(
        store.recordAnswers({answer(noon(), QStringLiteral("x"), true), answer(noon(), QStringLiteral("y"), true)}),
        RecordStore::WriteResult::Written);
    QCOMPARE(store.answerCount(), 602);
    QCOMPARE(store.integrityProblems(), QString());
}

void TestRecordStore::olderSchemaIsBroughtUp()
{
    {
        Inspector db(m_path);
        QVERIFY(db.exec(QStringLiteral("CREATE TABLE notes (text TEXT)")));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO notes VALUES ('keep me')")));
    }
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("apple"), true)), RecordStore::WriteResult::Written);
    Inspector db(m_path);
    QCOMPARE(db.value(QStringLiteral("PRAGMA user_version")).toInt(), RecordStore::SchemaVersion);
    QCOMPARE(db.value(QStringLiteral("SELECT text FROM notes")).toString(), QStringLiteral("keep me"));
}

void TestRecordStore::newerSchemaIsLeftAlone()
{
    {
        Inspector db(m_path);
        QVERIFY(db.exec(QStringLiteral("CREATE TABLE answers (future TEXT)")));
        QVERIFY(db.exec(QStringLiteral("PRAGMA user_version = %1").arg(RecordStore::SchemaVersion + 1)));
    }
    const QByteArray before = TestFiles::readBytes(m_path);
    RecordStore store;
    QCOMPARE(store.open(m_path).status, RecordStore::Status::TooNew);
    QVERIFY(!store.isRecording());
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("apple"), true)), RecordStore::WriteResult::Off);
    store.close();
    QCOMPARE(TestFiles::readBytes(m_path), before);
}

void TestRecordStore::sourceSentencesByFileAndWord()
{
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    const QString novel = QStringLiteral("novel.txt");
    QCOMPARE(store.recordSourceSentences(novel, {{QStringLiteral("harbour"), QStringLiteral("The harbour was calm.")},
                                                 {QStringLiteral("gale"), QStringLiteral("Then the gale came.")}}),
             RecordStore::WriteResult::Written);
    QCOMPARE(store.sourceSentence(novel, QStringLiteral("gale")), QStringLiteral("Then the gale came."));
    QCOMPARE(store.sourceSentence(QStringLiteral("other.txt"), QStringLiteral("gale")), QString());
    // A box word has no library: any text's sentence.
    QCOMPARE(store.sourceSentence(QString(), QStringLiteral("harbour")), QStringLiteral("The harbour was calm."));
    // A new library under the same file name brings its own sentences only.
    QCOMPARE(store.recordSourceSentences(novel, {{QStringLiteral("gale"), QStringLiteral("A gale blew.")}}),
             RecordStore::WriteResult::Written);
    QCOMPARE(store.sourceSentence(novel, QStringLiteral("gale")), QStringLiteral("A gale blew."));
    QCOMPARE(store.sourceSentence(novel, QStringLiteral("harbour")), QString());
}

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
