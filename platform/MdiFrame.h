#pragma once
// The frames of the fixed tool windows in the main window's workspace.

class QWidget;

// Gives the workspace frame around `window` a title bar with the system menu, the minimise and
// the close box only, and no border the user can drag, as a window of fixed size has (the
// program still sizes it to its contents). Nothing happens to a window without such a
// frame. New flags hide a shown frame, and with it the keyboard of the field that had it: call
// this when the frame takes the window (its parent changes), before it is shown.
void MakeFixedFrame(QWidget& window);

// Places the workspace frame around `window` in the middle of the workspace, its size from its
// contents. Nothing happens to a window without such a frame.
void CentreFrame(QWidget& window);
