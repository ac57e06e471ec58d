#include "cli/CommandLine.h"

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
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
