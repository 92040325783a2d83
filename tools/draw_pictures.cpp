// Usage: korv_draw_pictures OUTPUT_DIR
// Draws the program's pictures: bitmap0.png (290 x 290, the error sign: a red circular badge
// with a light grey diagonal cross on a light grey square) and the window icon "ASMA" as
// asma16.png and asma32.png (a grey integrated-circuit chip with legs, transparent around it).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QColor kLightGrey(240, 240, 240);

QImage errorSign() {
    QImage image(290, 290, QImage::Format_RGB32);
    image.fill(kLightGrey);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 20, 20), 6));
    p.setBrush(QColor(215, 35, 35));
    p.drawEllipse(QPointF(145, 145), 128, 128);
    p.setPen(QPen(kLightGrey, 38, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(85, 85), QPointF(205, 205));
    p.drawLine(QPointF(205, 85), QPointF(85, 205));
    return image;
}

QImage chip(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const double s = size / 16.0;
    // Legs: four on each long side, light metal grey.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 190, 190));
    for (int i = 0; i < 4; ++i) {
        const double y = (3.0 + i * 3.0) * s;
        p.drawRect(QRectF(1.0 * s, y, 3.0 * s, 1.5 * s));
        p.drawRect(QRectF(12.0 * s, y, 3.0 * s, 1.5 * s));
    }
    // The package: dark grey with a lighter rim and the pin-1 notch.
    p.setBrush(QColor(85, 85, 85));
    p.setPen(QPen(QColor(130, 130, 130), s));
    p.drawRect(QRectF(4.0 * s, 1.5 * s, 8.0 * s, 13.0 * s));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(160, 160, 160));
    p.drawEllipse(QPointF(6.0 * s, 3.5 * s), 0.9 * s, 0.9 * s);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = errorSign().save(dir + "/bitmap0.png");
    ok = chip(16).save(dir + "/asma16.png") && ok;
    ok = chip(32).save(dir + "/asma32.png") && ok;
    return ok ? 0 : 1;
}
