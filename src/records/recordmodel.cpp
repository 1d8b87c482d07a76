#include "records/recordmodel.h"

#include "db/dbwidget.h"
#include "dictionaries/fieldsconfig.h"

#include <QColor>
#include <QDateTime>
#include <QSqlQuery>

namespace {
QSqlDatabase databaseOf(DbWidget *db)
{
    return db ? db->database() : QSqlDatabase();
}
} // namespace

RecordModel::RecordModel(QObject *parent, DbWidget *db)
    : QSqlRelationalTableModel(parent, databaseOf(db)), dbw(db)
{
}

Qt::ItemFlags RecordModel::flags(const QModelIndex &) const
{
    const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return writing ? flags | Qt::ItemIsEditable : flags;
}

bool RecordModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    writing = true;
    const bool ok = QSqlRelationalTableModel::setData(index, value, role);
    writing = false;
    return ok;
}

QVariant RecordModel::data(const QModelIndex &index, int role) const
{
    return QSqlTableModel::data(index, role);
}

void RecordModel::queryChange()
{
    QSqlRelationalTableModel::queryChange();
    updateColumns();
}

QVariant RecordModel::storedValue(int row, int column) const
{
    return RecordModel::data(index(row, column), Qt::DisplayRole);
}

void RecordModel::setHeaders(const QList<QPair<QString, QString>> &headers)
{
    for (const auto &header : headers)
        setHeaderData(fieldIndex(header.first), Qt::Horizontal, header.second);
}

const QStringList &RecordModel::genericFieldNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (int i = 1; i <= 14; ++i)
            list << QStringLiteral("sField%1").arg(i);
        list << QStringLiteral("iFieldDate") << QStringLiteral("sFieldLong");
        return list;
    }();
    return names;
}

void RecordModel::setupGenericFields()
{
    for (const QString &name : genericFieldNames()) {
        const QString label = FieldsConfig::Description.value(name);
        if (label.isEmpty())
            removeColumns(fieldIndex(name), 1);
        else
            setHeaderData(fieldIndex(name), Qt::Horizontal, label);
    }
}

QString RecordModel::localDate(const QVariant &seconds, const QString &format)
{
    return QDateTime::fromSecsSinceEpoch(seconds.toLongLong()).date().toString(format);
}

QBrush RecordModel::statusBrush(const QString &color)
{
    static const QColor white(QStringLiteral("#ffffff"));
    const QColor c(color);
    if (!c.isValid() || c.name() == QLatin1String("#000000"))
        return QBrush(white);
    return QBrush(c);
}

int RecordModel::readInt(DbWidget *db, const QString &sql)
{
    if (!db)
        return -1;
    QSqlQuery q = db->query(sql);
    return q.next() ? q.value(0).toInt() : -1;
}

int RecordModel::insertRecord(DbWidget *db, const QString &table, const QStringList &columns,
                              const QStringList &values)
{
    if (!db || values.size() < columns.size())
        return -1;
    QStringList placeholders;
    for (const QString &column : columns)
        placeholders << QLatin1Char(':') + column;
    QSqlQuery q(db->database());
    q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table, columns.join(QStringLiteral(", ")),
                       placeholders.join(QStringLiteral(", "))));
    for (int i = 0; i < columns.size(); ++i) {
        // A null QString binds as SQL NULL, which MySQL's NOT NULL columns refuse.
        const QString &value = values.at(i);
        q.bindValue(placeholders.at(i), value.isNull() ? QStringLiteral("") : value);
    }
    if (!q.exec())
        return -1;
    bool ok = false;
    const int id = q.lastInsertId().toInt(&ok);
    return ok ? id : -1;
}
