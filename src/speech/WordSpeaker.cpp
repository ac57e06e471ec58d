#include "speech/WordSpeaker.h"

#include "settings/CIniFile.h"
#include "settings/UserDialogs.h"

#include <QTimer>

WordSpeaker::WordSpeaker(SpeechEngine &engine, CIniFile &ini, UserDialogs &dialogs, const QString &audioFolder,
                         QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_ini(ini)
    , m_dialogs(dialogs)
    , m_recordings(audioFolder)
    , m_settings(SpeechSettings::read(ini))
{
    m_timeLimit = new QTimer(this);
    m_timeLimit->setSingleShot(true);
    m_timeLimit->setInterval(WordTimeLimitMs);
    connect(m_timeLimit, &QTimer::timeout, this, [this] {
        // The engine never said the word was over: stop it and go on.
        m_engine.stop();
        endCurrentWord();
    });
    connect(&m_engine, &SpeechEngine::utteranceState, this, &WordSpeaker::onUtteranceState);
    connect(&m_engine, &SpeechEngine::respondingChanged, this, &WordSpeaker::availabilityChanged);
}

WordSpeaker::~WordSpeaker() = default;

bool WordSpeaker::hasEngine() const
{
    if (m_hasEngine < 0)
        m_hasEngine = m_engine.engines().isEmpty() ? 0 : 1;
    return m_hasEngine == 1;
}

QString WordSpeaker::missingEngineText()
{
    return QStringLiteral("没有找到语音引擎，单词发音已关闭。"
                          "请安装 qt6-speech-speechd-plugin 和 speech-dispatcher-espeak-ng 后重新启动本程序。");
}

QString WordSpeaker::unchosenEngineText()
{
    return QStringLiteral("只找到了 Flite 语音引擎，它在程序内合成，可能导致程序崩溃，所以默认不用它朗读。"
                          "如仍要使用，请在“发音设置”中选择它；"
                          "也可以安装 qt6-speech-speechd-plugin 和 speech-dispatcher-espeak-ng 后重新启动本程序。");
}

QString WordSpeaker::stuckEngineText()
{
    return QStringLiteral("发音引擎没有响应，暂时不能朗读。程序会在之后朗读时重新连接它。");
}

QString WordSpeaker::whyMute() const
{
    if (!hasEngine())
        return missingEngineText();
    if (effectiveEngine().isEmpty())
        return unchosenEngineText();
    if (!m_engine.isResponding())
        return stuckEngineText();
    return {};
}

void WordSpeaker::explainWhyMute()
{
    const QString reason = whyMute();
    if (reason.isEmpty() || m_toldWhyMute.contains(reason))
        return;
    m_toldWhyMute << reason;
    m_dialogs.message(reason);
}

bool WordSpeaker::isOn() const
{
    return m_settings.enabled && !effectiveEngine().isEmpty();
}

void WordSpeaker::setBarSpeaks(bool on)
{
    m_settings.barSpeaks = on;
    SpeechSettings::writeBarSpeaks(m_ini, on);
}

void WordSpeaker::applySettings(const SpeechSettings &settings)
{
    // Picking Flite where it is the only engine makes speech possible; the
    // windows that grey out speech commands must hear of it now.
    const QString wasMute = whyMute();
    m_settings = settings;
    m_settings.write(m_ini);
    if (!isOn())
        silence();
    if (whyMute() != wasMute)
        emit availabilityChanged();
}

QString WordSpeaker::effectiveEngine() const
{
    return engineFor(m_settings);
}

QString WordSpeaker::engineFor(const SpeechSettings &settings) const
{
    const QStringList installed = m_engine.engines();
    if (installed.contains(settings.engine))
        return settings.engine;
    for (const QString &engine : installed) {
        if (SpeechSettings::usableByDefault(engine))
            return engine;
    }
    return {};
}

void WordSpeaker::speak(const QString &word, Overlap overlap)
{
    if (!isOn())
        return;
    request(word, overlap);
}

void WordSpeaker::speakOnRequest(const QString &word, Overlap overlap)
{
    // A stuck engine still gets the word: asking for it is what tries a
    // fresh connection.
    explainWhyMute();
    speak(word, overlap);
}

void WordSpeaker::tryOut(const QString &word, const SpeechSettings &settings)
{
    if (!hasEngine()) {
        explainWhyMute();
        return;
    }
    const QString trimmed = word.trimmed();
    if (trimmed.isEmpty())
        return;
    request(trimmed, Overlap::CutOff);
    m_tryOutSettings = settings;
    m_requestIsTryOut = true;
}

void WordSpeaker::silence()
{
    m_requested.clear();
    m_requestIsTryOut = false;
    m_waiting.clear();
    if (m_busy) {
        m_engine.stop();
        endCurrentWord();
    }
}

void WordSpeaker::request(const QString &word, Overlap overlap)
{
    const QString trimmed = word.trimmed();
    if (trimmed.isEmpty())
        return;
    // Several words asked for within one event (a key that judges an answer
    // and loads the next group, say) leave only the last; one that cuts off
    // keeps doing so.
    if (m_requested.isEmpty())
        m_requestedOverlap = overlap;
    else if (overlap == Overlap::CutOff)
        m_requestedOverlap = Overlap::CutOff;
    m_requested = trimmed;
    m_requestIsTryOut = false;
    if (m_requestScheduled)
        return;
    // The caller is a window in the middle of its own event; the engine is
    // reached only once that event is over.
    m_requestScheduled = true;
    QTimer::singleShot(0, this, &WordSpeaker::takeUpRequests);
}

void WordSpeaker::takeUpRequests()
{
    m_requestScheduled = false;
    if (m_requested.isEmpty())
        return;
    const QString word = m_requested;
    const bool tryingOut = m_requestIsTryOut;
    m_requested.clear();
    m_requestIsTryOut = false;
    if (!m_busy) {
        startWord(word, tryingOut);
        return;
    }
    if (m_requestedOverlap == Overlap::CutOff) {
        m_waiting.clear();
        m_engine.stop();
        endCurrentWord();
        startWord(word, tryingOut);
        return;
    }
    // An older waiting word is dropped: only the newest is still wanted.
    m_waiting = word;
}

void WordSpeaker::startWord(const QString &word, bool tryingOut)
{
    configureEngine(tryingOut ? m_tryOutSettings : m_settings);
    // A try-out is about the voice, so it never plays a recording.
    const QString recording = tryingOut ? QString() : m_recordings.find(word);

    m_busy = true;
    m_currentWord = word;
    const int utterance = ++m_utterance;
    m_timeLimit->start();
    if (recording.isEmpty())
        m_engine.say(utterance, word);
    else
        m_engine.play(utterance, recording);
}

void WordSpeaker::configureEngine(const SpeechSettings &settings)
{
    SpeechSettings wanted = settings;
    wanted.engine = engineFor(settings);
    if (m_configuredOnce && wanted.engine == m_configured.engine && wanted.accent == m_configured.accent &&
        wanted.rate == m_configured.rate)
        return;
    m_engine.configure(wanted.engine, wanted.accent, wanted.rate);
    m_configured = wanted;
    m_configuredOnce = true;
}

void WordSpeaker::onUtteranceState(int utterance, SpeechEngine::State state)
{
    // News about a word that was cut off or timed out is stale.
    if (utterance != m_utterance || !m_busy)
        return;
    if (state == SpeechEngine::State::Speaking) {
        emit speakingStarted(m_currentWord);
        return;
    }
    endCurrentWord();
}

void WordSpeaker::endCurrentWord()
{
    if (!m_busy)
        return;
    m_timeLimit->stop();
    m_busy = false;
    const QString ended = m_currentWord;
    m_currentWord.clear();
    emit wordEnded(ended);
    if (!m_busy && !m_waiting.isEmpty()) {
        const QString next = m_waiting;
        m_waiting.clear();
        startWord(next, false);
    }
}

void WordSpeaker::setWordTimeLimit(int milliseconds)
{
    m_timeLimit->setInterval(milliseconds);
}
