// For tests that need the shared corpus beside the checkout (../shared): without it they
// skip, except under CI (the variable CI set), where a missing corpus is a failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#define QRP_SKIP_WITHOUT_SHARED(why)                                                      \
    do {                                                                                  \
        const char* qrpCi = std::getenv("CI");                                            \
        if (qrpCi && *qrpCi) FAIL() << (why) << " (CI is set: ../shared must be present)"; \
        GTEST_SKIP() << (why);                                                            \
    } while (false)
