#pragma once

#include <memory>
#include <string>

class TGraphic;
class TPictureFormats;

/**
 * The picture of an image control: at most one reader object. A load that
 * fails leaves the previous reader object and its content in place.
 */
class TPicture {
public:
    TPicture();
    ~TPicture();

    /// Picks the reader by the path's extension, loads the file into a new
    /// reader object and, only on success, replaces the current one.
    void LoadFromFile(const std::string& path);
    void LoadFromFile(const std::string& path, const TPictureFormats& formats);

    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    std::unique_ptr<TGraphic> TakeGraphic();

    /// The reader object's size as drawn (upright: a photo stored landscape
    /// with orientation 6 is as wide as it is stored high), or 0 x 0.
    int Width() const;
    int Height() const;

private:
    std::unique_ptr<TGraphic> graphic_;
};
