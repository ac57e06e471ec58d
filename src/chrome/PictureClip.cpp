#include "chrome/PictureClip.h"

PictureClip::PictureClip(const QPixmap &picture, int rows, int cols)
    : m_picture(picture)
    , m_rows(qMax(1, rows))
    , m_cols(qMax(1, cols))
{
}

QSize PictureClip::cellSize() const
{
    return QSize(m_picture.width() / m_cols, m_picture.height() / m_rows);
}

QPixmap PictureClip::GraphicCell(qint16 index) const
{
    if (m_picture.isNull() || index < 0 || index >= m_rows * m_cols)
        return QPixmap();
    const QSize cell = cellSize();
    return m_picture.copy((index % m_cols) * cell.width(), (index / m_cols) * cell.height(), cell.width(),
                          cell.height());
}
