#pragma once

// A folder of a test's own under the system's temporary folder, removed with
// everything in it when the test is done (Qt-free, header only).

// C++
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// System
#include <stdlib.h>

class TTempFolder {
public:
    /// Makes the folder; throws (which fails the running test) when it cannot.
    explicit TTempFolder(std::string_view prefix = "tarvel") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder " + pattern);
        path_ = pattern;
    }
    ~TTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    /// The folder's path, without a trailing "/".
    const std::string& Path() const { return path_; }
    /// The path of `name` inside the folder.
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

    /// Creates (or replaces) a file with the given bytes; returns its path.
    std::string Write(std::string_view name, std::string_view bytes) const {
        const std::string path = File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), std::streamsize(bytes.size())).flush())
            throw std::runtime_error("cannot write test file " + path);
        return path;
    }
    std::string Write(std::string_view name, const std::vector<uint8_t>& bytes) const {
        return Write(name,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

private:
    std::string path_;
};
