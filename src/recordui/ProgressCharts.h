#pragma once

#include "record/ProgressData.h"

#include <QColor>
#include <QWidget>

// The three pictures of the progress window, drawn with QPainter in
// logical pixels (so they stay sharp at any screen scale) and in fixed
// colours that do not follow the desktop's palette.
namespace ProgressColors {
inline const QColor Background(0xfa, 0xf8, 0xf2);
inline const QColor Text(0x26, 0x26, 0x26);
inline const QColor Grid(0xdd, 0xd8, 0xcc);
inline const QColor Line(0x2f, 0x6f, 0xb5);
inline const QColor GroupsBar(0xe0, 0x8e, 0x2b);
inline const QColor WordsBar(0x3c, 0x8d, 0xbc);
inline const QColor BarTrack(0xe6, 0xe2, 0xd8);
inline const QColor ReviewBar(0x3c, 0x8d, 0xbc);
inline const QColor NewBar(0xe0, 0x8e, 0x2b);
// Empty day first, then four steps of more answers.
inline const QColor Heat[5] = {QColor(0xe6, 0xe2, 0xd8), QColor(0xc6, 0xe4, 0x8b), QColor(0x7b, 0xc9, 0x6f),
                               QColor(0x23, 0x9a, 0x3b), QColor(0x19, 0x61, 0x27)};
} // namespace ProgressColors

// Words answered per day over the last year: one column per week (Monday
// on top), one square per day, darker for more answers.
class HeatmapChart : public QWidget
{
    Q_OBJECT
public:
    explicit HeatmapChart(QWidget *parent = nullptr);
    void setData(const ProgressData &data);

    // 0 for no answers, else 1 to 4 by the share of the busiest day.
    static int level(int answers, int busiest);
    // Where day `index` of the data (0 = the oldest) is drawn.
    QRect cellRect(int index) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QDate m_firstDay;
    QList<int> m_days;
    int m_busiest = 0;
    int dayAt(const QPoint &point) const;
};

// First-try accuracy per week as a line from 0 % to 100 %; weeks without a
// first try leave a gap.
class AccuracyChart : public QWidget
{
    Q_OBJECT
public:
    explicit AccuracyChart(QWidget *parent = nullptr);
    void setData(const ProgressData &data);
    // The point drawn for week `index`, or a null point for a gap.
    QPointF pointOf(int index) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<WeekAccuracy> m_weeks;
    QRectF plotRect() const;
};

// Per library, two bars: groups completed of all groups, words met of all
// words.
class LibraryBarsChart : public QWidget
{
    Q_OBJECT
public:
    explicit LibraryBarsChart(QWidget *parent = nullptr);
    void setData(const ProgressData &data);
    // The filled part of a library's groups or words bar.
    QRectF filledBar(int library, bool words) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<LibraryProgress> m_libraries;
    QRectF trackRect(int library, bool words) const;
};

// The next 30 days: per day a bar of the reviews due with the new words of
// the plan stacked on top.
class ForecastChart : public QWidget
{
    Q_OBJECT
public:
    explicit ForecastChart(QWidget *parent = nullptr);
    void setData(const ProgressData &data);
    // The reviews or new-words part of a day's bar.
    QRectF barPart(int day, bool newWords) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<ForecastDay> m_days;
    int m_largest = 0;
    QRectF plotRect() const;
};
