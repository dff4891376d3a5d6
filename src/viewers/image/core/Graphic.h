#pragma once

#include <string>

#include "base/MemoryBudget.h"

class TBitmap;

/**
 * A picture reader object as the picture of the image control holds it: it
 * loads one file and hands out the pixels to draw. Everything the picture
 * makes the viewer hold (file bytes, pixels, the drawing copy that the image
 * control makes from them) is held in its budget.
 */
class TGraphic {
public:
    TGraphic() = default;
    TGraphic(TGraphic&&) = default;
    TGraphic& operator=(TGraphic&&) = default;
    virtual ~TGraphic() = default;

    /// Reads a file; on failure it throws EError and the object is discarded.
    virtual void LoadFromFile(const std::string& path) = 0;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    /// The pixels to draw. A reader that decodes lazily does it here, on the
    /// first call, and may throw then, once; later calls give what it has.
    virtual const TBitmap& Pixels() = 0;

    /// A reader that decodes lazily may start that work now on another
    /// thread, so that the pixels are ready by the first draw. What Pixels()
    /// gives and throws stays the same. The others do nothing.
    virtual void DecodeAhead() {}

    TMemoryBudget& Budget() { return FBudget; }

private:
    TMemoryBudget FBudget;
};
