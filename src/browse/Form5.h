#pragma once

#include <QWidget>

class LexivaneApp;
class QGroupBox;
class QLabel;

// The about window shown at start-up: a picture and a short notice. A click
// on the picture leads to the test window.
class Form5 : public QWidget
{
    Q_OBJECT

public:
    explicit Form5(LexivaneApp &app);

    static QString notice();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Picture1_Click();

    LexivaneApp &m_app;
    QLabel *Picture1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
};
