#include "platform/messages.h"

#include <QCoreApplication>

#include <utility>

namespace qrp {

namespace {

std::function<void()>& Observer()
{
    static std::function<void()> observer;
    return observer;
}

}  // namespace

void ProcessMessages()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    if (Observer()) Observer()();
}

std::function<void()> SetProcessMessagesObserver(std::function<void()> observer)
{
    return std::exchange(Observer(), std::move(observer));
}

}  // namespace qrp
