// The program's dialog templates as plain data: caption, font, size in dialog units
// and every control with its id, kind, rectangle, text and style, in template order
// (which is also the tab order). platform/gui/DialogBuilder.h turns one into wx
// controls. No wx here: tests and tools can read the layout without a display.
#pragma once

#include <span>

namespace res {

enum class ControlKind {
    PushButton,
    DefPushButton,   // the default button: Enter presses it
    AutoRadioButton, // StyleGroup marks the first button of a group
    StaticText,
    Edit,
    GroupBox,
    Icon, // the program's icon (resource 128)
};

// Style flags of a control; several may be combined.
enum ControlStyle : unsigned {
    StyleNone = 0,
    StyleGroup = 1u << 0,            // starts a group (radio group, tab group)
    StyleTabStop = 1u << 1,          // reached with Tab
    StyleCentre = 1u << 2,           // static text: centred horizontally
    StyleCentreVertically = 1u << 3, // static text: centred vertically
    StyleSunken = 1u << 4,           // thin sunken edge (static texts, radio buttons)
    StyleBorder = 1u << 5,           // edit: the field's border
    StyleMultiLine = 1u << 6,        // edit: several lines; button: caption may wrap
    StyleVScroll = 1u << 7,          // edit: vertical scroll bar
    StyleWantReturn = 1u << 8,       // edit: Enter inserts a line break
    StylePassword = 1u << 9,         // edit: masked input
    StyleReadOnly = 1u << 10,        // edit: not editable
    StyleAutoHScroll = 1u << 11,     // edit: scrolls horizontally while typing
    StyleNoPrefix = 1u << 12,        // static text: '&' is shown, not a mnemonic
};

// Position and size in dialog units.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    int id; // IDC_STATIC (-1) for a control without an id
    ControlKind kind;
    DialogRect rect;
    const char* text; // UTF-8; "" for none
    unsigned style;   // ControlStyle flags
};

// Frame of a dialog window. Every dialog has a caption, a system menu with the close
// box and a modal frame; the console also has a minimize box.
enum DialogStyle : unsigned {
    DialogStyleNone = 0,
    DialogMinimizeBox = 1u << 0,
};

struct DialogTemplate {
    int id;               // IDD_...
    const char* caption;  // UTF-8
    unsigned style;       // DialogStyle flags
    const char* fontFace; // "굴림" or "굴림체"; mapped to an installed font at run time
    int pointSize;        // 9
    int width;            // client size in dialog units
    int height;
    std::span<const ControlTemplate> controls; // template order
};

// The templates IDD_AGENT_CONSOLE (102), IDD_LOGIN (129), IDD_SERVER_ADDR (140) and
// IDD_ABOUTBOX (100). Returns null for any other id.
const DialogTemplate* FindDialogTemplate(int id);

// The control of a template with that id, or null (also for IDC_STATIC).
const ControlTemplate* FindControl(const DialogTemplate& dialog, int controlId);

// The string table: IDS_ABOUTBOX (101) is "ZELAgent 정보(&A)..."; "" for other ids.
const char* LoadResString(int id);

} // namespace res
