// The learning record when things go wrong: a damaged or foreign file, a
// folder that cannot be written, a database locked by a second copy of the
// program, a full disk, and a writer killed in the middle of an answer. In
// every case the store says so once, then records nothing and returns at
// once; and whatever a kill leaves behind opens as a sound database.
#include "PrivateMounts.h"
#include "RecordFixtures.h"
#include "TestFiles.h"

#include "record/RecordStore.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <cstdio>

#include <sys/wait.h>
#include <unistd.h>

using RecordFixtures::answer;
using RecordFixtures::Inspector;
using RecordFixtures::noon;
using Status = RecordStore::Status;
using WriteResult = RecordStore::WriteResult;

#define REQUIRE_MOUNTS()                                                                                               \
    do {                                                                                                               \
        const QString reason = PrivateMounts::enter();                                                                 \
        if (!reason.isEmpty())                                                                                         \
            QSKIP(qPrintable(QStringLiteral("needs private mounts: ") + reason));                                      \
    } while (false)

Q_DECLARE_METATYPE(RecordStore::Status)

class TestRecordFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void unusableFile_data();
    void unusableFile();
    void readOnlyFolder_data();
    void readOnlyFolder();
    void lockedWhenOpening();
    void lockedWhileRecording();
    void fullDisk();
    void killedWriterLeavesASoundDatabase();
    void copiesStartingTogetherBothRecord();
    void everyFailureHasAMessage();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    // A database with a few answers in it, closed again.
    void makeDatabase(int answers = 3);
};

void TestRecordFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(RecordStore::fileName());
}

void TestRecordFaults::makeDatabase(int answers)
{
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    for (int i = 0; i < answers; ++i)
        QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("w%1").arg(i), true)), WriteResult::Written);
}

void TestRecordFaults::unusableFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Status>("status");
    QByteArray garbage(8192, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char(i * 7 + 3);
    QTest::newRow("garbage") << garbage << Status::Corrupt;
    QTest::newRow("text file") << QByteArray("apple\r\n苹果\r\n") << Status::Corrupt;
    // A database header and nothing after it.
    QTest::newRow("cut after the header")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\x01') << Status::Corrupt;
}

void TestRecordFaults::unusableFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Status, status);
    QVERIFY(TestFiles::writeBytes(m_path, bytes));
    RecordStore store;
    const RecordStore::Outcome outcome = store.open(m_path);
    QCOMPARE(outcome.status, status);
    QVERIFY(!outcome.detail.isEmpty());
    QVERIFY(!store.isRecording());
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("apple"), true)), WriteResult::Off);
    QCOMPARE(store.recordBoxEvent(BoxEvent{}), WriteResult::Off);
    QCOMPARE(store.dueCount(noon()), 0);
    QCOMPARE(store.progress({}, noon().date()).totalAnswers, 0);
    store.close();
    // The user's file is not "repaired" away.
    QCOMPARE(TestFiles::readBytes(m_path), bytes);
}

void TestRecordFaults::readOnlyFolder_data()
{
    QTest::addColumn<bool>("existing");
    QTest::newRow("no database yet") << false;
    QTest::newRow("database from an earlier run") << true;
}

void TestRecordFaults::readOnlyFolder()
{
    QFETCH(bool, existing);
    REQUIRE_MOUNTS();
    if (existing)
        makeDatabase();
    const QByteArray before = TestFiles::readBytes(m_path);
    PrivateMounts::Mount mount;
    const QString error = mount.readOnly(m_dir->path());
    QVERIFY2(error.isEmpty(), qPrintable(error));

    RecordStore store;
    QCOMPARE(store.open(m_path).status, Status::Unwritable);
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("apple"), true)), WriteResult::Off);
    store.close();
    QCOMPARE(QFile::exists(m_path), existing);
    QCOMPARE(TestFiles::readBytes(m_path), before);
}

void TestRecordFaults::lockedWhenOpening()
{
    makeDatabase();
    // A second copy that holds the database for itself alone.
    Inspector other(m_path);
    QVERIFY(other.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")));
    QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    QVERIFY(other.exec(QStringLiteral("INSERT INTO box_events (at, kind, box, library, file, word, meaning)"
                                      " VALUES (0, 1, 0, '', '', 'held', '')")));

    RecordStore store;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(store.open(m_path, 50, 100).status, Status::Locked);
    // The wait asked for, not the driver's five seconds.
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("apple"), true)), WriteResult::Off);
}

void TestRecordFaults::lockedWhileRecording()
{
    RecordStore store;
    QVERIFY(store.open(m_path, 50).ok());
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("first"), true)), WriteResult::Written);
    {
        Inspector other(m_path);
        QVERIFY(other.exec(QStringLiteral("BEGIN IMMEDIATE")));
        QElapsedTimer timer;
        timer.start();
        // Said once, by the write that met the lock...
        QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("second"), true)), WriteResult::Failed);
        // The 50 ms asked for, not the second that opening may wait.
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(store.lastOutcome().status, Status::Locked);
        QVERIFY(!store.isRecording());
        // ...and then silence, even once the lock is gone.
        QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("third"), true)), WriteResult::Off);
        QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    }
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("fourth"), true)), WriteResult::Off);
    QCOMPARE(store.recordBoxEvent(BoxEvent{}), WriteResult::Off);
    store.close();

    // Only the answer before the lock is there, whole.
    Inspector db(m_path);
    QCOMPARE(db.value(QStringLiteral("SELECT group_concat(word) FROM answers")).toString(), QStringLiteral("first"));
    QCOMPARE(db.value(QStringLiteral("SELECT sum(answers) FROM words")).toInt(), 1);
    QCOMPARE(db.value(QStringLiteral("SELECT count(*) FROM memory")).toInt(), 1);
}

void TestRecordFaults::fullDisk()
{
    REQUIRE_MOUNTS();
    PrivateMounts::Mount mount;
    const QString error = mount.tmpfs(m_dir->path(), 1024 * 1024);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    RecordStore store;
    QVERIFY(store.open(m_path).ok());
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("before"), true)), WriteResult::Written);
    QVERIFY(PrivateMounts::fill(m_dir->path()));

    // Long meanings so that an answer needs new pages in the log.
    WriteResult result = WriteResult::Written;
    int written = 0;
    for (int i = 0; i < 2000 && result == WriteResult::Written; ++i) {
        AnswerRecord a = answer(noon(), QStringLiteral("w%1").arg(i), true);
        a.meaning = QString(2000, QChar(u'词'));
        result = store.recordAnswer(a);
        if (result == WriteResult::Written)
            ++written;
    }
    QCOMPARE(result, WriteResult::Failed);
    QCOMPARE(store.lastOutcome().status, Status::Unwritable);
    QCOMPARE(store.recordAnswer(answer(noon(), QStringLiteral("after"), true)), WriteResult::Off);
    store.close();

    // Room again: what was written is there, sound and consistent.
    QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("filler"))));
    RecordStore again;
    QVERIFY(again.open(m_path).ok());
    QCOMPARE(again.integrityProblems(), QString());
    QCOMPARE(again.answerCount(), 1 + written);
}

void TestRecordFaults::killedWriterLeavesASoundDatabase()
{
    // A writer is killed at random moments while it records answer after
    // answer. Whenever it dies, the database must open, pass SQLite's own
    // check, and hold whole answers only: the totals kept beside the
    // answers agree with them.
    QRandomGenerator random(17);
    qint64 previous = 0;
    for (int round = 0; round < 20; ++round) {
        // The writer says when its first answer is in, so that a slow start
        // on a busy machine does not leave every kill before any write.
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(ready[0]);
            RecordStore store;
            if (!store.open(m_path, 1000).ok())
                ::_exit(3);
            for (int i = 0;; ++i) {
                const bool right = i % 3 != 0;
                store.recordAnswer(answer(noon().addSecs(i), QStringLiteral("w%1").arg(i % 200), right, 1000 + i % 900,
                                          i % 4 == 0 ? 1 : 0));
                if (i == 0) {
                    const char byte = 1;
                    [[maybe_unused]] const auto written = ::write(ready[1], &byte, 1);
                    ::close(ready[1]);
                }
            }
        }
        ::close(ready[1]);
        char byte = 0;
        const bool started = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        QTest::qSleep(int(random.bounded(0, 120)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY2(started && WIFSIGNALED(status),
                 qPrintable(QStringLiteral("round %1: writer exited %2").arg(round).arg(WEXITSTATUS(status))));

        RecordStore store;
        QVERIFY2(store.open(m_path).ok(),
                 qPrintable(QStringLiteral("round %1: %2").arg(round).arg(store.lastOutcome().detail)));
        QCOMPARE(store.integrityProblems(), QString());
        const qint64 answers = store.answerCount();

        Inspector db(m_path);
        QCOMPARE(db.value(QStringLiteral("SELECT coalesce(sum(answers), 0) FROM words")).toLongLong(), answers);
        QCOMPARE(db.value(QStringLiteral("SELECT coalesce(sum(answers), 0) FROM days")).toLongLong(), answers);
        // The memory states are exactly what the surviving answers give.
        const QString states = QStringLiteral("SELECT group_concat(file || word || ':' || stability || ':' || due || ':'"
                                              " || reviews, ' ') FROM (SELECT * FROM memory ORDER BY file, word)");
        const QString recorded = db.value(states).toString();
        QCOMPARE(store.rebuildMemoryStates(), RecordStore::WriteResult::Written);
        QCOMPARE(db.value(states).toString(), recorded);
        store.close();
        // Every round got its first answer in before the kill.
        QVERIFY(answers > previous);
        previous = answers;
    }
}

void TestRecordFaults::copiesStartingTogetherBothRecord()
{
    // Several copies of the program started at once on a new record: one of
    // them creates the schema, and none fails for finding it half made.
    for (int round = 0; round < 10; ++round) {
        QTemporaryDir dir;
        const QString path = dir.filePath(RecordStore::fileName());
        QList<pid_t> children;
        for (int copy = 0; copy < 4; ++copy) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                RecordStore store;
                if (!store.open(path).ok()) {
                    std::fprintf(stderr, "copy %d: %s\n", copy, qPrintable(store.lastOutcome().detail));
                    ::_exit(int(store.lastOutcome().status) + 10);
                }
                const WriteResult result = store.recordAnswer(answer(noon(), QStringLiteral("copy%1").arg(copy), true));
                ::_exit(result == WriteResult::Written ? 0 : 2);
            }
            children << child;
        }
        for (pid_t child : children) {
            int status = 0;
            ::waitpid(child, &status, 0);
            QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0,
                     qPrintable(QStringLiteral("round %1: exit %2").arg(round).arg(WEXITSTATUS(status))));
        }
        Inspector db(path);
        QCOMPARE(db.value(QStringLiteral("SELECT count(*) FROM answers")).toInt(), 4);
    }
}

void TestRecordFaults::everyFailureHasAMessage()
{
    // The owner tells the user once; each reason reads differently.
    QStringList texts;
    for (Status status :
         {Status::Unwritable, Status::Locked, Status::Corrupt, Status::TooNew, Status::NoDriver, Status::Failed}) {
        const QString text = RecordStore::messageFor(status);
        QVERIFY(text.contains(QStringLiteral("不做记录")));
        QVERIFY(!texts.contains(text));
        texts << text;
    }
    QCOMPARE(RecordStore::messageFor(Status::Open), QString());
}

QTEST_GUILESS_MAIN(TestRecordFaults)
#include "tst_recordfaults.moc"
