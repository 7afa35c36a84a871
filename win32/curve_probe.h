// Where the curve control shows its control point k, found as a user finds it: by the red
// square drawn around the point. Shared by the headless layer and the Windows dialog
// tester, which read the pixels from a canvas and from the screen.
#pragma once

// is_red(x, y) tells whether the control's client pixel (x, y) is pure red. The points sit
// at x = 0, w/4, w/2, 3w/4 and w; each square covers x - 2 .. x + 1 and y - 2 .. y + 1, may
// be clipped by the control's edges, and the curve drawn over it may hide whole rows of it.
// Every centre y with y - 2 <= top and y + 1 >= bottom fits the red rows seen; the middle of
// those is at most 2 rows from the true one, within a press's reach. (x, y) is pulled
// inside the control so that a mouse message there reaches it.
template <class IsRed>
bool find_curve_point(int width, int height, int k, IsRed is_red, int& x, int& y) {
    if (k < 0 || k > 4 || width <= 0 || height <= 0) return false;
    const int centre = k * width / 4;
    int top = -1, bottom = -1;
    for (int row = 0; row < height; ++row)
        for (int col = centre - 2; col <= centre + 1; ++col)
            if (col >= 0 && col < width && is_red(col, row)) {
                if (top < 0) top = row;
                bottom = row;
            }
    if (top < 0) return false;
    int cy = (top + bottom + 1) / 2;
    x = centre < width ? centre : width - 1;
    y = cy < 0 ? 0 : cy >= height ? height - 1 : cy;
    return true;
}
