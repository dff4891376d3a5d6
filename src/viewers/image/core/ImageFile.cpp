#include "viewers/image/core/ImageFile.h"

// C++
#include <algorithm>
#include <cerrno>
#include <new>

// Project
#include "base/Bitmap.h"
#include "base/Error.h"
#include "base/MemoryBudget.h"

size_t TImageFile::Read(void* dest, size_t count) {
    size_t done = 0;
    // As any read the file cannot satisfy.
    if (!file_.Read(dest, count, &done)) throw EError("Stream read error");
    return done;
}

uint64_t TImageFile::Skip(uint64_t count) {
    const uint64_t from = file_.Position();
    if (!file_.Seek(from + std::min(count, Remaining()))) throw EError(systemErrorMessage(errno));
    return file_.Position() - from;
}

std::vector<uint8_t> TImageFile::ReadAll(const std::string& path, TMemoryBudget* budget,
                                         TBudgetShare* share) {
    TImageFile file(path);
    // Far above any picture that fits the pixel limit; a bigger file would
    // only make the system swap before the decoder refused it.
    if (file.Size() > kMaxReadAllBytes) throw EError(outOfMemoryMessage());
    TBudgetShare held = budget ? budget->Take(file.Size()) : TBudgetShare();
    std::vector<uint8_t> data;
    try {
        data.resize(size_t(file.Size()));
    } catch (const std::bad_alloc&) {
        throw EError(outOfMemoryMessage());
    }
    data.resize(file.Read(data.data(), data.size()));
    if (share) *share = std::move(held);
    return data;
}
