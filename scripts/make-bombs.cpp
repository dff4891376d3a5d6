// Writes tests/data/bombs/: small files that ask the viewer for far more
// memory or time than their size suggests. Each is a regression input of the
// memory budget (tests/memory) and an input of the memory benchmark.
//   g++ -std=c++20 -O2 scripts/make-bombs.cpp -ljpeg -lz -o /tmp/make-bombs && /tmp/make-bombs
//   tests/data/bombs
//
// clang-format off
// screen-65535x65535.gif       a 65535 x 65535 logical screen holding one 1 x 1 frame
// screen-12000x12000.gif       a screen within the budget (550 MB composed), two small frames
// frames-100x16384x16384.gif   100 frames of 16384 x 16384 over a 256 x 256 screen, a few
//                              bytes each
// offscreen-frames.gif         one 64 x 64 frame, then 99 frames of 16384 x 16384 wholly off
//                              the screen
// empty-16384x16384x24.bmp     a 54-byte BMP header of 2^28 pixels at 24 bits and no pixel data
// empty-16384x16384.jpg        a JPEG header of 2^28 pixels and no scan data
// rle8-size-field-4g.bmp       a 64 x 64 RLE8 BMP whose image-size field says 4 GB (the tests
//                              extend it to hundreds of megabytes of codes as a sparse file)
// header-65536x32768.png       a PNG header of 2^31 pixels and one row of image data
// header-65536x32768.tif       a TIFF header of 2^31 pixels and no strips
// deflate-16384x16384.png      32 KB of deflate data that inflate to a 1-bit picture of 2^28
//                              pixels (1 GiB when drawn)
// deflate-8000x8000.png        the same at 64 megapixels, within the budget (256 MB drawn)
// svg-100000x100000.svg        an SVG of 10^10 pixels at its own size
// use-50x6.svg                 six levels of groups, each using the one below 50 times:
//                              1.6 * 10^10 elements drawn from 16 KB
// clang-format on
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

#include "FileBytes.h"

namespace {

// LZW with literals only for a 2-bit code size (colours 0 to 3), cleared
// before the codes grow past 9 bits.
std::string lzwLiterals(const std::vector<uint8_t>& pixels) {
    std::string out;
    uint32_t acc = 0;
    int count = 0, width = 3;
    unsigned next = 6;
    auto emit = [&](unsigned code) {
        acc |= code << count;
        count += width;
        while (count >= 8) {
            out += char(acc & 0xFF);
            acc >>= 8;
            count -= 8;
        }
    };
    emit(4);
    bool first = true;
    for (uint8_t p : pixels) {
        if (next >= 500) {
            emit(4);
            width = 3;
            next = 6;
            first = true;
        }
        emit(p & 3);
        // The decoder adds an entry for every code after the first.
        if (!first && ++next == (1u << width) && width < 12) ++width;
        first = false;
    }
    emit(5);
    if (count > 0) out += char(acc & 0xFF);
    std::string blocks;
    blocks += char(2);  // minimum code size
    for (size_t i = 0; i < out.size(); i += 255) {
        const std::string chunk = out.substr(i, 255);
        blocks += char(chunk.size());
        blocks += chunk;
    }
    blocks += char(0);
    return blocks;
}

// GIF89a with a 4-entry global table: black, red, blue, white.
std::string gifHeader(unsigned w, unsigned h) {
    std::string s = "GIF89a";
    put16(s, w);
    put16(s, h);
    s += char(0x81);  // global table of 4 entries
    s += char(3);     // background: white
    s += char(0);
    s += std::string("\x00\x00\x00\xDC\x28\x28\x28\x5A\xDC\xFA\xFA\xFA", 12);
    s += "\x21\xFF\x0BNETSCAPE2.0";
    s += "\x03\x01";
    put16(s, 0);
    s += char(0);
    return s;
}

void gifFrame(std::string& s, unsigned x, unsigned y, unsigned w, unsigned h,
              const std::vector<uint8_t>& pixels, unsigned delay = 10) {
    s += "\x21\xF9\x04";
    s += char(1 << 2);  // disposal 1: leave in place
    put16(s, delay);
    s += char(0);
    s += char(0);
    s += ',';
    put16(s, x);
    put16(s, y);
    put16(s, w);
    put16(s, h);
    s += char(0);
    s += lzwLiterals(pixels);
}

// A stripe of `n` pixels whose colours move with the frame number.
std::vector<uint8_t> stripe(size_t n, int frame) {
    std::vector<uint8_t> pixels(n);
    for (size_t i = 0; i < n; ++i) pixels[i] = uint8_t(1 + ((i / 8 + size_t(frame)) % 3));
    return pixels;
}

std::string screenBomb() {
    std::string s = "GIF89a";
    put16(s, 65535);
    put16(s, 65535);
    s += char(0x80);  // global table of 2 entries
    s += char(0);
    s += char(0);
    s += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);
    s += ',';
    put16(s, 0);
    put16(s, 0);
    put16(s, 1);
    put16(s, 1);
    s += char(0);
    s += std::string("\x02\x02\x4C\x01\x00", 5);  // clear, 1, end
    s += ';';
    return s;
}

std::string bigScreen() {
    std::string s = gifHeader(12000, 12000);
    for (int f = 0; f < 2; ++f)
        gifFrame(s, 100 + 200 * unsigned(f), 100, 64, 64, stripe(64 * 64, f), 50);
    s += ';';
    return s;
}

std::string frameBomb() {
    std::string s = gifHeader(256, 256);
    for (int f = 0; f < 100; ++f) gifFrame(s, 0, 0, 16384, 16384, stripe(64, f), 5);
    s += ';';
    return s;
}

std::string offscreenFrames() {
    std::string s = gifHeader(256, 256);
    gifFrame(s, 96, 96, 64, 64, stripe(64 * 64, 0));
    for (int f = 1; f < 100; ++f) gifFrame(s, 30000, 30000, 16384, 16384, stripe(64, f), 5);
    s += ';';
    return s;
}

std::string bmpHeader(int w, int h, int bits, unsigned compression, unsigned imageSize,
                      unsigned colours) {
    std::string info;
    put32(info, 40);
    put32(info, unsigned(w));
    put32(info, unsigned(h));
    put16(info, 1);
    put16(info, unsigned(bits));
    put32(info, compression);
    put32(info, imageSize);
    put32(info, 2835);
    put32(info, 2835);
    put32(info, colours);
    put32(info, 0);
    std::string s = "BM";
    put32(s, unsigned(14 + info.size() + colours * 4));
    put32(s, 0);
    put32(s, unsigned(14 + info.size() + colours * 4));
    return s + info;
}

std::string rleSizeField() {
    std::string s = bmpHeader(64, 64, 8, 1, 0xFFFFFFF0u, 2);
    s += std::string("\x00\x00\x00\x00\xFF\xFF\xFF\x00", 8);
    // One run of white, then end-of-line codes (which the tests continue).
    s += std::string("\x40\x01\x00\x00", 4);
    return s;
}

// A real 16 x 16 JPEG whose frame header is changed to 16384 x 16384 and
// whose scan data is cut off after the scan header.
std::string emptyJpeg() {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(16 * 3, 128);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string s(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    for (size_t i = 2; i + 9 < s.size(); ++i) {
        const auto m = uint8_t(s[i + 1]);
        if (uint8_t(s[i]) != 0xFF) continue;
        if (m == 0xC0) {  // SOF0: length, precision, height, width
            s[i + 5] = char(0x40), s[i + 6] = char(0);
            s[i + 7] = char(0x40), s[i + 8] = char(0);
        } else if (m == 0xDA) {  // SOS: keep its header only
            const size_t length = size_t(uint8_t(s[i + 2])) << 8 | uint8_t(s[i + 3]);
            return s.substr(0, i + 2 + length);
        }
    }
    return s;
}

}  // namespace

void putBe32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += char((v >> shift) & 0xFF);
}

void pngChunk(std::string& s, const char* type, const std::string& data) {
    putBe32(s, uint32_t(data.size()));
    const std::string body = type + data;
    s += body;
    putBe32(s, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

// A gray PNG of w x h at `bits` whose image data are `rows` rows of zeros
// (filter byte included): all of them, or one for a header and little else.
std::string png(uint32_t w, uint32_t h, int bits, uint32_t rows) {
    std::string s = "\x89PNG\r\n\x1A\n";
    std::string ihdr;
    putBe32(ihdr, w);
    putBe32(ihdr, h);
    ihdr += char(bits);
    ihdr += std::string("\0\0\0\0", 4);  // gray, deflate, no filter method, not interlaced
    pngChunk(s, "IHDR", ihdr);
    {
        const std::string raw(size_t(rows) * (1 + (size_t(w) * size_t(bits) + 7) / 8), '\0');
        uLongf size = compressBound(uLong(raw.size()));
        std::string packed(size, '\0');
        compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
        packed.resize(size);
        pngChunk(s, "IDAT", packed);
    }
    pngChunk(s, "IEND", "");
    return s;
}

// A little-endian TIFF of w x h, 8-bit gray, one strip at an offset past the end.
std::string tiffHeader(uint32_t w, uint32_t h) {
    std::string s = "II";
    put16(s, 42);
    put32(s, 8);
    const struct {
        unsigned tag, type, value;
    } entries[] = {{256, 4, w},    {257, 4, h}, {258, 3, 8}, {259, 3, 1}, {262, 3, 1},
                   {273, 4, 4096}, {277, 3, 1}, {278, 4, h}, {279, 4, w}};
    put16(s, unsigned(std::size(entries)));
    for (const auto& e : entries) {
        put16(s, e.tag);
        put16(s, e.type);
        put32(s, 1);
        put32(s, e.value);
    }
    put32(s, 0);
    return s;
}

std::string svgUses(int fan, int depth) {
    std::string s =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "width=\"1000\" height=\"1000\"><rect id=\"a0\" width=\"1000\" height=\"1000\"/>";
    for (int level = 1; level <= depth; ++level) {
        s += "<g id=\"a" + std::to_string(level) + "\">";
        for (int k = 0; k < fan; ++k)
            s += "<use xlink:href=\"#a" + std::to_string(level - 1) + "\"/>";
        s += "</g>";
    }
    return s + "</svg>\n";
}

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "tests/data/bombs";
    writeFile(dir + "/screen-65535x65535.gif", screenBomb());
    writeFile(dir + "/screen-12000x12000.gif", bigScreen());
    writeFile(dir + "/frames-100x16384x16384.gif", frameBomb());
    writeFile(dir + "/offscreen-frames.gif", offscreenFrames());
    writeFile(dir + "/empty-16384x16384x24.bmp", bmpHeader(16384, 16384, 24, 0, 0, 0));
    writeFile(dir + "/empty-16384x16384.jpg", emptyJpeg());
    writeFile(dir + "/rle8-size-field-4g.bmp", rleSizeField());
    writeFile(dir + "/header-65536x32768.png", png(65536, 32768, 8, 1));
    writeFile(dir + "/header-65536x32768.tif", tiffHeader(65536, 32768));
    writeFile(dir + "/deflate-16384x16384.png", png(16384, 16384, 1, 16384));
    writeFile(dir + "/deflate-8000x8000.png", png(8000, 8000, 1, 8000));
    writeFile(dir + "/svg-100000x100000.svg",
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100000\" height=\"100000\">"
              "<rect width=\"100000\" height=\"100000\" fill=\"red\"/></svg>\n");
    writeFile(dir + "/use-50x6.svg", svgUses(50, 6));
    return 0;
}
