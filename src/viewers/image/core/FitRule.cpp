#include "viewers/image/core/FitRule.h"

TFitRect FitRect(int w, int h, int cw, int ch, const TFitOptions& options) {
    TFitRect r{0, 0, w, h};
    const bool scaled = options.stretch || (options.proportional && (w > cw || h > ch));
    if (scaled) {
        if (options.proportional && w > 0 && h > 0) {
            const double ratio = double(w) / double(h);
            // The ratio is held as a double and the sides are computed in long
            // double, then truncated toward zero: a ratio that is not exact in
            // binary (3 / 10) gives the sizes this viewer has always shown:
            // 30 * ratio gives 99, not 100.
            const long double xr = ratio;
            if (w > h) {
                r.width = cw;
                r.height = int(cw / xr);
                if (r.height > ch) {
                    r.height = ch;
                    r.width = int(ch * xr);
                }
            } else {
                r.height = ch;
                r.width = int(ch * xr);
                if (r.width > cw) {
                    r.width = cw;
                    r.height = int(cw / xr);
                }
            }
        } else {
            r.width = cw;
            r.height = ch;
        }
    }
    if (options.center) {
        r.left = (cw - r.width) / 2;
        r.top = (ch - r.height) / 2;
    }
    return r;
}
