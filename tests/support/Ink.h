#pragma once

#include <QImage>

#include <algorithm>
#include <functional>

namespace vantor::test {

// The pixels of a picture that a colour test picks: how many, and their bounding box.
struct InkBox {
    int count = 0;
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    double centreX() const { return (left + right) / 2.0; }
};

inline bool whiteInk(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

inline bool redInk(QRgb pixel)
{
    return qRed(pixel) > 180 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

inline InkBox inkOf(const QImage& picture, const std::function<bool(QRgb)>& match)
{
    InkBox box;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (!match(picture.pixel(x, y)))
                continue;
            ++box.count;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

} // namespace vantor::test
