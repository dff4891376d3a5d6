#include "viewers/image/core/FitRule.h"

TFitRect FitRect(int w, int h, int cw, int ch, const TFitOptions& options) {
    TFitRect r{0, 0, w, h};
    const bool scaled = options.stretch || (options.proportional && (w > cw || h > ch));
    if (scaled) {
        if (options.proportional && w > 0 && h > 0) {
            const double ratio = double(w) / double(h);
            // Extended precision like the x87 unit the rule was made for;
            // conversion to int truncates toward zero.
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
