#pragma once

#include <string>
#include <vector>

/**
 * Chooses menu accelerators: in each caption at most one character from
 * 1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ (letters compared in upper case) that
 * no other item uses, so that as many items as possible get one (a maximum
 * matching between items and the 36 keys). Among equally large assignments,
 * earlier items and earlier characters in a caption are preferred.
 *
 * Returns, per caption, the index (in UTF-16 units) of the chosen character,
 * or -1 when the item gets none.
 */
std::vector<int> AssignAccelerators(const std::vector<std::u16string>& captions);
