#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TGraphic;

/** One entry of the picture format list. */
struct TPictureFormat {
    std::string extension;  ///< lower case, without the dot
    std::string description;
    std::function<std::unique_ptr<TGraphic>()> create;
};

/**
 * The picture format list: file extensions and the reader object each one
 * gets. Lookups ignore case and search from the last entry to the first, so
 * a later registration of an extension wins.
 */
class TPictureFormats {
public:
    /// The list of this program: "bmp" Bitmaps, "jpeg" and "jpg" JPEG Image File.
    static const TPictureFormats& Default();

    void Add(TPictureFormat format);
    const std::vector<TPictureFormat>& Formats() const { return formats_; }

    /// The entry for an extension (without dot), or nullptr.
    const TPictureFormat* Find(const std::string& extension) const;

    /// A new, empty reader object for a path. Fails with "Unknown picture
    /// file extension (.<ext>)", the extension as the name writes it.
    std::unique_ptr<TGraphic> CreateFor(const std::string& path) const;

    /// The extension of a path without its dot: the part after the last "."
    /// when no "/" follows it, else empty.
    static std::string ExtensionOf(const std::string& path);

private:
    std::vector<TPictureFormat> formats_;
};
