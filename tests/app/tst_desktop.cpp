#include "app/Desktop.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

// Qt's own texts in Chinese, whatever the locale (the tests run under
// C.UTF-8), and the program's icon at the installed sizes.
class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installChineseQtTranslations(*qApp)); }

    void standardButtonsReadChinese_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("OK") << int(QMessageBox::Ok) << QStringLiteral("确定");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << QStringLiteral("是");
        QTest::newRow("No") << int(QMessageBox::No) << QStringLiteral("否");
    }

    void standardButtonsReadChinese()
    {
        QFETCH(int, button);
        QFETCH(QString, text);
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                        QMessageBox::StandardButton(button));
        // Accelerator marks ("&Y") are not part of what is read.
        QCOMPARE(box.button(QMessageBox::StandardButton(button))->text().remove(QLatin1Char('&')).section(
                     QLatin1Char('('), 0, 0),
                 text);
    }

    void editMenuReadsChinese()
    {
        QLineEdit edit(QStringLiteral("abc"));
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        const auto actions = menu->actions();
        for (const QAction *action : actions)
            texts << action->text();
        const QString all = texts.join(QLatin1Char('|'));
        QVERIFY2(all.contains(QStringLiteral("复制")) && all.contains(QStringLiteral("粘贴")), qPrintable(all));
    }

    void iconHasEveryInstalledSize()
    {
        const QIcon icon = programIcon();
        QVERIFY(!icon.isNull());
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
            QVERIFY(!icon.pixmap(size).isNull());
        }
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
