#include "console/window/ConsoleFocus.h"

#include <algorithm>
#include <iterator>

#include <gtk/gtk.h>
#include <wx/dialog.h>

#include "console/logic/AgentConsole.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"

namespace {

struct StateButton {
    int id;
    int mask;
};
// Fallback order: never sign-out while another state button can be pressed.
constexpr StateButton kFallback[] = {{IDC_BTN_READY, BUTTON_READY},
                                     {IDC_BTN_BREAK, BUTTON_BREAK},
                                     {IDC_BTN_LOGIN, BUTTON_LOGIN},
                                     {IDC_BTN_LOGOUT, BUTTON_LOGOUT}};

StateButton NextStateButton(int agentMode) {
    switch (agentMode) {
    case AGENT_MODE_LOGOUT:
        return {IDC_BTN_LOGIN, BUTTON_LOGIN};
    case AGENT_MODE_READY:
        return {IDC_BTN_BREAK, BUTTON_BREAK};
    case AGENT_MODE_LOGIN:
    case AGENT_MODE_BREAK:
        return {IDC_BTN_READY, BUTTON_READY};
    default:
        return {0, 0};
    }
}

int EnabledButtons(const wxDialog& console) {
    int mask = 0;
    for (const StateButton& button : kFallback)
        if (const wxWindow* w = platform::GetDlgItem(&console, button.id); w && w->IsEnabled())
            mask |= button.mask;
    return mask;
}

// A focus widget that can still take keys.
bool IsLive(GtkWidget* widget) {
    return widget && gtk_widget_is_sensitive(widget) && gtk_widget_get_mapped(widget);
}

} // namespace

int PreferredFocusId(int agentMode, bool resultPending, int enabledButtons) {
    if (resultPending || agentMode == AGENT_MODE_INCALL)
        return IDC_EDIT_MEMO;
    if (const StateButton next = NextStateButton(agentMode); enabledButtons & next.mask)
        return next.id;
    const auto* enabled = std::find_if(std::begin(kFallback), std::end(kFallback),
                                       [enabledButtons](const StateButton& button) {
                                           return (enabledButtons & button.mask) != 0;
                                       });
    // No state button enabled outside a call: a state change is out and its outcome
    // enables the buttons of the new mode. The focus waits for them instead of going to
    // the memo, where the agent's next Space would be typed.
    return enabled == std::end(kFallback) ? 0 : enabled->id;
}

void ConsoleFocus::Attach(wxDialog& console, ModeFn mode, PendingFn pending) {
    m_console = &console;
    m_mode = std::move(mode);
    m_pending = std::move(pending);
    console.Bind(wxEVT_IDLE, &ConsoleFocus::OnIdle, this);
}

ConsoleFocus::~ConsoleFocus() {
    if (m_console)
        m_console->Unbind(wxEVT_IDLE, &ConsoleFocus::OnIdle, this);
}

bool ConsoleFocus::Restore() {
    // Only the window the agent is in: a box or the sign-in dialog on top keeps its own.
    if (!m_console || !m_console->IsShown() || !m_console->IsActive() || !m_console->m_widget)
        return false;
    if (IsLive(gtk_window_get_focus(GTK_WINDOW(m_console->m_widget))))
        return false;
    const int id = PreferredFocusId(m_mode ? m_mode() : AGENT_MODE_LOGOUT, m_pending && m_pending(),
                                    EnabledButtons(*m_console));
    if (id == 0)
        return false;
    wxWindow* target = platform::GetDlgItem(m_console, id);
    if (!target || !target->IsEnabled() || !target->IsShown())
        return false;
    target->SetFocus();
    return true;
}

void ConsoleFocus::OnIdle(wxIdleEvent& event) {
    event.Skip();
    Restore();
}
