#pragma once

#include "ui_topFrameWidget.h"
#include "widgetbase.h"

#include <QWidget>

class QTimer;

// The header bar of the main window: the logged-in user and the numbers of
// open and waiting repairs, recounted on request and every 15 minutes.
class TopFrameWidget : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    TopFrameWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~TopFrameWidget() override;

    static constexpr int ReloadInterval = 900000;

    // Number of repairs whose status belongs to the group (1 open, 2 waiting,
    // 3 closed); -1 when the statement fails.
    static int repairsInGroup(DbWidget *db, int group);
    // A count as a counter shows it: a dash for one that could not be read.
    static QString countText(int count);

    // The last counts read; a reload whose statement fails keeps them.
    int openCount() const { return m_open; }
    int waitingCount() const { return m_waiting; }
    QTimer *reloadTimer() const { return m_timer; }

public Q_SLOTS:
    void reload();

private:
    Ui::topFrameWidget *ui;
    QTimer *m_timer;
    int m_open = 0;
    int m_waiting = 0;
};
