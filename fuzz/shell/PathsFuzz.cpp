// Path rules: the pieces always lie inside the path and fit together.
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
    return 0;
}
