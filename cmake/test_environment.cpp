// Compiled into every test program: the folders tests find through the environment
// (QRP_SHARED_DIR, QRP_SOURCE_DIR) default to the ones of this checkout, and GUI tests
// default to the offscreen platform. Variables already set are kept.
#include <cstdlib>

namespace {

void SetDefault(const char* name, const char* value)
{
    if (std::getenv(name)) return;
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 0);
#endif
}

const bool kEnvironmentReady = [] {
    SetDefault("QRP_SHARED_DIR", QRP_TEST_SHARED_DIR);
    SetDefault("QRP_SOURCE_DIR", QRP_TEST_SOURCE_DIR);
    SetDefault("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

}  // namespace
