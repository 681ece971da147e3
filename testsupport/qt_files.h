// The file helpers for tests that name files with QString (header only: the library itself
// stays Qt-free).
#pragma once

#include "testsupport/files.h"

#include <QString>

namespace qrp::testsupport {

inline std::vector<uint8_t> ReadFile(const QString& path) { return ReadFile(std::filesystem::path(path.toStdString())); }
inline void WriteFile(const QString& path, const std::vector<uint8_t>& bytes)
{
    WriteFile(std::filesystem::path(path.toStdString()), bytes);
}

}  // namespace qrp::testsupport
