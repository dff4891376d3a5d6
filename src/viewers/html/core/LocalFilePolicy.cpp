#include "viewers/html/core/LocalFilePolicy.h"

// System
#include <sys/stat.h>

// C++
#include <algorithm>
#include <string_view>
#include <climits>
#include <cstdlib>
#include <memory>

// Project
#include "base/AsciiCase.h"

namespace {

// File-name extensions are compared in ASCII, whatever the locale.
bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    return EqualsIgnoringAsciiCase(std::string_view(text).substr(text.size() - suffix.size()),
                                   std::string_view(suffix));
}

}  // namespace

TLocalTarget ClassifyLocalPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return TLocalTarget::Missing;
    if (S_ISDIR(st.st_mode)) return TLocalTarget::Directory;
    if (!S_ISREG(st.st_mode)) return TLocalTarget::Special;
    return TLocalTarget::File;
}

bool HasScriptName(const std::string& path) {
    std::string name = path;
    if (EndsWithNoCase(name, ".download")) name.resize(name.size() - 9);
    for (const char* ext : {".js", ".mjs", ".cjs"}) {
        if (EndsWithNoCase(name, ext)) return true;
    }
    return false;
}

bool IsScriptFile(const std::string& path) {
    if (!HasScriptName(path)) return false;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real && HasScriptName(real.get());
}

TLocalRoute RouteLocalRequest(const TLocalRequest& request) {
    // A page on the web, or a frame of an opaque origin, reaches no local file.
    if (!request.fromLocalPage) return TLocalRoute::Block;
    // No folder listings, no reads that may never end; a missing file needs
    // no further trip.
    if (request.target != TLocalTarget::File) return TLocalRoute::Block;
    const TLocalAddress address = request.address;
    const bool fileUrl = address == TLocalAddress::File || address == TLocalAddress::PassedFile;
    switch (request.kind) {
        case TRequestKind::Document:
            if (address == TLocalAddress::Gate) return TLocalRoute::Block;
            return address == TLocalAddress::OwnOrigin ? TLocalRoute::Pass
                                                       : TLocalRoute::ToOwnOrigin;
        case TRequestKind::Script:
            if (!request.scriptName) return TLocalRoute::Block;
            return fileUrl ? TLocalRoute::Pass : TLocalRoute::ToFile;
        case TRequestKind::Font:
            return fileUrl ? TLocalRoute::Pass : TLocalRoute::ToFile;
        case TRequestKind::Passive:
            if (address == TLocalAddress::Gate || address == TLocalAddress::PassedFile) {
                return TLocalRoute::Pass;
            }
            return TLocalRoute::ToGate;
        case TRequestKind::Other:
            return TLocalRoute::Block;
    }
    return TLocalRoute::Block;
}
