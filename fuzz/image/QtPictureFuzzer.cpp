// libFuzzer target: pictures read through Qt's image readers, as the viewer
// reads them (budget, allocation limit, SVG check, frames of an animation).
// The first byte picks the format, the rest is the file. Run with the
// budget's -malloc_limit_mb: nothing the picture allocates may pass it.

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/Error.h"
#include "base/MemoryBudget.h"
#include "viewers/image/QtPicture.h"

namespace {

const char* const kFormats[] = {"png", "webp", "svg",  "svgz", "tiff", "ico", "mng",
                                "tga", "icns", "wbmp", "xpm",  "xbm",  "pbm", "ppm"};

// Decoding costs time per pixel: a smaller budget than the viewer's keeps
// each input quick, and the checks are the same.
constexpr uint64_t kFuzzBudget = uint64_t(64) << 20;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    TQtPicture picture(kFormats[data[0] % std::size(kFormats)]);
    picture.Budget().SetLimit(kFuzzBudget);
    try {
        picture.LoadFromBytes(std::vector<uint8_t>(data + 1, data + size));
    } catch (const EError&) {
        if (picture.Budget().Held() != 0) std::abort();  // a failed load holds nothing
        return 0;
    }
    if (picture.Frame().isNull() || picture.Budget().Peak() > kFuzzBudget) std::abort();
    for (int frame = 0; frame < 3 && picture.NextFrame(); ++frame) {
    }
    try {
        (void)picture.Pixels();
    } catch (const EError&) {
    }
    return 0;
}
