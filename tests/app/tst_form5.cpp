#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "browse/Form5.h"

#include <QGroupBox>
#include <QLabel>
#include <QtTest>

class TestForm5 : public QObject
{
    Q_OBJECT

private slots:
    void startUpShowsBothWindowsAboutInFront()
    {
        ProgramFolder folder;
        RecordingDialogs dialogs;
        LexivaneApp app(folder.path(), &dialogs);
        app.start();
        QPointer<Form5> about = app.aboutWindow();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QVERIFY(app.form1()->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("Kelvaro--Lexivane V1.0"));
        QCOMPARE(about->findChild<QGroupBox *>(QStringLiteral("Frame1"))->title(), QStringLiteral("软件简介"));
    }

    void clickOnTheNoticeDoesNothing()
    {
        ProgramFolder folder;
        RecordingDialogs dialogs;
        LexivaneApp app(folder.path(), &dialogs);
        app.start();
        QPointer<Form5> about = app.aboutWindow();
        QTest::mouseClick(about->findChild<QLabel *>(QStringLiteral("Label1")), Qt::LeftButton);
        QTest::mouseClick(about->findChild<QGroupBox *>(QStringLiteral("Frame1")), Qt::LeftButton,
                          Qt::NoModifier, QPoint(4, 40));
        QVERIFY(about);
        QVERIFY(about->isVisible());
    }

    void clickOnThePictureLeadsToTheTestWindow()
    {
        ProgramFolder folder;
        RecordingDialogs dialogs;
        LexivaneApp app(folder.path(), &dialogs);
        app.start();
        QPointer<Form5> about = app.aboutWindow();
        app.form1()->hide();
        QTest::mouseClick(about->findChild<QLabel *>(QStringLiteral("Picture1")), Qt::LeftButton, Qt::NoModifier,
                          QPoint(100, 150));
        QTRY_VERIFY(about.isNull()); // destroyed, not just hidden
        QVERIFY(app.form1()->isVisible());
    }

    void noticeIsAboutThreeHundredCharacters()
    {
        const QString notice = Form5::notice();
        qsizetype chinese = 0;
        for (const QChar c : notice)
            chinese += c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF;
        QVERIFY2(chinese >= 200 && chinese <= 330, qPrintable(QString::number(chinese)));
        QVERIFY(notice.startsWith(QStringLiteral("　　")));
        QVERIFY(notice.contains(QStringLiteral("Lexivane 开发组")));
    }
};

QTEST_MAIN(TestForm5)
#include "tst_form5.moc"
