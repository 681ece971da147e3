#include "base/exceptions.h"

#include <cstring>

namespace qrp {

std::string SystemErrorText(int error)
{
    char buffer[256] = {};
    // GNU strerror_r returns the text, which may or may not be in buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("Unknown error ") + std::to_string(error);
}

}  // namespace qrp
