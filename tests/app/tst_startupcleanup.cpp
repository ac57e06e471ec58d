// Start-up tidies what a settings write killed half-way left beside
// lexvan.ini, and nothing else (the rules themselves are tested with the
// settings faults).

#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "app/LexivaneApp.h"

#include <QDateTime>
#include <QFileInfo>
#include <QtTest>

class TestStartupCleanup : public QObject
{
    Q_OBJECT

private slots:
    void startUpRemovesOnlyOvertakenCopies()
    {
        ProgramFolder folder;
        folder.writeIni({QStringLiteral("[Form1LastData]"), QStringLiteral("WordGroup=3")});
        const QDateTime settingsTime = QFileInfo(folder.iniPath()).lastModified();
        const QString overtaken = folder.iniPath() + QStringLiteral(".qWeRtY");
        const QString backup = folder.iniPath() + QStringLiteral(".backup");
        for (const QString &path : {overtaken, backup}) {
            QVERIFY(TestFiles::writeBytes(path, "[Form1LastData]\r\nWordGr"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(settingsTime.addSecs(-60), QFileDevice::FileModificationTime));
        }

        RecordingDialogs dialogs;
        LexivaneApp app(folder.path(), &dialogs);

        QVERIFY(!QFileInfo::exists(overtaken));
        QVERIFY(QFileInfo::exists(backup));
        QVERIFY(QFileInfo::exists(folder.iniPath()));
        QVERIFY(dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestStartupCleanup)
#include "tst_startupcleanup.moc"
