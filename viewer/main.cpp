// qrpview: shows one report file, named as the first argument or chosen with Open.
#include "viewer/application.h"
#include "viewer/dialogs.h"
#include "viewer/startup.h"

int main(int argc, char** argv)
{
    qrp::TApplication app(argc, argv);
    qrp::TQtViewerDialogs dialogs;
    return qrp::RunViewer(app, dialogs);
}
