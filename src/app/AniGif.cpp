#include "app/AniGif.h"

#include <QMouseEvent>
#include <QMovie>

AniGif::AniGif(const QString &fileName, QWidget *parent)
    : QLabel(parent)
    , m_movie(new QMovie(fileName, QByteArray(), this))
{
    setMovie(m_movie);
    m_movie->start();
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
