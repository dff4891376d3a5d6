#include "TextBenchData.h"

#include <malloc.h>

#include <random>

std::string MixedBreakText(std::size_t size) {
    std::mt19937 rng(2026);
    static const char* const breaks[] = {"\r\n", "\n", "\r", "\n\r"};
    static const char letters[] = "etaoinshrdlucmfwypvbgkjqxz ETAOIN\xe9\xe8\xfc\x80\x93";
    std::string text;
    text.reserve(size + 128);
    while (text.size() < size) {
        const int length = int(rng() % 121);
        for (int i = 0; i < length; ++i) text += letters[rng() % (sizeof letters - 1)];
        text += breaks[rng() % 4];
    }
    text.resize(size);
    return text;
}

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
