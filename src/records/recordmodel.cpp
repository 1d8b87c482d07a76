#include "records/recordmodel.h"

#include "db/dbwidget.h"
#include "dictionaries/fieldsconfig.h"

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
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
    // The rows go with every reset (select, clear, a new table); no further
    // page is read while the first one is being selected.
    connect(this, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_resetting = true;
        m_rows.clear();
        m_texts.clear();
        m_changed.clear();
        m_more = false;
    });
    connect(this, &QAbstractItemModel::modelReset, this, [this] { m_resetting = false; });
}

Qt::ItemFlags RecordModel::flags(const QModelIndex &) const
{
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

bool RecordModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= m_rows.size()
        || index.column() >= m_columns.size() || relation(index.column()).isValid())
        return false;
    Row &row = m_rows[index.row()];
    if (index.column() >= row.size())
        return false;
    row[index.column()] = value;
    m_changed[index.row()].insert(index.column());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (editStrategy() == OnFieldChange)
        return submitAll();
    return true;
}

bool RecordModel::submitAll()
{
    // Views submit at every change of the current row: nothing to write,
    // nothing to read again.
    if (m_changed.isEmpty())
        return true;
    const int key = int(m_columns.indexOf(QStringLiteral("iId")));
    for (auto it = m_changed.cbegin(); it != m_changed.cend(); ++it) {
        const Row &row = m_rows.at(it.key());
        QStringList assignments;
        for (int column : it.value())
            assignments << m_columns.at(column) + QLatin1String(" = :v") + QString::number(column);
        QSqlQuery update(database());
        update.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE iId = :key")
                           .arg(tableName(), assignments.join(QLatin1String(", "))));
        for (int column : it.value()) {
            QVariant value = row.at(column);
            // MySQL's text columns are NOT NULL: an empty text is written.
            if (value.isNull() && value.metaType().id() == QMetaType::QString)
                value = QStringLiteral("");
            update.bindValue(QLatin1String(":v") + QString::number(column), value);
        }
        update.bindValue(QStringLiteral(":key"), row.value(key));
        if (key < 0 || !update.exec()) {
            setLastError(update.lastError());
            return false;
        }
    }
    m_changed.clear();
    return select();
}

bool RecordModel::submit()
{
    return editStrategy() == OnManualSubmit || submitAll();
}

void RecordModel::revertAll()
{
    if (m_changed.isEmpty())
        return;
    m_changed.clear();
    select();
}

void RecordModel::revert()
{
    if (editStrategy() != OnManualSubmit)
        revertAll();
}

QVariant RecordModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)
        || index.row() >= m_rows.size())
        return QVariant();
    const Row &row = m_rows.at(index.row());
    return index.column() < row.size() ? row.at(index.column()) : QVariant();
}

void RecordModel::setFilter(const QString &filter)
{
    m_holdSelect = true;
    QSqlRelationalTableModel::setFilter(filter);
    m_holdSelect = false;
}

bool RecordModel::select()
{
    return m_holdSelect || QSqlRelationalTableModel::select();
}

void RecordModel::setTable(const QString &tableName)
{
    QSqlRelationalTableModel::setTable(tableName);
    m_columns.clear();
    const QSqlRecord columns = database().record(tableName);
    for (int i = 0; i < columns.count(); ++i)
        m_columns << columns.fieldName(i);
    m_sortColumn = -1;
}

void RecordModel::setSort(int column, Qt::SortOrder order)
{
    QSqlRelationalTableModel::setSort(column, order);
    m_sortColumn = column;
    m_sortOrder = order;
}

void RecordModel::setJoinMode(JoinMode mode)
{
    m_joinMode = mode;
    QSqlRelationalTableModel::setJoinMode(mode);
}

bool RecordModel::removeColumns(int column, int count, const QModelIndex &parent)
{
    if (parent.isValid() || column < 0 || count < 0 || column + count > m_columns.size())
        return false;
    m_columns.remove(column, count);
    return QSqlRelationalTableModel::removeColumns(column, count, parent);
}

int RecordModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

bool RecordModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more && !m_rows.isEmpty();
}

void RecordModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent) || m_resetting)
        return;
    QVector<Row> page;
    bool full = false;
    for (const QString &after : afterConditions(m_rows.constLast())) {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        if (!query.exec(pageStatement(after)))
            break;
        const QVector<Row> rows = readPage(query);
        page += rows;
        full = rows.size() >= m_pageSize;
        if (full)
            break;
    }
    m_more = full;
    if (page.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + page.size() - 1));
    m_rows += page;
    endInsertRows();
}

QSqlRecord RecordModel::record(int row) const
{
    QSqlRecord values = record();
    if (row < 0 || row >= m_rows.size())
        return values;
    const Row &cells = m_rows.at(row);
    for (int i = 0; i < values.count() && i < cells.size(); ++i)
        values.setValue(i, cells.at(i));
    return values;
}

void RecordModel::setPageSize(int rows)
{
    m_pageSize = qMax(1, rows);
}

void RecordModel::queryChange()
{
    QSqlRelationalTableModel::queryChange();
    QSqlQuery first = query();
    m_rows.clear();
    if (first.isActive() && first.isSelect()) {
        first.seek(QSql::BeforeFirstRow);
        m_rows = readPage(first);
    }
    m_more = m_rows.size() >= m_pageSize;
    updateColumns();
}

QVector<RecordModel::Row> RecordModel::readPage(QSqlQuery &query) const
{
    QVector<Row> rows;
    const int columns = query.record().count();
    while (query.next()) {
        Row row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << sharedText(c, query.value(c));
        rows << row;
    }
    return rows;
}

QVariant RecordModel::sharedText(int column, const QVariant &value) const
{
    if (value.metaType().id() != QMetaType::QString)
        return value;
    if (column >= m_texts.size())
        m_texts.resize(column + 1);
    ColumnTexts &texts = m_texts[column];
    if (texts.looked >= DefaultPageSize && texts.found * 2 < texts.looked) {
        texts.seen.clear();
        return value;
    }
    const QString text = value.toString();
    if (text.isEmpty())
        return value;
    ++texts.looked;
    const auto known = texts.seen.constFind(text);
    if (known != texts.seen.constEnd()) {
        ++texts.found;
        return QVariant(*known);
    }
    texts.seen.insert(text);
    return value;
}

bool RecordModel::isMySql() const
{
    return dbw ? dbw->dbType == DbWidget::MySQL
               : database().driverName().startsWith(QLatin1String("QMYSQL"));
}

QString RecordModel::relationAlias(int column) const
{
    return QStringLiteral("relTblAl_%1").arg(column);
}

QString RecordModel::columnExpression(int column) const
{
    const QSqlRelation rel = relation(column);
    if (rel.isValid())
        return relationAlias(column) + QLatin1Char('.') + rel.displayColumn();
    return tableName() + QLatin1Char('.') + m_columns.value(column);
}

QString RecordModel::fromClause() const
{
    // MySQL and MariaDB would otherwise start from a related table, join every
    // row and sort them all before the first row; SQLite's CROSS JOIN keeps
    // the order as written as well. A small related table (the users) would
    // be read whole into a join buffer on MariaDB, which loses the order of
    // the register's index: its rows are looked up by key.
    // A page that must show a record whose related row is gone asks for left
    // joins, which start from the register as well.
    const bool mySql = isMySql();
    const QString join = m_joinMode == LeftJoin ? QStringLiteral(" LEFT JOIN ")
                         : mySql                ? QStringLiteral(" STRAIGHT_JOIN ")
                                                : QStringLiteral(" CROSS JOIN ");
    QString from = tableName();
    for (int i = 0; i < m_columns.size(); ++i) {
        const QSqlRelation rel = relation(i);
        if (!rel.isValid())
            continue;
        const QString alias = relationAlias(i);
        from += join + rel.tableName() + QLatin1Char(' ') + alias;
        if (mySql && rel.indexColumn() == QLatin1String("iId"))
            from += QLatin1String(" FORCE INDEX (PRIMARY)");
        from += QLatin1String(" ON ")
                + tableName() + QLatin1Char('.') + m_columns.at(i) + QLatin1String(" = ") + alias
                + QLatin1Char('.') + rel.indexColumn();
    }
    return from;
}

QString RecordModel::selectStatement() const
{
    return pageStatement(QString());
}

QString RecordModel::pageStatement(const QString &after) const
{
    if (tableName().isEmpty() || m_columns.isEmpty())
        return QString();
    // A shown relation column is named after the related column; a name that
    // occurs twice gets an alias of its own.
    QHash<QString, int> occurrences;
    QStringList names;
    for (int i = 0; i < m_columns.size(); ++i) {
        const QSqlRelation rel = relation(i);
        names << (rel.isValid() ? rel.displayColumn() : m_columns.at(i));
        ++occurrences[names.last().toLower()];
    }
    QStringList fields;
    for (int i = 0; i < m_columns.size(); ++i) {
        QString field = columnExpression(i);
        const QSqlRelation rel = relation(i);
        if (rel.isValid() && occurrences.value(names.at(i).toLower()) > 1) {
            field += QStringLiteral(" AS %1_%2_%3")
                         .arg(rel.tableName(), rel.displayColumn())
                         .arg(occurrences.value(names.at(i).toLower()));
            --occurrences[names.at(i).toLower()];
        }
        fields << field;
    }

    QStringList conditions;
    if (!filter().isEmpty())
        conditions << QLatin1Char('(') + filter() + QLatin1Char(')');
    if (!after.isEmpty())
        conditions << QLatin1Char('(') + after + QLatin1Char(')');
    QString statement = QLatin1String("SELECT ") + fields.join(QLatin1String(", "))
                        + QLatin1String(" FROM ") + fromClause();
    if (!conditions.isEmpty())
        statement += QLatin1String(" WHERE ") + conditions.join(QLatin1String(" AND "));
    return statement + QLatin1Char(' ') + orderByClause();
}

bool RecordModel::sortsByColumn() const
{
    return m_sortColumn >= 0 && m_sortColumn < m_columns.size()
           && columnExpression(m_sortColumn) != tableName() + QLatin1String(".iId");
}

bool RecordModel::descending() const
{
    return m_sortColumn >= 0 && m_sortColumn < m_columns.size() && m_sortOrder == Qt::DescendingOrder;
}

QString RecordModel::orderByClause() const
{
    const QString direction = descending() ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    QString order = QStringLiteral("ORDER BY ");
    if (sortsByColumn())
        order += columnExpression(m_sortColumn) + direction + QLatin1String(", ");
    order += tableName() + QLatin1String(".iId") + direction;
    return order + QLatin1String(" LIMIT ") + QString::number(m_pageSize);
}

QString RecordModel::literal(const QVariant &value) const
{
    QSqlField field(QString(), value.metaType());
    field.setValue(value);
    return database().driver()->formatValue(field);
}

QStringList RecordModel::afterConditions(const Row &last) const
{
    const int keyColumn = int(m_columns.indexOf(QStringLiteral("iId")));
    const bool descending = this->descending();
    const QString keyAfter = tableName() + QLatin1String(".iId")
                             + (descending ? QLatin1String(" < ") : QLatin1String(" > "))
                             + literal(last.value(keyColumn));
    if (!sortsByColumn())
        return {keyAfter};

    // Both engines put empty (NULL) values first in ascending order and last
    // in descending order. They are read in a part of their own, so that each
    // condition stays one range of the sort column's index.
    const QString column = columnExpression(m_sortColumn);
    const QString isNull = column + QLatin1String(" IS NULL");
    const QVariant value = last.value(m_sortColumn);
    if (value.isNull()) {
        const QString nullsAfter = isNull + QLatin1String(" AND ") + keyAfter;
        if (descending)
            return {nullsAfter};
        return {nullsAfter, column + QLatin1String(" IS NOT NULL")};
    }
    // The first comparison bounds the range; the second one steps over the
    // rows of the same value already read.
    const QString bound = literal(value);
    const QString after = column + (descending ? QLatin1String(" <= ") : QLatin1String(" >= ")) + bound
                          + QLatin1String(" AND (") + column
                          + (descending ? QLatin1String(" < ") : QLatin1String(" > ")) + bound
                          + QLatin1String(" OR ") + keyAfter + QLatin1Char(')');
    if (descending)
        return {after, isNull};
    return {after};
}

QString RecordModel::valuesStatement(const QString &value) const
{
    QString statement = QLatin1String("SELECT ") + value + QLatin1String(" FROM ") + fromClause();
    if (!filter().isEmpty())
        statement += QLatin1String(" WHERE (") + filter() + QLatin1Char(')');
    return statement;
}

QString RecordModel::joinedAlias(const QString &column) const
{
    const int i = int(m_columns.indexOf(column));
    return i >= 0 && relation(i).isValid() ? relationAlias(i) : QString();
}

QString RecordModel::firstPageStatement() const
{
    return selectStatement();
}

QString RecordModel::nextPageStatement() const
{
    return m_rows.isEmpty() ? QString() : pageStatement(afterConditions(m_rows.constLast()).constFirst());
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
