// The configuration page of the hardware statuses.
#include "dictionaries/hardwarestatusesconfig.h"
#include "ui_hardwareStatusesConfig.h"

#include "dictionaries/statusesconfigpage.h"

void HardwareStatusesConfig::setupPage()
{
    ui = new Ui::hardwareStatusesConfig;
    ui->setupUi(this);

    StatusesConfigPage::Twin twin;
    twin.table = QStringLiteral("hwstatusesconf");
    twin.uses = QStringLiteral("hardware WHERE iStoreStatus = %1");
    twin.groupRows = QStringList{tr("Statusy sprzętu: [W serwisie]"),
                                 tr("Statusy sprzętu: [Poza serwisem]"),
                                 tr("Statusy sprzętu: [Sprzęt wydany]")};
    twin.addTitle = tr("Dodaj nowy status sprzętu");
    twin.editTitle = tr("Edytuj status sprzętu");
    twin.addConfirmTitle = tr("Nowy status sprzętu");
    twin.missingTitle = tr("Błąd statusu sprzętu !");
    twin.inUseTitle = tr("Status sprzętu w użyciu !");
    twin.inUseText = tr("Ten status sprzętu jest obecnie używany w bazie danych. Nie można usuwać "
                        "statusów które są w użyciu.");
    twin.deleteTitle = tr("Usuwanie statusu sprzętu");
    twin.deleteSentence = tr("Ten status sprzętu zostanie trwale usunięty !");
    twin.groupLabel = &HardwareStatusesConfig::groupLabel;
    twin.load = &StatusesConfigPage::dictionaryEntries<HardwareStatusesConfig>;
    page = new StatusesConfigPage(this, db, twin);
}
