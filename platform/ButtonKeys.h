#pragma once
// Enter on the focused push button of a window that is not a dialog.

class QWidget;

// Makes Enter (Return or the keypad's Enter) on a focused push button of `window` press that
// button, as it does in a dialog. Outside a dialog Qt leaves the key of a button that is not the
// default button to its window, whose own Enter (most often the default button's action) would
// run instead. Covers the push buttons `window` holds when this is called.
void PressFocusedButtonOnEnter(QWidget& window);
