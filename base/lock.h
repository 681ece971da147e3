// Re-entrant lock owned by the object it protects.
#pragma once

#include <mutex>

namespace qrp {

using TCriticalSection = std::recursive_mutex;
using TLockGuard = std::lock_guard<std::recursive_mutex>;

}  // namespace qrp
