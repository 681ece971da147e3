// Compiled into every test program: the folders tests find through the environment
// (QRP_SHARED_DIR, QRP_SOURCE_DIR) default to the ones of this checkout, and GUI tests
// default to the offscreen platform. Variables already set are kept.
#include <cstdlib>

namespace {

const bool kEnvironmentReady = [] {
    ::setenv("QRP_SHARED_DIR", QRP_TEST_SHARED_DIR, 0);
    ::setenv("QRP_SOURCE_DIR", QRP_TEST_SOURCE_DIR, 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return true;
}();

}  // namespace
