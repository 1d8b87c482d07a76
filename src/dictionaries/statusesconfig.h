#pragma once

#include "widgetbase.h"

#include <QMap>
#include <QSqlError>
#include <QString>
#include <QWidget>

class QComboBox;
class StatusesConfigPage;

// What the repair and the hardware status classes share: the status record,
// the loading and listing of their dictionaries and, as pages, the reload on
// show and the move of a status. The page behaviour itself is a
// StatusesConfigPage that the derived class builds.
class StatusesConfig : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    // One configured status. A default record (every number 0, every text
    // empty) stands for a status id that is not configured.
    struct Status
    {
        int statusId = 0;    // iStatusId, stored in repairs.iStatus or hardware.iStoreStatus
        int id = 0;          // iId, the row key
        int group = 0;       // iGroup
        QString description; // sDescription as read
        QString name;        // group label, " " and the description
        QString color;       // sColor, such as "#afff9f"
        int order = 0;       // iOrder within the group
    };

    // What a drop in the tree does: moves the status of row id to position
    // (0-based, as the group is listed now) of group (1 to 3) and stores the
    // new order. False when the status is not listed or the write failed.
    bool moveStatus(int id, int group, int position);

protected:
    StatusesConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);

    // Reads every status of table: statuses by status id (a later row of the
    // same id wins) and sorted by group and order. A status's name is
    // groupLabel(group), " " and its description. Both maps end up empty
    // when db is null or the read fails. Gives why it failed, invalid when
    // it went through.
    static QSqlError loadStatuses(DbWidget *db, const QString &table, QString (*groupLabel)(int),
                                  QMap<int, Status> &statuses, QMap<int, QMap<int, Status>> &sorted);
    // Clears the combo box and fills it in display order: a square of the
    // status colour, the name, the status id as data.
    static void fillComboBox(const QMap<int, QMap<int, Status>> &sorted, QComboBox *combo);

    // The page reloads when it is shown, unless only the window was restored
    // or the box of an addition or an edit is open.
    void showEvent(QShowEvent *event) override;

    StatusesConfigPage *page = nullptr;
};
