#pragma once

#include "record/ProgressData.h"

#include <QWidget>

#include <functional>
#include <utility>

class AccuracyChart;
class ForecastChart;
class HeatmapChart;
class LibraryBarsChart;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// 学习记录: the learning record in pictures, and the hardest words with a
// way to put each into a word box or hear it. The window only announces
// those two wishes; its owner appends to the box and speaks.
class ProgressWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget *parent = nullptr);

    void setData(const ProgressData &data);
    // Text for a hardest word's tooltip (its phonetic and full meaning), or
    // empty; asked on each setData(). The sentence the word was found in
    // follows it on a line of its own.
    void setWordDetails(std::function<QString(const QString &word)> details) { m_details = std::move(details); }
    const ProgressData &data() const { return m_data; }

    HeatmapChart *heatmap() const { return m_heatmap; }
    AccuracyChart *accuracy() const { return m_accuracy; }
    LibraryBarsChart *libraryBars() const { return m_bars; }
    ForecastChart *forecast() const { return m_forecast; }
    QTableWidget *hardestTable() const { return m_table; }

signals:
    // Put `word` with `meaning` into word box `box` (0 to 4).
    void sendToBox(int box, const QString &word, const QString &meaning);
    void speak(const QString &word);

private:
    ProgressData m_data;
    std::function<QString(const QString &word)> m_details;
    QLabel *m_summary = nullptr;
    HeatmapChart *m_heatmap = nullptr;
    AccuracyChart *m_accuracy = nullptr;
    LibraryBarsChart *m_bars = nullptr;
    ForecastChart *m_forecast = nullptr;
    QTableWidget *m_table = nullptr;
    QComboBox *m_box = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_speak = nullptr;

    int selectedRow() const;
    void updateButtons();
};
