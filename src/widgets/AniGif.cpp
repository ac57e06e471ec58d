#include "widgets/AniGif.h"

#include <QMouseEvent>
#include <QMovie>

AniGif::AniGif(const QString &fileName, QWidget *parent)
    : QLabel(parent)
    , m_movie(new QMovie(fileName, QByteArray(), this))
{
    setMovie(m_movie);
    // Show the first frame at once; playing starts with the window's activation.
    m_movie->jumpToFrame(0);
}

void AniGif::followActivation()
{
    const bool active = isActiveWindow();
    if (m_movie->state() == QMovie::NotRunning) {
        if (active)
            m_movie->start();
        return;
    }
    m_movie->setPaused(!active);
}

bool AniGif::event(QEvent *event)
{
    const bool handled = QLabel::event(event);
    // Child widgets hear of their window's activation through these two.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        followActivation();
    return handled;
}

void AniGif::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    followActivation();
}

void AniGif::mousePressEvent(QMouseEvent *event)
{
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton:
        button = 1;
        break;
    case Qt::RightButton:
        button = 2;
        break;
    case Qt::MiddleButton:
        button = 4;
        break;
    default:
        break;
    }
    emit mouseDown(button, event->globalPosition().toPoint());
    event->accept();
}
