#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;

// The about window shown at start-up: a picture and a short notice. A click
// on the picture leads to the test window.
// What each control shows, and from where: docs/controls.md.
class Form5 : public QWidget
{
    Q_OBJECT

public:
    Form5();

    static QString notice();

signals:
    // The picture was clicked: the test window comes back.
    void testWindowWanted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Picture1_Click();

    QLabel *Picture1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
};
