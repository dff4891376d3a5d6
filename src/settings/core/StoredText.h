#pragma once

// ---- Standard library ----
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/**
 * Text forms of stored settings, free of any toolkit so that they are tested
 * and fuzzed alone. Texts are UTF-8 byte strings; every rule here works on
 * bytes, which is safe for UTF-8 since no rule touches a byte above 0x7F.
 */
namespace StoredText {

/// Removes leading and trailing bytes at or below the blank (control
/// characters included), the rule applied to every stored property text.
std::string Trim(std::string_view text);

/// A signed 32-bit decimal: an optional sign and at least one digit, nothing
/// else, within range. Anything else is no integer.
std::optional<int32_t> ParseInteger(std::string_view text);

/// Splits placement text into words: maximal runs of bytes other than the
/// blank and the comma.
std::vector<std::string> SplitWords(std::string_view text);

/// Four integers joined as "%d,%d,%d,%d".
std::string FormatFour(int32_t a, int32_t b, int32_t c, int32_t d);

/// Reads the four placement words. A missing word or one that is not an
/// integer keeps the value given for it in fallback.
std::vector<int32_t> ReadFour(std::string_view text, const std::vector<int32_t>& fallback);

/// The index of the identifier equal to text without regard to (ASCII)
/// case, or -1.
int FindIdentifier(const std::vector<std::string>& identifiers, std::string_view text);

/// One member of a set type: its identifier and its bit value.
using SetMember = std::pair<std::string, uint32_t>;

/// "[" members "]" in declaration order, joined by "," without blanks.
std::string FormatSet(const std::vector<SetMember>& members, uint32_t value);

/// The members named in text, split at blanks, commas, "[" and "]"; words
/// that name no member (without regard to case) are dropped.
uint32_t ParseSet(const std::vector<SetMember>& members, std::string_view text);

/// The show state that a stored "ShowCmd" means.
enum class ShowState { Normal, Minimized, Maximized };
ShowState ShowStateFromCommand(int32_t showCmd);

/// Line-list text: every line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

/// Reads line-list text: lines end at CR LF, at a lone CR and at a lone LF;
/// reading stops at a NUL; text after the last break is a last line.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace StoredText
