#include "base/ErrorReport.h"

#include <cstdio>
#include <exception>
#include <new>
#include <utility>

#include "base/Error.h"

namespace {

TErrorHandler& handler() {
    static TErrorHandler installed;
    return installed;
}

void writeToStandardError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown error\n");
    }
}

}  // namespace

TErrorHandler SetErrorHandler(TErrorHandler next) {
    return std::exchange(handler(), std::move(next));
}

void ReportError(std::exception_ptr error) {
    if (!error) return;
    if (const TErrorHandler& installed = handler())
        installed(error);
    else
        writeToStandardError(error);
}
