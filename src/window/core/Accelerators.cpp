#include "window/core/Accelerators.h"

#include <array>

namespace {

constexpr int kKeys = 36;

int keyOf(char16_t c) {
    if (c >= u'0' && c <= u'9') return c == u'0' ? 9 : c - u'1';  // order of the key set: 1..9, 0
    if (c >= u'A' && c <= u'Z') return 10 + (c - u'A');
    if (c >= u'a' && c <= u'z') return 10 + (c - u'a');
    return -1;
}

// Kuhn's augmenting paths from the item side. With only 36 keys, at most 36
// items are ever matched, so each search is short and the whole assignment is
// linear in the total caption length.
struct Matcher {
    const std::vector<std::vector<std::pair<int, int>>>& options;  // per item: (key, position)
    std::array<int, kKeys> owner;                                  // key -> item
    std::array<int, kKeys> seen;
    std::vector<int> chosenPos;  // item -> position
    int stamp = 0;

    explicit Matcher(const std::vector<std::vector<std::pair<int, int>>>& o)
        : options(o), chosenPos(o.size(), -1) {
        owner.fill(-1);
        seen.fill(-1);
    }

    bool augment(int item) {
        for (const auto& [key, pos] : options[item]) {
            if (seen[key] == stamp) continue;
            seen[key] = stamp;
            if (owner[key] < 0 || augment(owner[key])) {
                owner[key] = item;
                chosenPos[item] = pos;
                return true;
            }
        }
        return false;
    }
};

}  // namespace

std::vector<int> AssignAccelerators(const std::vector<std::u16string>& captions) {
    std::vector<std::vector<std::pair<int, int>>> options(captions.size());
    for (size_t i = 0; i < captions.size(); ++i) {
        std::array<bool, kKeys> used{};
        const std::u16string& c = captions[i];
        for (size_t p = 0; p < c.size(); ++p) {
            const int key = keyOf(c[p]);
            if (key >= 0 && !used[key]) {
                used[key] = true;
                options[i].emplace_back(key, int(p));
            }
        }
    }
    Matcher m(options);
    int matched = 0;
    for (size_t i = 0; i < captions.size() && matched < kKeys; ++i) {
        if (options[i].empty()) continue;
        ++m.stamp;
        if (m.augment(int(i))) ++matched;
    }
    return m.chosenPos;
}
