#pragma once

// ---- Standard library ----
#include <string>
#include <vector>

/**
 * How a file type the program learns to show reaches a stored file-type list
 * once. The store keeps, beside the list, the types already offered; a type
 * the program shows that was never offered is appended to the list, enabled,
 * unless the list already holds it (enabled, or disabled with its leading
 * backslash), and is then offered. A type the person disables or removes
 * afterwards stays so: it is never offered again. Nothing else of the list
 * changes, and its order is kept. Types compare without regard to ASCII case,
 * as the folder scan matches them.
 */
namespace FileTypeOffer {

/// Appends the types of shown (in their order) that offered and entries both
/// lack to entries, and every type of shown that offered lacks to offered.
void Offer(std::vector<std::string>& entries, std::vector<std::string>& offered,
           const std::vector<std::string>& shown);

}  // namespace FileTypeOffer
