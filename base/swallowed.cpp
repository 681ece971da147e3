#include "base/swallowed.h"

#include <cstdio>
#include <exception>

namespace qrp {

std::string CurrentExceptionText()
{
    const std::exception_ptr current = std::current_exception();
    if (!current) return {};
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

void LogSwallowed(const char* where) noexcept
{
    try {
        const std::string text = CurrentExceptionText();
        std::fprintf(stderr, "qrp: %s: %s (ignored)\n", where, text.c_str());
    } catch (...) {
        std::fputs("qrp: a failure was ignored\n", stderr);
    }
}

}  // namespace qrp
