#include "search/searchwidget.h"

#include "db/dbtransaction.h"
#include "db/dbwidget.h"
#include "messagebox.h"
#include "records/recordmodel.h"
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

// Reads the ids a query lists into ids. Inside the deletion's transaction,
// so on MySQL the rows are locked until it ends (SQLite holds the whole file
// already). False when the query fails.
bool readIds(DbWidget *db, const QString &sql, QStringList *ids)
{
    QSqlQuery q = db->query(db->dbType == DbWidget::MySQL ? sql + QLatin1String(" FOR UPDATE") : sql);
    if (!q.isActive())
        return false;
    while (q.next())
        ids->append(q.value(0).toString());
    return true;
}

// Locks the record itself before its dependents are read: a device or a
// repair that another workstation stores for it meanwhile holds the record
// first (see holdRecords()), so it waits for the deletion and then finds the
// record gone, instead of being stored after the read and left behind. A
// record already gone lets the deletion of the rest go on.
bool lockRecord(DbWidget *db, const QString &table, const QString &id)
{
    return RecordModel::rowState(db, table, id.toInt(), /*lock*/ true) != RecordModel::RowState::Unreadable;
}

QString inList(const QStringList &ids)
{
    return QLatin1String(" IN (") + ids.join(QLatin1Char(',')) + QLatin1Char(')');
}

// The listed repairs with their notes and bills, as a repair deleted by
// itself: a bill left behind would name a repair that is gone, or on SQLite
// the next repair given its id.
QStringList repairsWithNotes(const QStringList &repairIds)
{
    if (repairIds.isEmpty())
        return {};
    return {QLatin1String("DELETE FROM notes WHERE notes.iRepairId") + inList(repairIds),
            QLatin1String("DELETE FROM billing WHERE billing.iRepairId") + inList(repairIds),
            QLatin1String("DELETE FROM repairs WHERE repairs.iId") + inList(repairIds)};
}

// The statements deleting a record with what depends on it. The dependents'
// ids are read first and named in the statements: MariaDB runs a DELETE
// with a subquery as a scan of the whole table. False when a read fails.
bool deletionStatements(DbWidget *db, SearchWidget::SearchVariant variant, const QString &id,
                        QStringList *statements)
{
    switch (variant) {
    case SearchWidget::RepairsVariant:
        // The repair first, as a note, a status change or a bill holds it.
        if (!lockRecord(db, QStringLiteral("repairs"), id))
            return false;
        *statements << repairsWithNotes({id});
        return true;
    case SearchWidget::ClientsVariant: {
        // The client's own repairs with their notes and bills, the bills
        // naming the client and the hardware the client owns. A repair of
        // that hardware naming another client stays with its notes and
        // bills: it is that client's record.
        QStringList hardware;
        QStringList repairs;
        if (!lockRecord(db, QStringLiteral("clients"), id)
            || !readIds(db, QLatin1String("SELECT hardware.iId FROM hardware WHERE hardware.iOwner=") + id, &hardware)
            || !readIds(db, QLatin1String("SELECT repairs.iId FROM repairs WHERE repairs.iClientId=") + id, &repairs))
            return false;
        *statements << QLatin1String("DELETE FROM clients WHERE clients.iId=") + id << repairsWithNotes(repairs)
                    << QLatin1String("DELETE FROM billing WHERE billing.iClientId=") + id;
        if (!hardware.isEmpty())
            *statements << QLatin1String("DELETE FROM hardware WHERE hardware.iId") + inList(hardware);
        return true;
    }
    case SearchWidget::HardwareVariant: {
        QStringList repairs;
        if (!lockRecord(db, QStringLiteral("hardware"), id)
            || !readIds(db, QLatin1String("SELECT repairs.iId FROM repairs WHERE repairs.iHardwareId=") + id, &repairs))
            return false;
        *statements << QLatin1String("DELETE FROM hardware WHERE hardware.iId=") + id << repairsWithNotes(repairs)
                    << QLatin1String("DELETE FROM billing WHERE billing.iHardwareId=") + id;
        return true;
    }
    case SearchWidget::BillsVariant:
        *statements << QLatin1String("DELETE FROM billing WHERE billing.iId=") + id;
        return true;
    case SearchWidget::TemplatesVariant:
        break;
    }
    return true;
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

    // The record asked about: the list may be read again while the question
    // is open, which drops the selection.
    const int chosen = selectedId;
    const QString id = QString::number(chosen);
    if (!MessageBox::confirm(title + QLatin1Char(' ') + id, question))
        return;

    // Every statement or none: the first failure rolls all back.
    const bool deleted = runInTransaction(db, [&] {
        QStringList statements;
        if (!deletionStatements(db, variant, id, &statements))
            return false;
        for (const QString &sql : std::as_const(statements)) {
            if (!db->query(sql).isActive())
                return false;
        }
        return true;
    });
    // A COMMIT whose answer went with the link: the record's own row, read
    // on a new one, tells whether all of it went (it goes with the rest or
    // not at all).
    if (!deleted && !db->deletionCommitted(model->tableName(), chosen)) {
        if (db->commitUncertain())
            MessageBox::deletionUncertain();
        else
            MessageBox::critical(tr("Błąd usuwania"),
                                 tr("Nie udało się usunąć wybranych danych. Żadne dane nie zostały zmienione.\n\n"
                                    "Sprawdź konfigurację bazy danych bądź skontaktuj się z pomocą techniczną."));
        return;
    }

    model->select();
    if (variant != BillsVariant)
        emit dbItemsCountChanged();
}
