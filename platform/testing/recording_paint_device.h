// A paint device that records every drawing call made on it instead of rendering: the call's
// kind, its bounds in device pixels after the painter's transform, pen and brush colours.
#pragma once

#include "platform/testing/test_print_system.h"

#include <QPaintDevice>

#include <functional>
#include <memory>

namespace qrp::testsupport {

class RecordingPaintEngine;

class RecordingPaintDevice : public QPaintDevice {
public:
    using Sink = std::function<void(const DrawCall&)>;
    RecordingPaintDevice(int width, int height, int dpiX, int dpiY, Sink sink);
    ~RecordingPaintDevice() override;

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int FWidth;
    int FHeight;
    int FDpiX;
    int FDpiY;
    std::unique_ptr<RecordingPaintEngine> FEngine;
};

}  // namespace qrp::testsupport
