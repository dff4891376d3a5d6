#include "viewers/html/core/LocalFilePolicy.h"

// System
#include <sys/stat.h>
#include <sys/statfs.h>

// C++
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string_view>
#include <utility>

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

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

bool IsPseudoFileSystem(long type) {
    // The magic numbers of <linux/magic.h>, spelled out so that this builds
    // without the kernel headers.
    constexpr unsigned long kPseudo[] = {
        0x9fa0,      // proc
        0x62656572,  // sysfs
        0x64626720,  // debugfs
        0x74726163,  // tracefs
        0x73636673,  // securityfs
        0x27e0eb,    // cgroup
        0x63677270,  // cgroup2
        0xcafe4a11,  // bpf
        0x6165676c,  // pstore
        0xde5e81e4,  // efivarfs
        0x62656570,  // configfs
        0x65735543,  // fusectl
        0x1cd1,      // devpts
        0x42494e4d,  // binfmt_misc
    };
    const auto value = static_cast<unsigned long>(type) & 0xffffffffUL;
    return std::find(std::begin(kPseudo), std::end(kPseudo), value) != std::end(kPseudo);
}

TLocalTarget ClassifyLocalPath(const std::string& path) {
    if (path.empty() || HasControlCharacter(path)) return TLocalTarget::Missing;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return TLocalTarget::Missing;
    if (S_ISDIR(st.st_mode)) return TLocalTarget::Directory;
    if (!S_ISREG(st.st_mode)) return TLocalTarget::Special;
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) != 0 || IsPseudoFileSystem(static_cast<long>(fs.f_type))) {
        return TLocalTarget::Special;
    }
    return TLocalTarget::File;
}

const char* DocumentTypeOf(const std::string& path) {
    static constexpr std::pair<const char*, const char*> kTypes[] = {
        {".html", "text/html"},
        {".htm", "text/html"},
        {".shtml", "text/html"},
        {".xhtml", "application/xhtml+xml"},
        {".xht", "application/xhtml+xml"},
        {".svg", "image/svg+xml"},
        {".xml", "text/xml"},
        {".png", "image/png"},
        {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},
        {".gif", "image/gif"},
        {".bmp", "image/bmp"},
        {".webp", "image/webp"},
        {".ico", "image/x-icon"},
        {".pdf", "application/pdf"},
    };
    for (const auto& [extension, type] : kTypes) {
        if (EndsWithNoCase(path, extension)) return type;
    }
    return "text/plain";
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
    // Another origin's address that no local document resolved: a redirect
    // from the web, or a web page's guess.
    if (address == TLocalAddress::OtherOrigin && !request.keyOfInitiator) {
        return TLocalRoute::Block;
    }
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
