#include "app/picture_fit.h"

#include <cmath>

namespace korv {

namespace {
int halfToEven(int twice) { return static_cast<int>(std::nearbyint(twice / 2.0)); }
}  // namespace

PictureRect fitPicture(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return {0, 0, 0, 0};
    // Compare areaWidth / areaHeight with pictureWidth / pictureHeight without dividing.
    if (static_cast<long long>(areaWidth) * pictureHeight > static_cast<long long>(pictureWidth) * areaHeight) {
        const int width = static_cast<int>(static_cast<long long>(pictureWidth) * areaHeight / pictureHeight);
        return {halfToEven(areaWidth - width), 0, width, areaHeight};
    }
    const int height = static_cast<int>(static_cast<long long>(pictureHeight) * areaWidth / pictureWidth);
    return {0, halfToEven(areaHeight - height), areaWidth, height};
}

}  // namespace korv
