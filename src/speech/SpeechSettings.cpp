#include "speech/SpeechSettings.h"

#include "settings/CIniFile.h"

const QString SpeechSettings::Section = QStringLiteral("Speech");
const QString SpeechSettings::AccentUS = QStringLiteral("US");
const QString SpeechSettings::AccentUK = QStringLiteral("UK");
const QString SpeechSettings::EngineFlite = QStringLiteral("flite");

namespace {

const QString kEnabled = QStringLiteral("Enabled");
const QString kEngine = QStringLiteral("Engine");
const QString kVoice = QStringLiteral("Voice");
const QString kRate = QStringLiteral("Rate");
const QString kAnswerSpeak = QStringLiteral("AnswerSpeak");
const QString kBarSpeak = QStringLiteral("BarSpeak");

// Longest value we read back; engine names are short words.
constexpr long kValueSize = 256;

QString readValue(CIniFile &ini, const QString &key)
{
    return ini.ReadString(SpeechSettings::Section, key, kValueSize).trimmed();
}

// "True" and "False" as the other sections write them, in any case; anything
// else keeps the default.
bool readSwitch(CIniFile &ini, const QString &key, bool fallback)
{
    const QString value = readValue(ini, key);
    if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}

QString switchText(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

SpeechSettings SpeechSettings::read(CIniFile &ini)
{
    SpeechSettings settings;
    settings.enabled = readSwitch(ini, kEnabled, settings.enabled);
    settings.engine = readValue(ini, kEngine);

    const QString accent = readValue(ini, kVoice);
    if (accent.compare(AccentUK, Qt::CaseInsensitive) == 0)
        settings.accent = AccentUK;
    else
        settings.accent = AccentUS;

    bool isNumber = false;
    const int rate = readValue(ini, kRate).toInt(&isNumber);
    if (isNumber)
        settings.rate = qBound(SlowestRate, rate, FastestRate);

    settings.speakAnswers = readSwitch(ini, kAnswerSpeak, settings.speakAnswers);
    settings.barSpeaks = readSwitch(ini, kBarSpeak, settings.barSpeaks);
    return settings;
}

void SpeechSettings::write(CIniFile &ini) const
{
    ini.WriteString(Section, kEnabled, switchText(enabled));
    ini.WriteString(Section, kEngine, engine);
    ini.WriteString(Section, kVoice, accent);
    ini.WriteString(Section, kRate, QString::number(rate));
    ini.WriteString(Section, kAnswerSpeak, switchText(speakAnswers));
    ini.WriteString(Section, kBarSpeak, switchText(barSpeaks));
}

void SpeechSettings::writeBarSpeaks(CIniFile &ini, bool on)
{
    ini.WriteString(Section, kBarSpeak, switchText(on));
}

bool SpeechSettings::operator==(const SpeechSettings &other) const
{
    return enabled == other.enabled && engine == other.engine && accent == other.accent && rate == other.rate &&
           speakAnswers == other.speakAnswers && barSpeaks == other.barSpeaks;
}
