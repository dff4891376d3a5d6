#include "base/SystemError.h"

#include <cerrno>
#include <cstring>

std::string systemErrorMessage(int errnoCode) {
    return "System Error.  Code: " + std::to_string(errnoCode) + ".\r\n" + std::strerror(errnoCode);
}

std::string outOfMemoryMessage() {
    return systemErrorMessage(ENOMEM);
}
