#include "viewers/image/core/PictureFormats.h"

// C++
#include <algorithm>

// Project
#include "base/AsciiCase.h"
#include "base/Error.h"
#include "base/PathRules.h"
#include "viewers/image/core/BmpGraphic.h"
#include "viewers/image/core/Graphic.h"
#include "viewers/image/core/JpegImage.h"

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return EqualsIgnoringAsciiCase(a, b);
}

}  // namespace

const TPictureFormats& TPictureFormats::Default() {
    static const TPictureFormats formats = [] {
        TPictureFormats f;
        f.Add({"bmp", "Bitmaps", [] { return std::make_unique<TBmpGraphic>(); }});
        f.Add({"jpeg", "JPEG Image File", [] { return std::make_unique<TJPEGImage>(); }});
        f.Add({"jpg", "JPEG Image File", [] { return std::make_unique<TJPEGImage>(); }});
        return f;
    }();
    return formats;
}

void TPictureFormats::Add(TPictureFormat format) {
    formats_.push_back(std::move(format));
}

const TPictureFormat* TPictureFormats::Find(const std::string& extension) const {
    for (auto it = formats_.rbegin(); it != formats_.rend(); ++it)
        if (EqualIgnoringCase(it->extension, extension)) return &*it;
    return nullptr;
}

std::unique_ptr<TGraphic> TPictureFormats::CreateFor(const std::string& path) const {
    const std::string extension = ExtensionOf(path);
    const TPictureFormat* format = Find(extension);
    if (!format) throw EError("Unknown picture file extension (." + extension + ")");
    return format->create();
}

std::string TPictureFormats::ExtensionOf(const std::string& path) {
    const std::string_view extension = pathrules::ExtractFileExt(path);
    return std::string(extension.empty() ? extension : extension.substr(1));
}
