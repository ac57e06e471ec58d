#include "media/MediaCommandInterface.h"
#include "media/Mmedia.h"

#include "TestFiles.h"

#include <QTest>
#include <QTime>

#include <cstring>

// Records every command and answers queries with `reply`, filling the rest
// of the buffer with junk so a reader that ignores the NUL shows up.
class RecordingCommands : public MediaCommandInterface
{
public:
    quint32 sendString(const QByteArray &command, char *buffer, quint32 length) override
    {
        commands.append(command);
        lengths.append(length);
        if (buffer && length > 0) {
            std::memset(buffer, 'Z', length);
            std::memcpy(buffer, reply.constData(), size_t(qMin<qsizetype>(reply.size() + 1, length)));
        }
        return 0;
    }
    QList<QByteArray> commands;
    QList<quint32> lengths;
    QByteArray reply;
};

class TestMmedia : public QObject
{
    Q_OBJECT
private slots:
    void openSendsQuotedNameAliasAndType_data();
    void openSendsQuotedNameAliasAndType();
    void operationsSendTheirCommands();
    void seekWritesSevenSignificantDigits_data();
    void seekWritesSevenSignificantDigits();
    void closedObjectSendsNothingButSeek();
    void unsupportedExtensionClosesPreviousDevice();
    void repliesAreGbkUpToTheNul();
    void leadingNumberParse_data();
    void leadingNumberParse();
    void defaultClockUsesCurrentMinute();
};

void TestMmedia::openSendsQuotedNameAliasAndType_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QString>("open");

    QTest::newRow("wav") << "C:\\a.wav" << 7 << "Open C:\\a.wav ALIAS wav7 TYPE Waveaudio wait";
    QTest::newRow("blank is quoted") << "C:\\My Music\\a.mid" << 42
                                     << "Open \"C:\\My Music\\a.mid\" ALIAS mid42 TYPE Sequencer wait";
    QTest::newRow("case kept") << "/clips/Intro.AVI" << 0 << "Open /clips/Intro.AVI ALIAS AVI0 TYPE AviVideo wait";
}

void TestMmedia::openSendsQuotedNameAliasAndType()
{
    QFETCH(QString, file);
    QFETCH(int, minute);
    QFETCH(QString, open);

    RecordingCommands rec;
    Mmedia media(&rec, [minute] { return minute; });
    media.setFilename(file);
    QCOMPARE(media.Filename(), file);
    media.mmClose();
    QCOMPARE(media.Filename(), QString());
    const QString alias = open.section(QLatin1String(" ALIAS "), 1).section(QLatin1Char(' '), 0, 0);
    QCOMPARE(rec.commands, (QList<QByteArray>{open.toLatin1(), "Close " + alias.toLatin1()}));
    QCOMPARE(rec.lengths, (QList<quint32>{0, 0}));
}

void TestMmedia::operationsSendTheirCommands()
{
    RecordingCommands rec;
    Mmedia media(&rec, [] { return 7; });
    QVERIFY(!media.Wait());
    media.mmOpen(QStringLiteral("a.wav"));
    media.mmPlay();
    media.setWait(true);
    QVERIFY(media.Wait());
    media.mmPlay();
    media.mmPause();
    media.mmStop();
    media.Length();
    media.Position();
    media.Status();
    media.mmClose();

    QCOMPARE(rec.commands, (QList<QByteArray>{"Open a.wav ALIAS wav7 TYPE Waveaudio wait", "Play wav7",
                                              "Play wav7 wait", "Pause wav7", "Stop wav7", "Status wav7 length",
                                              "Status wav7 position", "Status wav7 mode", "Close wav7"}));
    // Only the three queries pass a reply buffer.
    QCOMPARE(rec.lengths, (QList<quint32>{0, 0, 0, 0, 0, 255, 255, 255, 0}));
}

void TestMmedia::seekWritesSevenSignificantDigits_data()
{
    QTest::addColumn<float>("position");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("whole") << 1500.0f << QByteArray("1500");
    QTest::newRow("fraction") << 2.5f << QByteArray("2.5");
    QTest::newRow("not exact in binary") << 0.1f << QByteArray("0.1");
    QTest::newRow("rounded to seven") << 1.23456789f << QByteArray("1.234568");
    QTest::newRow("eight digits") << 12345678.0f << QByteArray("1.234568e+07");
}

void TestMmedia::seekWritesSevenSignificantDigits()
{
    QFETCH(float, position);
    QFETCH(QByteArray, text);

    RecordingCommands rec;
    Mmedia media(&rec, [] { return 7; });
    media.mmOpen(QStringLiteral("a.wav"));
    media.mmSeek(position);
    media.setPosition(position);
    QCOMPARE(rec.commands.mid(1), (QList<QByteArray>{"Seek wav7 to " + text, "Seek wav7 to " + text}));
}

void TestMmedia::closedObjectSendsNothingButSeek()
{
    RecordingCommands rec;
    rec.reply = "1000";
    Mmedia media(&rec, [] { return 7; });
    // Once never opened, once opened and closed again.
    for (int round = 0; round < 2; ++round) {
        rec.commands.clear();
        media.setWait(true);
        media.mmPlay();
        media.mmPause();
        media.mmStop();
        media.mmClose();
        QCOMPARE(media.Length(), 0.0f);
        QCOMPARE(media.Position(), 0.0f);
        QCOMPARE(media.Status(), QString());
        media.setPosition(2.5f);
        QCOMPARE(rec.commands, QList<QByteArray>{"Seek  to 2.5"});

        media.mmOpen(QStringLiteral("a.wav"));
        media.mmClose();
    }
}

void TestMmedia::unsupportedExtensionClosesPreviousDevice()
{
    RecordingCommands rec;
    int minute = 7;
    Mmedia media(&rec, [&minute] { return minute; });
    media.mmOpen(QStringLiteral("a.wav"));
    minute = 8;
    media.mmOpen(QStringLiteral("b.avi"));
    media.mmOpen(QStringLiteral("c.mp3"));
    media.mmOpen(QStringLiteral("d.wave"));
    QCOMPARE(media.Filename(), QString());
    QCOMPARE(media.Status(), QString());
    QCOMPARE(rec.commands, (QList<QByteArray>{"Open a.wav ALIAS wav7 TYPE Waveaudio wait", "Close wav7",
                                              "Open b.avi ALIAS avi8 TYPE AviVideo wait", "Close avi8"}));
}

void TestMmedia::repliesAreGbkUpToTheNul()
{
    RecordingCommands rec;
    Mmedia media(&rec, [] { return 7; });
    media.mmOpen(QStringLiteral("单词 发音.wav"));
    QCOMPARE(rec.commands.at(0), TestFiles::gbk(QStringLiteral("Open \"单词 发音.wav\" ALIAS wav7 TYPE Waveaudio wait")));

    rec.reply = TestFiles::gbk(QStringLiteral("停止"));
    QCOMPARE(media.Status(), QStringLiteral("停止"));
    rec.reply = "1000.5";
    QCOMPARE(media.Length(), 1000.5f);
    QCOMPARE(media.Position(), 1000.5f);
    rec.reply = QByteArray(300, 'x'); // fills the buffer: no NUL at all
    QCOMPARE(media.Status(), QString(255, QLatin1Char('x')));
}

void TestMmedia::leadingNumberParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("trailing text") << "2.5 ms" << 2.5;
    QTest::newRow("blanks and sign") << "  -3x" << -3.0;
    QTest::newRow("bare exponent mark") << "12e" << 12.0;
    QTest::newRow("no number") << "stopped" << 0.0;
}

void TestMmedia::leadingNumberParse()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(leadingNumber(text), value);
}

void TestMmedia::defaultClockUsesCurrentMinute()
{
    RecordingCommands rec;
    Mmedia media(&rec);
    const int before = QTime::currentTime().minute();
    media.mmOpen(QStringLiteral("a.wav"));
    const int after = QTime::currentTime().minute();
    const QByteArray alias = rec.commands.value(0).split(' ').value(3);
    QVERIFY2(alias == "wav" + QByteArray::number(before) || alias == "wav" + QByteArray::number(after), alias);
}

QTEST_GUILESS_MAIN(TestMmedia)
#include "tst_mmedia.moc"
