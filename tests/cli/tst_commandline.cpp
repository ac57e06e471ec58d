#include "DictionaryFixture.h"

#include "cli/CommandLine.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

// The dispatcher: which first arguments open windows and which run a verb,
// and the exit codes every verb shares.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void verbsAreRecognised_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("verb");
        QTest::newRow("help") << QStringLiteral("--help") << true;
        // Qt's own options and anything unknown still open the windows.
        QTest::newRow("qt option") << QStringLiteral("-platform") << false;
        QTest::newRow("unknown") << QStringLiteral("--frobnicate") << false;
        QTest::newRow("case") << QStringLiteral("--HELP") << false;
    }

    void verbsAreRecognised()
    {
        QFETCH(QString, argument);
        QFETCH(bool, verb);
        QCOMPARE(cli::isVerb(argument), verb);
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("printsToOut");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << int(cli::Success) << true;
        QTest::newRow("help with extra") << QStringList{QStringLiteral("--help"), QStringLiteral("x")} << int(cli::UsageError) << false;
        QTest::newRow("unknown verb") << QStringList{QStringLiteral("--nope")} << int(cli::UsageError) << false;
        QTest::newRow("nothing") << QStringList{} << int(cli::UsageError) << false;
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(bool, printsToOut);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        cli::CommandContext context{QString(), QString(), outStream, errStream};
        QCOMPARE(cli::runCommandLine(arguments, context), code);
        // Results go to standard output, complaints to standard error: never both.
        QCOMPARE(!out.isEmpty(), printsToOut);
        QCOMPARE(err.isEmpty(), printsToOut);
    }

    // --lookup: the entry on standard output, or why not on standard error.
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        const QByteArray fixture = DictionaryFixture::text();
        const QByteArray none("-");
        QTest::newRow("found") << fixture << QStringList{QStringLiteral("might")} << int(cli::Success)
                               << QStringLiteral("might\t/maɪt/\naux. 可能, 也许\nn. 力量, 权力, 威力\n");
        QTest::newRow("lower-case") << fixture << QStringList{QStringLiteral("Zebra")} << int(cli::Success) << QStringLiteral("zebra\t/ˈziːbrə/\nn. 斑马\n");
        QTest::newRow("no phonetic") << fixture << QStringList{QStringLiteral("ok")} << int(cli::Success) << QStringLiteral("ok\t\nint. 好\n");
        QTest::newRow("not found") << fixture << QStringList{QStringLiteral("nope")} << int(cli::NothingDone) << QString();
        QTest::newRow("no dictionary") << none << QStringList{QStringLiteral("might")} << int(cli::NothingDone) << QString();
        QTest::newRow("damaged") << fixture.left(200) << QStringList{QStringLiteral("China")} << int(cli::NothingDone) << QString();
        QTest::newRow("no word") << fixture << QStringList{} << int(cli::UsageError) << QString();
        QTest::newRow("blank word") << fixture << QStringList{QStringLiteral(" ")} << int(cli::UsageError) << QString();
        QTest::newRow("two words") << fixture << QStringList{QStringLiteral("ice"), QStringLiteral("cream")} << int(cli::UsageError) << QString();
    }

    void lookup()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, out);
        QTemporaryDir working;
        QTemporaryDir program;
        if (file != "-")
            DictionaryFixture::write(working.path(), file);
        QString printed;
        QString err;
        QTextStream outStream(&printed);
        QTextStream errStream(&err);
        cli::CommandContext context{program.path(), working.path(), outStream, errStream};
        arguments.prepend(QStringLiteral("--lookup"));
        QCOMPARE(cli::runCommandLine(arguments, context), code);
        QCOMPARE(printed, out);
        QCOMPARE(err.isEmpty(), code == cli::Success);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
