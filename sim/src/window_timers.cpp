// Timers and the simulated clock: SetTimer, KillTimer, and the test's clock that fires them.
#include "window_internal.h"

#include <algorithm>

using namespace sim::win;

extern "C" {

// ---- timers ----

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    State& st = S();
    sim::detail::LogCall("SetTimer " + std::to_string(nIDEvent) + " " + std::to_string(uElapse));
    DWORD err = 0;
    if (sim::detail::ShouldFail(sim::Api::SetTimer, "", "", &err)) {
        sim::detail::SetError(err);
        return 0;
    }
    if (hWnd && !Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    UINT period = std::max<UINT>(uElapse, USER_TIMER_MINIMUM);
    if (period > USER_TIMER_MAXIMUM)
        period = USER_TIMER_MAXIMUM;
    UINT_PTR id = nIDEvent;
    if (!hWnd) {
        // A thread timer: an existing one is replaced only when its id is passed back.
        auto it = std::find_if(st.timers.begin(), st.timers.end(), [&](const Timer& t) {
            return !t.hwnd && t.id == nIDEvent && nIDEvent != 0;
        });
        if (it == st.timers.end())
            id = ++st.nextThreadTimer;
    }
    auto it = std::find_if(st.timers.begin(), st.timers.end(),
                           [&](const Timer& t) { return t.hwnd == hWnd && t.id == id; });
    Timer t{hWnd, id, period, lpTimerFunc, st.now + period, ++st.timerSeq};
    if (it != st.timers.end())
        *it = t;
    else
        st.timers.push_back(t);
    return hWnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    State& st = S();
    sim::detail::LogCall("KillTimer " + std::to_string(uIDEvent));
    auto it = std::find_if(st.timers.begin(), st.timers.end(),
                           [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
    if (it == st.timers.end()) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    st.timers.erase(it);
    // A WM_TIMER already queued for it is dropped too.
    st.posted.erase(std::remove_if(st.posted.begin(), st.posted.end(),
                                   [&](const MSG& m) {
                                       return m.message == WM_TIMER && m.hwnd == hWnd &&
                                              m.wParam == uIDEvent;
                                   }),
                    st.posted.end());
    return TRUE;
}

} // extern "C"

namespace sim::ui {

void AdvanceClock(DWORD milliseconds) {
    State& st = S();
    uint64_t target = st.now + milliseconds;
    for (;;) {
        Pump();
        auto next = st.timers.end();
        for (auto it = st.timers.begin(); it != st.timers.end(); ++it) {
            if (it->due > target)
                continue;
            if (next == st.timers.end() || it->due < next->due ||
                (it->due == next->due && it->seq < next->seq))
                next = it;
        }
        if (next == st.timers.end())
            break;
        Timer fired = *next;
        st.now = fired.due;
        next->due += fired.period;
        if (fired.hwnd && !Find(fired.hwnd)) {
            st.timers.erase(next);
            continue;
        }
        if (fired.proc)
            fired.proc(fired.hwnd, WM_TIMER, fired.id, static_cast<DWORD>(st.now));
        else if (fired.hwnd)
            Send(fired.hwnd, WM_TIMER, fired.id, 0);
    }
    st.now = target;
    Pump();
}

DWORD ClockNow() {
    return static_cast<DWORD>(S().now);
}

std::size_t LiveTimerCount() {
    std::size_t n = 0;
    for (const Timer& t : S().timers)
        if (!t.hwnd || Find(t.hwnd))
            ++n;
    return n;
}

} // namespace sim::ui
