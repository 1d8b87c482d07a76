#include "popupmenu.h"

#include <QMenu>

PopupMenu::Handler PopupMenu::s_handler;

QAction *PopupMenu::exec(QMenu *menu, const QPoint &at)
{
    if (!menu)
        return nullptr;
    if (s_handler)
        return s_handler(menu, at);
    return menu->exec(at);
}

void PopupMenu::setHandler(Handler handler)
{
    s_handler = std::move(handler);
}
