#pragma once

// What the program learns from the desktop session at start-up.

// Whether the environment names a display (DISPLAY or WAYLAND_DISPLAY), so
// that one may be reached. Cheap: nothing is connected to.
bool displayNamed();

// Whether the desktop launcher's "open settings" action started the program:
// it sets FENNICK_SHIFT=1 to stand in for SHIFT, since on Wayland no program
// can read the keyboard at start-up.
bool launcherAsksForWindow();

// Whether a display can be reached (X11, or a Wayland socket), so that
// messages can be shown as message boxes.
bool displayAvailable();

// Whether SHIFT is held right now, or the launcher stands in for it. Without
// a display the key is never held.
bool shiftKeyHeld();
