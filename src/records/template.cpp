#include "records/template.h"

#include "dictionaries/fieldsconfig.h"
#include "dictionaries/hardwaretypesconfig.h"

#include <QDateTime>
#include <QLocale>

Template::Template(QObject *parent, DbWidget *db) : RecordModel(parent, db)
{
    setupFields();
}

Template::~Template() = default;

void Template::setupFields()
{
    FieldsConfig::getFieldsDescription(dbw);
    HardwareTypesConfig::getTypes(dbw);

    setTable(QStringLiteral("templates"));
    setHeaders({
        { QStringLiteral("iId"), QStringLiteral("ID") },
        { QStringLiteral("sHName"), QStringLiteral("Nazwa") },
        { QStringLiteral("iHType"), QStringLiteral("Typ sprzętu") },
    });
    setupGenericFields();
    updateColumns();
}

void Template::updateColumns()
{
    colType = fieldIndex(QStringLiteral("iHType"));
    colFieldDate = fieldIndex(QStringLiteral("iFieldDate"));
}

QVariant Template::data(const QModelIndex &index, int role) const
{
    if (index.isValid() && role == Qt::DisplayRole) {
        const int column = index.column();
        if (column == colType) {
            const QString name =
                HardwareTypesConfig::typeName(storedValue(index.row(), column).toInt());
            return name.isEmpty() ? QStringLiteral("Nieznany typ !") : name;
        }
        if (column == colFieldDate) {
            // Day and month names of the system locale (Qt's own text date
            // format is always English).
            const QDate date =
                QDateTime::fromSecsSinceEpoch(storedValue(index.row(), column).toLongLong()).date();
            return QLocale::system().toString(date, QStringLiteral("ddd MMM d yyyy"));
        }
    }
    return RecordModel::data(index, role);
}

int Template::dbInsert(DbWidget *db, const QStringList &values)
{
    if (values.size() <= 17)
        return -1;
    return insertRecord(db, QStringLiteral("templates"), insertColumns(), values);
}

const QStringList &Template::insertColumns()
{
    static const QStringList columns =
        QStringList{ QStringLiteral("sHName"), QStringLiteral("iHType") } + genericFieldNames();
    return columns;
}
