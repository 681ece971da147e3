// The viewer tests run with a widget application on the offscreen platform unless the
// environment names another one, at 96 pixels per inch.
#include "printer/screen_metrics.h"
#include "viewer/application.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !*platform) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qrp::TApplication app(argc, argv);
    qrp::SetScreenPixelsPerInchOverride(96);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
