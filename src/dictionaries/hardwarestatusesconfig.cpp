#include "dictionaries/hardwarestatusesconfig.h"
#include "ui_hardwareStatusesConfig.h"

#include "dictionaries/statusdictionary.h"

QMap<int, HardwareStatusesConfig::HardwareStatus> HardwareStatusesConfig::Statuses;
QMap<int, QMap<int, HardwareStatusesConfig::HardwareStatus>> HardwareStatusesConfig::SortedStatuses;

HardwareStatusesConfig::HardwareStatusesConfig(QWidget *parent, DbWidget *db, UserWidget *user,
                                               Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings)
{
    setupPage();
}

HardwareStatusesConfig::~HardwareStatusesConfig()
{
    delete ui;
}

void HardwareStatusesConfig::getStatuses(DbWidget *db)
{
    StatusDictionary::load<HardwareStatusesConfig>(db, QStringLiteral("hwstatusesconf"),
                                                   Statuses, SortedStatuses);
}

void HardwareStatusesConfig::setupComboBox(DbWidget *db, QComboBox *combo)
{
    getStatuses(db);
    StatusDictionary::fillComboBox(SortedStatuses, combo);
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
