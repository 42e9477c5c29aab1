// Whether the display the environment names answers. Qt ends the whole process when its
// platform cannot connect, which a library inside someone else's process must never cause,
// so the provider looks before it starts Qt.
#pragma once

namespace brelmoxscc {

// True when DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM names a display.
bool DisplayNamed();

// True for a platform that needs no server (offscreen and the like), or when the X or
// Wayland server that DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM name accepts a connection.
bool DisplayAnswers();

}  // namespace brelmoxscc
