// What the console's logic needs of its window. Every call is made on the UI thread.
#pragma once

#include <string>

class wxWindow;

class IAgentConsoleView {
  public:
    virtual ~IAgentConsoleView() = default;

    virtual void SetWindowTitle(const std::string& title) = 0;
    // One of the four state buttons (IDC_BTN_LOGIN, _READY, _BREAK, _LOGOUT).
    virtual void EnableButton(int buttonId, bool enable) = 0;
    // The text of a field or static text (caller, customer lines, memo, clock, stats).
    virtual void SetFieldText(int controlId, const std::string& text) = 0;
    // Data exchange of the call result: with saveAndValidate the memo and the grade
    // (0..6, -1 for none) are read from the controls, otherwise shown in them.
    virtual void ExchangeCallResult(bool saveAndValidate, std::string& memo,
                                    int& consultResult) = 0;
    // Starts the zero-delay one-shot TIMER_CALL_INFO of the window.
    virtual void StartCallInfoTimer() = 0;
    // A call came in: ask for the agent's attention if the window is not in front.
    virtual void RequestAttention() = 0;
    // The owner of the console's message boxes (null: none).
    virtual wxWindow* BoxOwner() = 0;
    // A short note the agent sees without a box, fading after a few seconds (for
    // example: the ended call's result was saved when the next call came).
    virtual void ShowNote(const std::string& text) { (void)text; }
    // Ends what an input method is composing in the memo, so that the syllable lands in
    // the memo as it is now (before it is read and perhaps replaced for a new call).
    virtual void FinishTyping() {}
};
