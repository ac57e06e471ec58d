#include "BackupFixtures.h"
#include "RecordingDialogs.h"

#include "app/LexivaneApp.h"
#include "backup/BackgroundJob.h"
#include "backup/SyncFolder.h"
#include "backupui/BackupWindow.h"
#include "settings/CIniFile.h"
#include "settings/SettingsKeys.h"
#include "typing/Form1.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace BackupFixtures;

// 备份与迁移… from the book menu: the day's backup made in the background,
// listed, restored with the windows reloaded; export, import and the sync
// folder setting through the window.
class TestBackupWindow : public QObject
{
    Q_OBJECT

private slots:
    void backupListedRestoredExportedImported()
    {
        // Another computer left 6 answers in the sync folder.
        QTemporaryDir shared;
        auto other = std::make_unique<ProgramFolder>();
        fill(*other, 6, QStringLiteral("b"), RecordFixtures::noon().addDays(-3));
        QVERIFY(SyncFolder::syncOnce(other->path() + QStringLiteral("/lexvan.db"), shared.path(),
                                     QStringLiteral("other"))
                    .ok());
        other.reset();
        ProgramFolder folder;
        fill(folder, 25);
        QVERIFY(SyncFolder::setFolderSetting(folder.iniPath(), shared.path()));
        RecordingDialogs dialogs;
        LexivaneApp app(folder.path(), &dialogs);
        Form1 *form = app.form1();
        form->show();
        app.startHousekeeping();
        QVERIFY(app.housekeeping());
        // Merged back on this thread once the job is done.
        QTRY_COMPARE_WITH_TIMEOUT(app.record().answerCount(), qint64(31), 20000);
        QVERIFY(!app.housekeeping()->isRunning());
        QVERIFY(QFileInfo::exists(shared.filePath(
            SyncFolder::eventFileName(SyncFolder::computerId(folder.iniPath(), false)))));

        QTest::mouseClick(form->findChild<QLabel *>(QStringLiteral("Picture1")), Qt::LeftButton, {}, QPoint(10, 10));
        QAction *item = app.bookMenu()->findChild<QAction *>(QStringLiteral("backupAction"));
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("备份与迁移…"));
        item->trigger();
        BackupWindow *window = app.backupWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->table()->rowCount(), 1);
        QCOMPARE(window->table()->item(0, 2)->text(), QStringLiteral("25"));

        // Answers after the backup are undone by restoring it; the state
        // before is kept as a backup of its own.
        app.record().recordAnswer(RecordFixtures::answer(RecordFixtures::noon().addDays(2), QStringLiteral("word2"), true));
        QCOMPARE(app.record().answerCount(), qint64(32));
        auto *restore = window->findChild<QPushButton *>(QStringLiteral("restoreButton"));
        QVERIFY(!restore->isEnabled());
        window->table()->selectRow(0);
        restore->click();
        QCOMPARE(dialogs.questions.size(), 1);
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join(u'\n')));
        QVERIFY(app.record().isRecording());
        QCOMPARE(app.record().answerCount(), qint64(25));
        QCOMPARE(window->table()->rowCount(), 2);

        // Export, then import of the same file: nothing is new.
        const QString file = folder.path() + QStringLiteral("/out.lxv");
        app.setFileChooser([&](LexivaneApp::FileChoice choice) {
            return choice == LexivaneApp::FileChoice::SyncFolder ? folder.path() + QStringLiteral("/shared") : file;
        });
        window->findChild<QPushButton *>(QStringLiteral("exportButton"))->click();
        QCOMPARE(Archive::readFile(file).contents.answers, qint64(25));
        window->findChild<QPushButton *>(QStringLiteral("importButton"))->click();
        QVERIFY2(window->findChild<QLabel *>(QStringLiteral("statusLabel"))->text().contains(
                     QStringLiteral("新增答题记录 0 条")),
                 qPrintable(dialogs.messages.join(u'\n')));

        // A bad file is refused with a message.
        QVERIFY(TestFiles::writeBytes(file, "not an archive"));
        window->findChild<QPushButton *>(QStringLiteral("importButton"))->click();
        QCOMPARE(dialogs.messages.size(), 1);

        // An export chosen over the record itself is refused: it would
        // replace the history with an archive of it.
        const QByteArray record = TestFiles::readBytes(folder.path() + QStringLiteral("/lexvan.db"));
        QVERIFY(!app.exportTo(folder.path() + QStringLiteral("/lexvan.db")));
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(TestFiles::readBytes(folder.path() + QStringLiteral("/lexvan.db")), record);

        window->findChild<QPushButton *>(QStringLiteral("chooseSyncFolderButton"))->click();
        CIniFile ini;
        ini.SpecifyIni(folder.iniPath());
        QCOMPARE(ini.ReadString(SettingsKeys::Sync, SettingsKeys::SyncFolder, 1024),
                 folder.path() + QStringLiteral("/shared"));
    }
};

QTEST_MAIN(TestBackupWindow)
#include "tst_backupwindow.moc"
