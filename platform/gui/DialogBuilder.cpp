// Dialog templates into wx controls.
#include "platform/gui/DialogBuilder.h"

#include "platform/gui/Accessibility.h"
#include "platform/gui/AppResources.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/StaticEdge.h"
#include "res/ResourceIds.h"

#include <algorithm>

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/font.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace platform {
namespace {

using res::ControlKind;
using res::ControlTemplate;

bool Has(const ControlTemplate& control, unsigned style) {
    return (control.style & style) != 0;
}

wxWindowID WindowId(const ControlTemplate& control) {
    return control.id == IDC_STATIC ? wxID_ANY : control.id;
}

wxWindow* CreateStandardControl(wxWindow* parent, const ControlTemplate& control,
                                const wxPoint& pos, const wxSize& size) {
    const wxWindowID id = WindowId(control);
    const wxString text = wxString::FromUTF8(control.text);
    const long style = StandardWindowStyle(control);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
        return new wxButton(parent, id, text, pos, size, style);
    case ControlKind::AutoRadioButton:
        return new wxRadioButton(parent, id, text, pos, size, style);
    case ControlKind::StaticText: {
        auto* label = new wxStaticText(parent, id, wxString(), pos, size, style);
        if (Has(control, res::StyleNoPrefix))
            label->SetLabelText(text);
        else
            label->SetLabel(text);
        return label;
    }
    case ControlKind::Edit:
        return new wxTextCtrl(parent, id, text, pos, size, style);
    case ControlKind::GroupBox:
        return new wxStaticBox(parent, id, text, pos, size, style);
    case ControlKind::Icon:
        return new wxStaticBitmap(parent, id, LoadAppIcon(32), pos, size, style);
    }
    return nullptr;
}

// In a Win32 dialog the controls earlier in the template lie above the later ones; GTK
// paints later siblings on top. The group box framing the state buttons comes after
// them, so its frame is kept from painting over them.
gboolean DrawUnderEarlierSiblings(GtkWidget* widget, cairo_t* cr, wxWindow* box) {
    const wxRect boxRect = box->GetRect();
    cairo_rectangle(cr, 0, 0, boxRect.width, boxRect.height);
    for (wxWindow* sibling : box->GetParent()->GetChildren()) {
        if (sibling == box)
            break;
        const wxRect overlap = sibling->GetRect().Intersect(boxRect);
        if (sibling->IsShown() && !overlap.IsEmpty())
            cairo_rectangle(cr, overlap.x - boxRect.x, overlap.y - boxRect.y, overlap.width,
                            overlap.height);
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // GTK restores the context after each handler: the frame is drawn here, clipped.
    GTK_WIDGET_GET_CLASS(widget)->draw(widget, cr);
    return TRUE;
}

// What the template asks beyond the wx style, for standard and factory-made controls.
void ApplyTemplateExtras(wxWindow* window, const ControlTemplate& control) {
    if (control.kind == ControlKind::DefPushButton) {
        if (auto* button = dynamic_cast<wxButton*>(window))
            button->SetDefault();
    }
    if (control.kind == ControlKind::StaticText && GTK_IS_LABEL(window->m_widget)) {
        // wx puts label text at the top; the template may centre it vertically.
        gtk_label_set_yalign(GTK_LABEL(window->m_widget),
                             Has(control, res::StyleCentreVertically) ? 0.5f : 0.0f);
    }
    if (Has(control, res::StyleSunken))
        EnableStaticEdge(window);
    if (control.kind == ControlKind::GroupBox)
        g_signal_connect(window->m_widget, "draw", G_CALLBACK(DrawUnderEarlierSiblings), window);
}

} // namespace

long StandardWindowStyle(const ControlTemplate& control) {
    long style = 0;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
        break;
    case ControlKind::AutoRadioButton:
        if (Has(control, res::StyleGroup))
            style |= wxRB_GROUP;
        break;
    case ControlKind::StaticText:
        style |= wxST_NO_AUTORESIZE;
        style |= Has(control, res::StyleCentre) ? wxALIGN_CENTRE_HORIZONTAL : wxALIGN_LEFT;
        break;
    case ControlKind::Edit:
        if (Has(control, res::StyleMultiLine))
            style |= wxTE_MULTILINE; // GTK wraps and scrolls vertically; Enter breaks lines
        if (Has(control, res::StylePassword))
            style |= wxTE_PASSWORD;
        if (Has(control, res::StyleReadOnly))
            style |= wxTE_READONLY;
        if (!Has(control, res::StyleBorder))
            style |= wxBORDER_NONE;
        break;
    case ControlKind::GroupBox:
    case ControlKind::Icon:
        break;
    }
    return style;
}

wxFont TemplateFont(const res::DialogTemplate& dialog) {
    LoadFontAliases();
    const std::string face = ResolveFontFace(dialog.fontFace);
    return wxFont(wxFontInfo(dialog.pointSize).FaceName(wxString::FromUTF8(face)));
}

wxRect DialogRectToPixels(const wxWindow* dialog, const res::DialogRect& rect) {
    auto* window = const_cast<wxWindow*>(dialog); // ConvertDialogToPixels is not const
    const wxPoint topLeft = window->ConvertDialogToPixels(wxPoint(rect.x, rect.y));
    const wxPoint bottomRight =
        window->ConvertDialogToPixels(wxPoint(rect.x + rect.width, rect.y + rect.height));
    return wxRect(topLeft, wxSize(bottomRight.x - topLeft.x, bottomRight.y - topLeft.y));
}

std::vector<wxWindow*> BuildDialogControls(wxDialog* dialog,
                                           const res::DialogTemplate& dialogTemplate,
                                           const ControlFactory& factory) {
    // Dialog units come from the top-level window's font: set it before any conversion.
    dialog->SetFont(TemplateFont(dialogTemplate));
    std::vector<wxWindow*> controls;
    controls.reserve(dialogTemplate.controls.size());
    for (const ControlTemplate& control : dialogTemplate.controls) {
        const wxRect rect = DialogRectToPixels(dialog, control.rect);
        wxWindow* window =
            factory ? factory(dialog, control, rect.GetPosition(), rect.GetSize()) : nullptr;
        if (!window)
            window = CreateStandardControl(dialog, control, rect.GetPosition(), rect.GetSize());
        ApplyTemplateExtras(window, control);
        controls.push_back(window);
    }
    dialog->SetClientSize(
        dialog->ConvertDialogToPixels(wxSize(dialogTemplate.width, dialogTemplate.height)));
    return controls;
}

bool CreateDialogFromTemplate(wxDialog* dialog, wxWindow* parent, int templateId,
                              const ControlFactory& factory) {
    const res::DialogTemplate* dialogTemplate = res::FindDialogTemplate(templateId);
    if (!dialogTemplate)
        return false;
    long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
    if (dialogTemplate->style & res::DialogMinimizeBox)
        style |= wxMINIMIZE_BOX;
    if (!dialog->Create(parent, wxID_ANY, wxString::FromUTF8(dialogTemplate->caption),
                        wxDefaultPosition, wxDefaultSize, style))
        return false;
    BuildDialogControls(dialog, *dialogTemplate, factory);
    // The console (the one window with a minimize box) is the application's frame;
    // every other template is a dialog to assistive technology too.
    if (!(dialogTemplate->style & res::DialogMinimizeBox))
        ExposeAsDialog(dialog);
    dialog->CentreOnScreen();
    return true;
}

wxWindow* GetDlgItem(const wxWindow* dialog, int controlId) {
    if (!dialog || controlId == IDC_STATIC)
        return nullptr;
    const wxWindowList& children = dialog->GetChildren();
    const auto found =
        std::find_if(children.begin(), children.end(),
                     [controlId](const wxWindow* child) { return child->GetId() == controlId; });
    return found == children.end() ? nullptr : *found;
}

} // namespace platform
