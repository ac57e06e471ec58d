#include "FakeSpeechEngine.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "settings/CIniFile.h"
#include "speech/SpeechSettings.h"
#include "speech/WordSpeaker.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// Lines of text written as one, separated by "|".
QStringList lines(const char *joined)
{
    return QString::fromUtf8(joined).split(QLatin1Char('|'));
}

// A program folder with its settings file, a fake voice and the speaker.
struct Fixture
{
    explicit Fixture(const QStringList &iniLines = {}, QStringList installed = {QStringLiteral("flite"),
                                                                                QStringLiteral("speechd")})
        : engine(std::move(installed))
    {
        if (!iniLines.isEmpty())
            folder.writeIni(iniLines);
        ini.SpecifyIni(folder.iniPath());
        speaker = std::make_unique<WordSpeaker>(engine, ini, dialogs, QStringLiteral("data/audio"));
    }

    // Lets the speaker take up what it was asked on this turn.
    void settle() { QCoreApplication::processEvents(); }

    QString stored(const QString &key) { return ini.ReadString(SpeechSettings::Section, key, 64); }

    ProgramFolder folder;
    CIniFile ini;
    RecordingDialogs dialogs;
    FakeSpeechEngine engine;
    std::unique_ptr<WordSpeaker> speaker;
};

} // namespace

class TestWordSpeaker : public QObject
{
    Q_OBJECT

private slots:
    void wordsWaitInLineOfOne();
    void cutOffStopsTheWordAndIgnoresItsLateEnd();
    void onlyTheLastWordOfOneEventIsSpoken();
    void speakingReturnsBeforeTheEngineIsReached();
    void blankWordsAndSpeechOffSayNothing();
    void missingEngineIsExplainedOnce();
    void recordingsWinOverTheVoice_data();
    void recordingsWinOverTheVoice();
    void tryOutUsesItsOwnSettingsOnce();
    void aWordThatNeverEndsIsGivenUpOn();
    void settingsAreReadWithDefaults_data();
    void settingsAreReadWithDefaults();
    void settingsRoundTripAndLeaveOtherSectionsAlone();
    void engineIsChosenAmongTheInstalled_data();
    void engineIsChosenAmongTheInstalled();
    void pickingTheOnlyEngineIsAnnounced();
};

void TestWordSpeaker::wordsWaitInLineOfOne()
{
    Fixture f;
    f.speaker->speak(QStringLiteral("apple"));
    f.settle();
    QCOMPARE(f.engine.actions(), QStringList{QStringLiteral("say apple")});
    QVERIFY(f.speaker->isBusy());

    // Two words while "apple" sounds: the older one is dropped.
    f.speaker->speak(QStringLiteral("banana"));
    f.settle();
    f.speaker->speak(QStringLiteral("cherry"));
    f.settle();
    QCOMPARE(f.speaker->waitingWord(), QStringLiteral("cherry"));
    QCOMPARE(f.engine.actions(), QStringList{QStringLiteral("say apple")});

    QSignalSpy started(f.speaker.get(), &WordSpeaker::speakingStarted);
    QSignalSpy ended(f.speaker.get(), &WordSpeaker::wordEnded);
    f.engine.startSpeaking();
    QCOMPARE(started.size(), 1);
    QCOMPARE(started.at(0).at(0).toString(), QStringLiteral("apple"));
    f.engine.finish();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(f.engine.actions(), (QStringList{QStringLiteral("say apple"), QStringLiteral("say cherry")}));
    QCOMPARE(f.speaker->currentWord(), QStringLiteral("cherry"));
    QVERIFY(f.speaker->waitingWord().isEmpty());

    f.engine.finish();
    QVERIFY(!f.speaker->isBusy());
}

void TestWordSpeaker::cutOffStopsTheWordAndIgnoresItsLateEnd()
{
    Fixture f;
    f.speaker->speak(QStringLiteral("apple"), WordSpeaker::Overlap::CutOff);
    f.settle();
    const int appleUtterance = f.engine.lastUtterance;
    f.speaker->speak(QStringLiteral("banana"), WordSpeaker::Overlap::CutOff);
    f.settle();
    QCOMPARE(f.engine.actions(),
             (QStringList{QStringLiteral("say apple"), QStringLiteral("stop"), QStringLiteral("say banana")}));

    // The engine's late news about "apple" does not end "banana".
    f.engine.report(appleUtterance, SpeechEngine::State::Finished);
    QVERIFY(f.speaker->isBusy());
    QCOMPARE(f.speaker->currentWord(), QStringLiteral("banana"));

    // A cut-off word also drops one that was waiting.
    f.speaker->speak(QStringLiteral("cherry"));
    f.settle();
    f.speaker->speak(QStringLiteral("date"), WordSpeaker::Overlap::CutOff);
    f.settle();
    QCOMPARE(f.engine.spoken(), (QStringList{QStringLiteral("apple"), QStringLiteral("banana"), QStringLiteral("date")}));
    f.engine.finish();
    QVERIFY(!f.speaker->isBusy());
    QCOMPARE(f.engine.spoken().size(), 3);
}

void TestWordSpeaker::onlyTheLastWordOfOneEventIsSpoken()
{
    Fixture f;
    f.speaker->speak(QStringLiteral("apple"));
    f.speaker->speak(QStringLiteral("banana"));
    f.speaker->speak(QStringLiteral("cherry"));
    f.settle();
    QCOMPARE(f.engine.spoken(), QStringList{QStringLiteral("cherry")});
}

void TestWordSpeaker::speakingReturnsBeforeTheEngineIsReached()
{
    Fixture f;
    f.speaker->speak(QStringLiteral("apple"));
    QVERIFY(f.engine.log.isEmpty());
    f.settle();
    QCOMPARE(f.engine.spoken(), QStringList{QStringLiteral("apple")});
}

void TestWordSpeaker::blankWordsAndSpeechOffSayNothing()
{
    Fixture f;
    f.speaker->speak(QString());
    f.speaker->speak(QStringLiteral("   "));
    f.settle();
    QVERIFY(f.engine.log.isEmpty());

    // Surrounding blanks are not spoken.
    f.speaker->speak(QStringLiteral("  apple "));
    f.settle();
    QCOMPARE(f.engine.spoken(), QStringList{QStringLiteral("apple")});
    f.engine.finish();

    SpeechSettings off = f.speaker->settings();
    off.enabled = false;
    f.speaker->applySettings(off);
    f.speaker->speak(QStringLiteral("banana"));
    f.speaker->speakOnRequest(QStringLiteral("banana"));
    f.settle();
    QCOMPARE(f.engine.spoken(), QStringList{QStringLiteral("apple")});
    QVERIFY(!f.speaker->speaksAnswers());
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestWordSpeaker::missingEngineIsExplainedOnce()
{
    Fixture f({}, {});
    QVERIFY(!f.speaker->hasEngine());
    QVERIFY(!f.speaker->isOn());
    f.speaker->speak(QStringLiteral("apple"));
    f.settle();
    QVERIFY(f.dialogs.messages.isEmpty());

    f.speaker->speakOnRequest(QStringLiteral("apple"));
    f.speaker->speakOnRequest(QStringLiteral("banana"));
    f.speaker->tryOut(QStringLiteral("cherry"), f.speaker->settings());
    f.speaker->explainWhyMute();
    f.settle();
    QCOMPARE(f.dialogs.messages, QStringList{WordSpeaker::missingEngineText()});
    QVERIFY(f.engine.log.isEmpty());
}

void TestWordSpeaker::recordingsWinOverTheVoice_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("played");

    QTest::newRow("same name") << "apple.wav" << "apple" << true;
    QTest::newRow("word in other case") << "Apple.wav" << "APPLE" << true;
    QTest::newRow("suffix in capitals") << "apple.WAV" << "apple" << true;
    QTest::newRow("blank in the word") << "ice cream.wav" << "ice cream" << true;
    QTest::newRow("other word") << "apple.wav" << "apples" << false;
    QTest::newRow("other kind of file") << "apple.mp3" << "apple" << false;
    QTest::newRow("path in the word") << "apple.wav" << "../audio/apple" << false;
}

void TestWordSpeaker::recordingsWinOverTheVoice()
{
    QFETCH(QString, file);
    QFETCH(QString, word);
    QFETCH(bool, played);

    Fixture f;
    QVERIFY(QDir().mkpath(QStringLiteral("data/audio")));
    QVERIFY(TestFiles::writeBytes(QStringLiteral("data/audio/") + file, QByteArray("RIFF")));
    f.speaker->speak(word);
    f.settle();
    if (played)
        QCOMPARE(f.engine.actions(), QStringList{QStringLiteral("play data/audio/") + file});
    else
        QCOMPARE(f.engine.actions(), QStringList{QStringLiteral("say ") + word});
}

void TestWordSpeaker::tryOutUsesItsOwnSettingsOnce()
{
    Fixture f;
    QVERIFY(QDir().mkpath(QStringLiteral("data/audio")));
    QVERIFY(TestFiles::writeBytes(QStringLiteral("data/audio/apple.wav"), QByteArray("RIFF")));

    SpeechSettings trial = f.speaker->settings();
    trial.engine = QStringLiteral("speechd");
    trial.accent = SpeechSettings::AccentUK;
    trial.rate = -4;
    trial.enabled = false; // trying out works before speech is switched on
    f.speaker->tryOut(QStringLiteral("apple"), trial);
    f.settle();
    // The voice is being judged, so the recording is not used.
    QCOMPARE(f.engine.log, (QStringList{QStringLiteral("configure speechd UK -4"), QStringLiteral("say apple")}));
    f.engine.finish();

    // The next word goes back to the stored settings; nothing was stored.
    f.speaker->speak(QStringLiteral("banana"));
    f.settle();
    QCOMPARE(f.engine.log.mid(2), (QStringList{QStringLiteral("configure speechd US 0"), QStringLiteral("say banana")}));
    QVERIFY(f.stored(QStringLiteral("Engine")).isEmpty());
    f.engine.finish();

    // Unchanged settings configure nothing again.
    f.speaker->speak(QStringLiteral("cherry"));
    f.settle();
    QCOMPARE(f.engine.log.last(), QStringLiteral("say cherry"));
    QCOMPARE(f.engine.log.filter(QStringLiteral("configure")).size(), 2);
}

void TestWordSpeaker::aWordThatNeverEndsIsGivenUpOn()
{
    Fixture f;
    f.speaker->setWordTimeLimit(50);
    f.speaker->speak(QStringLiteral("apple"));
    f.settle();
    f.speaker->speak(QStringLiteral("banana"));
    f.settle();
    QTRY_COMPARE_WITH_TIMEOUT(f.engine.actions(),
                              (QStringList{QStringLiteral("say apple"), QStringLiteral("stop"),
                                           QStringLiteral("say banana")}),
                              2000);
}

void TestWordSpeaker::settingsAreReadWithDefaults_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("accent");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<bool>("bar");

    QTest::newRow("no section") << QStringList{} << true << "" << "US" << 0 << true << false;
    QTest::newRow("all set") << lines("Enabled=False|Engine=speechd|Voice=UK|Rate=-3|AnswerSpeak=False|BarSpeak=True")
                             << false << "speechd" << "UK" << -3 << false << true;
    QTest::newRow("any case, blanks") << lines("Enabled= false |Voice= uk|BarSpeak=TRUE") << false << ""
                                      << "UK" << 0 << true << true;
    QTest::newRow("unusable values") << lines("Enabled=yes|Voice=Scottish|Rate=fast|BarSpeak=1")
                                     << true << "" << "US" << 0 << true << false;
    QTest::newRow("rate beyond the ends") << lines("Rate=99") << true << "" << "US" << 10 << true << false;
    QTest::newRow("rate below the ends") << lines("Rate=-40") << true << "" << "US" << -10 << true << false;
}

void TestWordSpeaker::settingsAreReadWithDefaults()
{
    QFETCH(QStringList, lines);
    ProgramFolder folder;
    folder.writeIni(QStringList{QStringLiteral("[Speech]")} + lines);
    CIniFile ini;
    ini.SpecifyIni(folder.iniPath());
    const SpeechSettings read = SpeechSettings::read(ini);
    QTEST(read.enabled, "enabled");
    QTEST(read.engine, "engine");
    QTEST(read.accent, "accent");
    QTEST(read.rate, "rate");
    QTEST(read.speakAnswers, "answers");
    QTEST(read.barSpeaks, "bar");
}

void TestWordSpeaker::settingsRoundTripAndLeaveOtherSectionsAlone()
{
    const QStringList designed = {
        QStringLiteral("[Form1LastData]"), QStringLiteral("WordGroup=3"), QStringLiteral("WordLibrary=0"),
        QStringLiteral("[Form4LastData]"), QStringLiteral("DelayTime=2"),
    };
    Fixture f(designed);
    SpeechSettings chosen;
    chosen.enabled = false;
    chosen.engine = QStringLiteral("speechd");
    chosen.accent = SpeechSettings::AccentUK;
    chosen.rate = 7;
    chosen.speakAnswers = false;
    f.speaker->applySettings(chosen);
    f.speaker->setBarSpeaks(true);
    chosen.barSpeaks = true;

    QCOMPARE(SpeechSettings::read(f.ini), chosen);
    QCOMPARE(f.stored(QStringLiteral("Rate")), QStringLiteral("7"));
    QCOMPARE(f.stored(QStringLiteral("BarSpeak")), QStringLiteral("True"));

    // The designed sections keep their lines, in their order, at the top.
    const QStringList lines = TestFiles::fromGbk(TestFiles::readBytes(f.folder.iniPath())).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.mid(0, designed.size()), designed);

    // A new speaker reads what the old one wrote.
    WordSpeaker again(f.engine, f.ini, f.dialogs, QStringLiteral("data/audio"));
    QCOMPARE(again.settings(), chosen);
}

void TestWordSpeaker::engineIsChosenAmongTheInstalled_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("reason");
    const QString flite = QStringLiteral("flite");
    const QString speechd = QStringLiteral("speechd");
    QTest::newRow("Flite listed first") << QStringList{flite, speechd} << QString() << speechd << QString();
    QTest::newRow("stored one missing") << QStringList{speechd} << QStringLiteral("festival") << speechd << QString();
    QTest::newRow("only Flite, not picked") << QStringList{flite} << QString() << QString()
                                            << WordSpeaker::unchosenEngineText();
    QTest::newRow("only Flite, picked") << QStringList{flite} << flite << flite << QString();
    QTest::newRow("none") << QStringList{} << speechd << QString() << WordSpeaker::missingEngineText();
}

void TestWordSpeaker::engineIsChosenAmongTheInstalled()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, stored);
    QFETCH(QString, used);
    QFETCH(QString, reason);
    Fixture f({QStringLiteral("[Speech]"), QStringLiteral("Engine=") + stored}, installed);
    QCOMPARE(f.speaker->effectiveEngine(), used);
    QCOMPARE(f.speaker->whyMute(), reason);
    f.speaker->speakOnRequest(QStringLiteral("apple"));
    f.speaker->speakOnRequest(QStringLiteral("banana"));
    f.settle();
    if (used.isEmpty()) {
        QVERIFY(f.engine.log.isEmpty());
        QCOMPARE(f.dialogs.messages, QStringList{reason});
    } else {
        QCOMPARE(f.engine.log.first(), QStringLiteral("configure %1 US 0").arg(used));
        QVERIFY(f.dialogs.messages.isEmpty());
    }
}

// The browse bar greys its speech item out while whyMute() says why; it
// relies on availabilityChanged to light it up again.
void TestWordSpeaker::pickingTheOnlyEngineIsAnnounced()
{
    Fixture f({}, {QStringLiteral("flite")});
    QSignalSpy changed(f.speaker.get(), &WordSpeaker::availabilityChanged);
    SpeechSettings picked = f.speaker->settings();
    picked.engine = QStringLiteral("flite");
    f.speaker->applySettings(picked);
    QCOMPARE(changed.size(), 1);
    QVERIFY(f.speaker->whyMute().isEmpty());
    // Settings that leave speech as possible as before say nothing.
    picked.rate = 3;
    f.speaker->applySettings(picked);
    QCOMPARE(changed.size(), 1);
}

QTEST_GUILESS_MAIN(TestWordSpeaker)
#include "tst_wordspeaker.moc"
