#pragma once

#include <string>
#include <string_view>

#include "base/AsciiCase.h"

/**
 * Path rules of the viewer, on "/" paths. A folder always ends in "/"; the
 * folder part of a path is everything up to and including the last "/"; the
 * extension is the part from the last "." when no "/" follows that dot.
 * They work on code units: UTF-8 (or any byte-transparent 8-bit) text, and
 * UTF-16 text such as Qt's strings, alike.
 */
namespace pathrules {

template <class Char>
std::basic_string_view<Char> ExtractFileExt(std::basic_string_view<Char> path) {
    const std::size_t dot = path.rfind(Char('.'));
    if (dot == std::basic_string_view<Char>::npos) return {};
    if (path.find(Char('/'), dot) != std::basic_string_view<Char>::npos) return {};
    return path.substr(dot);
}

template <class Char>
std::basic_string_view<Char> ExtractFilePath(std::basic_string_view<Char> path) {
    const std::size_t slash = path.rfind(Char('/'));
    if (slash == std::basic_string_view<Char>::npos) return {};
    return path.substr(0, slash + 1);
}

template <class Char>
std::basic_string_view<Char> ExtractFileName(std::basic_string_view<Char> path) {
    return path.substr(ExtractFilePath(path).size());
}

template <class Char>
std::basic_string<Char> IncludeTrailingSeparator(std::basic_string_view<Char> folder) {
    std::basic_string<Char> result(folder);
    if (result.empty() || result.back() != Char('/')) result.push_back(Char('/'));
    return result;
}

template <class Char>
bool MatchesExtension(std::basic_string_view<Char> name, std::basic_string_view<Char> ext) {
    if (ext.empty() || name.size() < ext.size() + 2) return false;
    const std::size_t dot = name.size() - ext.size() - 1;
    if (name[dot] != Char('.')) return false;
    return EqualsIgnoringAsciiCase(name.substr(dot + 1), ext);
}

/// ".gz" for "a.tar.gz", "" for "notes" and for "dir.d/notes".
std::string_view ExtractFileExt(std::string_view path);

/// "/a/b/" for "/a/b/c.txt"; "" when the path has no "/".
std::string_view ExtractFilePath(std::string_view path);

/// The part after the folder part.
std::string_view ExtractFileName(std::string_view path);

/// The folder with exactly one "/" appended unless it already ends in one.
std::string IncludeTrailingSeparator(std::string_view folder);

/// True when the name ends in "." + ext, letters compared without regard to
/// ASCII case (the "*.ext" pattern of a folder search). An empty ext matches
/// nothing; a name that is only ".ext" has no stem and matches nothing too.
bool MatchesExtension(std::string_view name, std::string_view ext);

}  // namespace pathrules
