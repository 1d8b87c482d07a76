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

bool RepairStatusesConfig::getStatuses(DbWidget *db, bool reread)
{
    bool read = true;
    DictionaryCache::load(db, DictionaryCache::RepairStatuses, reread, [db, &read] {
        read = loadStatuses(db, QStringLiteral("statusesconf"), &groupLabel, Statuses, SortedStatuses);
        return !Statuses.isEmpty();
    });
    return read;
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
