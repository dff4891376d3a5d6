// Accelerator assignment: every chosen key is valid and used once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "window/core/Accelerators.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Captions separated by 0x0A; bytes widened to UTF-16 units.
    std::vector<std::u16string> captions(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0x0A)
            captions.emplace_back();
        else
            captions.back().push_back(char16_t(data[i] | ((i % 7 == 0) ? 0x0300 : 0)));
    }
    const std::vector<int> keys = AssignAccelerators(captions);
    if (keys.size() != captions.size()) std::abort();
    std::set<char16_t> used;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] < 0) continue;
        if (size_t(keys[i]) >= captions[i].size()) std::abort();
        char16_t c = captions[i][size_t(keys[i])];
        if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z'))) std::abort();
        if (!used.insert(c).second) std::abort();
    }
    return 0;
}
