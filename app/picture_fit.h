#pragma once

namespace korv {

struct PictureRect {
    int x, y, width, height;
    bool operator==(const PictureRect&) const = default;
};

// Where a picture is drawn in an area, keeping its proportions: full height and centred across
// when the area is relatively wider than the picture, else full width and centred down; the
// margin is (area - scaled) / 2 rounded to the nearest integer, halves to even.
PictureRect fitPicture(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight);

}  // namespace korv
