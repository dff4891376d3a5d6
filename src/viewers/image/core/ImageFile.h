#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/RegularFile.h"
#include "viewers/image/core/ByteStream.h"

class TBudgetShare;
class TMemoryBudget;

/**
 * A picture file opened for reading. Only regular files are opened: a FIFO,
 * a device or a folder is refused before it is opened for reading, so that
 * showing one can neither block the window nor read endless data. Either
 * case, and a missing or unreadable file, fails with "Cannot open file
 * <path>", the path as it was given.
 */
class TImageFile : public TByteStream {
public:
    static constexpr uint64_t kMaxReadAllBytes = TRegularFile::kMaxWholeFileBytes;

    explicit TImageFile(const std::string& path) : file_(path) {}

    /// The file's size when it was opened.
    uint64_t Size() const { return file_.Size(); }

    uint64_t Remaining() const override { return file_.Size() - file_.Position(); }
    size_t Read(void* dest, size_t count) override;
    uint64_t Skip(uint64_t count) override;

    /// Reads a whole file into memory; files above kMaxReadAllBytes, or
    /// beyond the budget when one is given, fail with the out-of-memory
    /// "System Error" text before anything is read. With a budget, `share`
    /// receives the bytes held for the file's content.
    static std::vector<uint8_t> ReadAll(const std::string& path, TMemoryBudget* budget = nullptr,
                                        TBudgetShare* share = nullptr);

private:
    TRegularFile file_;
};
