// TApplication: the viewer's application object. A failure raised while an event is handled
// (a command, a notice handler) goes to the general error handler instead of unwinding
// through the event loop.
#pragma once

#include <QApplication>

#include <exception>
#include <functional>

namespace qrp {

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // The general error handler; unset, failures are written to standard error after the event.
    void SetOnException(std::function<void(const std::exception_ptr&)> handler) { FOnException = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const std::exception_ptr&)> FOnException;
};

}  // namespace qrp
