#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

/**
 * What an SVG document asks of its renderer, checked before it is handed to
 * one: Qt's SVG reader expands every <use> reference while it parses and
 * draws, so a few kilobytes of references to references (each level using
 * the one below it fifty times) keep it busy for hours. The check counts the
 * elements the document draws with every local reference expanded, by a
 * light scan of its tags (no XML tree is built), and the viewer refuses a
 * document above kMaxDrawnElements, or one whose references form a cycle,
 * with the out-of-memory message. An .svgz file is inflated here first,
 * within the picture's budget.
 */
namespace svg {

/// Far above what a drawing made by hand or by a program holds (a detailed
/// map has some tens of thousands), far below what takes a renderer long.
constexpr uint64_t kMaxDrawnElements = 1000000;

/// The elements drawn once every <use href="#id"> (or xlink:href) stands
/// for the element it names, with its content; at most `cap`, which is also
/// the answer for references that form a cycle.
uint64_t DrawnElements(std::string_view document, uint64_t cap = kMaxDrawnElements);

/// The content of gzip data, at most maxBytes of it: throws EError with the
/// out-of-memory text when there is more. Damaged or cut data gives what
/// could be inflated before the damage (the SVG reader then says what is
/// wrong with it).
std::vector<uint8_t> Gunzip(const uint8_t* data, std::size_t size, uint64_t maxBytes);

}  // namespace svg
