#include "dictionaries/repairstatusesconfig.h"
#include "dictionaries/dictionarycache.h"
#include "ui_repairStatusesConfig.h"

QMap<int, RepairStatusesConfig::RepairStatus> RepairStatusesConfig::Statuses;
QMap<int, QMap<int, RepairStatusesConfig::RepairStatus>> RepairStatusesConfig::SortedStatuses;

RepairStatusesConfig::RepairStatusesConfig(QWidget *parent, DbWidget *db, UserWidget *user,
                                           Settings *settings)
    : StatusesConfig(parent, db, user, settings)
{
    setupPage();
}

RepairStatusesConfig::~RepairStatusesConfig()
{
    delete ui;
}

QSqlError RepairStatusesConfig::getStatuses(DbWidget *db, bool reread)
{
    QSqlError failed;
    DictionaryCache::load(db, DictionaryCache::RepairStatuses, reread, [db, &failed] {
        failed = loadStatuses(db, QStringLiteral("statusesconf"), &groupLabel, Statuses, SortedStatuses);
        return !Statuses.isEmpty();
    });
    return failed;
}

QMap<int, RepairStatusesConfig::RepairStatus> RepairStatusesConfig::setupComboBox(DbWidget *db, QComboBox *combo)
{
    getStatuses(db, true);
    fillComboBox(combo);
    return Statuses;
}

void RepairStatusesConfig::fillComboBox(QComboBox *combo)
{
    StatusesConfig::fillComboBox(SortedStatuses, combo);
}

QString RepairStatusesConfig::groupLabel(int group)
{
    switch (group) {
    case 1: return tr("[Otwarta]");
    case 2: return tr("[Oczekująca]");
    case 3: return tr("[Zamknięta]");
    default: return tr("[Błąd grupy statusu !]");
    }
}

RepairStatusesConfig::RepairStatus RepairStatusesConfig::status(int statusId)
{
    return Statuses.value(statusId);
}
