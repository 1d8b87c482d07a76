#pragma once

#include <QPoint>
#include <functional>

class QAction;
class QMenu;

// The one place where the program runs pop-up menus modally. Tests install a
// handler that records the menu and returns a chosen entry instead of opening
// a window.
class PopupMenu
{
public:
    using Handler = std::function<QAction *(QMenu *menu, const QPoint &at)>;

    // Runs menu at the global point at; the chosen entry, or null.
    static QAction *exec(QMenu *menu, const QPoint &at);
    static void setHandler(Handler handler);

private:
    static Handler s_handler;
};
