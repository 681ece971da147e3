#include "viewer/application.h"

#include "base/swallowed.h"

namespace qrp {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (FOnException)
            FOnException(std::current_exception());
        else
            LogSwallowed("handling an event");
        return true;
    }
}

}  // namespace qrp
