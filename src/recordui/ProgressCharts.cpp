#include "recordui/ProgressCharts.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

constexpr int HeatLeft = 30;
constexpr int HeatTop = 18;
constexpr int HeatCell = 11;
constexpr int HeatStep = 13;
constexpr int HeatColumns = 54; // 365 days can touch 54 Monday-to-Sunday weeks

constexpr int BarRowHeight = 46;
constexpr int BarLabelWidth = 92;

QFont chartFont(const QWidget *widget, int pixelSize)
{
    QFont font = widget->font();
    font.setPixelSize(pixelSize);
    return font;
}

void fixBackground(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ProgressColors::Background);
    palette.setColor(QPalette::WindowText, ProgressColors::Text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

// ---- heatmap ------------------------------------------------------------

HeatmapChart::HeatmapChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("heatmap"));
    fixBackground(this);
}

void HeatmapChart::setData(const ProgressData &data)
{
    m_firstDay = data.firstDay();
    m_days = data.dailyAnswers;
    m_busiest = m_days.isEmpty() ? 0 : *std::max_element(m_days.begin(), m_days.end());
    update();
}

int HeatmapChart::level(int answers, int busiest)
{
    if (answers <= 0 || busiest <= 0)
        return 0;
    // Quarters of the busiest day, rounded up, so a single answer always
    // shows and only the busiest days take the darkest colour.
    return std::clamp(int(std::ceil(4.0 * answers / busiest)), 1, 4);
}

QRect HeatmapChart::cellRect(int index) const
{
    if (!m_firstDay.isValid() || index < 0 || index >= m_days.size())
        return {};
    const QDate day = m_firstDay.addDays(index);
    const qint64 firstMonday = m_firstDay.addDays(1 - m_firstDay.dayOfWeek()).toJulianDay();
    const int column = int((day.toJulianDay() - firstMonday) / 7);
    const int row = day.dayOfWeek() - 1;
    return {HeatLeft + column * HeatStep, HeatTop + row * HeatStep, HeatCell, HeatCell};
}

int HeatmapChart::dayAt(const QPoint &point) const
{
    for (int i = 0; i < m_days.size(); ++i) {
        if (cellRect(i).contains(point))
            return i;
    }
    return -1;
}

QSize HeatmapChart::sizeHint() const
{
    return {HeatLeft + HeatColumns * HeatStep + 8, HeatTop + 7 * HeatStep + 6};
}

bool HeatmapChart::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int index = dayAt(help->pos());
        if (index >= 0) {
            QToolTip::showText(help->globalPos(),
                               QStringLiteral("%1：%2 个单词")
                                   .arg(m_firstDay.addDays(index).toString(QStringLiteral("yyyy-MM-dd")))
                                   .arg(m_days[index]),
                               this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

void HeatmapChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(chartFont(this, 10));
    painter.setPen(ProgressColors::Text);

    static const QString weekdays[7] = {QStringLiteral("一"), QString(), QStringLiteral("三"), QString(),
                                        QStringLiteral("五"), QString(), QStringLiteral("日")};
    for (int row = 0; row < 7; ++row) {
        if (!weekdays[row].isEmpty())
            painter.drawText(QRect(0, HeatTop + row * HeatStep - 1, HeatLeft - 6, HeatStep),
                             Qt::AlignRight | Qt::AlignVCenter, weekdays[row]);
    }

    int lastMonthColumn = -10;
    for (int i = 0; i < m_days.size(); ++i) {
        const QRect cell = cellRect(i);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ProgressColors::Heat[level(m_days[i], m_busiest)]);
        painter.drawRoundedRect(QRectF(cell), 2, 2);
        // The month's number over the column holding its first day.
        const QDate day = m_firstDay.addDays(i);
        const int column = (cell.x() - HeatLeft) / HeatStep;
        if (day.day() == 1 && column - lastMonthColumn >= 3) {
            painter.setPen(ProgressColors::Text);
            painter.drawText(QRect(cell.x(), 0, 4 * HeatStep, HeatTop - 3), Qt::AlignLeft | Qt::AlignBottom,
                             QStringLiteral("%1月").arg(day.month()));
            lastMonthColumn = column;
        }
    }
}

// ---- accuracy line ------------------------------------------------------

AccuracyChart::AccuracyChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("accuracyChart"));
    fixBackground(this);
}

void AccuracyChart::setData(const ProgressData &data)
{
    m_weeks = data.weeks;
    update();
}

QSize AccuracyChart::sizeHint() const
{
    return {360, 190};
}

QRectF AccuracyChart::plotRect() const
{
    return QRectF(40, 26, std::max(10, width() - 52), std::max(10, height() - 50));
}

QPointF AccuracyChart::pointOf(int index) const
{
    if (index < 0 || index >= m_weeks.size() || m_weeks[index].accuracy() < 0)
        return {};
    const QRectF plot = plotRect();
    const double step = m_weeks.size() > 1 ? plot.width() / (m_weeks.size() - 1) : 0;
    return {plot.left() + index * step, plot.bottom() - m_weeks[index].accuracy() * plot.height()};
}

void AccuracyChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(chartFont(this, 11));
    const QRectF plot = plotRect();

    painter.setPen(ProgressColors::Text);
    painter.drawText(QRectF(0, 0, width(), 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("每周首次答对率"));

    painter.setFont(chartFont(this, 10));
    for (int percent = 0; percent <= 100; percent += 25) {
        const double y = plot.bottom() - percent / 100.0 * plot.height();
        painter.setPen(QPen(ProgressColors::Grid, 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(ProgressColors::Text);
        painter.drawText(QRectF(0, y - 8, plot.left() - 5, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("%1%").arg(percent));
    }
    // A date under the first, middle and last week.
    for (int index : {0, int(m_weeks.size()) / 2, int(m_weeks.size()) - 1}) {
        if (index < 0 || index >= m_weeks.size())
            continue;
        const double step = m_weeks.size() > 1 ? plot.width() / (m_weeks.size() - 1) : 0;
        const double x = plot.left() + index * step;
        painter.drawText(QRectF(x - 40, plot.bottom() + 4, 80, 16), Qt::AlignHCenter | Qt::AlignTop,
                         m_weeks[index].monday.toString(QStringLiteral("M月d日")));
    }

    QPen linePen(ProgressColors::Line, 2);
    linePen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(linePen);
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    bool drawing = false;
    for (int i = 0; i < m_weeks.size(); ++i) {
        const QPointF point = pointOf(i);
        if (point.isNull()) {
            drawing = false;
            continue;
        }
        if (drawing)
            path.lineTo(point);
        else
            path.moveTo(point);
        drawing = true;
    }
    painter.drawPath(path);
    painter.setBrush(ProgressColors::Line);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < m_weeks.size(); ++i) {
        const QPointF point = pointOf(i);
        if (!point.isNull())
            painter.drawEllipse(point, 2.5, 2.5);
    }
}

// ---- library bars -------------------------------------------------------

LibraryBarsChart::LibraryBarsChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("libraryBars"));
    fixBackground(this);
}

void LibraryBarsChart::setData(const ProgressData &data)
{
    m_libraries = data.libraries;
    updateGeometry();
    update();
}

QSize LibraryBarsChart::sizeHint() const
{
    return {360, 24 + std::max<int>(1, int(m_libraries.size())) * BarRowHeight};
}

QRectF LibraryBarsChart::trackRect(int library, bool words) const
{
    const double top = 24 + library * BarRowHeight + 18 + (words ? 13 : 0);
    return QRectF(4, top, std::max(10, width() - BarLabelWidth - 10), 9);
}

QRectF LibraryBarsChart::filledBar(int library, bool words) const
{
    if (library < 0 || library >= m_libraries.size())
        return {};
    const LibraryProgress &row = m_libraries[library];
    const int done = words ? row.wordsMet : row.groupsCompleted;
    const int total = words ? row.wordsTotal : row.groupsTotal;
    QRectF bar = trackRect(library, words);
    bar.setWidth(total > 0 ? bar.width() * std::clamp(double(done) / total, 0.0, 1.0) : 0);
    return bar;
}

void LibraryBarsChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(chartFont(this, 11));
    painter.setPen(ProgressColors::Text);
    painter.drawText(QRectF(0, 0, width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("各词库进度（组 / 单词）"));
    if (m_libraries.isEmpty()) {
        painter.drawText(QRectF(4, 24, width() - 8, BarRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("没有词库"));
        return;
    }
    for (int i = 0; i < m_libraries.size(); ++i) {
        const LibraryProgress &row = m_libraries[i];
        painter.setPen(ProgressColors::Text);
        painter.setFont(chartFont(this, 11));
        painter.drawText(QRectF(4, 24 + i * BarRowHeight, width() - 8, 16), Qt::AlignLeft | Qt::AlignVCenter, row.name);
        painter.setFont(chartFont(this, 10));
        for (bool words : {false, true}) {
            const QRectF track = trackRect(i, words);
            painter.setPen(Qt::NoPen);
            painter.setBrush(ProgressColors::BarTrack);
            painter.drawRoundedRect(track, 3, 3);
            const QRectF filled = filledBar(i, words);
            if (filled.width() > 0) {
                painter.setBrush(words ? ProgressColors::WordsBar : ProgressColors::GroupsBar);
                painter.drawRoundedRect(filled, 3, 3);
            }
            painter.setPen(ProgressColors::Text);
            const QString label = words ? QStringLiteral("词 %1/%2").arg(row.wordsMet).arg(row.wordsTotal)
                                        : QStringLiteral("组 %1/%2").arg(row.groupsCompleted).arg(row.groupsTotal);
            painter.drawText(QRectF(track.right() + 6, track.top() - 4, BarLabelWidth, track.height() + 8),
                             Qt::AlignLeft | Qt::AlignVCenter, label);
        }
    }
}

// ---- forecast -------------------------------------------------------------

ForecastChart::ForecastChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("forecast"));
    fixBackground(this);
}

void ForecastChart::setData(const ProgressData &data)
{
    m_days = data.forecast;
    m_largest = 0;
    for (const ForecastDay &day : m_days)
        m_largest = std::max(m_largest, day.reviews + day.newWords);
    update();
}

QSize ForecastChart::sizeHint() const
{
    return {740, 130};
}

QRectF ForecastChart::plotRect() const
{
    return QRectF(40, 24, width() - 52, height() - 44);
}

QRectF ForecastChart::barPart(int day, bool newWords) const
{
    if (day < 0 || day >= m_days.size() || m_largest <= 0)
        return {};
    const QRectF plot = plotRect();
    const double slot = plot.width() / m_days.size();
    const double perWord = plot.height() / m_largest;
    const ForecastDay &d = m_days[day];
    const double reviews = d.reviews * perWord;
    const double fresh = d.newWords * perWord;
    const double left = plot.left() + day * slot + slot * 0.15;
    if (newWords)
        return QRectF(left, plot.bottom() - reviews - fresh, slot * 0.7, fresh);
    return QRectF(left, plot.bottom() - reviews, slot * 0.7, reviews);
}

void ForecastChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(chartFont(this, 11));
    painter.setPen(ProgressColors::Text);
    painter.drawText(QRectF(0, 0, width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("未来 30 天每天要复习的单词"));
    const QRectF plot = plotRect();
    // Legend, right of the title.
    painter.setFont(chartFont(this, 10));
    const QRectF legend(width() - 170, 4, 12, 12);
    painter.fillRect(legend, ProgressColors::ReviewBar);
    painter.drawText(legend.translated(16, -2).adjusted(0, 0, 40, 4), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("复习"));
    painter.fillRect(legend.translated(70, 0), ProgressColors::NewBar);
    painter.drawText(legend.translated(86, -2).adjusted(0, 0, 40, 4), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("新词"));
    painter.setPen(ProgressColors::Grid);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.setPen(ProgressColors::Text);
    painter.drawText(QRectF(0, plot.top() - 6, plot.left() - 4, 12), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(m_largest));
    painter.drawText(QRectF(0, plot.bottom() - 6, plot.left() - 4, 12), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("0"));
    for (int day = 0; day < m_days.size(); ++day) {
        painter.fillRect(barPart(day, false), ProgressColors::ReviewBar);
        painter.fillRect(barPart(day, true), ProgressColors::NewBar);
        // A date every week under the bars.
        if (day % 7 == 0) {
            const double slot = plot.width() / m_days.size();
            painter.drawText(QRectF(plot.left() + day * slot - 10, plot.bottom() + 3, 60, 14),
                             Qt::AlignLeft | Qt::AlignVCenter, m_days[day].date.toString(QStringLiteral("M月d日")));
        }
    }
    if (m_days.isEmpty() || m_largest == 0)
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("没有要复习的单词"));
}
