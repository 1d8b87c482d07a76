#include "dictionaries/statusestree.h"

#include <QDropEvent>

StatusesTree::StatusesTree(QWidget *parent) : QTreeWidget(parent) {}

bool StatusesTree::dropTarget(const QPoint &pos, int *groupIndex, int *row) const
{
    QTreeWidgetItem *item = itemAt(pos);
    if (!item)
        return false;
    QTreeWidgetItem *group = item->parent() ? item->parent() : item;
    *groupIndex = indexOfTopLevelItem(group);
    if (item == group) {
        // On a group row: at the end of that group.
        *row = group->childCount();
    } else {
        const int index = group->indexOfChild(item);
        *row = pos.y() < visualItemRect(item).center().y() ? index : index + 1;
    }
    return true;
}

void StatusesTree::dropEvent(QDropEvent *event)
{
    // Only a status of this tree can be dropped here.
    QTreeWidgetItem *dragged = currentItem();
    const bool ours = !event->source() || event->source() == this;
    int groupIndex = -1;
    int row = -1;
    const bool accepted = ours && dragged && dragged->parent()
        && dropTarget(event->position().toPoint(), &groupIndex, &row);

    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    if (!accepted) {
        event->ignore();
        return;
    }
    // Not a move action: the view must not remove the dragged row itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    emit statusDropped(dragged, groupIndex, row);
}
