#include "settings/CIniFile.h"
#include "settings/RememberedGroup.h"
#include "settings/SettingsKeys.h"

#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

// Every window restores its remembered group through one rule; the values
// come from a hand-editable file, so the odd ones matter most.
class TestRememberedGroup : public QObject
{
    Q_OBJECT

private slots:
    void restore_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("library");
        QTest::addColumn<bool>("noneAllowed");
        // "-" for nothing remembered, else "group|index".
        QTest::addColumn<QString>("expected");
        const QString none = QStringLiteral("-");
        QTest::newRow("plain") << QStringLiteral("12") << QStringLiteral("2") << false << QStringLiteral("12|2");
        QTest::newRow("spaces around both")
            << QStringLiteral("  12 ") << QStringLiteral(" 2  ") << false << QStringLiteral("12|2");
        QTest::newRow("ideographic space at the end stays")
            << QStringLiteral("12\u3000") << QStringLiteral("2") << false << QStringLiteral("12\u3000|2");
        QTest::newRow("ideographic space is part of the value")
            << QStringLiteral("\u300012") << QStringLiteral("2") << false << QStringLiteral("\u300012|2");
        QTest::newRow("ideographic space makes the index no number")
            << QStringLiteral("12") << QStringLiteral("2\u3000") << false << none;
        QTest::newRow("last entry") << QStringLiteral("1") << QStringLiteral("6") << false << QStringLiteral("1|6");
        QTest::newRow("past the list") << QStringLiteral("1") << QStringLiteral("7") << false << none;
        QTest::newRow("nothing chosen, refused") << QStringLiteral("3") << QStringLiteral("-1") << false << none;
        QTest::newRow("nothing chosen, allowed") << QStringLiteral("3") << QStringLiteral("-1") << true
                                                 << QStringLiteral("3|-1");
        QTest::newRow("below nothing") << QStringLiteral("3") << QStringLiteral("-2") << true << none;
        QTest::newRow("index no number") << QStringLiteral("3") << QStringLiteral("x1") << false << none;
        QTest::newRow("blank group") << QStringLiteral("   ") << QStringLiteral("1") << false << none;
        QTest::newRow("no index") << QStringLiteral("3") << QString() << false << none;
    }

    void restore()
    {
        QFETCH(QString, group);
        QFETCH(QString, library);
        QFETCH(bool, noneAllowed);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("lexvan.ini"));
        // Written as a user edits it: the value runs to the line end.
        QString text = u'[' + SettingsKeys::BoxWindow + QStringLiteral("]\r\n");
        text += SettingsKeys::WordGroup + u'=' + group + QStringLiteral("\r\n");
        if (!library.isNull())
            text += SettingsKeys::WordLibrary + u'=' + library + QStringLiteral("\r\n");
        QVERIFY(TestFiles::writeBytes(path, text.toUtf8()));
        CIniFile ini;
        ini.SpecifyIni(path);

        const auto remembered = rememberedGroup(ini, SettingsKeys::BoxWindow, 7, noneAllowed);
        const QString seen = remembered
            ? remembered->group + u'|' + QString::number(remembered->libraryIndex)
            : QStringLiteral("-");
        QCOMPARE(seen, expected);
        // Another window's section remembers nothing.
        QVERIFY(!rememberedGroup(ini, SettingsKeys::TestWindow, 7, noneAllowed));
    }
};

QTEST_GUILESS_MAIN(TestRememberedGroup)
#include "tst_rememberedgroup.moc"
