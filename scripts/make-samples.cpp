// Writes the bundled samples/ folder: a text file, two HTML pages (one with a
// relative image), a BMP, a JPEG and an animated GIF with transparency. All
// pictures are drawn here; nothing is copied from elsewhere.
//   g++ -std=c++20 -O2 scripts/make-samples.cpp -ljpeg -o /tmp/make-samples && /tmp/make-samples samples
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "FileBytes.h"

namespace {

struct Rgb {
    uint8_t r, g, b;
};


// A small scene: sky, sun, hills. Used by the BMP and the JPEG.
Rgb scene(int x, int y, int w, int h) {
    const double fx = double(x) / w, fy = double(y) / h;
    Rgb c{uint8_t(90 + 80 * fy), uint8_t(150 + 60 * fy), 235};
    const double dx = fx - 0.75, dy = fy - 0.25;
    if (dx * dx + dy * dy < 0.012) c = {250, 210, 60};
    const double hill = 0.65 + 0.08 * std::sin(fx * 9.0) + 0.05 * std::cos(fx * 23.0);
    if (fy > hill) c = {uint8_t(40 + 40 * fy), uint8_t(120 + 60 * (1 - fy)), 50};
    return c;
}

std::string makeBmp(int w, int h) {
    const unsigned stride = (w * 3 + 3) & ~3u;
    std::string s = "BM";
    put32(s, 54 + stride * h);
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, w);
    put32(s, h);
    put16(s, 1);
    put16(s, 24);
    put32(s, 0);
    put32(s, stride * h);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 0);
    put32(s, 0);
    for (int y = h - 1; y >= 0; --y) {  // bottom row first
        std::string row;
        for (int x = 0; x < w; ++x) {
            const Rgb c = scene(x, y, w, h);
            row += char(c.b);
            row += char(c.g);
            row += char(c.r);
        }
        row.resize(stride, '\0');
        s += row;
    }
    return s;
}

void writeJpeg(const std::string& path, int w, int h) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    FILE* f = std::fopen(path.c_str(), "wb");
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(w) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = scene(x, int(cinfo.next_scanline), w, h);
            row[3 * x] = c.r;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.b;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// LZW with 8-bit literals only, cleared before the codes outgrow 9 bits:
// larger than real compression, but simple and valid.
std::string lzwLiterals(const std::vector<uint8_t>& pixels) {
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    auto emit = [&](unsigned code) {
        bits |= code << count;
        count += 9;
        while (count >= 8) {
            out += char(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    };
    int sinceClear = 0;
    emit(256);
    for (uint8_t p : pixels) {
        if (sinceClear == 254) {
            emit(256);
            sinceClear = 0;
        }
        emit(p);
        ++sinceClear;
    }
    emit(257);
    if (count > 0) out += char(bits & 0xFF);
    std::string blocks;
    blocks += char(8);  // minimum code size
    for (size_t i = 0; i < out.size(); i += 255) {
        const std::string chunk = out.substr(i, 255);
        blocks += char(chunk.size());
        blocks += chunk;
    }
    blocks += char(0);
    return blocks;
}

std::string makeGif() {
    const int w = 64, h = 64, frames = 8;
    std::string s = "GIF89a";
    put16(s, w);
    put16(s, h);
    s += char(0xF7);  // global table of 256 entries
    s += char(0);     // background index
    s += char(0);
    for (int i = 0; i < 256; ++i) {
        Rgb c{0, 0, 0};
        if (i == 1) c = {220, 40, 40};
        if (i == 2) c = {40, 90, 220};
        if (i == 3) c = {250, 250, 250};
        s += char(c.r);
        s += char(c.g);
        s += char(c.b);
    }
    s += "\x21\xFF\x0BNETSCAPE2.0";
    s += "\x03\x01";
    put16(s, 0);  // loop for ever
    s += char(0);
    for (int f = 0; f < frames; ++f) {
        s += "\x21\xF9\x04";
        s += char((2 << 2) | 1);  // restore to background, transparent index given
        put16(s, 12);             // 120 ms
        s += char(0);             // index 0 is transparent
        s += char(0);
        s += ',';
        put16(s, 0);
        put16(s, 0);
        put16(s, w);
        put16(s, h);
        s += char(0);
        std::vector<uint8_t> pixels(size_t(w) * h, 0);
        const double angle = f * 2 * M_PI / frames;
        const double cx = 32 + 18 * std::cos(angle), cy = 32 + 18 * std::sin(angle);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double dx = x - cx, dy = y - cy, d = dx * dx + dy * dy;
                if (d < 64) pixels[size_t(y) * w + x] = d < 9 ? 3 : (f % 2 ? 1 : 2);
            }
        s += lzwLiterals(pixels);
    }
    s += ';';
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "samples";
    writeFile(dir + "/picture.bmp", makeBmp(160, 100));
    writeJpeg(dir + "/photo.jpg", 480, 300);
    writeFile(dir + "/animation.gif", makeGif());
    writeFile(dir + "/notes.txt",
              "Tarvel HTML Viewer sample text\r\n"
              "==============================\r\n\r\n"
              "This folder holds one file of each kind the viewer shows. Step through them with "
              "Ctrl+Q and Ctrl+W, or pick one from the file menu. This paragraph is one long line: "
              "switch word wrap off with the button below the text and scroll sideways to read it.\n"
              "This line ends in a lone line feed,\rthis one in a lone carriage return,\r\n"
              "and this one in both.\r\n");
    writeFile(dir + "/index.html",
              "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tarvel sample page</title>\n"
              "<style>body{font-family:sans-serif;margin:2em}img{border:1px solid #888}</style></head>\n"
              "<body><h1>Sample page</h1>\n<p>The caption shows this page's title. The pictures below are "
              "files of this folder, loaded by relative address.</p>\n"
              "<p><img src=\"animation.gif\" alt=\"animation\"> <img src=\"photo.jpg\" width=\"240\" alt=\"photo\"></p>\n"
              "<p><a href=\"more.html\">Follow a link</a>: the caption follows the new page's title.</p>\n"
              "</body></html>\n");
    writeFile(dir + "/more.html",
              "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>A second page</title></head>\n"
              "<body><p>Reached by a link. <a href=\"index.html\">Back</a>.</p></body></html>\n");
    return 0;
}
