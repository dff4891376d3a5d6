#pragma once

#include <string>

/// "System Error.  Code: <code>.", CR LF, then the system's text for an errno code.
std::string systemErrorMessage(int errnoCode);

/// The out-of-memory form of that message: what a picture that cannot be
/// held is refused with.
std::string outOfMemoryMessage();
