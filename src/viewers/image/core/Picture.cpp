#include "viewers/image/core/Picture.h"

#include "viewers/image/core/Graphic.h"
#include "viewers/image/core/Orientation.h"
#include "viewers/image/core/PictureFormats.h"

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::LoadFromFile(const std::string& path) {
    LoadFromFile(path, TPictureFormats::Default());
}

void TPicture::LoadFromFile(const std::string& path, const TPictureFormats& formats) {
    std::unique_ptr<TGraphic> graphic = formats.CreateFor(path);
    graphic->LoadFromFile(path);
    graphic_ = std::move(graphic);
}

std::unique_ptr<TGraphic> TPicture::TakeGraphic() {
    return std::move(graphic_);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
}

int TPicture::Width() const {
    if (!graphic_) return 0;
    return orientation::SwapsAxes(graphic_->Orientation()) ? graphic_->Height() : graphic_->Width();
}
int TPicture::Height() const {
    if (!graphic_) return 0;
    return orientation::SwapsAxes(graphic_->Orientation()) ? graphic_->Width() : graphic_->Height();
}
