#include "host/Product.h"

// TARVEL_VERSION comes from the project's version (src/host/CMakeLists.txt).
QString ProductVersion() {
    return QStringLiteral(TARVEL_VERSION);
}
