#pragma once

#include <QTreeWidget>

// The tree of a status configuration page: three group rows with their
// statuses. A status dragged to another place is not moved by the tree
// itself: the drop only reports where it was dropped, and the page stores the
// new order and rebuilds the tree from the database.
class StatusesTree : public QTreeWidget
{
    Q_OBJECT
public:
    explicit StatusesTree(QWidget *parent = nullptr);

    // Where a status dropped at pos (viewport coordinates) goes: the index of
    // the group row (0 to 2) and the index within that group before which it
    // is put (the group's row count for its end). False where no status may
    // be dropped.
    bool dropTarget(const QPoint &pos, int *groupIndex, int *row) const;

signals:
    void statusDropped(QTreeWidgetItem *item, int groupIndex, int row);

protected:
    void dropEvent(QDropEvent *event) override;
};
