#pragma once

/** Where the image control draws its picture, relative to its top-left corner. */
struct TFitRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TFitRect&) const = default;
};

/** How the image control fits a picture into its client area. */
struct TFitOptions {
    bool stretch = false;
    bool proportional = true;
    bool center = false;
};

/**
 * The destination rectangle for a w x h picture in a cw x ch client area.
 * The picture is scaled when stretching, or when proportional and larger than
 * the client area; proportional scaling fits the longer side first (a square
 * fits the height first), with the ratio held as a double and the quotients
 * and products formed in extended precision, truncated toward zero.
 */
TFitRect FitRect(int w, int h, int cw, int ch, const TFitOptions& options);
