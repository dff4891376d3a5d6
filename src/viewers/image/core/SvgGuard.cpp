#include "viewers/image/core/SvgGuard.h"

// zlib
#include <zlib.h>

// C++ standard library
#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

// Project
#include "base/Error.h"
#include "base/SystemError.h"

namespace svg {

namespace {

struct Element {
    std::size_t firstChild = 0;  // children are listed in `children`
    std::size_t childCount = 0;
    std::string target;  // the id a <use> names, without "#"
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool nameChar(char c) {
    return !isSpace(c) && c != '/' && c != '>' && c != '=' && c != '<';
}

/// The document's elements in document order and each one's parent (or -1),
/// its id and the local reference of its href.
struct Scan {
    std::vector<std::size_t> parent;
    std::vector<std::string> id;
    std::vector<std::string> href;
};

Scan scan(std::string_view doc) {
    Scan out;
    std::vector<std::size_t> open;  // elements not closed yet
    constexpr std::size_t kNone = std::size_t(-1);
    std::size_t i = 0;
    while ((i = doc.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = doc.substr(i);
        // Comments, character data, declarations and instructions draw nothing.
        if (rest.starts_with("<!--")) {
            const std::size_t end = doc.find("-->", i + 4);
            i = end == std::string_view::npos ? doc.size() : end + 3;
            continue;
        }
        if (rest.starts_with("<![CDATA[")) {
            const std::size_t end = doc.find("]]>", i + 9);
            i = end == std::string_view::npos ? doc.size() : end + 3;
            continue;
        }
        if (rest.starts_with("<?") || rest.starts_with("<!")) {
            const std::size_t end = doc.find('>', i + 2);
            i = end == std::string_view::npos ? doc.size() : end + 1;
            continue;
        }
        if (rest.starts_with("</")) {
            if (!open.empty()) open.pop_back();
            const std::size_t end = doc.find('>', i + 2);
            i = end == std::string_view::npos ? doc.size() : end + 1;
            continue;
        }
        // A start tag: its name, then attributes up to ">" or "/>".
        std::size_t p = i + 1;
        while (p < doc.size() && nameChar(doc[p])) ++p;
        const std::size_t element = out.parent.size();
        out.parent.push_back(open.empty() ? kNone : open.back());
        out.id.emplace_back();
        out.href.emplace_back();
        bool selfClosing = false;
        while (p < doc.size()) {
            while (p < doc.size() && isSpace(doc[p])) ++p;
            if (p >= doc.size()) break;
            if (doc[p] == '>') {
                ++p;
                break;
            }
            if (doc[p] == '/') {
                selfClosing = true;
                ++p;
                continue;
            }
            const std::size_t nameStart = p;
            while (p < doc.size() && nameChar(doc[p])) ++p;
            const std::string_view name = doc.substr(nameStart, p - nameStart);
            if (p == nameStart) {
                ++p;  // a stray character
                continue;
            }
            while (p < doc.size() && isSpace(doc[p])) ++p;
            if (p >= doc.size() || doc[p] != '=') continue;
            ++p;
            while (p < doc.size() && isSpace(doc[p])) ++p;
            if (p >= doc.size() || (doc[p] != '"' && doc[p] != '\'')) continue;
            const char quote = doc[p++];
            const std::size_t end = doc.find(quote, p);
            const std::size_t valueEnd = end == std::string_view::npos ? doc.size() : end;
            std::string_view value = doc.substr(p, valueEnd - p);
            p = valueEnd == doc.size() ? valueEnd : valueEnd + 1;
            while (!value.empty() && isSpace(value.front())) value.remove_prefix(1);
            while (!value.empty() && isSpace(value.back())) value.remove_suffix(1);
            if (name == "id") {
                out.id[element] = std::string(value);
            } else if ((name == "href" || name.ends_with(":href")) && value.starts_with('#')) {
                out.href[element] = std::string(value.substr(1));
            }
        }
        if (!selfClosing) open.push_back(element);
        i = p;
    }
    return out;
}

}  // namespace

uint64_t DrawnElements(std::string_view document, uint64_t cap) {
    const Scan s = scan(document);
    const std::size_t n = s.parent.size();
    constexpr std::size_t kNone = std::size_t(-1);
    // Children lists, and ids to elements (the first element of an id wins).
    std::vector<std::vector<std::size_t>> children(n);
    std::unordered_map<std::string_view, std::size_t> byId;
    for (std::size_t e = 0; e < n; ++e) {
        if (s.parent[e] != kNone) children[s.parent[e]].push_back(e);
        if (!s.id[e].empty()) byId.emplace(s.id[e], e);
    }
    // An element draws itself, its children and what its reference names.
    // Post-order without recursion (documents nest deeply); a reference back
    // into an element still being counted is a cycle.
    enum : uint8_t { kNew, kCounting, kDone };
    std::vector<uint8_t> state(n, kNew);
    std::vector<uint64_t> weight(n, 0);
    const auto target = [&](std::size_t e) -> std::size_t {
        if (s.href[e].empty()) return kNone;
        const auto it = byId.find(s.href[e]);
        return it == byId.end() ? kNone : it->second;
    };
    const auto add = [cap](uint64_t a, uint64_t b) { return std::min(cap, a + std::min(cap, b)); };
    uint64_t total = 0;
    std::vector<std::pair<std::size_t, bool>> stack;  // element, dependencies pushed
    for (std::size_t root = 0; root < n; ++root) {
        if (s.parent[root] != kNone) continue;
        stack.push_back({root, false});
        while (!stack.empty()) {
            auto [e, expanded] = stack.back();
            if (expanded) {
                stack.pop_back();
                uint64_t w = 1;
                for (std::size_t c : children[e]) w = add(w, weight[c]);
                if (const std::size_t t = target(e); t != kNone) w = add(w, weight[t]);
                weight[e] = w;
                state[e] = kDone;
                continue;
            }
            if (state[e] == kDone) {
                stack.pop_back();
                continue;
            }
            stack.back().second = true;
            state[e] = kCounting;
            for (std::size_t c : children[e])
                if (state[c] == kNew) stack.push_back({c, false});
            if (const std::size_t t = target(e); t != kNone) {
                if (state[t] == kCounting) return cap;  // a cycle
                if (state[t] == kNew) stack.push_back({t, false});
            }
        }
        total = add(total, weight[root]);
        if (total >= cap) return cap;
    }
    return total;
}

std::vector<uint8_t> Gunzip(const uint8_t* data, std::size_t size, uint64_t maxBytes) {
    z_stream z{};
    // 16 + window bits: a gzip frame around the deflate data.
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) throw EError(outOfMemoryMessage());
    std::vector<uint8_t> out;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(std::min<std::size_t>(size, 1u << 30));
    int status = Z_OK;
    while (status == Z_OK) {
        if (out.size() >= maxBytes) {
            inflateEnd(&z);
            throw EError(outOfMemoryMessage());
        }
        const std::size_t at = out.size();
        const std::size_t grow =
            std::size_t(std::min<uint64_t>(maxBytes - at, std::max<std::size_t>(at, 1u << 16)));
        out.resize(at + grow);
        z.next_out = out.data() + at;
        z.avail_out = uInt(grow);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(at + (grow - z.avail_out));
        if (status == Z_BUF_ERROR && z.avail_in == 0) break;  // cut short
        if (status == Z_BUF_ERROR) status = Z_OK;             // room made next turn
    }
    inflateEnd(&z);
    return out;
}

}  // namespace svg
