#pragma once

#include "speech/SpeechEngine.h"

#include <QString>
#include <QStringList>

// Stands in for the voice: keeps a log of what it was asked to do and
// reports an utterance's states only when the test says so.
//
// Log lines: "say <text>", "play <path>", "stop", "configure <engine> <accent> <rate>".
class FakeSpeechEngine : public SpeechEngine
{
public:
    explicit FakeSpeechEngine(QStringList installed = {QStringLiteral("flite"), QStringLiteral("speechd")})
        : m_installed(std::move(installed))
    {
    }

    QStringList engines() const override { return m_installed; }

    QStringList accents(const QString &engine) override
    {
        if (!m_installed.contains(engine))
            return {};
        return engine == QLatin1String("flite") ? QStringList{QStringLiteral("US")}
                                                 : QStringList{QStringLiteral("US"), QStringLiteral("UK")};
    }

    void configure(const QString &engine, const QString &accent, int rate) override
    {
        log << QStringLiteral("configure %1 %2 %3").arg(engine, accent).arg(rate);
    }

    void say(int utterance, const QString &text) override
    {
        lastUtterance = utterance;
        log << QStringLiteral("say ") + text;
    }

    void play(int utterance, const QString &path) override
    {
        lastUtterance = utterance;
        log << QStringLiteral("play ") + path;
    }

    void stop() override { log << QStringLiteral("stop"); }

    // The latest utterance starts to sound / ends.
    void startSpeaking() { emit utteranceState(lastUtterance, State::Speaking); }
    void finish() { emit utteranceState(lastUtterance, State::Finished); }
    void report(int utterance, State state) { emit utteranceState(utterance, state); }

    // The words said (not played), in order.
    QStringList spoken() const
    {
        QStringList words;
        for (const QString &line : log) {
            if (line.startsWith(QLatin1String("say ")))
                words << line.mid(4);
        }
        return words;
    }

    // The log without the configure lines, which most tests do not care about.
    QStringList actions() const
    {
        QStringList kept;
        for (const QString &line : log) {
            if (!line.startsWith(QLatin1String("configure ")))
                kept << line;
        }
        return kept;
    }

    QStringList log;
    int lastUtterance = 0;

private:
    QStringList m_installed;
};
