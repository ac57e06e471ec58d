#pragma once

#include <QColor>
#include <QInputMethodEvent>
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

// The background our windows draw: the classic light window face.
inline QColor windowFace()
{
    return QColor(236, 233, 216);
}

// The face of standard windows on a light desktop.
inline QColor standardLightFace()
{
    return QColor(239, 239, 239);
}

// A palette for a window that draws its own light background. Its text is
// black and its edits white with black text, whatever colour scheme the
// desktop uses: with a dark scheme the inherited text would be white on our
// light face. Standard windows (message boxes, menus, tooltips) keep the
// desktop's scheme.
inline QPalette fixedLightPalette(const QColor &background = windowFace())
{
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    QPalette palette(black, background, background.lighter(130), background.darker(160),
                     background.darker(120), black, white, white, background);
    palette.setColor(QPalette::Shadow, QColor(64, 64, 64));
    palette.setColor(QPalette::AlternateBase, background.lighter(106));
    palette.setColor(QPalette::Highlight, QColor(49, 106, 197));
    palette.setColor(QPalette::HighlightedText, white);
    palette.setColor(QPalette::Link, QColor(0, 0, 255));
    palette.setColor(QPalette::LinkVisited, QColor(128, 0, 128));
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    palette.setColor(QPalette::ToolTipText, black);
    palette.setColor(QPalette::PlaceholderText, QColor(128, 128, 128));
    const QColor greyed(128, 128, 128);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, greyed);
    palette.setColor(QPalette::Disabled, QPalette::Base, background);
    return palette;
}

// Gives `window` our fixed light look (see fixedLightPalette).
inline void fixLightLook(QWidget *window, const QColor &background = windowFace())
{
    window->setPalette(fixedLightPalette(background));
}

// Input methods (fcitx5, ibus) hand over finished text in one commit instead
// of key by key, so the key rules never see it. A number box keeps only the
// ASCII digits of a commit; true when anything was dropped (the caller beeps,
// as for a refused key).
inline bool keepDigitsOfCommit(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    QString digits;
    for (const QChar c : commit) {
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    if (digits == commit)
        return false;
    event->setCommitString(digits, event->replacementStart(), event->replacementLength());
    return true;
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
