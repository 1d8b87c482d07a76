#pragma once

#include "dictionaries/statusesconfig.h"

#include <QMap>
#include <QString>

class QComboBox;

namespace Ui {
class repairStatusesConfig;
}

// The repair statuses (table statusesconf) in three groups: 1 open,
// 2 waiting, 3 closed. The class is the configuration page of the statuses
// and, through its static members, the process-wide dictionary that every
// register reads.
class RepairStatusesConfig : public StatusesConfig
{
    Q_OBJECT
public:
    using RepairStatus = StatusesConfig::Status;

    RepairStatusesConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~RepairStatusesConfig() override;

    // Status id -> status, as read by the last getStatuses().
    static QMap<int, RepairStatus> Statuses;
    // Group -> order -> status: walking it gives the display sequence.
    static QMap<int, QMap<int, RepairStatus>> SortedStatuses;

    // Refills both maps from the database once per connection, or again
    // with reread; a failed read leaves them empty and gives why.
    static QSqlError getStatuses(DbWidget *db, bool reread = false);
    // Reads the statuses afresh (a page opened shows what other workstations
    // changed meanwhile) and fills the combo box as fillComboBox() does.
    // Gives the statuses the box offers, by status id (empty when the read
    // failed): a page that acts on a pick keeps them, since the maps may be
    // read anew, or fail to be, while it is on screen.
    static QMap<int, RepairStatus> setupComboBox(DbWidget *db, QComboBox *combo);
    // Clears the combo box and fills it with the statuses of the last load,
    // in display order: a square of the status colour, the name, the status
    // id as data.
    static void fillComboBox(QComboBox *combo);

    // "[Otwarta]", "[Oczekująca]", "[Zamknięta]" or "[Błąd grupy statusu !]".
    static QString groupLabel(int group);
    // The status of the given id, or a default record; never adds to the map.
    static RepairStatus status(int statusId);

private:
    void setupPage();

    Ui::repairStatusesConfig *ui = nullptr;
};
