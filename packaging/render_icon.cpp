// Renders the application icon's SVG into a square PNG of a given size (run at build time).
//   qrp_render_icon INPUT.svg SIZE OUTPUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: qrp_render_icon INPUT.svg SIZE OUTPUT.png\n");
        return 1;
    }
    int size = 0;
    const char* sizeText = argv[2];
    auto [end, ec] = std::from_chars(sizeText, sizeText + std::strlen(sizeText), size);
    if (ec != std::errc() || *end != '\0' || size < 16 || size > 1024) {
        std::fprintf(stderr, "qrp_render_icon: size '%s' is not a number from 16 to 1024\n", sizeText);
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "qrp_render_icon: %s: not a valid SVG file\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        svg.render(&painter, QRectF(0, 0, size, size));
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "qrp_render_icon: %s: cannot write the PNG file\n", argv[3]);
        return 1;
    }
    return 0;
}
