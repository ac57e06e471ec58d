#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The voice behind the program's pronunciation: a synthesis engine and a
// player for recorded words. Every call returns at once; what happens to an
// utterance is reported later through utteranceState, tagged with the number
// the caller gave it, so that late news about a word that was cut off can be
// told apart from news about the word now playing.
class SpeechEngine : public QObject
{
    Q_OBJECT

public:
    enum class State { Speaking, Finished, Failed };
    Q_ENUM(State)

    using QObject::QObject;

    // The installed synthesis engines, the preferred one first. Empty when
    // none is installed.
    virtual QStringList engines() const = 0;
    // The English accents (SpeechSettings::AccentUS, AccentUK) that `engine`
    // has voices for. May wait for the engine to start.
    virtual QStringList accents(const QString &engine) = 0;
    // Engine, accent and rate (SpeechSettings::SlowestRate to FastestRate)
    // for the utterances that follow.
    virtual void configure(const QString &engine, const QString &accent, int rate) = 0;

    // Synthesises `text`.
    virtual void say(int utterance, const QString &text) = 0;
    // Plays the recorded sound file at `path`.
    virtual void play(int utterance, const QString &path) = 0;
    // Cuts off whatever is being said or played.
    virtual void stop() = 0;

    // False while the configured engine has stopped answering (a stuck
    // speech daemon). Words then fail at once; a later word tries again.
    virtual bool isResponding() const { return true; }

signals:
    void utteranceState(int utterance, SpeechEngine::State state);
    void respondingChanged(bool responding);
};
