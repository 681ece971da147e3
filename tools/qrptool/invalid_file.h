// How the report commands report a file that cannot be loaded: "Arquivo inválido." (the
// viewer's message), then the failure's own message, on standard error; exit status 2.
#pragma once

#include "tools/qrptool/command.h"

#include <iostream>
#include <string>

namespace qrptool {

inline int InvalidFile(const std::string& message)
{
    std::cerr << "Arquivo inválido.\n" << message << "\n";
    return kExitInvalidFile;
}

}  // namespace qrptool
