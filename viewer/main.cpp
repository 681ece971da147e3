// qrpview: shows one report file, named as the first argument or chosen with Open.
#include "viewer/dialogs.h"
#include "viewer/startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    qrp::TQtViewerDialogs dialogs;
    return qrp::RunViewer(app, dialogs);
}
