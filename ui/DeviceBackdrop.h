#pragma once

// The device page's background, Background2.png: two violet glows on navy.
// It is painted where it shows rather than kept decoded (3.3 MB for a picture
// that is two gradients); the picture file is drawn by this same function, so
// both agree pixel for pixel.

class QPainter;
class QWidget;

namespace DeviceBackdrop {

inline constexpr int kWidth = 1176;
inline constexpr int kHeight = 700;

// Paints rows [firstRow, firstRow + rows) of the backdrop from the left edge
// to column `width`: a gradient's pixels depend on where its span starts, so
// a span cut on the left by a clip would differ from the picture in the last
// bit here and there; one cut on the right does not.
void paint(QPainter &painter, int firstRow = 0, int rows = kHeight, int width = kWidth);

// Paints `widget` (a label of the backdrop's size, without text) with it.
void paintOnto(QWidget *widget);

} // namespace DeviceBackdrop
