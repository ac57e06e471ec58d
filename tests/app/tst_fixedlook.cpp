#include "Pixels.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "boxes/Form2.h"
#include "browse/Form3.h"
#include "browse/Form4.h"
#include "browse/Form5.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QtTest>

#include <memory>

// The windows under a dark desktop colour scheme: what they draw on their
// light faces must stay readable, and their edits white.
class TestFixedLook : public QObject
{
    Q_OBJECT

private:
    static QPalette darkScheme()
    {
        // The colours of qt6ct's "darker" scheme.
        QPalette dark(QColor(255, 255, 255), QColor(66, 66, 69), QColor(151, 151, 151), QColor(48, 47, 46),
                      QColor(74, 73, 71), QColor(255, 255, 255), QColor(255, 255, 255), QColor(61, 61, 61),
                      QColor(34, 32, 32));
        return dark;
    }

    // Every window of the program, opened as a user would open them.
    QWidget *open(LexivaneApp &app, const QString &window)
    {
        if (window == QLatin1String("test window"))
            return app.form1();
        if (window == QLatin1String("about window")) {
            app.start();
            return app.aboutWindow();
        }
        if (window == QLatin1String("box window")) {
            app.openBoxWindow();
            return app.boxWindow();
        }
        app.openBrowseBar();
        if (window == QLatin1String("browse bar")) {
            app.browseBar()->Timer1_Timer(); // the first word
            return app.browseBar();
        }
        Form4 *settings = app.browseSettings();
        settings->show();
        return settings;
    }

private slots:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkScheme());
    }

    void textAndEditsStayReadable_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *name : {"test window", "about window", "box window", "browse bar", "settings dialog"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void textAndEditsStayReadable()
    {
        QFETCH(QString, window);
        ProgramFolder folder;
        folder.writeIni({QStringLiteral("[LibName]"), QStringLiteral("Lib0=测试词库"),
                         QStringLiteral("[LibraryFileName]"), QStringLiteral("测试词库=test.txt")});
        folder.writeNumberedLibrary(QStringLiteral("test.txt"), 30);
        RecordingDialogs dialogs;
        LexivaneApp app(folder.path(), &dialogs);
        QWidget *shown = open(app, window);
        QVERIFY(shown);
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));

        int looked = 0;
        const auto labels = shown->findChildren<QLabel *>();
        for (QLabel *label : labels) {
            if (!label->isVisibleTo(shown) || label->text().trimmed().isEmpty() || label->width() < 4)
                continue;
            const QImage image = Pixels::grab(shown, QRect(label->mapTo(shown, QPoint()), label->size()));
            const double best = Pixels::bestContrast(image, Pixels::mostCommon(image));
            QVERIFY2(best >= 4.5, qPrintable(QStringLiteral("%1 \"%2\": %3 : 1")
                                                  .arg(label->objectName(), label->text())
                                                  .arg(best, 0, 'f', 1)));
            ++looked;
        }
        const auto buttons = shown->findChildren<QAbstractButton *>();
        for (QAbstractButton *button : buttons) {
            if (!button->isVisibleTo(shown) || button->text().trimmed().isEmpty())
                continue;
            const QImage image = Pixels::grab(shown, QRect(button->mapTo(shown, QPoint()), button->size()));
            const double best = Pixels::bestContrast(image, Pixels::mostCommon(image));
            QVERIFY2(best >= 4.5, qPrintable(button->objectName()));
            if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button)) {
                // The box or circle to tick is white, as on a light desktop.
                QStyleOptionButton option;
                option.initFrom(button);
                option.text = button->text();
                const QRect mark = button->style()->subElementRect(
                    qobject_cast<QCheckBox *>(button) ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator,
                    &option, button);
                // Beside the middle, clear of a tick or dot.
                const QPoint clear(mark.left() + 3, mark.center().y());
                const QRgb inside = Pixels::grab(shown, QRect(button->mapTo(shown, clear), QSize(1, 1))).pixel(0, 0);
                QVERIFY2(Pixels::luminance(inside) > 0.6, qPrintable(button->objectName()));
            }
            ++looked;
        }
        const auto edits = shown->findChildren<QLineEdit *>();
        for (QLineEdit *edit : edits) {
            if (!edit->isVisibleTo(shown))
                continue;
            const QRect inside(edit->mapTo(shown, QPoint(3, 3)), edit->size() - QSize(6, 6));
            const QRgb base = Pixels::mostCommon(Pixels::grab(shown, inside));
            QVERIFY2(Pixels::luminance(base) > 0.9, qPrintable(edit->objectName()));
            QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::black));
            ++looked;
        }
        const auto frames = shown->findChildren<QGroupBox *>();
        for (QGroupBox *frame : frames) {
            // The caption stands in the frame's top line.
            const QRect caption(frame->mapTo(shown, QPoint(0, 0)), QSize(frame->width(), 20));
            const QImage image = Pixels::grab(shown, caption);
            QVERIFY2(Pixels::bestContrast(image, Pixels::mostCommon(image)) >= 4.5, qPrintable(frame->objectName()));
            ++looked;
        }
        QVERIFY(looked >= 2);
    }
};

QTEST_MAIN(TestFixedLook)
#include "tst_fixedlook.moc"
