#include "dialogs/DialogButtons.h"

#include "controls/HoverButton.h"

void ColorDialogButton(CHoverButton& button) {
    button.SetStateColor(CHoverButton::ColorBackNormal, wxColour(245, 245, 220), true);
    button.SetStateColor(CHoverButton::ColorBackHot, wxColour(0, 0, 255), true);
    button.SetStateColor(CHoverButton::ColorTextHot, wxColour(255, 255, 255), true);
}
