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
    FGraphic = std::move(graphic);
}

std::unique_ptr<TGraphic> TPicture::TakeGraphic() {
    return std::move(FGraphic);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    FGraphic = std::move(graphic);
}

int TPicture::Width() const {
    if (!FGraphic) return 0;
    return orientation::SwapsAxes(FGraphic->Orientation()) ? FGraphic->Height() : FGraphic->Width();
}
int TPicture::Height() const {
    if (!FGraphic) return 0;
    return orientation::SwapsAxes(FGraphic->Orientation()) ? FGraphic->Width() : FGraphic->Height();
}
