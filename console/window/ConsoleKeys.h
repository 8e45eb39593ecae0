// The console's shortcut keys: one function key for each state button, each response
// grade and the registration of a call's result. The function keys F2 to F12 carry no
// meaning in GTK's text editing and none of them alone is taken by the usual window
// managers (they bind Alt+F4, Ctrl+F1.., Super+..); F1 is About.
#pragma once

#include <span>

class wxDialog;
class wxKeyEvent;

struct ConsoleShortcut {
    int keyCode;      // WXK_F2 ...
    const char* key;  // as the agent reads it: "F2"
    int controlId;    // the button or grade it acts on
    const char* what; // the control's caption
};

// Every shortcut, in key order.
std::span<const ConsoleShortcut> ConsoleShortcuts();

// The shortcut of a key pressed with modifiers (wxMOD_...), or null.
const ConsoleShortcut* FindConsoleShortcut(int keyCode, int modifiers);

// Carries out the shortcut of a key pressed in the console: a state button or 통화결과
// 등록 is pressed as by the pointer if it is enabled (a bell if not); a grade is chosen
// without taking the focus from where the agent is typing, and announced. True if the
// key was a shortcut.
bool RunConsoleShortcut(wxDialog& console, const wxKeyEvent& event);
