#pragma once

#include "speech/RecordedWords.h"
#include "speech/SpeechEngine.h"
#include "speech/SpeechSettings.h"

#include <QObject>
#include <QPointer>
#include <QString>

class CIniFile;
class QTimer;
class UserDialogs;

// Pronounces words for the windows: a recording when there is one, the
// synthetic voice otherwise. Asking to speak never waits: the request is
// taken up on the next turn of the event loop. While a word is being spoken
// at most one further word waits; a newer one replaces it.
class WordSpeaker : public QObject
{
    Q_OBJECT

public:
    // What a new word does to the one being spoken.
    enum class Overlap {
        Queue,  // waits for it to end (and replaces any word already waiting)
        CutOff, // stops it and is spoken at once
    };

    // `audioFolder` holds the recordings. The settings are read once here and
    // kept; applySettings and setBarSpeaks write them back.
    WordSpeaker(SpeechEngine &engine, CIniFile &ini, UserDialogs &dialogs, const QString &audioFolder,
                QObject *parent = nullptr);
    ~WordSpeaker() override;

    // Whether a synthesis engine is installed at all. Without one, the
    // speech commands are switched off.
    bool hasEngine() const;
    // Why there is no speech, in the user's words.
    static QString missingEngineText();
    // Why there is no speech when only engines the user must pick (Flite)
    // are installed and none was picked.
    static QString unchosenEngineText();
    // Why there is no speech while the engine does not answer.
    static QString stuckEngineText();
    // Why words cannot be heard now (one of the texts above), or empty when
    // they can.
    QString whyMute() const;
    // Tells the user whyMute(), once per run for each reason.
    void explainWhyMute();

    // Whether words are handed to the engine at all: an engine is usable and
    // the user has not switched speech off. A stuck engine still gets them,
    // so that a later word can find it answering again.
    bool isOn() const;
    bool speaksAnswers() const { return isOn() && m_settings.speakAnswers; }
    bool barSpeaks() const { return m_settings.barSpeaks; }
    void setBarSpeaks(bool on);

    const SpeechSettings &settings() const { return m_settings; }
    // Stores the settings and makes them take effect from the next word.
    void applySettings(const SpeechSettings &settings);
    // The engine to use: the stored one if it is installed, else the
    // preferred one installed that is usable by default; empty with none.
    QString effectiveEngine() const;
    SpeechEngine &engine() { return m_engine; }

    // Speaks `word` (trimmed; an empty word is ignored) when speech is on.
    void speak(const QString &word, Overlap overlap = Overlap::Queue);
    // The same for a word the user asked to hear; when it cannot be heard
    // the user is told why (once).
    void speakOnRequest(const QString &word, Overlap overlap = Overlap::Queue);
    // Speaks `word` with `settings` instead of the stored ones, for trying a
    // voice out; the stored settings come back with the next word.
    void tryOut(const QString &word, const SpeechSettings &settings);
    // Stops the word being spoken and forgets any waiting word.
    void silence();

    // Where a word stands now, for the tests and the benchmark.
    bool isBusy() const { return m_busy; }
    QString currentWord() const { return m_currentWord; }
    QString waitingWord() const { return m_waiting; }

    // Longest time a word may take before the next one goes ahead anyway,
    // in case an engine never reports the end of a word.
    static constexpr int WordTimeLimitMs = 5000;
    void setWordTimeLimit(int milliseconds);

signals:
    // The engine has started to sound `word`.
    void speakingStarted(const QString &word);
    // `word` has ended, been cut off or failed; the next may follow.
    void wordEnded(const QString &word);
    // whyMute() may have changed (the engine stopped or started answering,
    // or other settings were applied).
    void availabilityChanged();

private:
    void request(const QString &word, Overlap overlap);
    void takeUpRequests();
    void startWord(const QString &word, bool tryingOut);
    void onUtteranceState(int utterance, SpeechEngine::State state);
    void endCurrentWord();
    void configureEngine(const SpeechSettings &settings);
    QString engineFor(const SpeechSettings &settings) const;

    SpeechEngine &m_engine;
    CIniFile &m_ini;
    UserDialogs &m_dialogs;
    RecordedWords m_recordings;
    SpeechSettings m_settings;
    // Whether an engine is installed, found out on first need.
    mutable int m_hasEngine = -1;
    // The reasons already told this run.
    QStringList m_toldWhyMute;
    // The settings the engine was last configured with.
    SpeechSettings m_configured;
    bool m_configuredOnce = false;

    // The latest word asked for since the last turn of the event loop, and
    // how it treats the word being spoken.
    QString m_requested;
    Overlap m_requestedOverlap = Overlap::Queue;
    bool m_requestScheduled = false;
    // A try-out's settings, used for the requested word only.
    bool m_requestIsTryOut = false;
    SpeechSettings m_tryOutSettings;

    bool m_busy = false;
    int m_utterance = 0;
    QString m_currentWord;
    QString m_waiting;
    QTimer *m_timeLimit = nullptr;
};
