#pragma once

#include <QPixmap>
#include <QWidget>

namespace korv {

// A picture control: draws its picture scaled into its area, keeping the proportions, smoothly;
// the strips left over show the background colour. With no picture it shows only the background.
class PictureBox : public QWidget {
public:
    PictureBox(const QPixmap& picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

}  // namespace korv
