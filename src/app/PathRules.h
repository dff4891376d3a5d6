#pragma once

#include <string>
#include <string_view>

/**
 * Path rules of the viewer, on "/" paths. A folder always ends in "/"; the
 * folder part of a path is everything up to and including the last "/"; the
 * extension is the part from the last "." when no "/" follows that dot.
 * Work on UTF-8 (or any byte-transparent 8-bit) text.
 */
namespace pathrules {

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
