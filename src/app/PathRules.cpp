#include "app/PathRules.h"

namespace pathrules {

namespace {
char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
}  // namespace

std::string_view ExtractFileExt(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    if (path.find('/', dot) != std::string_view::npos) return {};
    return path.substr(dot);
}

std::string_view ExtractFilePath(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return path.substr(0, slash + 1);
}

std::string_view ExtractFileName(std::string_view path) {
    return path.substr(ExtractFilePath(path).size());
}

std::string IncludeTrailingSeparator(std::string_view folder) {
    std::string result(folder);
    if (result.empty() || result.back() != '/') result.push_back('/');
    return result;
}

bool MatchesExtension(std::string_view name, std::string_view ext) {
    if (ext.empty() || name.size() < ext.size() + 2) return false;
    const size_t dot = name.size() - ext.size() - 1;
    if (name[dot] != '.') return false;
    for (size_t i = 0; i < ext.size(); ++i)
        if (lowerAscii(name[dot + 1 + i]) != lowerAscii(ext[i])) return false;
    return true;
}

}  // namespace pathrules
