#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"

#include "RecordingDialogs.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace LibraryRegistry;

namespace {

QStringList boxNames()
{
    return {QStringLiteral("月光宝盒0"), QStringLiteral("月光宝盒1"), QStringLiteral("月光宝盒2"),
            QStringLiteral("月光宝盒3"), QStringLiteral("月光宝盒4")};
}

} // namespace

class TestLibraryRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_ini = CIniFile();
        m_ini.SpecifyIni(m_dir.filePath(QStringLiteral("lexvan.ini")));
        QFile::remove(m_ini.IniPath());
    }

    void boxes();
    void libraryNames_data();
    void libraryNames();
    void fileNames();
    void hasNonDigit_data();
    void hasNonDigit();

private:
    void writeSettings(const QString &text) { QVERIFY(TestFiles::writeBytes(m_ini.IniPath(), TestFiles::gbk(text))); }

    QTemporaryDir m_dir;
    CIniFile m_ini;
};

void TestLibraryRegistry::boxes()
{
    for (int box = 0; box < BoxCount; ++box) {
        QCOMPARE(boxName(box), boxNames().at(box));
        QCOMPARE(boxFileName(box), QStringLiteral("box%1.txt").arg(box));
        QCOMPARE(boxOfName(boxNames().at(box)), box);
    }
    QCOMPARE(boxOfName(QStringLiteral(" 月光宝盒2")), -1);
    QCOMPARE(boxOfName(QStringLiteral("月光宝盒2 ")), -1);
    QCOMPARE(boxOfName(QStringLiteral("月光宝盒5")), -1);
    QCOMPARE(boxOfName(QStringLiteral("月光宝盒")), -1);
}

void TestLibraryRegistry::libraryNames_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QStringList>("registered");

    QTest::newRow("no file") << QString() << QStringList();
    QTest::newRow("empty Lib1 ends the list")
        << QStringLiteral("[LibName]\r\nLib0=英语\r\nLib1=\r\nLib2=日语\r\n") << QStringList{QStringLiteral("英语")};
    QTest::newRow("missing Lib1 ends the list")
        << QStringLiteral("[LibName]\r\nLib0=英语\r\nLib2=日语\r\n") << QStringList{QStringLiteral("英语")};
    QTest::newRow("key order, trimmed")
        << QStringLiteral("[LibName]\r\nLib1=\"  日语 \"\r\nLib0= 英语 \r\nLib2=月光宝盒2\r\n")
        << QStringList{QStringLiteral("英语"), QStringLiteral("日语"), QStringLiteral("月光宝盒2")};
    QTest::newRow("20-byte name cut to 9 characters")
        << QStringLiteral("[LibName]\r\nLib0=一二三四五六七八九十\r\n") << QStringList{QStringLiteral("一二三四五六七八九")};
}

void TestLibraryRegistry::libraryNames()
{
    QFETCH(QString, settings);
    QFETCH(QStringList, registered);
    if (!settings.isEmpty())
        writeSettings(settings);
    QCOMPARE(LibraryRegistry::libraryNames(m_ini), registered + boxNames());
}

void TestLibraryRegistry::fileNames()
{
    writeSettings(QStringLiteral("[LibName]\r\nLib0=一二三四五六七八九十\r\n"
                                 "[LibraryFileName]\r\n英语 = english.txt \r\n月光宝盒2=other.txt\r\n"
                                 "一二三四五六七八九十=long.txt\r\n"));
    RecordingDialogs dialogs;
    QCOMPARE(GetLibraryFileName(m_ini, dialogs, QStringLiteral("英语")), QStringLiteral("english.txt"));
    // Not a box name, so it is looked up.
    QCOMPARE(GetLibraryFileName(m_ini, dialogs, QStringLiteral(" 月光宝盒2")), QStringLiteral("other.txt"));
    QCOMPARE(dialogs.messages, QStringList());

    QCOMPARE(GetLibraryFileName(m_ini, dialogs, QStringLiteral("法语")), QString());
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("该词库没有对应的文件名！")});

    // The listed name has lost its last character, so its key is not found.
    dialogs.clear();
    const QString listed = LibraryRegistry::libraryNames(m_ini).first();
    QCOMPARE(GetLibraryFileName(m_ini, dialogs, listed), QString());
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("该词库没有对应的文件名！")});
}

void TestLibraryRegistry::hasNonDigit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("0042") << QStringLiteral("0042") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("12a") << QStringLiteral("12a") << true;
    QTest::newRow("minus sign") << QStringLiteral("−3") << true;
    QTest::newRow("hyphen") << QStringLiteral("-3") << true;
    QTest::newRow("1.5") << QStringLiteral("1.5") << true;
    QTest::newRow("space") << QStringLiteral("1 ") << true;
    QTest::newRow("full-width") << QStringLiteral("１２") << true;
    QTest::newRow("Arabic-Indic") << QStringLiteral("٣") << true;
}

void TestLibraryRegistry::hasNonDigit()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(HasNonDigit(text), expected);
}

QTEST_GUILESS_MAIN(TestLibraryRegistry)
#include "tst_libraryregistry.moc"
