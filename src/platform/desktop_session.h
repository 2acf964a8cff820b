#pragma once

// What the program learns from the desktop session at start-up.

// Whether a display can be reached (X11, or a Wayland socket), so that
// messages can be shown as message boxes.
bool displayAvailable();

// Whether a SHIFT key is held right now. Without a display it never is. The
// desktop launcher's "open settings" action sets FENNICK_SHIFT=1 to stand in
// for SHIFT, since on Wayland no program can read the keyboard at start-up.
bool shiftKeyHeld();
