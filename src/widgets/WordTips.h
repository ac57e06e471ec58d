#pragma once

#include <QList>
#include <QObject>

#include <functional>

class Dictionary;
class QLabel;
class QWidget;

// Tooltips worked out when they are asked for: the text `textOf` gives for
// the widget under the pointer (say, the dictionary entry of the word it
// shows), above the widget's own tooltip, which stays as it was. Nothing is
// looked up until the pointer rests on a watched widget, so a window that
// uses it opens as fast as before.
class WordTips : public QObject
{
public:
    // Plain text for `widget` now; empty leaves its own tooltip alone.
    using TextOf = std::function<QString(QWidget *widget)>;

    // Watches `widgets`; the tips object belongs to `owner`.
    static WordTips *attach(QObject *owner, const QList<QWidget *> &widgets, TextOf textOf);

    // The dictionary entry of the word each label shows (its text).
    static WordTips *attachEntries(QObject *owner, const QList<QLabel *> &labels, Dictionary &dictionary);

    // The tooltip `widget` shows now, as rich text (empty for none).
    QString tipFor(QWidget *widget) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WordTips(QObject *owner, TextOf textOf);
    // The tooltip of `widget` with `text` (from textOf) above its own.
    static QString tipWith(QWidget *widget, const QString &text);

    TextOf m_textOf;
};
