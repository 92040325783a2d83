#include "app/picture_box.h"

#include <QPainter>

#include "app/picture_fit.h"

namespace korv {

PictureBox::PictureBox(const QPixmap& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
    setAutoFillBackground(true);
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const PictureRect r = fitPicture(width(), height(), picture_.width(), picture_.height());
    painter.drawPixmap(QRect(r.x, r.y, r.width, r.height), picture_);
}

}  // namespace korv
