#include "settings/core/FileTypeOffer.h"

#include "base/FileTypes.h"

// ---- Standard library ----
#include <algorithm>
#include <string_view>

namespace FileTypeOffer {

namespace {

bool sameType(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

bool holds(const std::vector<std::string>& list, std::string_view type) {
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& entry) { return sameType(entry, type); });
}

}  // namespace

void Offer(std::vector<std::string>& entries, std::vector<std::string>& offered,
           const std::vector<std::string>& shown) {
    for (const std::string& type : shown) {
        if (holds(offered, type)) continue;
        offered.push_back(type);
        if (!holds(entries, type) && !holds(entries, kDisabledTypeMark + type))
            entries.push_back(type);
    }
}

}  // namespace FileTypeOffer
