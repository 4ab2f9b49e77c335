#pragma once
// The toolkit program's message loop in small steps, for tests of its
// windows: what is queued, waits bounded by a deadline, and a while of it.

#include <windows.h>

#include "toolkit/application.h"
#include "wait_scale.h"

namespace test_pump {

inline void PumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        toolkit::Application::Dispatch(message);
}

// Pumps until done() holds or the deadline (scaled) is up, looking at least
// every 20 ms (done() may turn without a message); done()'s last answer.
template <typename Done> bool PumpUntil(Done&& done, DWORD milliseconds = 5000)
{
    const DWORD start = ::GetTickCount(), deadline = test_wait::Deadline(milliseconds);
    for (PumpMessages(); !done() && ::GetTickCount() - start < deadline; PumpMessages())
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    return done();
}

// Pumps for a while whatever happens: to see that something does not happen,
// or to let it happen.
inline void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    for (PumpMessages(); ::GetTickCount() - start < milliseconds; PumpMessages())
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
}

} // namespace test_pump
