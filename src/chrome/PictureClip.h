#pragma once

#include <QPixmap>

// A picture cut into a grid of equal cells, handing out one cell by number
// (numbered row by row from the top-left, starting at 0).
class PictureClip
{
public:
    PictureClip() = default;
    PictureClip(const QPixmap &picture, int rows, int cols);

    QPixmap Picture() const { return m_picture; }
    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    QSize cellSize() const;

    // The cell `index`; a null picture when there is no such cell.
    QPixmap GraphicCell(qint16 index) const;

private:
    QPixmap m_picture;
    int m_rows = 1;
    int m_cols = 1;
};
