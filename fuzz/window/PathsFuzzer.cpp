// Path rules: the pieces always lie inside the path and fit together, on
// 8-bit and on UTF-16 text alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/PathRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t split = data[0] % (size);
    const std::string_view path(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view ext = path.substr(0, split < path.size() ? split : path.size());

    const std::string_view folder = pathrules::ExtractFilePath(path);
    const std::string_view name = pathrules::ExtractFileName(path);
    if (std::string(folder) + std::string(name) != path) std::abort();
    if (name.find('/') != std::string_view::npos) std::abort();
    const std::string_view fileExt = pathrules::ExtractFileExt(path);
    if (!fileExt.empty() &&
        (fileExt[0] != '.' || path.substr(path.size() - fileExt.size()) != fileExt))
        std::abort();
    const std::string withSlash = pathrules::IncludeTrailingSeparator(path);
    if (withSlash.empty() || withSlash.back() != '/' ||
        pathrules::IncludeTrailingSeparator(withSlash) != withSlash)
        std::abort();
    if (pathrules::MatchesExtension(name, ext) && name.size() < ext.size() + 2) std::abort();

    // The window runs the same rules on UTF-16 text: the pieces fall at the same places.
    std::u16string wide, wideExt;
    for (const char c : path) wide.push_back(char16_t(static_cast<unsigned char>(c)));
    for (const char c : ext) wideExt.push_back(char16_t(static_cast<unsigned char>(c)));
    const std::u16string_view widePath(wide);
    if (pathrules::ExtractFilePath(widePath).size() != folder.size() ||
        pathrules::ExtractFileExt(widePath).size() != fileExt.size() ||
        pathrules::IncludeTrailingSeparator(widePath).size() != withSlash.size() ||
        pathrules::MatchesExtension(pathrules::ExtractFileName(widePath),
                                    std::u16string_view(wideExt)) !=
            pathrules::MatchesExtension(name, ext))
        std::abort();
    return 0;
}
