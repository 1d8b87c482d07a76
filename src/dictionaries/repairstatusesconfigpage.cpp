// The configuration page of the repair statuses.
#include "dictionaries/repairstatusesconfig.h"
#include "ui_repairStatusesConfig.h"

#include "dictionaries/statusesconfigpage.h"

void RepairStatusesConfig::setupPage()
{
    ui = new Ui::repairStatusesConfig;
    ui->setupUi(this);

    StatusesConfigPage::Twin twin;
    twin.table = QStringLiteral("statusesconf");
    twin.uses = QStringLiteral("repairs WHERE iStatus = %1");
    twin.groupRows = QStringList{tr("Statusy dla napraw: [Otwarte]"),
                                 tr("Statusy dla napraw: [Oczekujące]"),
                                 tr("Statusy dla napraw: [Zamknięte]")};
    twin.addTitle = tr("Dodaj nowy status naprawy");
    twin.editTitle = tr("Edytuj status naprawy");
    twin.addConfirmTitle = tr("Nowy status naprawy");
    twin.missingTitle = tr("Błąd statusu naprawy !");
    twin.inUseTitle = tr("Status naprawy w użyciu !");
    twin.inUseText = tr("Ten status naprawy jest obecnie używany w bazie danych. Nie można usuwać "
                        "statusów które są w użyciu.");
    twin.deleteTitle = tr("Usuwanie statusu naprawy");
    twin.deleteSentence = tr("Ten status naprawy zostanie trwale usunięty !");
    twin.groupLabel = &RepairStatusesConfig::groupLabel;
    twin.load = &StatusesConfigPage::dictionaryEntries<RepairStatusesConfig>;
    page = new StatusesConfigPage(this, db, twin);
}
