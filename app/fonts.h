#pragma once

#include <QFont>

namespace korv::fonts {

// Character height in pixels of a font of `points` at `dpi`: (points x dpi + 36) / 72, truncated.
int pixelHeight(int points, int dpi);

// "MS Sans Serif" at the given size; where the face is missing (everywhere but Windows) it
// stands in as Liberation Sans, then DejaVu Sans, then the system's sans-serif.
QFont msSansSerif(int points, int dpi, bool bold = false);

}  // namespace korv::fonts
