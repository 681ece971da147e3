// Letting the GUI process its pending messages at the points where the printing code
// allows user actions to run.
#pragma once

#include <functional>

namespace qrp {

// Processes pending events when an application object exists; then calls the observer set
// with SetProcessMessagesObserver, if any.
void ProcessMessages();

// An observer for tests that count or act at message-processing points; returns the
// previous one.
std::function<void()> SetProcessMessagesObserver(std::function<void()> observer);

}  // namespace qrp
