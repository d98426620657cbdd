// Timers and the simulated clock: SetTimer, KillTimer, and the test's clock that fires them.
#include "window_internal.h"

#include <algorithm>

using namespace sim::win;

extern "C" {

// ---- timers ----

// Only window timers, delivered as WM_TIMER: the program neither uses thread timers nor passes a
// TIMERPROC.
UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC) {
    State& st = S();
    sim::detail::LogCall("SetTimer " + std::to_string(nIDEvent) + " " + std::to_string(uElapse));
    if (sim::detail::FailsWithLastError(sim::Api::SetTimer, "") || !FindOrFail(hWnd))
        return 0;
    UINT period = std::max<UINT>(uElapse, USER_TIMER_MINIMUM);
    Timer t{hWnd, nIDEvent, period, st.now + period};
    // The same id on the same window replaces the timer.
    auto it = std::find_if(st.timers.begin(), st.timers.end(),
                           [&](const Timer& o) { return o.hwnd == hWnd && o.id == nIDEvent; });
    if (it != st.timers.end())
        *it = t;
    else
        st.timers.push_back(t);
    return nIDEvent ? nIDEvent : 1;
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
    return TRUE;
}

} // extern "C"

namespace sim::ui {

void AdvanceClock(DWORD milliseconds) {
    State& st = S();
    uint64_t target = st.now + milliseconds;
    for (;;) {
        // Timers go with their dialog, so every one here has a live window.
        auto next = std::min_element(st.timers.begin(), st.timers.end(),
                                     [](const Timer& a, const Timer& b) { return a.due < b.due; });
        if (next == st.timers.end() || next->due > target)
            break;
        st.now = next->due;
        next->due += next->period;
        Send(next->hwnd, WM_TIMER, next->id, 0);
    }
    st.now = target;
}

std::size_t LiveTimerCount() {
    return S().timers.size();
}

} // namespace sim::ui
