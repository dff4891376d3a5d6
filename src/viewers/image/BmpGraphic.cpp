#include "viewers/image/BmpGraphic.h"

#include "viewers/image/BmpReader.h"

void TBmpGraphic::LoadFromFile(const std::string& path) {
    FBitmap = TBmpReader::ReadFile(path, &Budget());
}
