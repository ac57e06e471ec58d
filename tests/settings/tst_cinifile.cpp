#include "settings/CIniFile.h"

#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestCIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("lexvan.ini"));
        QFile::remove(m_path);
    }

    void withoutPath();
    void pathIsTrimmedAndOtherwiseKept();
    void failedWriteSetsErrorText();
    void readLengths_data();
    void readLengths();
    void readInt_data();
    void readInt();
    void everyReadGoesToTheFile();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestCIniFile::withoutPath()
{
    CIniFile ini;
    ini.SpecifyIni(QStringLiteral("   "));
    QCOMPARE(ini.IniPath(), QString());
    QVERIFY(!ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(ini.ErrorText(), QStringLiteral("没有指定 INI 文件"));
    QVERIFY(TestFiles::writeBytes(m_path, "[S]\r\nk=v\r\n"));
    QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), 10), QString());
    QCOMPARE(ini.ErrorText(), QStringLiteral("没有指定 INI 文件"));
}

void TestCIniFile::pathIsTrimmedAndOtherwiseKept()
{
    // A folder at a drive root gives a doubled separator; it is used as is.
    const QString path = m_dir.path() + QStringLiteral("//lexvan.ini");
    CIniFile ini;
    ini.SpecifyIni(QStringLiteral("  ") + path + QStringLiteral(" "));
    QCOMPARE(ini.IniPath(), path);
    QVERIFY(ini.WriteString(QStringLiteral("Form1LastData"), QStringLiteral("WordGroup"), QStringLiteral("3")));
    QCOMPARE(ini.ErrorText(), QString());
    QCOMPARE(TestFiles::readBytes(m_path), QByteArray("[Form1LastData]\r\nWordGroup=3\r\n"));
    QCOMPARE(ini.ReadString(QStringLiteral("Form1LastData"), QStringLiteral("WordGroup"), 10), QStringLiteral("3"));
}

void TestCIniFile::failedWriteSetsErrorText()
{
    CIniFile ini;
    ini.SpecifyIni(m_dir.filePath(QStringLiteral("missing/lexvan.ini")));
    QVERIFY(!ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(ini.ErrorText(), QStringLiteral("写入失败"));
    // The next operation that has a path clears it.
    QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), 10), QString());
    QCOMPARE(ini.ErrorText(), QString());
}

void TestCIniFile::readLengths_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("expected");

    QTest::newRow("WordGroup, 12 digits") << QStringLiteral("123456789012") << 10 << QStringLiteral("123456789");
    QTest::newRow("BrowseMode fits") << QStringLiteral("Sequence") << 10 << QStringLiteral("Sequence");
    QTest::newRow("CircuMode fits") << QStringLiteral("Next") << 5 << QStringLiteral("Next");
    QTest::newRow("CircuMode cut") << QStringLiteral("Negative") << 5 << QStringLiteral("Nega");
    QTest::newRow("name, 19 ASCII") << QStringLiteral("abcdefghijklmnopqrs") << 20
                                    << QStringLiteral("abcdefghijklmnopqrs");
    QTest::newRow("name, 10 Chinese") << QStringLiteral("一二三四五六七八九十") << 20
                                      << QStringLiteral("一二三四五六七八九");
}

void TestCIniFile::readLengths()
{
    QFETCH(QString, stored);
    QFETCH(int, length);
    QFETCH(QString, expected);
    QVERIFY(TestFiles::writeBytes(m_path, TestFiles::gbk(QStringLiteral("[S]\r\nk=") + stored)));
    CIniFile ini;
    ini.SpecifyIni(m_path);
    QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), length), expected);
}

void TestCIniFile::readInt_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<long>("expected");
    QTest::addColumn<QString>("error");

    const QString unreadable = QStringLiteral("不能读取");
    QTest::newRow("zero") << QByteArray("[S]\r\nk=0\r\n") << 0L << QString();
    QTest::newRow("missing key") << QByteArray("[S]\r\nj=5\r\n") << 0L << unreadable;
    QTest::newRow("missing file") << QByteArray() << 0L << unreadable;
    QTest::newRow("leading number") << QByteArray("[S]\r\nk=42abc\r\n") << 42L << QString();
    QTest::newRow("no number") << QByteArray("[S]\r\nk=abc\r\n") << 0L << unreadable;
    QTest::newRow("empty") << QByteArray("[S]\r\nk=\r\n") << 0L << unreadable;
    QTest::newRow("minus one") << QByteArray("[S]\r\nk= -1 \r\n") << -1L << QString();
}

void TestCIniFile::readInt()
{
    QFETCH(QByteArray, file);
    QFETCH(long, expected);
    QFETCH(QString, error);
    if (!file.isEmpty())
        QVERIFY(TestFiles::writeBytes(m_path, file));
    CIniFile ini;
    ini.SpecifyIni(m_path);
    QCOMPARE(ini.ReadInt(QStringLiteral("S"), QStringLiteral("k")), expected);
    QCOMPARE(ini.ErrorText(), error);
}

void TestCIniFile::everyReadGoesToTheFile()
{
    CIniFile ini;
    ini.SpecifyIni(m_path);
    QVERIFY(ini.WriteString(QStringLiteral("Form4LastData"), QStringLiteral("BarX"), QStringLiteral("1200")));
    QCOMPARE(ini.ReadString(QStringLiteral("Form4LastData"), QStringLiteral("BarX"), 10), QStringLiteral("1200"));
    // Another window (or the user) changes the file behind this object's back.
    QVERIFY(TestFiles::writeBytes(m_path, "[Form4LastData]\r\nBarX=15\r\n"));
    QCOMPARE(ini.ReadString(QStringLiteral("Form4LastData"), QStringLiteral("BarX"), 10), QStringLiteral("15"));
}

QTEST_GUILESS_MAIN(TestCIniFile)
#include "tst_cinifile.moc"
