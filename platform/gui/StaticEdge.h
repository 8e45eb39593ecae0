// The thin sunken edge of static texts and radio buttons. GTK draws no border for a
// label, so the edge is painted over the widget after its own drawing: one pixel,
// shadow colour at the top and left, highlight colour at the bottom and right.
#pragma once

#include <cairo.h>

class wxWindow;

namespace platform {

// Gives the window a painted sunken edge (and a one-pixel inset for its content).
// Calling it again for the same window does nothing.
void EnableStaticEdge(wxWindow* window);

// True when EnableStaticEdge has been called for the window.
bool HasStaticEdge(const wxWindow* window);

// Paints the edge just inside (0, 0, width, height) with the current system shadow
// and highlight colours (COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT).
void DrawStaticEdge(cairo_t* cr, int width, int height);

} // namespace platform
