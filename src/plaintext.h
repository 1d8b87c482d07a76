#pragma once

#include <QString>

class QLabel;

// Text from the database, a file or a server is shown as text, never read as
// markup. The toolkit reads a label's or a tool tip's text as HTML when it
// looks like HTML, and HTML may load files (<img src="...">) or freeze on
// them; every place that shows such text goes through these.
namespace PlainText {

// Shows text in label as it is ("&" too, when the label has a buddy).
void show(QLabel *label, const QString &text);

// text as a piece of HTML that reads as the text: markup characters escaped,
// runs of blanks and line breaks kept, control characters shown as blanks.
QString markup(const QString &text);

// A tool tip that shows text as it is.
QString toolTip(const QString &text);

// The text of a button, a group box or a menu entry: "&" shows as itself
// instead of marking a shortcut.
QString buttonText(const QString &text);

// The first line of text, without the blanks at its ends, cut to at most max
// characters (the last three being "..." after a cut).
QString firstLine(const QString &text, int max);

} // namespace PlainText
