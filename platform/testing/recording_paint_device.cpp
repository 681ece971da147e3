#include "platform/testing/recording_paint_device.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QTextItem>

#include <algorithm>

namespace qrp::testsupport {

class RecordingPaintEngine : public QPaintEngine {
public:
    explicit RecordingPaintEngine(RecordingPaintDevice::Sink sink)
        : QPaintEngine(QPaintEngine::AllFeatures), FSink(std::move(sink))
    {
    }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& changed) override
    {
        if (changed.state() & DirtyTransform) FTransform = changed.transform();
        if (changed.state() & DirtyPen) FPen = changed.pen();
        if (changed.state() & DirtyBrush) FBrush = changed.brush();
    }

    void drawPath(const QPainterPath& path) override { Record("path", path.boundingRect()); }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        Record(mode == PolylineMode ? "polyline" : "polygon", QPolygonF(QList<QPointF>(points, points + count)).boundingRect());
    }
    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i) Record("rect", rects[i]);
    }
    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i) Record("line", QRectF(lines[i].p1(), lines[i].p2()).normalized());
    }
    void drawEllipse(const QRectF& r) override { Record("ellipse", r); }
    void drawPoints(const QPointF* points, int count) override
    {
        for (int i = 0; i < count; ++i) Record("point", QRectF(points[i], QSizeF(1, 1)));
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override { Record("pixmap", r); }
    void drawTiledPixmap(const QRectF& r, const QPixmap&, const QPointF&) override { Record("pixmap", r); }
    void drawImage(const QRectF& r, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
    {
        Record("image", r);
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        Record("text", box, item.text());
    }

private:
    void Record(const char* kind, const QRectF& bounds, const QString& text = QString())
    {
        DrawCall call;
        call.Kind = QString::fromLatin1(kind);
        call.Bounds = FTransform.mapRect(bounds);
        call.Pen = FPen.style() == Qt::NoPen ? QColor() : FPen.color();
        call.Brush = FBrush.style() == Qt::NoBrush ? QColor() : FBrush.color();
        call.Text = text;
        if (FSink) FSink(call);
    }

    RecordingPaintDevice::Sink FSink;
    QTransform FTransform;
    QPen FPen;
    QBrush FBrush;
};

RecordingPaintDevice::RecordingPaintDevice(int width, int height, int dpiX, int dpiY, Sink sink)
    : FWidth(std::max(width, 1)),
      FHeight(std::max(height, 1)),
      FDpiX(std::max(dpiX, 1)),
      FDpiY(std::max(dpiY, 1)),
      FEngine(std::make_unique<RecordingPaintEngine>(std::move(sink)))
{
}

RecordingPaintDevice::~RecordingPaintDevice() = default;

QPaintEngine* RecordingPaintDevice::paintEngine() const { return FEngine.get(); }

int RecordingPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return FWidth;
    case PdmHeight: return FHeight;
    case PdmWidthMM: return FWidth * 254 / FDpiX / 10;
    case PdmHeightMM: return FHeight * 254 / FDpiY / 10;
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmPhysicalDpiX: return FDpiX;
    case PdmDpiY:
    case PdmPhysicalDpiY: return FDpiY;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return 0;
    }
}

}  // namespace qrp::testsupport
