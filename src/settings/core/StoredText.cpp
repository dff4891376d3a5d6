#include "settings/core/StoredText.h"

// ---- Standard library ----
#include <cstdio>

// ---- Project ----
#include "base/AsciiCase.h"

namespace StoredText {

namespace {

bool isWordSeparator(char c) {
    return c == ' ' || c == ',';
}

bool isSetSeparator(char c) {
    return c == ' ' || c == ',' || c == '[' || c == ']';
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return EqualsIgnoringAsciiCase(a, b);
}

template <class IsSeparator>
std::vector<std::string> split(std::string_view text, IsSeparator isSeparator) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSeparator(text[i])) ++i;
        const size_t start = i;
        while (i < text.size() && !isSeparator(text[i])) ++i;
        if (i > start) words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

}  // namespace

std::string Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    return std::string(text.substr(begin, end - begin));
}

std::optional<int32_t> ParseInteger(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    // Accumulate as a negative number so that INT32_MIN fits.
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > int64_t(INT32_MAX) + 1) return std::nullopt;
    }
    if (negative) return int32_t(-value);
    if (value > INT32_MAX) return std::nullopt;
    return int32_t(value);
}

std::vector<std::string> SplitWords(std::string_view text) {
    return split(text, isWordSeparator);
}

std::string FormatFour(int32_t a, int32_t b, int32_t c, int32_t d) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d,%d,%d,%d", int(a), int(b), int(c), int(d));
    return buffer;
}

std::vector<int32_t> ReadFour(std::string_view text, const std::vector<int32_t>& fallback) {
    const std::vector<std::string> words = SplitWords(text);
    std::vector<int32_t> result(4, 0);
    for (size_t i = 0; i < 4; ++i) {
        std::optional<int32_t> value;
        if (i < words.size()) value = ParseInteger(words[i]);
        result[i] = value ? *value : (i < fallback.size() ? fallback[i] : 0);
    }
    return result;
}

int FindIdentifier(const std::vector<std::string>& identifiers, std::string_view text) {
    for (size_t i = 0; i < identifiers.size(); ++i)
        if (equalNoCase(identifiers[i], text)) return int(i);
    return -1;
}

std::string FormatSet(const std::vector<SetMember>& members, uint32_t value) {
    std::string text = "[";
    bool first = true;
    for (const SetMember& member : members) {
        if (member.second == 0 || (value & member.second) != member.second) continue;
        if (!first) text += ',';
        text += member.first;
        first = false;
    }
    text += ']';
    return text;
}

uint32_t ParseSet(const std::vector<SetMember>& members, std::string_view text) {
    uint32_t value = 0;
    for (const std::string& word : split(text, isSetSeparator)) {
        for (const SetMember& member : members) {
            if (equalNoCase(member.first, word)) {
                value |= member.second;
                break;
            }
        }
    }
    return value;
}

ShowState ShowStateFromCommand(int32_t showCmd) {
    switch (showCmd) {
        case 2:
        case 6:
        case 7:
            return ShowState::Minimized;
        case 3:
            return ShowState::Maximized;
        default:
            return ShowState::Normal;
    }
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        const size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        lines.emplace_back(text.substr(start, i - start));
        if (i < text.size() && text[i] == '\r') {
            ++i;
            if (i < text.size() && text[i] == '\n') ++i;
        } else if (i < text.size()) {
            ++i;  // a lone LF
        }
    }
    return lines;
}

}  // namespace StoredText
