#include "ImportFiles.h"
#include "ProgramFolder.h"

#include "cli/CommandLine.h"
#include "settings/CIniFile.h"
#include "settings/LibraryListEditor.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextStream>

// lexivane --import-list: what it prints, what it creates, and its exit code.
class TestImportList : public QObject
{
    Q_OBJECT

private slots:
    void importList_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errContains");
        QTest::addColumn<QStringList>("registered"); // after 测试词库
        QTest::newRow("dry run") << QStringList{QStringLiteral("list.csv"), QStringLiteral("--dry-run")} << 0
                                 << QStringLiteral("abandon\tv. 放弃, 抛弃\napple\tn. 苹果\n")
                                 << QStringLiteral("第 4 行跳过：没有单词") << QStringList{};
        QTest::newRow("import") << QStringList{QStringLiteral("list.csv")} << 0 << QStringLiteral("已导入词库“list”（data/list.txt）：2 个单词。\n")
                                << QStringLiteral("第 1 行是表头") << QStringList{QStringLiteral("list=list.txt")};
        QTest::newRow("import named") << QStringList{QStringLiteral("--name"), QStringLiteral("四级"), QStringLiteral("list.csv")} << 0
                                      << QStringLiteral("已导入词库“四级”（data/list.txt）：2 个单词。\n") << QString()
                                      << QStringList{QStringLiteral("四级=list.txt")};
        QTest::newRow("name taken") << QStringList{QStringLiteral("list.csv"), QStringLiteral("--name"), QStringLiteral("测试词库")} << 1 << QString()
                                    << QStringLiteral("已经有同名的词库") << QStringList{};
        QTest::newRow("words without dictionary") << QStringList{QStringLiteral("words.txt")} << 1 << QString()
                                                  << QStringLiteral("第 2 行跳过：没有释义") << QStringList{};
        QTest::newRow("binary") << QStringList{QStringLiteral("photo.txt"), QStringLiteral("--dry-run")} << 1 << QString() << QStringLiteral("不是文本文件")
                                << QStringList{};
        QTest::newRow("missing") << QStringList{QStringLiteral("nope.txt")} << 1 << QString() << QStringLiteral("无法读取") << QStringList{};
        QTest::newRow("no file") << QStringList{QStringLiteral("--dry-run")} << 2 << QString() << QStringLiteral("用法") << QStringList{};
        QTest::newRow("two files") << QStringList{QStringLiteral("a"), QStringLiteral("b")} << 2 << QString() << QStringLiteral("用法") << QStringList{};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("list.csv"), QStringLiteral("--force")} << 2 << QString() << QStringLiteral("用法")
                                        << QStringList{};
        QTest::newRow("name without value") << QStringList{QStringLiteral("list.csv"), QStringLiteral("--name")} << 2 << QString() << QStringLiteral("用法")
                                            << QStringList{};
    }

    void importList()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, errContains);
        QFETCH(QStringList, registered);
        ProgramFolder folder;
        folder.writeIni(ProgramFolder::oneLibraryIni());
        folder.writeNumberedLibrary(QStringLiteral("test.txt"), 3);
        TestFiles::writeBytes(folder.path() + QStringLiteral("/list.csv"),
                              "单词,音标,释义\nabandon,[ə'bændən],v. 放弃, 抛弃\napple,/ˈæpl/,n. 苹果\n,[x],无词\n");
        TestFiles::writeBytes(folder.path() + QStringLiteral("/words.txt"), "abandon\napple\n");
        QByteArray binary(2048, '\0');
        binary[700] = '\t';
        TestFiles::writeBytes(folder.path() + QStringLiteral("/photo.txt"), binary);
        const QStringList before = QDir(folder.path() + QStringLiteral("/data")).entryList(QDir::Files);

        QString printed;
        QString complained;
        QTextStream outStream(&printed);
        QTextStream errStream(&complained);
        cli::CommandContext context{folder.path(), folder.path(), outStream, errStream};
        QCOMPARE(cli::runCommandLine(QStringList{QStringLiteral("--import-list")} + arguments, context), code);
        QCOMPARE(printed, out);
        QVERIFY2(complained.contains(errContains), qPrintable(complained));

        CIniFile ini;
        ini.SpecifyIni(folder.iniPath());
        QStringList libraries;
        for (const RegisteredLibrary &library : LibraryListEditor(ini).libraries())
            libraries << library.name + u'=' + library.fileName;
        QCOMPARE(libraries, QStringList{QStringLiteral("测试词库=test.txt")} + registered);
        QStringList files = before;
        for (const QString &entry : registered)
            files << entry.section(u'=', 1);
        files.sort();
        QCOMPARE(QDir(folder.path() + QStringLiteral("/data")).entryList(QDir::Files), files);
        if (!registered.isEmpty()) {
            const QString written = TestFiles::fromGbk(TestFiles::readBytes(folder.dataPath(registered.first().section(u'=', 1))));
            QCOMPARE(written, QStringLiteral("abandon\r\nv. 放弃, 抛弃\r\napple\r\nn. 苹果\r\n"));
        }
    }

    // A plain list of the commonest words, one a line, against the shipped
    // dictionary: every word comes back with a meaning, in the list's order.
    void wordListTakesMeaningsFromShippedDictionary()
    {
        const QString shipped = QStringLiteral(LEXIVANE_SOURCE_DATA_DIR);
        const QStringList book = TestFiles::fromGbk(TestFiles::readBytes(shipped + QStringLiteral("/exam_zk_v2.txt")))
                                     .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QVERIFY(book.size() >= 200);
        QStringList words;
        for (int i = 0; i < 200; i += 2)
            words << book.at(i);
        ProgramFolder folder;
        folder.writeIni(ProgramFolder::oneLibraryIni());
        QVERIFY(QFile::copy(shipped + QStringLiteral("/ecdict-core.tsv"), folder.dataPath(QStringLiteral("ecdict-core.tsv"))));
        TestFiles::writeBytes(folder.path() + QStringLiteral("/common.txt"), words.join(u'\n').toUtf8() + '\n');

        QString printed;
        QString complained;
        QTextStream outStream(&printed);
        QTextStream errStream(&complained);
        cli::CommandContext context{folder.path(), folder.path(), outStream, errStream};
        QCOMPARE(cli::runCommandLine({QStringLiteral("--import-list"), QStringLiteral("common.txt"), QStringLiteral("--dry-run")}, context), 0);
        const QStringList lines = printed.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 100);
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines.at(i).section(u'\t', 0, 0), words.at(i));
            QVERIFY2(!lines.at(i).section(u'\t', 1).trimmed().isEmpty(), qPrintable(lines.at(i)));
        }
        QVERIFY2(!complained.contains(QStringLiteral("跳过")), qPrintable(complained));
    }
};

QTEST_GUILESS_MAIN(TestImportList)
#include "tst_importlist.moc"
