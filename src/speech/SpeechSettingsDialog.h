#pragma once

#include "speech/SpeechSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class WordSpeaker;

// "发音设置": speech on or off, engine, English accent, rate, whether the
// typing test speaks the right word, and a button to try the voice out.
// "确定" stores the choice; closing the dialog any other way keeps the old.
class SpeechSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SpeechSettingsDialog(WordSpeaker &speaker, QWidget *parent = nullptr);

    // The settings as the controls show them.
    SpeechSettings chosenSettings() const;

    // Speaks the try-out word with the settings shown.
    void tryOut();

    // The engine's name as the list shows it.
    static QString engineCaption(const QString &engine);

    void accept() override;

private:
    void fillAccents();
    void showRate(int rate);
    void updateEnabledControls();

    WordSpeaker &m_speaker;
    SpeechSettings m_original;

    QLabel *m_missingEngine = nullptr;
    QCheckBox *m_enabled = nullptr;
    QComboBox *m_engine = nullptr;
    QComboBox *m_accent = nullptr;
    QSlider *m_rate = nullptr;
    QLabel *m_rateText = nullptr;
    QCheckBox *m_speakAnswers = nullptr;
    QLineEdit *m_tryOutWord = nullptr;
    QPushButton *m_tryOutButton = nullptr;
};
