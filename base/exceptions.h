// Exceptions with fixed message texts. Data errors are exceptions; misuse is an assertion.
#pragma once

#include <stdexcept>
#include <string>

namespace qrp {

// Base of every failure the file store and the printer raise. what() is the message
// exactly as the user sees it.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// "Stream read error": fewer bytes arrived than an exact read asked for.
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError(kMessage) {}
    explicit EReadError(const std::string& message) : EStreamError(message) {}
    static constexpr const char* kMessage = "Stream read error";
};

// "Stream write error": fewer bytes were accepted than an exact write offered.
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError(kMessage) {}
    explicit EWriteError(const std::string& message) : EStreamError(message) {}
    static constexpr const char* kMessage = "Stream write error";
};

// "Cannot open file "%s". %s": the full path, then the system's explanation.
class EFOpenError : public EStreamError {
public:
    EFOpenError(const std::string& path, const std::string& reason)
        : EStreamError("Cannot open file \"" + path + "\". " + reason) {}
};

// "Cannot create file "%s". %s": the full path, then the system's explanation.
class EFCreateError : public EStreamError {
public:
    EFCreateError(const std::string& path, const std::string& reason)
        : EStreamError("Cannot create file \"" + path + "\". " + reason) {}
};

// "Metafile is not valid": picture bytes that no player accepts.
class EInvalidGraphic : public Exception {
public:
    EInvalidGraphic() : Exception(kMessage) {}
    explicit EInvalidGraphic(const std::string& message) : Exception(message) {}
    static constexpr const char* kMessage = "Metafile is not valid";
};

// The system's text for its last error, or "Out of system resources".
class EOutOfResources : public Exception {
public:
    EOutOfResources() : Exception(kMessage) {}
    explicit EOutOfResources(const std::string& message) : Exception(message) {}
    static constexpr const char* kMessage = "Out of system resources";
};

// "Assertion failure (file, line N)": an internal precondition that did not hold.
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const char* file, int line)
        : Exception(std::string("Assertion failure (") + file + ", line " + std::to_string(line) + ")") {}
};

// Printer misuse and selection errors.
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

// The system's explanation for an error number of the file-system layer (errno on POSIX
// systems, GetLastError on Windows); thread-safe.
std::string SystemErrorText(int error);

}  // namespace qrp

#define QRP_ASSERT(cond)                                                  \
    do {                                                                  \
        if (!(cond)) throw ::qrp::EAssertionFailed(__FILE__, __LINE__);   \
    } while (0)
