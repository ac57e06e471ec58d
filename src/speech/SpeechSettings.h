#pragma once

#include <QString>

class CIniFile;

// The pronunciation options, kept in their own section of lexvan.ini so that
// the windows' sections stay as they are.
struct SpeechSettings
{
    static const QString Section;

    // Accents offered for English voices.
    static const QString AccentUS;
    static const QString AccentUK;

    // Flite synthesises inside the program, and Qt 6.4's plugin for it
    // crashes the program after some words: it is used only when the user
    // picks it, never as the engine nobody chose.
    static const QString EngineFlite;
    static bool usableByDefault(const QString &engine) { return !engine.isEmpty() && engine != EngineFlite; }

    // Rate steps either side of the engine's normal speed.
    static constexpr int SlowestRate = -10;
    static constexpr int FastestRate = 10;

    bool enabled = true;
    // The engine's name as the speech library knows it; empty means the
    // preferred engine of those installed that is usable by default.
    QString engine;
    QString accent = AccentUS;
    int rate = 0;
    // Speak the right word once an answer in the typing test is judged.
    bool speakAnswers = true;
    // Speak each word the browse bar shows.
    bool barSpeaks = false;

    // Missing or unreadable values keep their defaults.
    static SpeechSettings read(CIniFile &ini);
    // Writes every key of the section.
    void write(CIniFile &ini) const;
    // Writes only the browse bar's switch, the one option the bar changes.
    static void writeBarSpeaks(CIniFile &ini, bool on);

    bool operator==(const SpeechSettings &other) const;
    bool operator!=(const SpeechSettings &other) const { return !(*this == other); }
};
