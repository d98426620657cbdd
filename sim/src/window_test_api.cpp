// The test API of the window system: scripts for dialogs and boxes, and what the tests observe.
#include "window_internal.h"

#include <algorithm>

using namespace sim::win;

namespace {

// MessageBoxA's answers come from the scripted user, one per box, in order. The hook is in place
// only while answers are queued: other boxes get MessageBoxA's default answer.
int BoxHook(HWND owner, const char* text, const char* caption, UINT type) {
    State& st = S();
    sim::ui::BoxAnswer answer = std::move(st.boxAnswers.front());
    st.boxAnswers.pop_front();
    if (st.boxAnswers.empty())
        sim::detail::SetMessageBoxHook(nullptr);
    return answer(sim::MessageBoxCall{owner, text ? text : "", caption ? caption : "", type});
}

} // namespace

namespace sim::ui {

void OnDialog(int templateId, Script script) {
    S().scripts[templateId].push_back(std::move(script));
}

std::size_t UnscriptedDialogs() {
    return S().unscripted;
}

void OnMessageBox(BoxAnswer answer) {
    sim::detail::SetMessageBoxHook(&BoxHook);
    S().boxAnswers.push_back(std::move(answer));
}

const std::vector<HelpCall>& HelpCalls() {
    return S().help;
}
const std::vector<int>& DialogsRun() {
    return S().dialogsRun;
}

std::size_t OutstandingDCs() {
    return S().dcs.size();
}
std::size_t OutstandingGdiObjects() {
    const auto& objs = S().objects;
    return std::count_if(objs.begin(), objs.end(), [](const auto& o) { return !o.second.stock; });
}

void SetWorkArea(const RECT& area) {
    S().workArea = area;
}

} // namespace sim::ui
