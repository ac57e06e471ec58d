#pragma once

#include <QPushButton>

// The skinned command button of the mode columns. Buttons of one control
// array share a signal and tell themselves apart by their index.
class XpCmdButton : public QPushButton
{
    Q_OBJECT

public:
    XpCmdButton(const QString &caption, int index, QWidget *parent = nullptr);

    int index() const { return m_index; }

signals:
    void pressedAt(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int m_index;
};
