#include "records/repair.h"

#include "db/dbwidget.h"
#include "dictionaries/repairstatusesconfig.h"
#include "dictionaries/technicians.h"

#include <QCoreApplication>
#include <QSqlQuery>

QStringList Repair::Types[2] = {
    { QString(), QCoreApplication::translate("Repair", "Niegwarancyjna"),
      QCoreApplication::translate("Repair", "Gwarancyjna"),
      QCoreApplication::translate("Repair", "Pogwarancyjna"),
      QCoreApplication::translate("Repair", "Umowa") },
    { QStringLiteral("-1"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
      QStringLiteral("3") }
};

Repair::Repair(QObject *parent, DbWidget *db) : RecordModel(parent, db)
{
    RepairStatusesConfig::getStatuses(db);
    setTable(QStringLiteral("repairs"));

    setHeaders({
        { QStringLiteral("iId"), QStringLiteral("ID") },
        { QStringLiteral("sNum"), tr("Numer naprawy") },
        { QStringLiteral("iAddDate"), tr("Data dodania") },
        { QStringLiteral("iEndDate"), tr("Ukończenie") },
        { QStringLiteral("iType"), tr("Rodzaj") },
        { QStringLiteral("sCost"), tr("Koszt naprawy") },
        { QStringLiteral("sMCost"), tr("Koszt materiałów") },
        { QStringLiteral("sDefect"), tr("Opis uszkodzenia") },
        { QStringLiteral("sSolution"), tr("Opis naprawy") },
        { QStringLiteral("sComment"), tr("Komentarz") },
        { QStringLiteral("sOuterNo"), tr("Numer zewnętrzny") },
        { QStringLiteral("iStatus"), tr("Status") },
        { QStringLiteral("iProgress"), tr("Postęp") },
        { QStringLiteral("iClientId"), tr("Klient") },
        { QStringLiteral("iHardwareId"), tr("Sprzęt") },
        { QStringLiteral("iSubmitterId"), tr("Wprowadzający") },
        { QStringLiteral("iTechnicanId"), tr("Obsługujący") },
    });

    setRelation(fieldIndex(QStringLiteral("iClientId")),
                QSqlRelation(QStringLiteral("clients"), QStringLiteral("iId"), QStringLiteral("sSName")));
    setRelation(fieldIndex(QStringLiteral("iHardwareId")),
                QSqlRelation(QStringLiteral("hardware"), QStringLiteral("iId"), QStringLiteral("sHName")));

    if (db)
        users = userNames(db);
    updateColumns();
}

Repair::~Repair() = default;

void Repair::updateColumns()
{
    colId = fieldIndex(QStringLiteral("iId"));
    colNum = fieldIndex(QStringLiteral("sNum"));
    colAddDate = fieldIndex(QStringLiteral("iAddDate"));
    colEndDate = fieldIndex(QStringLiteral("iEndDate"));
    colType = fieldIndex(QStringLiteral("iType"));
    colStatus = fieldIndex(QStringLiteral("iStatus"));
    colProgress = fieldIndex(QStringLiteral("iProgress"));
    colSubmitter = fieldIndex(QStringLiteral("iSubmitterId"));
    colTechnican = fieldIndex(QStringLiteral("iTechnicanId"));
}

QString Repair::displayNumber(const QVariant &id, const QString &number, const QVariant &addDate)
{
    return id.toString() + QLatin1Char('/')
        + (number.isEmpty() ? localDate(addDate, QStringLiteral("ddMM")) : number);
}

QVariant Repair::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return RecordModel::data(index, role);

    if (role == Qt::DisplayRole) {
        const int column = index.column();
        const int row = index.row();
        if (column == colAddDate || column == colEndDate)
            return localDate(storedValue(row, column), QStringLiteral("dd/MM/yyyy"));
        if (column == colNum)
            return displayNumber(storedValue(row, colId), storedValue(row, column).toString(),
                                 storedValue(row, colAddDate));
        if (column == colType)
            return getTypeById(storedValue(row, column).toInt());
        if (column == colStatus) {
            const auto it = RepairStatusesConfig::Statuses.constFind(storedValue(row, column).toInt());
            if (it == RepairStatusesConfig::Statuses.constEnd() || it->name.isEmpty())
                return tr("Nieznany status !");
            return it->name;
        }
        if (column == colProgress) {
            const int progress = storedValue(row, column).toInt();
            return progress > 0 ? QString::number(progress) + QStringLiteral(" %") : QString();
        }
        if (column == colSubmitter || column == colTechnican)
            return getUserById(storedValue(row, column).toInt());
    } else if (role == Qt::BackgroundRole) {
        const auto it =
            RepairStatusesConfig::Statuses.constFind(storedValue(index.row(), colStatus).toInt());
        return statusBrush(it == RepairStatusesConfig::Statuses.constEnd() ? QString() : it->color);
    }
    return RecordModel::data(index, role);
}

bool Repair::select()
{
    if (dbw)
        users = userNames(dbw);
    return RecordModel::select();
}

QString Repair::getUserById(int id) const
{
    const auto it = users.constFind(id);
    if (it != users.constEnd())
        return *it;
    return id == 0 ? tr("Nieprzydzielony") : tr("Usunięty");
}

QString Repair::getTypeById(int code)
{
    for (int i = 0; i < Types[1].size(); ++i) {
        if (Types[1].at(i).toInt() == code)
            return Types[0].at(i);
    }
    return tr("Błąd typu !");
}

int Repair::getProgress(DbWidget *db, int repairId)
{
    return readInt(db, QStringLiteral("SELECT iProgress FROM repairs WHERE repairs.iId = %1").arg(repairId));
}

bool Repair::updateProgress(DbWidget *db, int repairId, int progress)
{
    // A repair deleted meanwhile is not reported as updated (MySQL counts
    // the rows matched, so an unchanged value counts as well).
    if (!db)
        return false;
    const QSqlQuery update = db->query(
        QStringLiteral("UPDATE repairs SET iProgress = %1 WHERE repairs.iId=%2").arg(progress).arg(repairId));
    return update.numRowsAffected() > 0;
}

Repair::Update Repair::updateShown(DbWidget *db, int repairId, const QString &assignments,
                                   const QString &column, const QVariant &shown)
{
    if (!db)
        return Update::Failed;
    // The value as read, not as the page takes it for a number: an empty
    // text that another tool stored is no 0.
    bool bound = false;
    const QString unchanged = stillAsRead(db, column, shown, QStringLiteral(":shown"), &bound);
    QSqlQuery update(db->database());
    update.prepare(QStringLiteral("UPDATE repairs SET %1 WHERE iId = %2 AND %3")
                       .arg(assignments)
                       .arg(repairId)
                       .arg(unchanged));
    if (bound)
        update.bindValue(QStringLiteral(":shown"), shown);
    // Both engines count the rows matched, a value written unchanged too.
    if (!db->exec(update))
        return Update::Failed;
    return update.numRowsAffected() > 0 ? Update::Written : Update::ChangedElsewhere;
}

int Repair::dbInsert(DbWidget *db, const QStringList &values)
{
    if (values.size() != 13)
        return -1;
    static const QStringList columns = {
        QStringLiteral("sNum"),      QStringLiteral("iAddDate"),     QStringLiteral("iEndDate"),
        QStringLiteral("iType"),     QStringLiteral("sCost"),        QStringLiteral("sDefect"),
        QStringLiteral("sComment"),  QStringLiteral("sOuterNo"),     QStringLiteral("iStatus"),
        QStringLiteral("iClientId"), QStringLiteral("iHardwareId"),  QStringLiteral("iSubmitterId"),
        QStringLiteral("iTechnicanId")
    };
    return insertRecord(db, QStringLiteral("repairs"), columns, values);
}

int Repair::readIdOfRow(const QString &column, int row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    return readInt(dbw, idOfRowStatement(column, storedValue(row, colId).toString()));
}

QString Repair::idOfRowStatement(const QString &column, const QString &repairId)
{
    return QStringLiteral("SELECT repairs.%1 FROM repairs WHERE repairs.iId=%2 LIMIT 1").arg(column, repairId);
}

int Repair::getClientId(int row) const
{
    return readIdOfRow(QStringLiteral("iClientId"), row);
}

int Repair::getHardwareId(int row) const
{
    return readIdOfRow(QStringLiteral("iHardwareId"), row);
}
