#pragma once

class QApplication;

// What every page of the program shows the same way, set once for the whole
// application: Polish names of months and days (date pickers, the toolkit's
// dialogs), read-only line edits that show the beginning of a long value,
// one-line fields that keep pasted text on one line, and drop-down lists as wide as their longest entry. Safe to call more than
// once.
void installUiConventions(QApplication *app);
