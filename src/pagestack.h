#pragma once

class QStackedWidget;

// Lets a stack of pages ask for the room of the page it shows, and never for
// less than the minimum size its form gave it. Left alone, a stack asks for the
// room of its largest page, shown or not (a picker left behind widens the
// intake), and a minimum size set on the stack squeezes a wider page that it
// shows (the search page under the repairs start page) instead of letting the
// main window's page area scroll.
void sizeStackToCurrentPage(QStackedWidget *stack);
