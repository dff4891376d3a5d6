#include "viewers/html/LocalFilePolicy.h"

// System
#include <sys/stat.h>

// C++
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char lower, char c) {
        return std::tolower(static_cast<unsigned char>(c)) == lower;
    });
}

}  // namespace

bool HasPageExtension(const std::string& path) {
    for (const char* ext : {".htm", ".html", ".xhtml", ".xht"}) {
        if (EndsWithNoCase(path, ext)) return true;
    }
    return false;
}

TLocalTarget ClassifyLocalPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return TLocalTarget::Missing;
    if (S_ISDIR(st.st_mode)) return TLocalTarget::Directory;
    if (!S_ISREG(st.st_mode)) return TLocalTarget::Special;
    if (!HasPageExtension(path)) return TLocalTarget::File;
    // A link named like a page may point at any file; the target decides.
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real || !HasPageExtension(real.get())) return TLocalTarget::File;
    return TLocalTarget::Page;
}

bool AllowLocalRequest(TRequestKind kind, TLocalTarget target) {
    if (target == TLocalTarget::Special) return false;
    switch (kind) {
        case TRequestKind::Navigation:
            return true;
        case TRequestKind::Frame:
            return target == TLocalTarget::Page;
        case TRequestKind::Subresource:
            return target != TLocalTarget::Directory;
        case TRequestKind::ScriptRead:
            return false;
    }
    return false;
}
