#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/dictionarycache.h"
#include "ui_hardwareStatusesConfig.h"

QMap<int, HardwareStatusesConfig::HardwareStatus> HardwareStatusesConfig::Statuses;
QMap<int, QMap<int, HardwareStatusesConfig::HardwareStatus>> HardwareStatusesConfig::SortedStatuses;

HardwareStatusesConfig::HardwareStatusesConfig(QWidget *parent, DbWidget *db, UserWidget *user,
                                               Settings *settings)
    : StatusesConfig(parent, db, user, settings)
{
    setupPage();
}

HardwareStatusesConfig::~HardwareStatusesConfig()
{
    delete ui;
}

void HardwareStatusesConfig::getStatuses(DbWidget *db, bool reread)
{
    DictionaryCache::load(db, DictionaryCache::HardwareStatuses, reread, [db] {
        loadStatuses(db, QStringLiteral("hwstatusesconf"), &groupLabel, Statuses, SortedStatuses);
        return !Statuses.isEmpty();
    });
}

QMap<int, HardwareStatusesConfig::HardwareStatus> HardwareStatusesConfig::setupComboBox(DbWidget *db, QComboBox *combo)
{
    getStatuses(db, true);
    fillComboBox(combo);
    return Statuses;
}

void HardwareStatusesConfig::fillComboBox(QComboBox *combo)
{
    StatusesConfig::fillComboBox(SortedStatuses, combo);
}

QString HardwareStatusesConfig::groupLabel(int group)
{
    switch (group) {
    case 1: return tr("[W serwisie]");
    case 2: return tr("[Poza serwisem]");
    case 3: return tr("[Sprzęt wydany]");
    default: return tr("[Błąd grupy statusu !]");
    }
}

HardwareStatusesConfig::HardwareStatus HardwareStatusesConfig::status(int statusId)
{
    return Statuses.value(statusId);
}
