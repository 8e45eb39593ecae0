// Keyboard focus in the console never rests on nothing: when it has been lost (the
// pressed state button disabled itself, a box closed, sign-in ended) it goes to the
// control the agent most likely needs next in the mode. Focus on a live control is
// never moved, so a call coming in does not take it from the field being typed in.
#pragma once

#include <functional>

class wxDialog;
class wxIdleEvent;

// The control for the keyboard in agentMode: the memo while a call's result waits to
// be registered (and during a call), else the state button the agent presses next
// (break when ready, ready on break or just signed in, login when signed out), else
// any enabled state button; 0 (leave the focus) when none is enabled, while a state
// change is out. enabledButtons is a ButtonMask of the enabled buttons.
int PreferredFocusId(int agentMode, bool resultPending, int enabledButtons);

class ConsoleFocus {
  public:
    using ModeFn = std::function<int()>;
    using PendingFn = std::function<bool()>;

    // Watches console from now on; mode gives the agent mode, pending whether a call's
    // result can be registered.
    void Attach(wxDialog& console, ModeFn mode, PendingFn pending);
    ~ConsoleFocus();
    // Puts the focus on the preferred control if the active console has none on a live
    // control. True when it moved the focus.
    bool Restore();

  private:
    void OnIdle(wxIdleEvent& event);

    wxDialog* m_console = nullptr;
    ModeFn m_mode;
    PendingFn m_pending;
};
