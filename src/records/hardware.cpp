#include "records/hardware.h"

#include "dictionaries/fieldsconfig.h"
#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/hardwaretypesconfig.h"

Hardware::Hardware(QObject *parent, DbWidget *db) : RecordModel(parent, db)
{
    FieldsConfig::getFieldsDescription(db);
    HardwareTypesConfig::getTypes(db);
    HardwareStatusesConfig::getStatuses(db);

    setTable(QStringLiteral("hardware"));
    setHeaders({
        { QStringLiteral("iId"), QStringLiteral("ID") },
        { QStringLiteral("sHName"), tr("Nazwa") },
        { QStringLiteral("iHType"), tr("Rodzaj") },
        { QStringLiteral("iStoreStatus"), tr("Status magazyn") },
        { QStringLiteral("iReceivedDate"), tr("Data wydania") },
        { QStringLiteral("sStoreComment"), tr("Magazyn komentarz") },
    });
    setupGenericFields();
    setHeaders({ { QStringLiteral("iOwner"), tr("Właściciel") } });
    setRelation(fieldIndex(QStringLiteral("iOwner")),
                QSqlRelation(QStringLiteral("clients"), QStringLiteral("iId"), QStringLiteral("sSName")));
    updateColumns();
}

Hardware::~Hardware() = default;

void Hardware::updateColumns()
{
    colId = fieldIndex(QStringLiteral("iId"));
    colType = fieldIndex(QStringLiteral("iHType"));
    colStatus = fieldIndex(QStringLiteral("iStoreStatus"));
    colReceived = fieldIndex(QStringLiteral("iReceivedDate"));
    colFieldDate = fieldIndex(QStringLiteral("iFieldDate"));
}

QVariant Hardware::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return RecordModel::data(index, role);

    if (role == Qt::DisplayRole) {
        const int column = index.column();
        const int row = index.row();
        if (column == colFieldDate)
            return localDate(storedValue(row, column), QStringLiteral("dd/MM/yyyy"));
        if (column == colType) {
            const QString name = HardwareTypesConfig::typeName(storedValue(row, column).toInt());
            return name.isEmpty() ? tr("Nieznany typ !") : name;
        }
        if (column == colStatus) {
            const auto it = HardwareStatusesConfig::Statuses.constFind(storedValue(row, column).toInt());
            if (it == HardwareStatusesConfig::Statuses.constEnd() || it->name.isEmpty())
                return tr("Nieznany status !");
            return it->name;
        }
        if (column == colReceived) {
            const QVariant moment = storedValue(row, column);
            if (moment.toLongLong() == 0)
                return tr("Niewydany");
            return localDate(moment, QStringLiteral("dd/MM/yyyy"));
        }
    } else if (role == Qt::BackgroundRole) {
        const auto it =
            HardwareStatusesConfig::Statuses.constFind(storedValue(index.row(), colStatus).toInt());
        return statusBrush(it == HardwareStatusesConfig::Statuses.constEnd() ? QString() : it->color);
    }
    return RecordModel::data(index, role);
}

int Hardware::dbInsert(DbWidget *db, const QStringList &values)
{
    if (values.size() <= 21)
        return -1;
    // The type comes after the store comment, not in the table's order.
    static const QStringList columns = QStringList{ QStringLiteral("sHName"),
                                                    QStringLiteral("iStoreStatus"),
                                                    QStringLiteral("iReceivedDate"),
                                                    QStringLiteral("sStoreComment"),
                                                    QStringLiteral("iHType") }
        + genericFieldNames() + QStringList{ QStringLiteral("iOwner") };
    return insertRecord(db, QStringLiteral("hardware"), columns, values);
}

int Hardware::getOwnerId(int row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    return storedOwner(dbw, storedValue(row, colId).toInt());
}

int Hardware::storedOwner(DbWidget *db, int hardwareId)
{
    return readInt(db, QStringLiteral("SELECT hardware.iOwner FROM hardware WHERE hardware.iId=%1 LIMIT 1")
                           .arg(hardwareId));
}
