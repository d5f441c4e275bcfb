#pragma once
// Runs the UI thread's event loop until a condition holds or the time runs out (tests of windows).

#include "platform/Event.h"

#include <QCoreApplication>

#include <cstdint>

namespace orvant_test {

template <class Pred>
bool PumpUntil(Pred pred, int ms = 5000)
{
    uint32_t start = platform::GetTickCount();
    while (!pred()) {
        if (platform::GetTickCount() - start > static_cast<uint32_t>(ms)) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace orvant_test
