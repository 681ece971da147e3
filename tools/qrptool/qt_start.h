// The Qt start-up of the commands that draw or print: one application object without
// windows, made the same way for every command.
#pragma once

#include <QGuiApplication>

#include <memory>

namespace qrptool {

enum class QtUse {
    kDraw,   // painting into images, PDF and SVG: the lightest platform with the system's
             // fonts, and no plugin looked for (PNG is built in)
    kPrint,  // printers: the offscreen platform and the print support plugins
};

// The application, on the platform QT_QPA_PLATFORM names when it is set. Qt's notice about
// XDG_RUNTIME_DIR is dropped so that an error stays one line, and numbers are formatted in
// the C locale whatever the user's (Qt sets the locale from the environment). Call once,
// after the arguments are checked.
std::unique_ptr<QGuiApplication> StartQt(QtUse use = QtUse::kDraw);

}  // namespace qrptool
