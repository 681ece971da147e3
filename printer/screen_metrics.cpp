#include "printer/screen_metrics.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace qrp {

namespace {

constexpr int kDefaultPixelsPerInch = 96;
int gOverride = 0;

}  // namespace

int ScreenPixelsPerInch()
{
    if (gOverride > 0) return gOverride;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return kDefaultPixelsPerInch;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return kDefaultPixelsPerInch;
    const int dpi = static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
    return dpi > 0 ? dpi : kDefaultPixelsPerInch;
}

void SetScreenPixelsPerInchOverride(int pixelsPerInch) { gOverride = pixelsPerInch > 0 ? pixelsPerInch : 0; }

}  // namespace qrp
