#include "records/bill.h"

#include "db/dbwidget.h"

#include <QColor>
#include <QCoreApplication>

QStringList Bill::Statuses[2] = {
    { QCoreApplication::translate("Bill", "Nierozliczony"),
      QCoreApplication::translate("Bill", "Rozliczony") },
    { QStringLiteral("0"), QStringLiteral("1") }
};

Bill::Bill(QObject *parent, DbWidget *db) : RecordModel(parent, db)
{
    setTable(QStringLiteral("billing"));
    setHeaders({
        { QStringLiteral("iId"), QStringLiteral("ID") },
        { QStringLiteral("iAddDate"), tr("Data dodania") },
        { QStringLiteral("iClientId"), tr("Nr klienta") },
        { QStringLiteral("iRepairId"), tr("Nr naprawy") },
        { QStringLiteral("iHardwareId"), tr("Nr sprzętu") },
        { QStringLiteral("sPriceNet"), tr("Kwota netto") },
        { QStringLiteral("sPriceGross"), tr("Kwota brutto") },
        { QStringLiteral("sPriceParts"), tr("Koszt części") },
        { QStringLiteral("sPriceLabor"), tr("Koszt pracy") },
        { QStringLiteral("sPriceOuter"), tr("Koszt zewnętrzny") },
        { QStringLiteral("sDescription"), tr("Opis") },
        { QStringLiteral("iStatus"), tr("Status") },
        { QStringLiteral("iDate"), tr("Data rozliczenia") },
        { QStringLiteral("iUser"), tr("Rozliczył") },
    });
    colUser = fieldIndex(QStringLiteral("iUser"));
    setRelation(colUser, QSqlRelation(QStringLiteral("users"), QStringLiteral("iId"), QStringLiteral("sUser")));
    updateColumns();
}

Bill::~Bill() = default;

void Bill::updateColumns()
{
    colAddDate = fieldIndex(QStringLiteral("iAddDate"));
    colRepair = fieldIndex(QStringLiteral("iRepairId"));
    colHardware = fieldIndex(QStringLiteral("iHardwareId"));
    colStatus = fieldIndex(QStringLiteral("iStatus"));
    colDate = fieldIndex(QStringLiteral("iDate"));
}

QVariant Bill::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return RecordModel::data(index, role);

    if (role == Qt::DisplayRole) {
        const int column = index.column();
        const int row = index.row();
        if (column == colRepair || column == colHardware) {
            if (storedValue(row, column).toInt() == -1)
                return tr("n/d");
        } else if (column == colAddDate) {
            return localDate(storedValue(row, column), QStringLiteral("dd/MM/yyyy"));
        } else if (column == colDate) {
            const QVariant moment = storedValue(row, column);
            if (moment.toLongLong() == 0)
                return tr("Nierozliczony");
            return localDate(moment, QStringLiteral("dd/MM/yyyy"));
        } else if (column == colStatus) {
            return getStatusById(storedValue(row, column).toInt());
        } else if (column == colUser) {
            if (storedValue(row, colStatus).toInt() == 0)
                return tr("Nierozliczony");
        }
    } else if (role == Qt::BackgroundRole) {
        static const QBrush unsettled(QColor(QStringLiteral("#fff59f")));
        static const QBrush settled(QColor(QStringLiteral("#afff9f")));
        switch (storedValue(index.row(), colStatus).toInt()) {
        case 0:
            return unsettled;
        case 1:
            return settled;
        default:
            break;
        }
    }
    return RecordModel::data(index, role);
}

QString Bill::getStatusById(int code)
{
    if (code == 2)
        return tr("Rozliczony");
    for (int i = 0; i < Statuses[1].size(); ++i) {
        if (Statuses[1].at(i).toInt() == code)
            return Statuses[0].at(i);
    }
    return tr("Błąd statusu !");
}

int Bill::dbInsert(DbWidget *db, const QStringList &values)
{
    if (values.size() != 13)
        return -1;
    static const QStringList columns = {
        QStringLiteral("iAddDate"),    QStringLiteral("iClientId"),   QStringLiteral("iRepairId"),
        QStringLiteral("iHardwareId"), QStringLiteral("sPriceNet"),   QStringLiteral("sPriceGross"),
        QStringLiteral("sPriceParts"), QStringLiteral("sPriceLabor"), QStringLiteral("sPriceOuter"),
        QStringLiteral("sDescription"), QStringLiteral("iStatus"),    QStringLiteral("iDate"),
        QStringLiteral("iUser")
    };
    return insertRecord(db, QStringLiteral("billing"), columns, values);
}

void Bill::updateUser(DbWidget *db, int billId, int userId)
{
    if (db)
        db->query(QStringLiteral("UPDATE billing SET iUser = %1 WHERE billing.iId=%2").arg(userId).arg(billId));
}
