#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <algorithm>
#include <cmath>

// Looking at what a control really shows: relative luminance and contrast
// ratio as the accessibility guidelines define them, on grabbed pixels.
namespace Pixels {

inline double luminance(QRgb rgb)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

inline double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline QImage grab(QWidget *widget, const QRect &area = QRect())
{
    return widget->grab(area.isNull() ? widget->rect() : area).toImage().convertToFormat(QImage::Format_RGB32);
}

// The colour covering most of the picture: the background.
inline QRgb mostCommon(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000u];
    }
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    }
    return best;
}

// The strongest contrast of any pixel against `background`: text drawn on it
// shows at least this much in its core strokes.
inline double bestContrast(const QImage &image, QRgb background)
{
    double best = 1.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            best = std::max(best, contrast(image.pixel(x, y), background));
    }
    return best;
}

// The weakest contrast of `colour` against any pixel of the picture.
inline double worstContrast(const QImage &image, const QColor &colour)
{
    double worst = 100.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            worst = std::min(worst, contrast(image.pixel(x, y), colour.rgb()));
    }
    return worst;
}

} // namespace Pixels
