#include "base/PathRules.h"

namespace pathrules {

std::string_view ExtractFileExt(std::string_view path) {
    return ExtractFileExt<char>(path);
}

std::string_view ExtractFilePath(std::string_view path) {
    return ExtractFilePath<char>(path);
}

std::string_view ExtractFileName(std::string_view path) {
    return ExtractFileName<char>(path);
}

std::string IncludeTrailingSeparator(std::string_view folder) {
    return IncludeTrailingSeparator<char>(folder);
}

bool MatchesExtension(std::string_view name, std::string_view ext) {
    return MatchesExtension<char>(name, ext);
}

}  // namespace pathrules
