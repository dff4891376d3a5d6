#include "viewers/image/core/BmpGraphic.h"

#include "viewers/image/core/BmpReader.h"

void TBmpGraphic::LoadFromFile(const std::string& path) {
    bitmap_ = TBmpReader::ReadFile(path, &Budget());
}
