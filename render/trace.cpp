#include "render/trace.h"

#include "render/player.h"

#include <charconv>
#include <cmath>

namespace qrp::render {

namespace {

// Numbers to two decimals at most, in the C locale whatever the process locale.
std::string Num(double v)
{
    if (!std::isfinite(v)) return "nan";
    v = std::round(v * 100) / 100;
    if (v == 0) v = 0;  // no "-0"
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

std::string Point(const QPointF& p) { return Num(p.x()) + "," + Num(p.y()); }

std::string Color(const QColor& c)
{
    static const char* hex = "0123456789abcdef";
    std::string s = "#";
    for (int v : {c.red(), c.green(), c.blue()}) {
        s += hex[v >> 4];
        s += hex[v & 15];
    }
    return s;
}

std::string PathText(const QPainterPath& path)
{
    std::string s;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (!s.empty()) s += ' ';
        switch (e.type) {
        case QPainterPath::MoveToElement: s += "M"; break;
        case QPainterPath::LineToElement: s += "L"; break;
        case QPainterPath::CurveToElement: s += "C"; break;
        default: break;
        }
        s += Point(QPointF(e.x, e.y));
    }
    return s;
}

std::string BrushText(const QBrush& brush)
{
    switch (brush.style()) {
    case Qt::SolidPattern: return Color(brush.color());
    case Qt::TexturePattern: {
        const QImage tile = brush.textureImage();
        return "pattern " + std::to_string(tile.width()) + "x" + std::to_string(tile.height());
    }
    case Qt::LinearGradientPattern: return "gradient";
    default: return "brush";
    }
}

std::string ModeText(Composition mode)
{
    if (mode == QPainter::CompositionMode_SourceOver) return "";
    return " mode=" + std::to_string(static_cast<int>(mode));
}

}  // namespace

void TraceDevice::FillPath(const QPainterPath& path, const QBrush& brush, Composition mode)
{
    FText += "fill " + BrushText(brush) + (path.fillRule() == Qt::WindingFill ? " winding" : "") + ModeText(mode) + " " +
             PathText(path) + "\n";
}

void TraceDevice::StrokePath(const QPainterPath& path, const QPen& pen, Composition mode)
{
    std::string style;
    if (!pen.dashPattern().isEmpty() && pen.style() != Qt::SolidLine) {
        style = " dash";
        for (qreal d : pen.dashPattern()) style += ":" + Num(d);
    }
    FText += "stroke " + Color(pen.color()) + " w=" + Num(pen.widthF()) + style + ModeText(mode) + " " + PathText(path) + "\n";
}

void TraceDevice::DrawGlyphs(const GlyphRun& run)
{
    FText += "text \"" + run.text.toStdString() + "\" " + Color(run.color) + " font=\"" + run.font.familyName().toStdString() +
             "\" px=" + Num(run.font.pixelSize());
    if (run.angle != 0) FText += " angle=" + Num(run.angle);
    if (run.stretch != 1) FText += " stretch=" + Num(run.stretch);
    if (!run.antialias) FText += " mono";
    FText += " at";
    for (const QPointF& p : run.positions) FText += " " + Point(p);
    FText += "\n";
}

void TraceDevice::DrawImage(const QImage& image, const QRectF& source, const QTransform& imageToOutput, Composition mode,
                            bool smooth)
{
    const QPolygonF to = imageToOutput.map(QPolygonF(source));
    FText += "image " + std::to_string(image.width()) + "x" + std::to_string(image.height()) + " src=" +
             Point(source.topLeft()) + "+" + Point(QPointF(source.width(), source.height())) + " to=" +
             Point(to.value(0)) + " " + Point(to.value(2)) + (smooth ? " smooth" : "") + ModeText(mode) + "\n";
}

void TraceDevice::SetClip(const std::optional<QRegion>& clip)
{
    if (!clip) {
        FText += "clip none\n";
        return;
    }
    FText += "clip";
    int n = 0;
    for (const QRect& r : *clip) {
        if (++n > 16) {
            FText += " ...";
            break;
        }
        FText += " " + std::to_string(r.left()) + "," + std::to_string(r.top()) + "+" + std::to_string(r.width()) + "x" +
                 std::to_string(r.height());
    }
    if (clip->isEmpty()) FText += " empty";
    FText += "\n";
}

std::string TraceEnhMetaFile(const emf::EnhMetaFile& picture, const QRect& rect)
{
    TraceDevice device;
    Player player(device, picture, rect);
    const PlayStats stats = player.Play();
    std::string text = device.Text();
    text += "played " + std::to_string(stats.played) + " skipped " + std::to_string(stats.skipped) + "\n";
    text += DescribeSkips(stats, "skipped ");
    return text;
}

}  // namespace qrp::render
