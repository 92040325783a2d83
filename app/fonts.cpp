#include "app/fonts.h"

#include <QStringList>

namespace korv::fonts {

int pixelHeight(int points, int dpi) { return (points * dpi + 36) / 72; }

QFont msSansSerif(int points, int dpi, bool bold) {
    QStringList standIns;
    standIns << "Liberation Sans" << "Arial" << "DejaVu Sans" << "Sans Serif";
    QFont::insertSubstitutions("MS Sans Serif", standIns);
    QFont font("MS Sans Serif");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight(points, dpi));
    font.setBold(bold);
    return font;
}

}  // namespace korv::fonts
