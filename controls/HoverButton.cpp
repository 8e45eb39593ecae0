// CHoverButton: a GtkButton whose "draw" signal the class answers itself.
#include "controls/HoverButton.h"

#include "platform/gui/Accessibility.h"
#include "platform/gui/AppCss.h"
#include "platform/gui/SysColors.h"

#include <algorithm>

#include <gtk/gtk.h>
#include <wx/fontutil.h>
#include <wx/toplevel.h>

using platform::COLOR_BTNFACE;
using platform::COLOR_BTNHIGHLIGHT;
using platform::COLOR_BTNSHADOW;
using platform::COLOR_BTNTEXT;
using platform::GetSysColor;

namespace {

constexpr int kTipMaxWidth = 400; // pixels; longer tips wrap

void SetSource(cairo_t* cr, const wxColour& colour) {
    cairo_set_source_rgb(cr, colour.Red() / 255.0, colour.Green() / 255.0, colour.Blue() / 255.0);
}

// Draw3dRect: top and left lines in one colour, bottom and right in the other.
void Draw3dRect(cairo_t* cr, const wxRect& r, const wxColour& topLeft,
                const wxColour& bottomRight) {
    SetSource(cr, topLeft);
    cairo_rectangle(cr, r.x, r.y, r.width - 1, 1);
    cairo_rectangle(cr, r.x, r.y, 1, r.height - 1);
    cairo_fill(cr);
    SetSource(cr, bottomRight);
    cairo_rectangle(cr, r.x + r.width - 1, r.y, 1, r.height);
    cairo_rectangle(cr, r.x, r.y + r.height - 1, r.width, 1);
    cairo_fill(cr);
}

// Whether the agent last used the keyboard (a key) or the pointer (a button), in any
// window of the program: a window that becomes active takes it over, so the console
// shows focus at once after a sign-in ended with Enter.
bool keyboardInUse = false;

gboolean NoteKeyPress(GSignalInvocationHint*, guint, const GValue*, gpointer) {
    keyboardInUse = true;
    return TRUE; // stay installed
}

// A mouse button pressed anywhere in a window hides keyboard focus there until the next
// key press (GTK shows it again on a key press by itself).
gboolean HideFocusOnPointerPress(GSignalInvocationHint*, guint, const GValue* params, gpointer) {
    keyboardInUse = false;
    auto* object = static_cast<GObject*>(g_value_get_object(&params[0]));
    if (object && GTK_IS_WIDGET(object)) {
        GtkWidget* topLevel = gtk_widget_get_toplevel(GTK_WIDGET(object));
        if (GTK_IS_WINDOW(topLevel))
            gtk_window_set_focus_visible(GTK_WINDOW(topLevel), FALSE);
    }
    return TRUE; // stay installed
}

void InstallPointerPressHook() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    g_signal_add_emission_hook(g_signal_lookup("button-press-event", GTK_TYPE_WIDGET), 0,
                               HideFocusOnPointerPress, nullptr, nullptr);
    g_signal_add_emission_hook(g_signal_lookup("key-press-event", GTK_TYPE_WIDGET), 0, NoteKeyPress,
                               nullptr, nullptr);
}

void ShowFocusIfKeyboardInUse(GObject* window, GParamSpec*, gpointer) {
    if (keyboardInUse && gtk_window_is_active(GTK_WINDOW(window)))
        gtk_window_set_focus_visible(GTK_WINDOW(window), TRUE);
}

// Once per window, whatever number of buttons it holds.
void FollowKeyboardUse(GtkWidget* window) {
    constexpr const char* kKey = "zel-follows-keyboard-use";
    if (g_object_get_data(G_OBJECT(window), kKey))
        return;
    g_object_set_data(G_OBJECT(window), kKey, GINT_TO_POINTER(1));
    g_signal_connect(window, "notify::is-active", G_CALLBACK(ShowFocusIfKeyboardInUse), nullptr);
}

} // namespace

CHoverButton::CHoverButton() {
    Init();
}

CHoverButton::CHoverButton(wxWindow* parent, wxWindowID id, const wxString& label,
                           const wxPoint& pos, const wxSize& size, long style) {
    Init();
    Create(parent, id, label, pos, size, style);
}

CHoverButton::~CHoverButton() {
    // The widget outlives this part of the object: no callback may reach it any more.
    if (m_widget)
        g_signal_handlers_disconnect_by_data(m_widget, this);
    if (m_topLevel) {
        g_signal_handlers_disconnect_by_data(m_topLevel, this);
        g_object_remove_weak_pointer(G_OBJECT(m_topLevel), &m_topLevel);
    }
    if (m_tipLabel)
        g_object_unref(m_tipLabel);
}

void CHoverButton::Init() {
    // Stored values, read once: a later change of the system colours does not change them.
    m_stateColors[ColorBackHot] = GetSysColor(COLOR_BTNFACE);
    m_stateColors[ColorTextHot] = GetSysColor(COLOR_BTNTEXT);
    m_stateColors[ColorBackNormal] = GetSysColor(COLOR_BTNFACE);
    m_stateColors[ColorTextNormal] = GetSysColor(COLOR_BTNTEXT);
}

bool CHoverButton::Create(wxWindow* parent, wxWindowID id, const wxString& label,
                          const wxPoint& pos, const wxSize& size, long style) {
    if (!wxButton::Create(parent, id, label, pos, size, style))
        return false;
    ConnectGtk();
    PrepareLabelWidget();
    NameForAssistiveTech();
    Bind(wxEVT_ENTER_WINDOW, &CHoverButton::OnEnter, this);
    Bind(wxEVT_MOTION, &CHoverButton::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &CHoverButton::OnLeave, this);
    Bind(wxEVT_KILL_FOCUS, &CHoverButton::OnKillFocus, this);
    Bind(wxEVT_SET_FOCUS, &CHoverButton::OnSetFocus, this);
    WatchFocusVisible();
    // Deactivation of the window clears hot; the binding goes with this button.
    if (wxWindow* topLevel = wxGetTopLevelParent(this); topLevel && topLevel != this)
        topLevel->Bind(wxEVT_ACTIVATE, &CHoverButton::OnTopLevelActivate, this);
    return true;
}

void CHoverButton::ConnectGtk() {
    gtk_style_context_add_class(gtk_widget_get_style_context(m_widget),
                                platform::kCssClassHoverButton);
    gtk_widget_add_events(m_widget, GDK_POINTER_MOTION_MASK);
    g_signal_connect(m_widget, "draw", G_CALLBACK(OnGtkDraw), this);
    g_signal_connect(m_widget, "state-flags-changed", G_CALLBACK(OnGtkStateFlagsChanged), this);
    g_signal_connect(m_widget, "query-tooltip", G_CALLBACK(OnGtkQueryTooltip), this);
    g_signal_connect(m_widget, "grab-notify", G_CALLBACK(OnGtkGrabNotify), this);
}

// The focus rectangle follows the window's focus-visible flag.
void CHoverButton::WatchFocusVisible() {
    InstallPointerPressHook();
    wxWindow* topLevel = wxGetTopLevelParent(this);
    if (!topLevel || topLevel == this || !topLevel->m_widget || !GTK_IS_WINDOW(topLevel->m_widget))
        return;
    m_topLevel = topLevel->m_widget;
    g_object_add_weak_pointer(G_OBJECT(m_topLevel), &m_topLevel);
    g_signal_connect(m_topLevel, "notify::focus-visible", G_CALLBACK(OnGtkFocusVisibleChanged),
                     this);
    FollowKeyboardUse(GTK_WIDGET(m_topLevel));
}

void CHoverButton::OnGtkFocusVisibleChanged(void*, void*, CHoverButton* self) {
    if (self->HasFocus())
        self->Refresh();
}

// The button's own label widget is never drawn (the caption is painted here), but its
// size request would make GTK enlarge a button with a long caption: let it shrink.
void CHoverButton::PrepareLabelWidget() {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(m_widget));
    if (child && GTK_IS_LABEL(child))
        gtk_label_set_ellipsize(GTK_LABEL(child), PANGO_ELLIPSIZE_END);
}

void CHoverButton::SetLabel(const wxString& label) {
    wxButton::SetLabel(label);
    PrepareLabelWidget();
    NameForAssistiveTech();
    Refresh();
}

// A multi-line caption is read as the words it shows ("로그\n아웃" as 로그아웃).
void CHoverButton::NameForAssistiveTech() {
    platform::SetAccessibleName(this, platform::PlainAccessibleText(GetLabelText().utf8_string()));
}

bool CHoverButton::Enable(bool enable) {
    const bool changed = wxButton::Enable(enable);
    if (!enable)
        CancelHover();
    return changed;
}

void CHoverButton::SetStateColor(ColorSlot slot, const wxColour& colour, bool repaint) {
    m_stateColors[slot] = colour;
    if (repaint)
        Refresh();
}

bool CHoverButton::IsPressed() const {
    return m_widget && (gtk_widget_get_state_flags(m_widget) & GTK_STATE_FLAG_ACTIVE) != 0;
}

bool CHoverButton::ShowsKeyboardFocus() const {
    return m_widget && gtk_widget_has_visible_focus(m_widget);
}

CHoverButton::DrawItemState CHoverButton::CurrentDrawState() const {
    const bool disabled = !IsThisEnabled();
    return {m_bHot, IsPressed(), disabled, !disabled && ShowsKeyboardFocus()};
}

void CHoverButton::CancelHover() {
    if (!m_bHot)
        return;
    m_bHot = false;
    Refresh();
}

// Hot needs an active top-level window; a drag that started elsewhere does not
// light the button up.
void CHoverButton::UpdateHotFromPointer(bool pointerInside, bool leftDown) {
    if (!pointerInside) {
        CancelHover();
        return;
    }
    if (m_bHot || leftDown || !IsThisEnabled())
        return;
    auto* frame = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(this));
    if (!frame || !frame->IsActive())
        return;
    m_bHot = true;
    Refresh();
}

void CHoverButton::OnEnter(wxMouseEvent& event) {
    UpdateHotFromPointer(true, event.LeftIsDown());
    event.Skip();
}

void CHoverButton::OnMotion(wxMouseEvent& event) {
    UpdateHotFromPointer(GetClientRect().Contains(event.GetPosition()), event.LeftIsDown());
    event.Skip();
}

void CHoverButton::OnLeave(wxMouseEvent& event) {
    UpdateHotFromPointer(false, event.LeftIsDown());
    event.Skip();
}

void CHoverButton::OnTopLevelActivate(wxActivateEvent& event) {
    event.Skip();
    if (!event.GetActive())
        CancelHover();
}

void CHoverButton::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    CancelHover();
    Refresh(); // the focus rectangle goes
}

void CHoverButton::OnSetFocus(wxFocusEvent& event) {
    event.Skip();
    Refresh();
}

int CHoverButton::OnGtkDraw(void* widget, cairo_t* cr, CHoverButton* self) {
    GtkWidget* gtkWidget = static_cast<GtkWidget*>(widget);
    const wxRect rect(0, 0, gtk_widget_get_allocated_width(gtkWidget),
                      gtk_widget_get_allocated_height(gtkWidget));
    self->DrawItem(cr, rect, self->CurrentDrawState());
    return TRUE; // nothing of GtkButton's own look (background, frame, label, focus ring)
}

void CHoverButton::OnGtkStateFlagsChanged(void* widget, int previous, CHoverButton* self) {
    const int now = gtk_widget_get_state_flags(static_cast<GtkWidget*>(widget));
    const int changed = now ^ previous;
    // The button or a parent was disabled.
    if ((changed & now & GTK_STATE_FLAG_INSENSITIVE) != 0)
        self->CancelHover();
    if (changed & (GTK_STATE_FLAG_ACTIVE | GTK_STATE_FLAG_INSENSITIVE | GTK_STATE_FLAG_FOCUSED))
        gtk_widget_queue_draw(static_cast<GtkWidget*>(widget));
}

// Another widget took a grab (a menu, a modal dialog): the counterpart of cancel mode.
void CHoverButton::OnGtkGrabNotify(void*, int wasGrabbed, CHoverButton* self) {
    if (!wasGrabbed)
        self->CancelHover();
}

void CHoverButton::DrawItem(cairo_t* cr, const wxRect& rect, const DrawItemState& state) {
    m_bDrawHot = state.hot;
    m_bPressed = state.pressed;
    m_bDisabled = state.disabled;
    cairo_save(cr);
    DrawFace(cr, rect);
    if (m_bPressed || m_bDrawHot)
        DrawFrame(cr, rect);
    DrawCaption(cr, rect);
    if (state.focused && !state.disabled)
        DrawFocusRect(cr, rect);
    cairo_restore(cr);
}

uint32_t CHoverButton::DrawFace(cairo_t* cr, const wxRect& rect) {
    SetSource(cr, m_stateColors[(m_bDrawHot || m_bPressed) ? ColorBackHot : ColorBackNormal]);
    cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    cairo_fill(cr);
    return 0;
}

uint32_t CHoverButton::DrawFrame(cairo_t* cr, const wxRect& rect) {
    // System colours are read at every draw.
    const wxColour highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const wxColour shadow = GetSysColor(COLOR_BTNSHADOW);
    if (m_bPressed)
        Draw3dRect(cr, rect, shadow, highlight);
    else
        Draw3dRect(cr, rect, highlight, shadow);
    return 0;
}

// The caption wraps at word breaks within the button, each line centred, and the
// block centred as a whole; pressed, everything moves one pixel right and down.
void CHoverButton::DrawCaption(cairo_t* cr, const wxRect& rect) {
    const wxString caption = GetLabelText();
    if (caption.empty())
        return;
    wxRect outer = rect;
    if (m_bPressed)
        outer.Offset(1, 1);

    const wxScopedCharBuffer utf8 = caption.utf8_str();
    PangoLayout* layout = gtk_widget_create_pango_layout(m_widget, utf8.data());
    pango_cairo_update_layout(cr, layout);
    const wxFont font = GetFont(); // may be a temporary default: keep it while in use
    if (const wxNativeFontInfo* info = font.GetNativeFontInfo())
        pango_layout_set_font_description(layout, info->description);
    pango_layout_set_width(layout, outer.width * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);

    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    // Integer division truncates toward zero, as the centring of the measured rectangle must.
    const int left = outer.x + (outer.width - logical.width) / 2;
    const int top = outer.y + (outer.height - logical.height) / 2;

    auto show = [&](int dx, int dy, const wxColour& colour) {
        SetSource(cr, colour);
        cairo_move_to(cr, left + dx - logical.x, top + dy - logical.y);
        pango_cairo_show_layout(cr, layout);
    };
    if (m_bDisabled) {
        // Embossed: highlight one pixel down-right, shadow on top; state colours unused.
        show(1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        show(0, 0, GetSysColor(COLOR_BTNSHADOW));
    } else {
        show(0, 0, m_stateColors[(m_bDrawHot || m_bPressed) ? ColorTextHot : ColorTextNormal]);
    }
    g_object_unref(layout);
}

// A dotted rectangle three pixels inside the edge, in the caption's colour, so it shows
// on either face.
void CHoverButton::DrawFocusRect(cairo_t* cr, const wxRect& rect) {
    constexpr int kInset = 3;
    if (rect.width <= 2 * kInset + 1 || rect.height <= 2 * kInset + 1)
        return;
    SetSource(cr, m_stateColors[(m_bDrawHot || m_bPressed) ? ColorTextHot : ColorTextNormal]);
    const double dash[] = {1.0, 1.0};
    cairo_save(cr);
    cairo_set_dash(cr, dash, 2, 0);
    cairo_set_line_width(cr, 1.0);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(cr, rect.x + kInset + 0.5, rect.y + kInset + 0.5, rect.width - 2 * kInset - 1,
                    rect.height - 2 * kInset - 1);
    cairo_stroke(cr);
    cairo_restore(cr);
}

wxImage CHoverButton::RenderToImage(const DrawItemState& state) {
    const wxSize size = GetSize();
    wxImage image(size.x, size.y);
    if (size.x <= 0 || size.y <= 0)
        return image;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.x, size.y);
    cairo_t* cr = cairo_create(surface);
    DrawItem(cr, wxRect(0, 0, size.x, size.y), state);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < size.y; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < size.x; ++x)
            image.SetRGB(x, y, (row[x] >> 16) & 0xFF, (row[x] >> 8) & 0xFF, row[x] & 0xFF);
    }
    cairo_surface_destroy(surface);
    return image;
}

void CHoverButton::SetTipText(const char* text, bool activate) {
    if (!text)
        return;
    if (!m_tipLabel) {
        // The tip's content: a wrapping label, kept for the button's lifetime.
        GtkWidget* label = gtk_label_new(nullptr);
        gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
        gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
        PangoContext* context = gtk_widget_get_pango_context(label);
        PangoFontMetrics* metrics = pango_context_get_metrics(context, nullptr, nullptr);
        const int charWidth = std::max(pango_font_metrics_get_approximate_char_width(metrics),
                                       pango_font_metrics_get_approximate_digit_width(metrics));
        pango_font_metrics_unref(metrics);
        if (charWidth > 0)
            gtk_label_set_max_width_chars(GTK_LABEL(label), kTipMaxWidth * PANGO_SCALE / charWidth);
        m_tipLabel = g_object_ref_sink(label);
    }
    if (!m_bHasTool) {
        m_bHasTool = true;
        m_toolRect = GetClientRect();
    }
    m_tipText = text;
    gtk_label_set_text(GTK_LABEL(m_tipLabel), text);
    m_bTipActive = activate;
    gtk_widget_set_has_tooltip(m_widget, activate);
    atk_object_set_description(gtk_widget_get_accessible(m_widget), activate ? text : "");
}

int CHoverButton::OnGtkQueryTooltip(void*, int x, int y, int keyboardMode, void* tooltip,
                                    CHoverButton* self) {
    if (!self->m_bTipActive || !self->m_bHasTool)
        return FALSE;
    // The tool covers the client rectangle of its creation; keyboard tips have no position.
    if (!keyboardMode && !self->m_toolRect.Contains(x, y))
        return FALSE;
    GtkTooltip* gtkTooltip = static_cast<GtkTooltip*>(tooltip);
    gtk_tooltip_set_custom(gtkTooltip, GTK_WIDGET(self->m_tipLabel));
    const GdkRectangle area{self->m_toolRect.x, self->m_toolRect.y, self->m_toolRect.width,
                            self->m_toolRect.height};
    gtk_tooltip_set_tip_area(gtkTooltip, &area);
    return TRUE;
}
