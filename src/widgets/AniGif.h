#pragma once

#include <QLabel>

class QMovie;

// A picture that plays an animated image in a loop and reports mouse presses
// with the button (1 = left, 2 = right, 4 = middle). It plays only while its
// window is the active one, so a program left in the background stays quiet.
class AniGif : public QLabel
{
    Q_OBJECT

public:
    AniGif(const QString &fileName, QWidget *parent = nullptr);

    QMovie *movie() const { return m_movie; }

signals:
    void mouseDown(int button, const QPoint &globalPos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void followActivation();

    QMovie *m_movie;
};
