#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>

// Small rules shared by the windows' controls.

inline bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Keys that type a character (Enter and Backspace included), as opposed to
// keys that only move the cursor or change focus.
inline bool typesCharacter(int key, const QString &text)
{
    return !text.isEmpty() && key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_Delete;
}

// The number boxes take only the ASCII digits and Backspace: true for a key
// that types anything else (it is discarded with a beep). Keys that type no
// character pass.
inline bool refusedInNumberBox(int key, const QString &text)
{
    if (!typesCharacter(key, text) || key == Qt::Key_Backspace)
        return false;
    const QChar c = text.at(0);
    return !(c >= u'0' && c <= u'9');
}

// The colour of a control's text, whatever kind of control it is.
inline void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}
