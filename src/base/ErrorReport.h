#pragma once

#include <exception>
#include <functional>

/**
 * Where failures go that nobody above can catch: a handler called from a
 * timer, a queued call, a paint. The application installs its error box
 * here at start; until then (and in programs without one) the message goes
 * to the standard error stream. A silent abort (EAbort) is the handler's to
 * ignore.
 */
using TErrorHandler = std::function<void(std::exception_ptr error)>;

/// Installs the handler (an empty one restores the default); returns the previous one.
TErrorHandler SetErrorHandler(TErrorHandler handler);

/// Hands a failure to the installed handler. Call it on the main thread.
void ReportError(std::exception_ptr error);

/// Runs fn and reports a failure through ReportError.
template <class F>
void Guarded(F&& fn) {
    try {
        fn();
    } catch (...) {
        ReportError(std::current_exception());
    }
}
