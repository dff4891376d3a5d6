// The SVG check: elements counted with every local reference expanded, cycles
// and fan-outs of references refused; gzip data inflated within its limit.

#include <gtest/gtest.h>

#include <string>

#include "ImageTestSupport.h"
#include "base/SystemError.h"
#include "viewers/image/core/SvgGuard.h"

namespace {

// Levels of groups, each using the one below `fan` times, over one rect.
std::string nestedUses(int fan, int depth, const char* href = "xlink:href") {
    std::string doc = "<svg xmlns='http://www.w3.org/2000/svg'><rect id='a0'/>";
    for (int level = 1; level <= depth; ++level) {
        doc += "<g id=\"a" + std::to_string(level) + "\">";
        for (int k = 0; k < fan; ++k)
            doc += std::string("<use ") + href + "=\"#a" + std::to_string(level - 1) + "\"/>";
        doc += "</g>";
    }
    return doc + "</svg>";
}

}  // namespace

TEST(SvgGuard, CountsElementsWithEveryReferenceExpanded) {
    EXPECT_EQ(svg::DrawnElements("<svg><rect/><g><circle/></g></svg>"), 4u);
    // Comments, declarations and character data hold no elements.
    EXPECT_EQ(svg::DrawnElements("<?xml version='1.0'?><!DOCTYPE svg><svg><!-- <rect/> -->"
                                 "<style><![CDATA[ <g> ]]></style></svg>"),
              2u);
    // svg, rect, then per level the group and its uses, each standing for
    // the level below: 2 + (1 + 2 * (1 + 1)) + (1 + 2 * (1 + 5)) = 20.
    EXPECT_EQ(svg::DrawnElements(nestedUses(2, 2)), 20u);
    EXPECT_EQ(svg::DrawnElements(nestedUses(2, 2, "href")), 20u);
    // A reference to no element, or outside the document, draws nothing more.
    EXPECT_EQ(svg::DrawnElements("<svg><use href='#none'/><use href='other.svg#a'/></svg>"), 3u);
}

TEST(SvgGuard, FanOutsAndCyclesReachTheCap) {
    // Fifty uses a level, six levels: 1.6e10 elements from 16 KB.
    const std::string bomb = nestedUses(50, 6);
    EXPECT_LT(bomb.size(), 20000u);
    EXPECT_EQ(svg::DrawnElements(bomb), svg::kMaxDrawnElements);
    EXPECT_EQ(svg::DrawnElements(nestedUses(10, 4), 1000), 1000u);
    EXPECT_EQ(svg::DrawnElements("<svg><g id='a'><use href='#b'/></g><g id='b'><use href='#a'/>"
                                 "</g></svg>"),
              svg::kMaxDrawnElements);
    EXPECT_EQ(svg::DrawnElements("<svg><g id='a'><use href='#a'/></g></svg>"),
              svg::kMaxDrawnElements);
    // Deep nesting is counted without recursion.
    std::string deep = "<svg>";
    for (int i = 0; i < 200000; ++i) deep += "<g>";
    EXPECT_EQ(svg::DrawnElements(deep), 200001u);
}

TEST(SvgGuard, GunzipStopsAtItsLimit) {
    // A stored deflate block around "hello" (gzip header, block, CRC-32, size).
    const std::vector<uint8_t> gz = {0x1F, 0x8B, 8,    0,    0,    0,   0,   0,   0,   0xFF,
                                     0x01, 5,    0,    0xFA, 0xFF, 'h', 'e', 'l', 'l', 'o',
                                     0x86, 0xA6, 0x10, 0x36, 5,    0,   0,   0};
    const std::vector<uint8_t> out = svg::Gunzip(gz.data(), gz.size(), 100);
    EXPECT_EQ(std::string(out.begin(), out.end()), "hello");
    EXPECT_EQ(MessageOf([&] { svg::Gunzip(gz.data(), gz.size(), 4); }), outOfMemoryMessage());
    // Cut short: what was there.
    const std::vector<uint8_t> cut = svg::Gunzip(gz.data(), 17, 100);
    EXPECT_EQ(std::string(cut.begin(), cut.end()), "he");
}
