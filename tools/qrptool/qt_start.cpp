#include "tools/qrptool/qt_start.h"

#include <clocale>
#include <iostream>

namespace qrptool {

namespace {

void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) return;
    std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << "\n";
}

}  // namespace

std::unique_ptr<QGuiApplication> StartQt(QtUse use)
{
    static int argc = 1;
    static char name[] = "qrptool";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", use == QtUse::kDraw ? "minimal:enable_fonts" : "offscreen");
    qInstallMessageHandler(QuietMessages);
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    if (use == QtUse::kDraw) QCoreApplication::setLibraryPaths({});
    std::setlocale(LC_NUMERIC, "C");
    return app;
}

}  // namespace qrptool
