// CHoverButton: the flat push button of every dialog. A native GTK button (focus,
// keyboard activation, click notification and accessibility stay the platform's)
// whose drawing the class takes over: a face in one of four state colours, a raised
// one-pixel frame while hot (pointer over it), a sunken one while pressed, the caption
// centred over one or more lines, embossed when disabled. A dotted focus rectangle shows
// keyboard focus only while the keyboard is in use (a key pressed in the window since
// the last mouse click), so the pointer's look stays the flat one.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <cairo.h>
#include <wx/button.h>
#include <wx/image.h>

class CHoverButton : public wxButton {
  public:
    // Colour slots of SetStateColor.
    enum ColorSlot : unsigned {
        ColorBackHot = 0,    // face while hot or pressed
        ColorTextHot = 1,    // caption while hot or pressed
        ColorBackNormal = 2, // face otherwise
        ColorTextNormal = 3, // caption otherwise
    };

    // What one drawing shows; the live button draws its current state.
    struct DrawItemState {
        bool hot = false;
        bool pressed = false; // held down by the pointer or the space bar
        bool disabled = false;
        bool focused = false; // keyboard focus on the button, shown
    };

    // Two-step creation: construct, then Create (e.g. from a dialog-template factory).
    CHoverButton();
    CHoverButton(wxWindow* parent, wxWindowID id, const wxString& label,
                 const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                 long style = 0);
    ~CHoverButton() override;

    bool Create(wxWindow* parent, wxWindowID id, const wxString& label,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = 0);

    // Stores the colour of a slot; repaints when repaint is true. Initial colours: faces
    // COLOR_BTNFACE, captions COLOR_BTNTEXT.
    void SetStateColor(ColorSlot slot, const wxColour& colour, bool repaint);

    // Gives the button a tooltip with text (UTF-8), active or inactive. The tool is
    // added on the first call (covering the client rectangle of that moment); later
    // calls replace its text. Tips wrap at 400 pixels. A null text does nothing.
    void SetTipText(const char* text, bool activate);

    // The tooltip as set so far: whether a tool exists, its text, active or not.
    bool HasTipTool() const { return m_bHasTool; }
    const std::string& GetTipText() const { return m_tipText; }
    bool IsTipActive() const { return m_bTipActive; }
    wxRect GetTipToolRect() const { return m_toolRect; }

    // Hot: drawn in the hot colours because the pointer was last seen over it.
    bool IsHot() const { return m_bHot; }

    // Pressed as the platform tracks it (pointer or space bar held on the button).
    bool IsPressed() const;

    // Keyboard focus is on the button and the window shows keyboard focus.
    bool ShowsKeyboardFocus() const;

    // The state the button would be drawn in now.
    DrawItemState CurrentDrawState() const;

    // Draws face, frame and caption of state into rect of cr. Called for every paint
    // of the button; also usable to render into an image surface.
    void DrawItem(cairo_t* cr, const wxRect& rect, const DrawItemState& state);

    // Renders the button at its current size in state, into an RGB image.
    wxImage RenderToImage(const DrawItemState& state);

    // Leaves the hot state and repaints (pointer gone, focus lost, disabled,
    // window deactivated).
    void CancelHover();

    void SetLabel(const wxString& label) override;
    bool Enable(bool enable = true) override;

  protected:
    // Face: a solid fill of ColorBackHot when hot or pressed, else ColorBackNormal.
    // Returns 0. Replaceable by a subclass, like the frame.
    virtual uint32_t DrawFace(cairo_t* cr, const wxRect& rect);

    // Frame: one pixel just inside rect, sunken (shadow top-left, highlight
    // bottom-right) when pressed, raised otherwise. Returns 0.
    virtual uint32_t DrawFrame(cairo_t* cr, const wxRect& rect);

    // The state of the drawing under way, for DrawFace and DrawFrame.
    bool m_bDrawHot = false;
    bool m_bPressed = false;
    bool m_bDisabled = false;

  private:
    void Init();
    void ConnectGtk();
    void PrepareLabelWidget();
    void NameForAssistiveTech();
    void DrawCaption(cairo_t* cr, const wxRect& rect);
    void DrawFocusRect(cairo_t* cr, const wxRect& rect);
    void WatchFocusVisible();
    void UpdateHotFromPointer(bool pointerInside, bool leftDown);
    void OnEnter(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnTopLevelActivate(wxActivateEvent& event);

    static int OnGtkDraw(void* widget, cairo_t* cr, CHoverButton* self);
    static void OnGtkStateFlagsChanged(void* widget, int previous, CHoverButton* self);
    static void OnGtkGrabNotify(void* widget, int wasGrabbed, CHoverButton* self);
    static void OnGtkFocusVisibleChanged(void* window, void* pspec, CHoverButton* self);
    static int OnGtkQueryTooltip(void* widget, int x, int y, int keyboard, void* tooltip,
                                 CHoverButton* self);

    bool m_bHot = false;
    std::array<wxColour, 4> m_stateColors;
    bool m_bHasTool = false;
    bool m_bTipActive = false;
    std::string m_tipText;
    wxRect m_toolRect;
    void* m_tipLabel = nullptr; // GtkLabel shown in the tooltip, owned by the button
    void* m_topLevel = nullptr; // GtkWindow whose focus-visible flag the button follows (weak)
};
