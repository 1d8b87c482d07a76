#include "search/searchwidget.h"

#include "db/dbtransaction.h"
#include "db/dbwidget.h"
#include "messagebox.h"
#include "userwidget.h"

#include <QSqlQuery>
#include <QSqlRelationalTableModel>

// Deletion of the selected record with the records that depend on it. The
// schema has no foreign keys, so the dependents are removed by explicit
// statements; they run in one transaction, so a failure leaves every table
// as it was.

namespace {

// The highest access level that may delete records.
constexpr int DeleteMaxLevel = 3;

// Statements removing what depends on the hardware records that a condition
// on hardware.iId chooses: their repairs with the repairs' notes, and their
// bills. The hardware rows themselves are left to the caller.
QStringList hardwareDependents(const QString &hardwareIds)
{
    const QString repairs = QLatin1String("repairs.iHardwareId") + hardwareIds;
    return {QLatin1String("DELETE FROM notes WHERE notes.iRepairId IN (SELECT repairs.iId FROM "
                          "repairs WHERE ")
                + repairs + QLatin1Char(')'),
            QLatin1String("DELETE FROM repairs WHERE ") + repairs,
            QLatin1String("DELETE FROM billing WHERE billing.iHardwareId") + hardwareIds};
}

QStringList deletionStatements(SearchWidget::SearchVariant variant, const QString &id)
{
    switch (variant) {
    case SearchWidget::RepairsVariant:
        return {QLatin1String("DELETE FROM repairs WHERE repairs.iId=") + id,
                QLatin1String("DELETE FROM notes WHERE notes.iRepairId=") + id,
                QLatin1String("DELETE FROM billing WHERE billing.iRepairId=") + id};
    case SearchWidget::ClientsVariant: {
        // Every repair and bill of the hardware the client owns goes with it,
        // whichever client such a repair names; they are chosen through the
        // hardware rows, so they go before them.
        QStringList statements{QLatin1String("DELETE FROM clients WHERE clients.iId=") + id};
        statements << hardwareDependents(
            QLatin1String(" IN (SELECT hardware.iId FROM hardware WHERE hardware.iOwner=") + id
            + QLatin1Char(')'));
        statements << QLatin1String("DELETE FROM hardware WHERE hardware.iOwner=") + id
                   << QLatin1String("DELETE FROM notes WHERE notes.iRepairId IN (SELECT "
                                    "repairs.iId FROM repairs WHERE repairs.iClientId=")
                          + id + QLatin1Char(')')
                   << QLatin1String("DELETE FROM repairs WHERE repairs.iClientId=") + id
                   << QLatin1String("DELETE FROM billing WHERE billing.iClientId=") + id;
        return statements;
    }
    case SearchWidget::HardwareVariant: {
        QStringList statements{QLatin1String("DELETE FROM hardware WHERE hardware.iId=") + id};
        statements << hardwareDependents(QLatin1String("=") + id);
        return statements;
    }
    case SearchWidget::BillsVariant:
        return {QLatin1String("DELETE FROM billing WHERE billing.iId=") + id};
    case SearchWidget::TemplatesVariant:
        break;
    }
    return {};
}

} // namespace

void SearchWidget::deleteSelected()
{
    if (!user || user->level > DeleteMaxLevel) {
        MessageBox::warning(tr("Brak uprawnień"),
                            tr("Usuwanie danych jest dostępne tylko dla użytkowników o poziomie "
                               "dostępu od 0 do 3."));
        return;
    }
    if (selectedId < 0) {
        MessageBox::information(tr("Błąd !"), tr("Nie wybrano żadnego elementu !"));
        return;
    }

    QString title;
    QString question;
    switch (variant) {
    case RepairsVariant:
        title = tr("Usunięcie naprawy nr");
        question = tr("Naprawa i wszystkie powiązane elementy zostaną usunięte !");
        break;
    case ClientsVariant:
        title = tr("Usunięcie klienta nr");
        question = tr("Wszystkie dane klienta, powiązany sprzęt, naprawy i rozliczenia zostaną "
                      "bezpowrotnie usunięte !");
        break;
    case HardwareVariant:
        title = tr("Usunięcie sprzętu nr");
        question = tr("Zostanie usunięty sprzęt oraz powiązana z nim naprawa, notatki i "
                      "rozliczenia !");
        break;
    case BillsVariant:
        title = tr("Usunięcie rozliczenia nr");
        question = tr("Rozliczenie zostanie bezpowrotnie usunięte !");
        break;
    case TemplatesVariant:
        return;
    }

    const QString id = QString::number(selectedId);
    if (!MessageBox::confirm(title + QLatin1Char(' ') + id, question))
        return;

    const QStringList statements = deletionStatements(variant, id);
    // Every statement or none: the first failure rolls all back.
    const bool deleted = runInTransaction(db, [&] {
        for (const QString &sql : statements) {
            if (!db->query(sql).isActive())
                return false;
        }
        return true;
    });
    if (!deleted) {
        MessageBox::critical(tr("Błąd usuwania"),
                             tr("Nie udało się usunąć wybranych danych. Żadne dane nie zostały "
                                "zmienione.\n\nSprawdź konfigurację bazy danych bądź skontaktuj "
                                "się z pomocą techniczną."));
        return;
    }

    model->select();
    if (variant != BillsVariant)
        emit dbItemsCountChanged();
}
