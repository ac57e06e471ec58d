#include "speech/SpeechSettingsDialog.h"

#include "speech/WordSpeaker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QString accentCaption(const QString &accent)
{
    return accent == SpeechSettings::AccentUK ? QStringLiteral("英式英语") : QStringLiteral("美式英语");
}

} // namespace

SpeechSettingsDialog::SpeechSettingsDialog(WordSpeaker &speaker, QWidget *parent)
    : QDialog(parent)
    , m_speaker(speaker)
    , m_original(speaker.settings())
{
    setObjectName(QStringLiteral("SpeechSettingsDialog"));
    setWindowTitle(QStringLiteral("发音设置"));

    auto *layout = new QVBoxLayout(this);

    m_missingEngine = new QLabel(speaker.whyMute(), this);
    m_missingEngine->setObjectName(QStringLiteral("missingEngine"));
    m_missingEngine->setWordWrap(true);
    m_missingEngine->setVisible(!m_missingEngine->text().isEmpty());
    layout->addWidget(m_missingEngine);

    m_enabled = new QCheckBox(QStringLiteral("朗读单词"), this);
    m_enabled->setObjectName(QStringLiteral("enabled"));
    m_enabled->setChecked(m_original.enabled);
    layout->addWidget(m_enabled);

    auto *form = new QFormLayout;
    m_engine = new QComboBox(this);
    m_engine->setObjectName(QStringLiteral("engine"));
    const QStringList engines = speaker.engine().engines();
    for (const QString &engine : engines)
        m_engine->addItem(engineCaption(engine), engine);
    // With only engines the user must pick (Flite), none is shown as chosen.
    m_engine->setCurrentIndex(engines.indexOf(speaker.effectiveEngine()));
    form->addRow(QStringLiteral("语音引擎："), m_engine);

    m_accent = new QComboBox(this);
    m_accent->setObjectName(QStringLiteral("accent"));
    form->addRow(QStringLiteral("英语口音："), m_accent);

    auto *rateRow = new QHBoxLayout;
    m_rate = new QSlider(Qt::Horizontal, this);
    m_rate->setObjectName(QStringLiteral("rate"));
    m_rate->setRange(SpeechSettings::SlowestRate, SpeechSettings::FastestRate);
    m_rate->setValue(m_original.rate);
    m_rateText = new QLabel(this);
    m_rateText->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("正常 +10")));
    rateRow->addWidget(m_rate);
    rateRow->addWidget(m_rateText);
    form->addRow(QStringLiteral("语速："), rateRow);
    layout->addLayout(form);

    m_speakAnswers = new QCheckBox(QStringLiteral("答题后朗读正确的单词"), this);
    m_speakAnswers->setObjectName(QStringLiteral("speakAnswers"));
    m_speakAnswers->setChecked(m_original.speakAnswers);
    layout->addWidget(m_speakAnswers);

    auto *tryRow = new QHBoxLayout;
    m_tryOutWord = new QLineEdit(QStringLiteral("vocabulary"), this);
    m_tryOutWord->setObjectName(QStringLiteral("tryOutWord"));
    m_tryOutButton = new QPushButton(QStringLiteral("试听"), this);
    m_tryOutButton->setObjectName(QStringLiteral("tryOut"));
    m_tryOutButton->setAutoDefault(false);
    tryRow->addWidget(m_tryOutWord);
    tryRow->addWidget(m_tryOutButton);
    layout->addLayout(tryRow);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("ok"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cancel"));
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tryOutButton, &QPushButton::clicked, this, &SpeechSettingsDialog::tryOut);
    connect(m_rate, &QSlider::valueChanged, this, &SpeechSettingsDialog::showRate);
    connect(m_enabled, &QCheckBox::toggled, this, &SpeechSettingsDialog::updateEnabledControls);
    connect(m_engine, &QComboBox::currentIndexChanged, this, &SpeechSettingsDialog::fillAccents);

    fillAccents();
    showRate(m_original.rate);
    updateEnabledControls();
}

QString SpeechSettingsDialog::engineCaption(const QString &engine)
{
    if (engine == QLatin1String("flite"))
        return QStringLiteral("Flite（程序内合成，可能导致程序崩溃）");
    if (engine == QLatin1String("speechd"))
        return QStringLiteral("Speech Dispatcher（eSpeak NG）");
    return engine;
}

void SpeechSettingsDialog::fillAccents()
{
    const QString engine = m_engine->currentData().toString();
    const QString previous = m_accent->count() ? m_accent->currentData().toString() : m_original.accent;
    m_accent->clear();
    const QStringList accents = engine.isEmpty() ? QStringList() : m_speaker.engine().accents(engine);
    for (const QString &accent : accents)
        m_accent->addItem(accentCaption(accent), accent);
    const int keep = accents.indexOf(previous);
    m_accent->setCurrentIndex(keep >= 0 ? keep : 0);
    updateEnabledControls();
}

void SpeechSettingsDialog::showRate(int rate)
{
    if (rate == 0)
        m_rateText->setText(QStringLiteral("正常"));
    else
        m_rateText->setText(QStringLiteral("正常 %1%2").arg(rate > 0 ? QStringLiteral("+") : QString()).arg(rate));
}

void SpeechSettingsDialog::updateEnabledControls()
{
    const bool engine = m_speaker.hasEngine();
    m_enabled->setEnabled(engine);
    const bool on = engine && m_enabled->isChecked();
    m_engine->setEnabled(on);
    m_accent->setEnabled(on && m_accent->count() > 0);
    m_rate->setEnabled(on);
    m_speakAnswers->setEnabled(on);
    m_tryOutWord->setEnabled(on);
    m_tryOutButton->setEnabled(on);
}

SpeechSettings SpeechSettingsDialog::chosenSettings() const
{
    SpeechSettings chosen = m_original;
    chosen.enabled = m_enabled->isChecked();
    if (m_engine->currentIndex() >= 0)
        chosen.engine = m_engine->currentData().toString();
    if (m_accent->count() > 0)
        chosen.accent = m_accent->currentData().toString();
    chosen.rate = m_rate->value();
    chosen.speakAnswers = m_speakAnswers->isChecked();
    // The browse bar's switch belongs to the bar; keep what it has now.
    chosen.barSpeaks = m_speaker.barSpeaks();
    return chosen;
}

void SpeechSettingsDialog::tryOut()
{
    m_speaker.tryOut(m_tryOutWord->text(), chosenSettings());
}

void SpeechSettingsDialog::accept()
{
    // Without an engine there is nothing to choose; the stored settings stay.
    if (m_speaker.hasEngine())
        m_speaker.applySettings(chosenSettings());
    QDialog::accept();
}
