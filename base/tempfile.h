// Temporary files: TempDirectory, CreateUniqueFile and CreateSpillFile are part of the
// file-system layer.
#pragma once

#include "base/file_system.h"
