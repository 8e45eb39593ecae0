// What the console's logic needs of its window. Every call is made on the UI thread.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/BreakReasons.h"

#include "platform/MessageBox.h"

class wxWindow;

class IAgentConsoleView {
  public:
    virtual ~IAgentConsoleView() = default;

    virtual void SetWindowTitle(const std::string& title) = 0;
    // One of the four state buttons (IDC_BTN_LOGIN, _READY, _BREAK, _LOGOUT) or 통화결과
    // 등록 (IDC_BTN_REGIST).
    virtual void EnableButton(int buttonId, bool enable) = 0;
    // The text of a field or static text (caller, customer lines, memo, clock, stats).
    virtual void SetFieldText(int controlId, const std::string& text) = 0;
    // Data exchange of the call result: with saveAndValidate the memo and the grade
    // (0..6, -1 for none) are read from the controls, otherwise shown in them.
    virtual void ExchangeCallResult(bool saveAndValidate, std::string& memo,
                                    int& consultResult) = 0;
    // Starts the zero-delay one-shot TIMER_CALL_INFO of the window.
    virtual void StartCallInfoTimer() = 0;
    // (Re)starts the one-shot poll timer, whose tick runs PollTransfer.
    virtual void StartPollTimer(int ms) { (void)ms; }
    // A call came in: ask for the agent's attention if the window is not in front.
    virtual void RequestAttention() = 0;
    // The owner of the console's message boxes (null: none).
    virtual wxWindow* BoxOwner() = 0;
    // Shows a box; answered (if any) gets the button pressed, later or at once. A
    // modeless box is answered IDOK at once.
    virtual void ShowBox(const platform::MessageBoxRequest& box,
                         std::function<void(int)> answered) {
        const int answer = platform::ShowMessageBox(box);
        if (answered)
            answered(answer);
    }
    // The list of the floor's break reasons; chosen (if any) gets the index of the reason
    // picked, or nullopt for none (Escape), later or at once. Without a window: none.
    virtual void ChooseBreakReason(const std::vector<BreakReason>& reasons,
                                   std::function<void(std::optional<std::size_t>)> chosen) {
        (void)reasons;
        if (chosen)
            chosen(std::nullopt);
    }
    // A short note the agent sees without a box, fading after a few seconds (for
    // example: the ended call's result was saved when the next call came).
    virtual void ShowNote(const std::string& text) { (void)text; }
    // Ends what an input method is composing in the memo, so that the syllable lands in
    // the memo as it is now (before it is read and perhaps replaced for a new call).
    virtual void FinishTyping() {}
    // The close path has done its work: the window ends.
    virtual void CloseConsole() {}
};
