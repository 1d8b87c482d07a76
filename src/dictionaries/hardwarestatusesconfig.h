#pragma once

#include "widgetbase.h"

#include <QMap>
#include <QString>
#include <QWidget>

class QComboBox;
class StatusesConfigPage;

namespace Ui {
class hardwareStatusesConfig;
}

// The hardware (store) statuses (table hwstatusesconf) in three groups: 1 in
// the shop, 2 out of the shop, 3 handed back. The class is the configuration
// page of the statuses and, through its static members, the process-wide
// dictionary that every register reads.
class HardwareStatusesConfig : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    // One configured status. A default record (every number 0, every text
    // empty) stands for a status id that is not configured.
    struct HardwareStatus
    {
        int statusId = 0;    // iStatusId, stored in hardware.iStoreStatus
        int id = 0;          // iId, the row key
        int group = 0;       // iGroup
        QString description; // sDescription as read
        QString name;        // group label, " " and the description
        QString color;       // sColor, such as "#95ff89"
        int order = 0;       // iOrder within the group
    };

    HardwareStatusesConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~HardwareStatusesConfig() override;

    // Status id -> status, as read by the last getStatuses().
    static QMap<int, HardwareStatus> Statuses;
    // Group -> order -> status: walking it gives the display sequence.
    static QMap<int, QMap<int, HardwareStatus>> SortedStatuses;

    // Refills both maps from the database; a failed read leaves them empty.
    static void getStatuses(DbWidget *db);
    // Reloads the statuses, clears the combo box and fills it in display
    // order: a square of the status colour, the name, the status id as data.
    static void setupComboBox(DbWidget *db, QComboBox *combo);

    // "[W serwisie]", "[Poza serwisem]", "[Sprzęt wydany]" or
    // "[Błąd grupy statusu !]".
    static QString groupLabel(int group);
    // The status of the given id, or a default record; never adds to the map.
    static HardwareStatus status(int statusId);

    // What a drop in the tree does: moves the status of row id to position
    // (0-based, as the group is listed now) of group (1 to 3) and stores the
    // new order. False when the status is not listed or the write failed.
    bool moveStatus(int id, int group, int position);

protected:
    // The page reloads every time it is shown.
    void showEvent(QShowEvent *event) override;

private:
    void setupPage();

    Ui::hardwareStatusesConfig *ui = nullptr;
    StatusesConfigPage *page = nullptr;
};
