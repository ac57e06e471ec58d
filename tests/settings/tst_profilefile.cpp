#include "settings/ProfileFile.h"

#include "TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using TestFiles::gbk;

namespace {

// The first CJK character whose GBK form is two bytes with a second byte
// that passes `wanted`.
QString gbkCharacter(const std::function<bool(uchar)> &wanted)
{
    for (char16_t c = 0x4E00; c < 0x9FA6; ++c) {
        const QString text(QChar{c});
        const QByteArray bytes = gbk(text);
        if (bytes.size() == 2 && wanted(uchar(bytes[1])))
            return text;
    }
    return {};
}

// Two different characters whose GBK forms differ only in the ASCII case of
// their second byte, e.g. 0xXX 0x41 and 0xXX 0x61.
QPair<QString, QString> gbkCasePair()
{
    for (char16_t c = 0x4E00; c < 0x9FA6; ++c) {
        const QByteArray upper = gbk(QString(QChar{c}));
        if (upper.size() != 2 || upper[1] < 'A' || upper[1] > 'Z')
            continue;
        QByteArray lowerBytes = upper;
        lowerBytes[1] = char(upper[1] + 0x20);
        const QString lower = TestFiles::fromGbk(lowerBytes);
        if (lower.size() == 1 && lower[0].unicode() >= 0x4E00 && lower[0].unicode() < 0x9FA6)
            return {QString(QChar{c}), lower};
    }
    return {};
}

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    // A fresh folder for every test function and data row.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void read_data();
    void read();
    void readCut_data();
    void readCut();
    void gbkSecondBytesAreNotSyntax();
    void write_data();
    void write();
    void writeCreatesMissingFile();
    void writingTheStoredValueLeavesTheFileAlone();
    void refusedWrites_data();
    void refusedWrites();
    void failedWrites();
    void rewriteKeepsEncoding_data();
    void rewriteKeepsEncoding();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("lexvan.ini")); }
    QStringList entries() const { return QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestProfileFile::read_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString s = QStringLiteral("S");
    const QString k = QStringLiteral("k");
    QTest::newRow("names ignore case") << QStringLiteral("[LibName]\r\nLib0=abc\r\n") << QStringLiteral("libNAME")
                                       << QStringLiteral("LIB0") << QStringLiteral("abc");
    QTest::newRow("blanks around names and value") << QStringLiteral("[ \tS \t]\r\n \t k \t=\t v  w \t\r\n") << s << k
                                                   << QStringLiteral("v  w");
    QTest::newRow("text after the bracket") << QStringLiteral("[S] x=9\r\nk=1\r\n") << s << k << QStringLiteral("1");
    QTest::newRow("blanks before the bracket") << QStringLiteral(" \t[S]\r\nk=1\r\n") << s << k << QStringLiteral("1");
    QTest::newRow("unclosed bracket is no section") << QStringLiteral("[S]\r\n[T\r\nk=1\r\n") << s << k
                                                    << QStringLiteral("1");
    QTest::newRow("unclosed bracket names nothing") << QStringLiteral("[T\r\nk=1\r\n") << QStringLiteral("T") << k
                                                    << QString();
    QTest::newRow("double quotes") << QStringLiteral("[S]\r\nk= \" a b \" \r\n") << s << k << QStringLiteral(" a b ");
    QTest::newRow("single quotes") << QStringLiteral("[S]\r\nk='x '\r\n") << s << k << QStringLiteral("x ");
    QTest::newRow("unmatched quotes stay") << QStringLiteral("[S]\r\nk=\"x'\r\n") << s << k << QStringLiteral("\"x'");
    QTest::newRow("lone quote stays") << QStringLiteral("[S]\r\nk=\"\r\n") << s << k << QStringLiteral("\"");
    QTest::newRow("semicolon is value") << QStringLiteral("[S]\r\nk=a;b ; c\r\n") << s << k << QStringLiteral("a;b ; c");
    QTest::newRow("after the first equals") << QStringLiteral("[S]\r\nk==a=b\r\n") << s << k << QStringLiteral("=a=b");
    QTest::newRow("line without equals") << QStringLiteral("[S]\r\nk\r\n") << s << k << QString();
    QTest::newRow("first key wins") << QStringLiteral("[S]\r\nk=1\r\nK=2\r\n") << s << k << QStringLiteral("1");
    QTest::newRow("first section wins") << QStringLiteral("[S]\r\na=1\r\n[T]\r\n[s]\r\nk=2\r\n") << s << k
                                        << QString();
    QTest::newRow("key before any section") << QStringLiteral("k=1\r\n[S]\r\n") << s << k << QString();
    QTest::newRow("section ends at the next") << QStringLiteral("[S]\r\n[T]\r\nk=1\r\n") << s << k << QString();
    QTest::newRow("LF") << QStringLiteral("[A]\nk=0\n[S]\nx=1\nk=2\n") << s << k << QStringLiteral("2");
    QTest::newRow("CR") << QStringLiteral("[A]\rk=0\r[S]\rx=1\rk=2") << s << k << QStringLiteral("2");
    QTest::newRow("mixed") << QStringLiteral("[A]\r\nk=0\r[S]\nx=1\r\nk=2") << s << k << QStringLiteral("2");
    QTest::newRow("missing section") << QStringLiteral("[A]\r\nk=1\r\n") << s << k << QString();
    QTest::newRow("missing key") << QStringLiteral("[S]\r\nkk=1\r\n") << s << k << QString();
    QTest::newRow("Chinese names and value") << QStringLiteral("[词库]\r\n英语=英语.txt\r\n") << QStringLiteral("词库")
                                             << QStringLiteral("英语") << QStringLiteral("英语.txt");
}

void TestProfileFile::read()
{
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QVERIFY(TestFiles::writeBytes(path(), gbk(file)));
    QCOMPARE(Profile::readString(path(), section, key, 100), expected);
}

void TestProfileFile::readCut_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("expected");

    QTest::newRow("12 digits, 10") << QByteArray("123456789012") << qint64(10) << QStringLiteral("123456789");
    QTest::newRow("exactly fits") << QByteArray("Next") << qint64(5) << QStringLiteral("Next");
    QTest::newRow("length 1") << QByteArray("1") << qint64(1) << QString();
    QTest::newRow("length 0") << QByteArray("1") << qint64(0) << QString();
    QTest::newRow("negative length") << QByteArray("1") << qint64(-3) << QString();
    QTest::newRow("cut after quotes go") << QByteArray("\"abcdef\"") << qint64(4) << QStringLiteral("abc");
    QTest::newRow("GBK, between characters") << gbk(QStringLiteral("中文字")) << qint64(5) << QStringLiteral("中文");
    QTest::newRow("GBK, inside a character") << gbk(QStringLiteral("中文字")) << qint64(6) << QStringLiteral("中文");
    QTest::newRow("GBK after ASCII") << gbk(QStringLiteral("a中")) << qint64(3) << QStringLiteral("a");
    QTest::newRow("GB18030 four bytes") << gbk(QStringLiteral("𠀀x")) << qint64(4) << QString();
    QTest::newRow("GB18030 four bytes fit") << gbk(QStringLiteral("𠀀x")) << qint64(5) << QStringLiteral("𠀀");
    QTest::newRow("UTF-8, inside a character") << QStringLiteral("中文").toUtf8() << qint64(6) << QStringLiteral("中");
}

void TestProfileFile::readCut()
{
    QFETCH(QByteArray, value);
    QFETCH(qint64, length);
    QFETCH(QString, expected);
    QVERIFY(TestFiles::writeBytes(path(), "[S]\r\nk=" + value + "\r\n"));
    QCOMPARE(Profile::readString(path(), QStringLiteral("S"), QStringLiteral("k"), length), expected);
}

void TestProfileFile::gbkSecondBytesAreNotSyntax()
{
    const QString close = gbkCharacter([](uchar b) { return b == ']'; });
    const QString open = gbkCharacter([](uchar b) { return b == '['; });
    const QString backslash = gbkCharacter([](uchar b) { return b == '\\'; });
    const auto [upper, lower] = gbkCasePair();
    QVERIFY(!close.isEmpty() && !open.isEmpty() && !backslash.isEmpty() && !upper.isEmpty());

    // A "]" second byte inside a section name does not close it; a "[" second
    // byte at the start of a key line does not make a section line.
    const QString section = QStringLiteral("名") + close + QStringLiteral("x");
    const QString file = QStringLiteral("[") + section + QStringLiteral("]\r\n") + open + QStringLiteral("]=1\r\n")
        + upper + QStringLiteral("=2\r\n") + lower + QStringLiteral("=3\r\n") + backslash
        + QStringLiteral("=\\") + backslash + QStringLiteral("\r\n");
    QVERIFY(TestFiles::writeBytes(path(), gbk(file)));
    const auto read = [&](const QString &key) { return Profile::readString(path(), section, key, 100); };
    QCOMPARE(read(open + QStringLiteral("]")), QStringLiteral("1"));
    // The two differ only in the case of a byte, not of a character.
    QCOMPARE(read(upper), QStringLiteral("2"));
    QCOMPARE(read(lower), QStringLiteral("3"));
    QCOMPARE(read(backslash), QStringLiteral("\\") + backslash);

    // A write finds the section too, rather than appending another.
    QVERIFY(Profile::writeString(path(), section, QStringLiteral("n"), QStringLiteral("4")));
    QCOMPARE(TestFiles::readBytes(path()), gbk(file + QStringLiteral("n=4\r\n")));
}

void TestProfileFile::write_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("after");

    QTest::newRow("empty file") << QString() << QStringLiteral("S") << QStringLiteral("k") << QStringLiteral("v")
                                << QStringLiteral("[S]\r\nk=v\r\n");
    QTest::newRow("replace keeps spelling") << QStringLiteral("[sEcT]\r\n  KeY = old ; c\r\nz=1")
                                            << QStringLiteral(" Sect ") << QStringLiteral("key")
                                            << QStringLiteral("new") << QStringLiteral("[sEcT]\r\nKeY=new\r\nz=1");
    QTest::newRow("other lines kept") << QStringLiteral("; note\n[A]\r\nx = 1 \n\r\n[S]\rk=old\r\n  tail  \n\t")
                                      << QStringLiteral("S") << QStringLiteral("k") << QStringLiteral("new")
                                      << QStringLiteral("; note\n[A]\r\nx = 1 \n\r\n[S]\rk=new\r\n  tail  \n\t");
    QTest::newRow("new key after last filled line")
        << QStringLiteral("[A]\r\nx=1\r\n; c\r\n\r\n \r\n[B]\r\ny=2\r\n") << QStringLiteral("a") << QStringLiteral("k")
        << QStringLiteral("v") << QStringLiteral("[A]\r\nx=1\r\n; c\r\nk=v\r\n\r\n \r\n[B]\r\ny=2\r\n");
    QTest::newRow("new key in empty section") << QStringLiteral("[A]\r\n\r\n[B]\r\n") << QStringLiteral("A")
                                              << QStringLiteral("k") << QStringLiteral("v")
                                              << QStringLiteral("[A]\r\nk=v\r\n\r\n[B]\r\n");
    QTest::newRow("new key, no final line end") << QStringLiteral("[A]\nx=1") << QStringLiteral("A")
                                                << QStringLiteral("k") << QStringLiteral("v")
                                                << QStringLiteral("[A]\nx=1\r\nk=v\r\n");
    QTest::newRow("new section") << QStringLiteral("[A]\r\nx=1\r\n\r\n") << QStringLiteral("B") << QStringLiteral("k")
                                 << QStringLiteral("v") << QStringLiteral("[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n");
    QTest::newRow("new section, no final line end") << QStringLiteral("[A]\rx=1") << QStringLiteral("B")
                                                    << QStringLiteral("k") << QStringLiteral("v")
                                                    << QStringLiteral("[A]\rx=1\r\n[B]\r\nk=v\r\n");
    QTest::newRow("first section") << QStringLiteral("[S]\r\na=1\r\n[T]\r\n[S]\r\nk=old\r\n") << QStringLiteral("S")
                                   << QStringLiteral("k") << QStringLiteral("new")
                                   << QStringLiteral("[S]\r\na=1\r\nk=new\r\n[T]\r\n[S]\r\nk=old\r\n");
    QTest::newRow("first key") << QStringLiteral("[S]\r\nk=1\r\nk=2\r\n") << QStringLiteral("S") << QStringLiteral("K")
                               << QStringLiteral("9") << QStringLiteral("[S]\r\nk=9\r\nk=2\r\n");
    QTest::newRow("Chinese") << QStringLiteral("[LibName]\r\nLib0=英语\r\n") << QStringLiteral("LibraryFileName")
                             << QStringLiteral("英语") << QStringLiteral("英语 词汇.txt")
                             << QStringLiteral("[LibName]\r\nLib0=英语\r\n[LibraryFileName]\r\n英语=英语 词汇.txt\r\n");
    QTest::newRow("value with syntax") << QStringLiteral("[S]\r\n") << QStringLiteral("S") << QStringLiteral("k")
                                       << QStringLiteral("[x]=;y") << QStringLiteral("[S]\r\nk=[x]=;y\r\n");
}

void TestProfileFile::write()
{
    QFETCH(QString, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, after);
    QVERIFY(TestFiles::writeBytes(path(), gbk(before)));
    QVERIFY(Profile::writeString(path(), section, key, value));
    QCOMPARE(TestFiles::readBytes(path()), gbk(after));
    QCOMPARE(Profile::readString(path(), section, key, 1000), value);
    QCOMPARE(entries(), QStringList{QStringLiteral("lexvan.ini")});
}

void TestProfileFile::writeCreatesMissingFile()
{
    QVERIFY(Profile::writeString(path(), QStringLiteral("Form1LastData"), QStringLiteral("WordGroup"),
                                 QStringLiteral("3")));
    QCOMPARE(TestFiles::readBytes(path()), QByteArray("[Form1LastData]\r\nWordGroup=3\r\n"));
    QVERIFY(Profile::writeString(path(), QStringLiteral("库"), QStringLiteral("名"), QStringLiteral("值")));
    QCOMPARE(TestFiles::readBytes(path()), gbk(QStringLiteral("[Form1LastData]\r\nWordGroup=3\r\n[库]\r\n名=值\r\n")));
}

void TestProfileFile::writingTheStoredValueLeavesTheFileAlone()
{
    const QByteArray bytes("[S]\nk = \"v\" \n");
    QVERIFY(TestFiles::writeBytes(path(), bytes));
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6));
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    QVERIFY(Profile::writeString(path(), QStringLiteral("s"), QStringLiteral("K"), QStringLiteral("v")));
    QCOMPARE(TestFiles::readBytes(path()), bytes);
    QCOMPARE(QFileInfo(path()).lastModified(), old);
}

void TestProfileFile::refusedWrites_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    const QString s = QStringLiteral("S");
    const QString k = QStringLiteral("k");
    QTest::newRow("LF in value") << s << k << QStringLiteral("1\n[Evil]");
    QTest::newRow("CR in value") << s << k << QStringLiteral("1\rx=2");
    QTest::newRow("LF in key") << s << QStringLiteral("a\nb") << QStringLiteral("1");
    QTest::newRow("CR in section") << QStringLiteral("A\rB") << k << QStringLiteral("1");
    QTest::newRow("bracket in section") << QStringLiteral("A]B") << k << QStringLiteral("1");
    QTest::newRow("equals in key") << s << QStringLiteral("a=b") << QStringLiteral("1");
    QTest::newRow("key that reads as a section") << s << QStringLiteral("[x]") << QStringLiteral("1");
    QTest::newRow("empty key") << s << QStringLiteral(" ") << QStringLiteral("1");
    QTest::newRow("empty section") << QString() << k << QStringLiteral("1");
}

void TestProfileFile::refusedWrites()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QByteArray bytes("[S]\r\nk=0\r\n");
    QVERIFY(TestFiles::writeBytes(path(), bytes));
    QVERIFY(!Profile::writeString(path(), section, key, value));
    QCOMPARE(TestFiles::readBytes(path()), bytes);
}

void TestProfileFile::failedWrites()
{
    const QString s = QStringLiteral("S");
    const QString k = QStringLiteral("k");
    const QString v = QStringLiteral("v");
    // A folder that does not exist.
    QVERIFY(!Profile::writeString(m_dir->filePath(QStringLiteral("none/lexvan.ini")), s, k, v));
    // A "folder" that is a regular file.
    QVERIFY(TestFiles::writeBytes(path(), "[S]\r\nk=0\r\n"));
    QVERIFY(!Profile::writeString(path() + QStringLiteral("/lexvan.ini"), s, k, v));
    QCOMPARE(TestFiles::readBytes(path()), QByteArray("[S]\r\nk=0\r\n"));
    // A folder where the file should be.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("dir.ini")));
    QVERIFY(!Profile::writeString(m_dir->filePath(QStringLiteral("dir.ini")), s, k, v));
    QVERIFY(!Profile::writeString(QString(), s, k, v));
    QCOMPARE(entries(), (QStringList{QStringLiteral("dir.ini"), QStringLiteral("lexvan.ini")}));
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("dir.ini"))).isEmpty());
}

void TestProfileFile::rewriteKeepsEncoding_data()
{
    QTest::addColumn<QByteArray>("bom");
    QTest::addColumn<bool>("utf8");

    QTest::newRow("GBK") << QByteArray() << false;
    QTest::newRow("UTF-8") << QByteArray() << true;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") << true;
}

void TestProfileFile::rewriteKeepsEncoding()
{
    QFETCH(QByteArray, bom);
    QFETCH(bool, utf8);
    const auto encode = [&](const QString &text) -> QByteArray { return bom + (utf8 ? text.toUtf8() : gbk(text)); };
    const QString before = QStringLiteral("[LibName]\r\nLib0=英语\r\n[LibraryFileName]\r\n英语=a.txt\r\n");
    QVERIFY(TestFiles::writeBytes(path(), encode(before)));

    QCOMPARE(Profile::readString(path(), QStringLiteral("libname"), QStringLiteral("lib0"), 20), QStringLiteral("英语"));
    // Lengths count bytes of the file's own encoding: 2 + 2 in GBK, 3 + 3 in UTF-8.
    QCOMPARE(Profile::readString(path(), QStringLiteral("LibName"), QStringLiteral("Lib0"), 5),
             utf8 ? QStringLiteral("英") : QStringLiteral("英语"));
    QVERIFY(Profile::writeString(path(), QStringLiteral("LibName"), QStringLiteral("Lib1"), QStringLiteral("日语")));
    QVERIFY(Profile::writeString(path(), QStringLiteral("LibraryFileName"), QStringLiteral("英语"),
                                 QStringLiteral("英.txt")));
    QVERIFY(Profile::writeString(path(), QStringLiteral("新"), QStringLiteral("k"), QStringLiteral("值")));
    QCOMPARE(TestFiles::readBytes(path()),
             encode(QStringLiteral("[LibName]\r\nLib0=英语\r\nLib1=日语\r\n[LibraryFileName]\r\n英语=英.txt\r\n"
                                   "[新]\r\nk=值\r\n")));
    QCOMPARE(entries(), QStringList{QStringLiteral("lexvan.ini")});
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
