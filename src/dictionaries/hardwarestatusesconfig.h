#pragma once

#include "dictionaries/statusesconfig.h"

#include <QMap>
#include <QString>

class QComboBox;

namespace Ui {
class hardwareStatusesConfig;
}

// The hardware (store) statuses (table hwstatusesconf) in three groups: 1 in
// the shop, 2 out of the shop, 3 handed back. The class is the configuration
// page of the statuses and, through its static members, the process-wide
// dictionary that every register reads.
class HardwareStatusesConfig : public StatusesConfig
{
    Q_OBJECT
public:
    using HardwareStatus = StatusesConfig::Status;

    HardwareStatusesConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~HardwareStatusesConfig() override;

    // Status id -> status, as read by the last getStatuses().
    static QMap<int, HardwareStatus> Statuses;
    // Group -> order -> status: walking it gives the display sequence.
    static QMap<int, QMap<int, HardwareStatus>> SortedStatuses;

    // Refills both maps from the database once per connection, or again
    // with reread; a failed read leaves them empty.
    static void getStatuses(DbWidget *db, bool reread = false);
    // Reads the statuses afresh (a page opened shows what other workstations
    // changed meanwhile) and fills the combo box as fillComboBox() does.
    // Gives the statuses the box offers, by status id (empty when the read
    // failed): a page that acts on a pick keeps them, since the maps may be
    // read anew, or fail to be, while it is on screen.
    static QMap<int, HardwareStatus> setupComboBox(DbWidget *db, QComboBox *combo);
    // Clears the combo box and fills it with the statuses of the last load,
    // in display order: a square of the status colour, the name, the status
    // id as data.
    static void fillComboBox(QComboBox *combo);

    // "[W serwisie]", "[Poza serwisem]", "[Sprzęt wydany]" or
    // "[Błąd grupy statusu !]".
    static QString groupLabel(int group);
    // The status of the given id, or a default record; never adds to the map.
    static HardwareStatus status(int statusId);

private:
    void setupPage();

    Ui::hardwareStatusesConfig *ui = nullptr;
};
