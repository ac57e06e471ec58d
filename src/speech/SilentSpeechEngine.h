#pragma once

#include "speech/SpeechEngine.h"

// A voice with no engine behind it: the program then behaves as on a system
// where no speech engine is installed.
class SilentSpeechEngine : public SpeechEngine
{
public:
    using SpeechEngine::SpeechEngine;

    QStringList engines() const override { return {}; }
    QStringList accents(const QString &) override { return {}; }
    void configure(const QString &, const QString &, int) override {}
    void say(int utterance, const QString &) override { emit utteranceState(utterance, State::Failed); }
    void play(int utterance, const QString &) override { emit utteranceState(utterance, State::Failed); }
    void stop() override {}
};
