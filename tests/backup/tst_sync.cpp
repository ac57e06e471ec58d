#include "BackupFixtures.h"

#include "backup/BackgroundJob.h"
#include "backup/SyncFolder.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace BackupFixtures;

// Two computers kept in step through a folder, and a folder that is slow,
// gone or cannot be written.
class TestSync : public QObject
{
    Q_OBJECT

    static SyncFolder::Result sync(const ProgramFolder &folder, const QString &shared, const QString &id)
    {
        return SyncFolder::syncOnce(folder.path() + QStringLiteral("/lexvan.db"), shared, id);
    }

private slots:
    void twoComputersEndInStep()
    {
        QTemporaryDir shared;
        ProgramFolder a, b;
        fill(a, 30);
        fill(b, 5, QStringLiteral("b"), RecordFixtures::noon().addDays(1));
        QCOMPARE(sync(a, shared.path(), QStringLiteral("a")).eventsWritten, qint64(30));
        const SyncFolder::Result first = sync(b, shared.path(), QStringLiteral("b"));
        QVERIFY2(first.ok(), qPrintable(first.detail));
        QCOMPARE(first.answersAdded, qint64(30));
        // Only its own events: a's are in the folder already.
        QCOMPARE(first.eventsWritten, qint64(5));

        // The same day, offline, both study (two words on both sides).
        const QDateTime day = RecordFixtures::noon().addDays(3);
        study(a, day, {true, false, true, true}, 1);
        study(b, day.addSecs(7), {false, true, true}, 3);
        // An append cut short on a leaves half a line; the next append ends it.
        QFile cut(shared.filePath(SyncFolder::eventFileName(QStringLiteral("a"))));
        QVERIFY(cut.open(QIODevice::Append));
        cut.write("{\"t\":\"answer\",\"at\":17");
        cut.close();

        for (const auto &[folder, id] : {std::pair{&a, "a"}, {&b, "b"}, {&a, "a"}}) {
            const SyncFolder::Result result = sync(*folder, shared.path(), QString::fromLatin1(id));
            QVERIFY2(result.ok(), qPrintable(result.detail));
        }
        QCOMPARE(answerRows(a).size(), 42);
        QCOMPARE(answerRows(b), answerRows(a));
        const QStringList due = dueList(a, day.addDays(20));
        QVERIFY(!due.isEmpty());
        QCOMPARE(dueList(b, day.addDays(20)), due);

        // Synced again: nothing new either way.
        const SyncFolder::Result again = sync(b, shared.path(), QStringLiteral("b"));
        QCOMPARE(again.answersAdded + again.eventsWritten, qint64(0));
        QCOMPARE(answerRows(b).size(), 42);
    }

    void folderThatFailsChangesNothingHere_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("outcome");
        QTest::newRow("never there") << "missing" << int(SyncFolder::Result::FolderMissing);
        QTest::newRow("gone since the last sync") << "vanished" << int(SyncFolder::Result::FolderMissing);
        QTest::newRow("own file cannot be written") << "unwritable" << int(SyncFolder::Result::FolderUnwritable);
        QTest::newRow("setting left empty") << "empty" << int(SyncFolder::Result::FolderMissing);
    }

    void folderThatFailsChangesNothingHere()
    {
        QFETCH(QString, kind);
        QFETCH(int, outcome);
        auto shared = std::make_unique<QTemporaryDir>();
        QString path = shared->path();
        ProgramFolder here;
        fill(here, 12);
        if (kind == QLatin1String("missing")) {
            path += QStringLiteral("/not-mounted");
        } else if (kind == QLatin1String("vanished")) {
            QVERIFY(sync(here, path, QStringLiteral("pc")).ok());
            shared.reset();
        } else if (kind == QLatin1String("unwritable")) {
            // A folder where the file should be: no write reaches it, even
            // for a user the permissions do not stop.
            QVERIFY(QDir(path).mkdir(SyncFolder::eventFileName(QStringLiteral("pc"))));
        } else {
            path.clear();
        }
        const QMap<QString, QByteArray> before = folderBytes(here.path());
        const SyncFolder::Result result = sync(here, path, QStringLiteral("pc"));
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.eventsWritten, qint64(0));
        QCOMPARE(folderBytes(here.path()), before);
        // A folder that is not there is not made.
        if (!path.isEmpty())
            QCOMPARE(QFileInfo::exists(path), kind == QLatin1String("unwritable"));
    }

    void slowFolderNeverHoldsUpTheCaller()
    {
        // A folder that hangs: the job waits until the test lets it go.
        QSemaphore release;
        BackgroundJob job([&release] {
            release.acquire();
            return QStringLiteral("done");
        });
        QSignalSpy finished(&job, &BackgroundJob::finished);
        job.start();
        QVERIFY(job.isRunning());
        QVERIFY(!job.waitFor(50));
        QCoreApplication::processEvents();
        QCOMPARE(finished.count(), 0);
        release.release();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), QStringLiteral("done"));
        QVERIFY(job.waitFor(1000));
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
