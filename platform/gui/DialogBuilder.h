// Turns a dialog template of res/ into wx controls: the dialog font first, then every
// control at its template position (dialog units converted with the dialog's font),
// with the template's id as its wx window id, in template order (= tab order).
// A factory lets a dialog put its own control classes (CHoverButton, CColorLabel,
// CColorEdit) in place of the standard ones, as attaching a subclass would.
#pragma once

#include "res/DialogTemplates.h"

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

#include <wx/gdicmn.h>
#include <wx/string.h>

class wxDialog;
class wxFont;
class wxWindow;

namespace platform {

// Creates the control for one template entry, or returns null to have the standard
// control made. A control it creates must be a child of parent, have the id
// control.id (a generated one for IDC_STATIC) and be placed at pos with size; it may
// use StandardWindowStyle(control) as its wx style. The builder then applies what the
// template asks for beyond the style: default button, sunken edge, vertical centring.
using ControlFactory = std::function<wxWindow*(
    wxWindow* parent, const res::ControlTemplate& control, const wxPoint& pos, const wxSize& size)>;

// The wx style the standard control of a template entry is created with (alignment,
// radio group start, edit flags, wxST_NO_AUTORESIZE for static texts, ...).
long StandardWindowStyle(const res::ControlTemplate& control);

// The dialog font of a template: its face resolved through the fontconfig aliases
// (굴림 -> NanumGothic, 굴림체 -> NanumGothicCoding, else an installed Korean font) at
// its point size.
wxFont TemplateFont(const res::DialogTemplate& dialog);

// Pixel rectangle of a dialog-unit rectangle for a window whose font is the dialog
// font (both corners converted with ConvertDialogToPixels, so neighbours that touch
// in dialog units touch in pixels).
wxRect DialogRectToPixels(const wxWindow* dialog, const res::DialogRect& rect);

// Builds the controls of a template into a dialog that has been created and has no
// controls yet: sets the dialog font, creates the controls in template order and sets
// the client size from the template. Returns the controls in template order (entry i
// is the control of dialog.controls[i]).
std::vector<wxWindow*> BuildDialogControls(wxDialog* dialog,
                                           const res::DialogTemplate& dialogTemplate,
                                           const ControlFactory& factory = {});

// Two-step creation of a dialog from a template: dialog->Create with the template's
// caption and frame (caption, system menu, close box, modal frame; minimize box when
// the template asks for one) under parent (may be null), then BuildDialogControls,
// then centring on the screen. Escape handling and OK/Cancel ids are left to the
// dialog class. Returns false if the template id is unknown or Create fails.
bool CreateDialogFromTemplate(wxDialog* dialog, wxWindow* parent, int templateId,
                              const ControlFactory& factory = {});

// The control with that id among the dialog's children (like GetDlgItem), or null.
wxWindow* GetDlgItem(const wxWindow* dialog, int controlId);

// The same, as the expected class; null if there is no such control or it is not a T.
template <class T> T* GetDlgItemAs(const wxWindow* dialog, int controlId) {
    return dynamic_cast<T*>(GetDlgItem(dialog, controlId));
}

// For a factory: when the entry's id is ids[i], creates a Control from it (parent, id,
// text, position, size, standard style), keeps it in slots[i] and returns it; null for
// any other id.
template <class Control, std::size_t N>
wxWindow* CreateListedControl(wxWindow* parent, const res::ControlTemplate& control,
                              const wxPoint& pos, const wxSize& size, const int (&ids)[N],
                              std::array<Control*, N>& slots) {
    for (std::size_t i = 0; i < N; ++i) {
        if (ids[i] != control.id)
            continue;
        slots[i] = new Control(parent, control.id, wxString::FromUTF8(control.text), pos, size,
                               StandardWindowStyle(control));
        // cppcheck-suppress CastIntegerToAddressAtReturn ; Control is a window class
        return slots[i];
    }
    return nullptr;
}

} // namespace platform
