// Placement words, integers, enumeration identifiers and set texts as a
// hand-edited settings file may hold them.

// ---- Standard library ----
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// ---- Project ----
#include "settings/core/StoredText.h"

using namespace StoredText;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    for (const std::string& word : SplitWords(text)) {
        if (word.empty() || word.find_first_of(" ,") != std::string::npos) std::abort();
        // A parsed integer prints back to the same value.
        if (const auto value = ParseInteger(word)) {
            if (ParseInteger(std::to_string(*value)) != value) std::abort();
        }
    }
    const std::vector<int32_t> four = ReadFour(text, {1, 2, 3, 4});
    if (four.size() != 4) std::abort();
    if (ReadFour(FormatFour(four[0], four[1], four[2], four[3]), {}) != four) std::abort();

    const std::string trimmed = Trim(text);
    if (!trimmed.empty() && (static_cast<unsigned char>(trimmed.front()) <= 32 ||
                             static_cast<unsigned char>(trimmed.back()) <= 32))
        std::abort();

    static const std::vector<std::string> align{"alNone",  "alTop",    "alBottom", "alLeft",
                                                "alRight", "alClient", "alCustom"};
    const int index = FindIdentifier(align, trimmed);
    if (index < -1 || index >= int(align.size())) std::abort();

    static const std::vector<SetMember> styles{
        {"fsBold", 1}, {"fsItalic", 2}, {"fsUnderline", 4}, {"fsStrikeOut", 8}};
    const uint32_t set = ParseSet(styles, text);
    if (set > 15) std::abort();
    // The text a set is written as reads back as the same set.
    if (ParseSet(styles, FormatSet(styles, set)) != set) std::abort();
    (void)ShowStateFromCommand(four[0]);
    return 0;
}
