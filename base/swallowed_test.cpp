#include "base/swallowed.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qrp {
namespace {

TEST(Swallowed, TheHandledFailureIsNamedAndReachesStandardError)
{
    EXPECT_EQ(CurrentExceptionText(), "");
    try {
        throw std::runtime_error("disk full");
    } catch (...) {
        EXPECT_EQ(CurrentExceptionText(), "disk full");
        ::testing::internal::CaptureStderr();
        LogSwallowed("closing the job");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "qrp: closing the job: disk full (ignored)\n");
    }
    try {
        throw 42;
    } catch (...) {
        EXPECT_EQ(CurrentExceptionText(), "unknown exception");
    }
}

}  // namespace
}  // namespace qrp
