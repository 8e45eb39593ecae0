// The colours that the sign-in and server address dialogs give their flat buttons.
#pragma once

class CHoverButton;

// Beige face, blue face with white caption while hot; the normal caption stays the
// button's default.
void ColorDialogButton(CHoverButton& button);
