#pragma once
#include <QPixmap>
#include <QRectF>

class QPainter;

namespace orv::reports {

// The program's logo mark, drawn by the program itself: for the printed
// heading and the display window.
void paintLogo(QPainter &painter, const QRectF &rect);
QPixmap logoPixmap(int size);

} // namespace orv::reports
