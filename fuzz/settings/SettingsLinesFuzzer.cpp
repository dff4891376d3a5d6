// The stored file-type list: line-list text as a settings file may hold it.

// ---- Standard library ----
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// ---- Project ----
#include "settings/core/StoredText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = StoredText::SplitLines(text);
    for (const std::string& line : lines)
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
    // Writing the list and reading it back gives the same list.
    if (StoredText::SplitLines(StoredText::JoinLines(lines)) != lines) std::abort();
    return 0;
}
