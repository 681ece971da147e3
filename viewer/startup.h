// The viewer's start-up: the window, and the report named by the first command-line
// argument when it names an existing file.
#pragma once

#include "viewer/form1.h"

#include <QStringList>

#include <memory>

class QApplication;

namespace qrp {

struct TStartup {
    std::unique_ptr<TForm1> Form;
    // The first argument named a file that could not be loaded: "Arquivo inválido." was
    // shown and the process ends at the first turn of the event loop.
    bool Terminate = false;
};

// Creates the window and loads the first argument (arguments exclude the program name).
// A missing file or a folder is ignored silently.
TStartup StartViewer(const QStringList& arguments, TViewerDialogs& dialogs);

// Sets the application title, starts the viewer, shows the window maximised and runs the
// event loop until the window is closed. Returns the event loop's exit code.
int RunViewer(QApplication& app, TViewerDialogs& dialogs);

}  // namespace qrp
