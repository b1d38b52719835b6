#pragma once
// The "ink" view of a scanned chart: the pen's ink brought out and the printed
// grid faded, so that faint or broken ink can be followed by eye. Pen inks are
// blue, violet, purple or black, printed grids green, red, orange or grey: a
// pixel counts as ink by how dark it is in the brighter of its red and green
// channels, plus half of how much bluer it is than that channel (minus, for the
// less blue colours of printed grids). The paper's own level is taken away and
// the strongest ink of the picture reaches full strength at contrast 1.

#include <QImage>

namespace rs {

// contrast: 1 normal, more brings out fainter ink (0.25 .. 8).
QImage MakeInkView(const QImage& scan, double contrast);

} // namespace rs
