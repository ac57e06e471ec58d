#include "BackupFixtures.h"

#include "backup/Archive.h"
#include "backup/Backup.h"
#include "backup/Merge.h"

#include <QTest>

using namespace BackupFixtures;

Q_DECLARE_METATYPE(QList<QDate>)

// The archive, the daily backups and restoring one: every bad archive and a
// full disk leave the program's files as they were, byte for byte.
class TestBackup : public QObject
{
    Q_OBJECT

    static QByteArray goodArchive(const ProgramFolder &folder)
    {
        Archive::Contents contents;
        QString error;
        if (!Backup::snapshot(pathsOf(folder), QStringLiteral("pc"), contents, error))
            qWarning() << error;
        return Archive::build(contents);
    }

private slots:
    void badArchivesChangeNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::newRow("truncated") << "truncated" << int(Archive::Status::Damaged);
        QTest::newRow("byte flipped in the record") << "flipped" << int(Archive::Status::Damaged);
        QTest::newRow("not a zip") << "text" << int(Archive::Status::Foreign);
        QTest::newRow("a zip of something else") << "foreign zip" << int(Archive::Status::Foreign);
        QTest::newRow("newer format") << "newer format" << int(Archive::Status::TooNew);
        QTest::newRow("newer record schema") << "newer schema" << int(Archive::Status::TooNew);
        QTest::newRow("newer format with a new kind of entry") << "newer layout" << int(Archive::Status::TooNew);
        QTest::newRow("an entry outside the program's files") << "outside" << int(Archive::Status::Foreign);
        QTest::newRow("missing file") << "missing" << int(Archive::Status::Unreadable);
    }

    void badArchivesChangeNothing()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        ProgramFolder source;
        fill(source, 50);
        QByteArray bytes = goodArchive(source);
        QVERIFY(Archive::parse(bytes).ok());
        if (kind == QLatin1String("truncated")) {
            bytes.chop(bytes.size() / 3);
        } else if (kind == QLatin1String("flipped")) {
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x5a);
        } else if (kind == QLatin1String("text")) {
            bytes = "[LibName]\r\nLib0=x\r\n";
        } else if (kind == QLatin1String("foreign zip")) {
            // A sound zip whose entries are not ours (names are stored
            // uncompressed, in the local headers and the directory).
            bytes.replace("manifest.json", "manifest.jsox");
        } else if (kind == QLatin1String("newer format")) {
            bytes = Archive::build(Archive::parse(bytes).contents, Archive::FormatVersion + 1);
        } else if (kind == QLatin1String("newer layout") || kind == QLatin1String("outside")) {
            // Entry names are stored as they are, in the local headers and
            // the directory: a name no version of today would write.
            if (kind == QLatin1String("newer layout"))
                bytes = Archive::build(Archive::parse(bytes).contents, Archive::FormatVersion + 1);
            bytes.replace("data/box0.txt", kind == QLatin1String("outside") ? "data/../x.txt" : "data/box0/txt");
        } else if (kind == QLatin1String("newer schema")) {
            RecordFixtures::Inspector(source.path() + QStringLiteral("/lexvan.db"))
                .exec(QStringLiteral("PRAGMA user_version = 99"));
            bytes = goodArchive(source);
        }

        ProgramFolder target;
        fill(target, 20, QStringLiteral("b"));
        const QString file = target.path() + QStringLiteral("/in.lxv");
        if (kind != QLatin1String("missing"))
            QVERIFY(TestFiles::writeBytes(file, bytes));
        const QMap<QString, QByteArray> withFile = folderBytes(target.path());

        const Backup::RestoreResult restored =
            Backup::restore(pathsOf(target), file, QStringLiteral("pc"), RecordFixtures::noon());
        QCOMPARE(int(restored.outcome), int(Backup::RestoreResult::BadArchive));
        QCOMPARE(int(restored.archive), status);
        QVERIFY(!Backup::messageFor(restored).isEmpty());

        const Archive::ReadResult read = Archive::readFile(file);
        if (read.ok()) {
            RecordStore store;
            QVERIFY(store.open(target.path() + QStringLiteral("/lexvan.db")).ok());
            const Merge::ImportResult imported = Merge::importArchive(pathsOf(target), read.contents, store);
            QCOMPARE(int(imported.outcome), int(Merge::ImportResult::BadArchive));
            QCOMPARE(int(imported.archive), status);
        } else {
            QCOMPARE(int(read.status), status);
        }
        QCOMPARE(folderBytes(target.path()), withFile);
    }

    void restoreRoundTrip()
    {
        ProgramFolder folder;
        fill(folder, 40);
        const ProgramPaths paths = pathsOf(folder);
        const QString saved = folder.path() + QStringLiteral("/saved.lxv");
        QString error;
        QVERIFY2(Backup::writeSnapshot(paths, QStringLiteral("pc"), saved, error), qPrintable(error));
        const QByteArray iniBefore = TestFiles::readBytes(folder.iniPath());
        const QByteArray boxBefore = TestFiles::readBytes(folder.dataPath(QStringLiteral("box0.txt")));

        // Later: more answers (still in the write-ahead log of an open
        // store), another box word, another setting.
        RecordStore store;
        QVERIFY(store.open(paths.databasePath()).ok());
        store.recordAnswer(RecordFixtures::answer(RecordFixtures::noon().addDays(1), QStringLiteral("word9"), true));
        folder.writeLibrary(QStringLiteral("box0.txt"), {QStringLiteral("dog"), QStringLiteral("狗")});
        folder.writeIni(ProgramFolder::oneLibraryIni() << QStringLiteral("[Form1LastData]")
                                                       << QStringLiteral("WordGroup=3"));
        store.close();

        const Backup::RestoreResult result = Backup::restore(paths, saved, QStringLiteral("pc"), RecordFixtures::noon());
        QCOMPARE(int(result.outcome), int(Backup::RestoreResult::Restored));
        QCOMPARE(TestFiles::readBytes(folder.iniPath()), iniBefore);
        QCOMPARE(TestFiles::readBytes(folder.dataPath(QStringLiteral("box0.txt"))), boxBefore);
        QVERIFY(!QFileInfo::exists(paths.databasePath() + QStringLiteral("-wal")));
        QVERIFY(store.open(paths.databasePath()).ok());
        QCOMPARE(store.answerCount(), qint64(40));
        QCOMPARE(store.integrityProblems(), QString());
        store.close();

        // The state before the restore was kept, and restores in turn.
        QVERIFY(QFileInfo::exists(result.safetyBackup));
        QCOMPARE(Archive::readFile(result.safetyBackup).contents.answers, qint64(41));
        QCOMPARE(int(Backup::restore(paths, result.safetyBackup, QStringLiteral("pc"), RecordFixtures::noon().addSecs(1))
                         .outcome),
                 int(Backup::RestoreResult::Restored));
        QVERIFY(store.open(paths.databasePath()).ok());
        QCOMPARE(store.answerCount(), qint64(41));
    }

    void fullDiskDuringRestoreChangesNothing_data()
    {
        QTest::addColumn<qint64>("failAt");
        QTest::newRow("first byte") << qint64(0);
        QTest::newRow("inside the first file") << qint64(100);
        QTest::newRow("inside a large file") << qint64(20000);
    }

    void fullDiskDuringRestoreChangesNothing()
    {
        QFETCH(qint64, failAt);
        ProgramFolder folder;
        fill(folder, 300);
        const ProgramPaths paths = pathsOf(folder);
        const QString saved = folder.path() + QStringLiteral("/saved.lxv");
        QString error;
        QVERIFY(Backup::writeSnapshot(paths, QStringLiteral("pc"), saved, error));
        fill(folder, 10, QStringLiteral("changed"));
        const QMap<QString, QByteArray> before = folderBytes(folder.path());

        // The disk fills up after `failAt` bytes of the restored files.
        qint64 written = 0;
        const Backup::WriteBytes full = [&](QFileDevice &file, const char *data, qint64 size) -> qint64 {
            const qint64 room = std::max<qint64>(0, failAt - written);
            const qint64 count = file.write(data, std::min(size, room));
            written += std::max<qint64>(0, count);
            return count < size ? -1 : count;
        };
        const Backup::RestoreResult result =
            Backup::restore(paths, saved, QStringLiteral("pc"), RecordFixtures::noon(), full);
        QCOMPARE(int(result.outcome), int(Backup::RestoreResult::WriteFailed));
        QVERIFY(!Backup::messageFor(result).isEmpty());
        QCOMPARE(folderBytes(folder.path()), before);
    }

    void rotation_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QList<QDate>>("backups");
        QTest::addColumn<QList<QDate>>("removed");
        const QDate today(2026, 12, 8);
        QList<QDate> daily;
        for (int n = 0; n < 400; ++n)
            daily << today.addDays(-n);
        QList<QDate> expected;
        for (const QDate &date : daily) {
            const bool recent = date >= today.addDays(-29);
            const bool firstOfMonth = date.day() == 1 && date > today.addYears(-1);
            if (!recent && !firstOfMonth)
                expected << date;
        }
        std::sort(expected.begin(), expected.end());
        QTest::newRow("400 days in a row") << today << daily << expected;
        // With gaps, the first backup of a month is whichever came first.
        QTest::newRow("first of month is the 17th")
            << today << QList<QDate>{QDate(2026, 9, 17), QDate(2026, 9, 20), QDate(2026, 11, 8)}
            << QList<QDate>{QDate(2026, 9, 20)};
        QTest::newRow("30 days kept, the 31st goes")
            << today << QList<QDate>{QDate(2026, 11, 1), today.addDays(-30), today.addDays(-29)}
            << QList<QDate>{today.addDays(-30)};
        QTest::newRow("older than a year goes")
            << today << QList<QDate>{QDate(2025, 11, 1), QDate(2025, 12, 9)} << QList<QDate>{QDate(2025, 11, 1)};
        QTest::newRow("dated after today stays")
            << today << QList<QDate>{today.addDays(5), today.addDays(40)} << QList<QDate>{};
    }

    void rotation()
    {
        QFETCH(QDate, today);
        QFETCH(QList<QDate>, backups);
        QFETCH(QList<QDate>, removed);
        QCOMPARE(Backup::backupsToRemove(backups, today), removed);
    }

    void dailyBackupOncePerDayAndRotates()
    {
        ProgramFolder folder;
        fill(folder, 5);
        const ProgramPaths paths = pathsOf(folder);
        const QDate today(2026, 12, 8);
        // Two old backups of one month: the later goes, but only once
        // today's has been written.
        QDir().mkpath(paths.backupDir());
        QVERIFY(TestFiles::writeBytes(paths.backupDir() + u'/' + Backup::dailyFileName(today.addDays(-45)), "old"));
        const QString old = paths.backupDir() + u'/' + Backup::dailyFileName(today.addDays(-40));
        QVERIFY(TestFiles::writeBytes(old, "old"));

        // A record that fails its check: no backup, and the old one stays.
        const QByteArray db = TestFiles::readBytes(paths.databasePath());
        QVERIFY(TestFiles::writeBytes(paths.databasePath(), db.left(db.size() / 2) + QByteArray(db.size() / 2, 'x')));
        Backup::DailyResult result = Backup::runDaily(paths, today, QStringLiteral("pc"));
        QCOMPARE(int(result.outcome), int(Backup::DailyResult::Failed));
        QVERIFY(QFileInfo::exists(old));
        QVERIFY(!QFileInfo::exists(result.file));

        QVERIFY(TestFiles::writeBytes(paths.databasePath(), db));
        result = Backup::runDaily(paths, today, QStringLiteral("pc"));
        QCOMPARE(int(result.outcome), int(Backup::DailyResult::Written));
        QCOMPARE(result.removed, QStringList{Backup::dailyFileName(today.addDays(-40))});
        QCOMPARE(Archive::readFile(result.file).contents.answers, qint64(5));
        QCOMPARE(int(Backup::runDaily(paths, today, QStringLiteral("pc")).outcome),
                 int(Backup::DailyResult::AlreadyDone));

        const QList<Backup::BackupInfo> listed = Backup::listBackups(paths);
        QCOMPARE(listed.size(), 2);
        QCOMPARE(listed.first().answers, qint64(5));
        QCOMPARE(listed.last().answers, qint64(-1));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
