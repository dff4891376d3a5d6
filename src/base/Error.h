#pragma once

#include <stdexcept>
#include <string>

/**
 * A failure with a message for the user. The application's error box shows the
 * message (with a full stop appended where it needs one); nothing is logged.
 * Messages are UTF-8; a path inside one is the path as it was given.
 */
class EError : public std::runtime_error {
public:
    explicit EError(const std::string& message) : std::runtime_error(message) {}
};

/** A silent abort: unwinds like any failure, but the error box stays closed. */
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};
