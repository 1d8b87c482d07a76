#include "records/recordmodel.h"

#include "db/dbindexes.h"
#include "db/dbtransaction.h"
#include "db/dbwidget.h"
#include "dictionaries/fieldsconfig.h"

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <algorithm>

namespace {
QSqlDatabase databaseOf(DbWidget *db)
{
    return db ? db->database() : QSqlDatabase();
}

// Equal as the forms see them: a text compares as text (an empty field and
// NULL alike), numbers by value whatever their type.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.metaType().id() == QMetaType::QString || b.metaType().id() == QMetaType::QString)
        return a.toString() == b.toString();
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return QVariant::compare(a, b) == QPartialOrdering::Equivalent;
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
        m_lastRead.clear();
        m_listed.clear();
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
    // Forms write every field they show: only a value other than the one
    // read counts as a change.
    QHash<int, QVariant> &changed = m_changed[index.row()];
    const QVariant read = changed.value(index.column(), row.at(index.column()));
    row[index.column()] = value;
    if (sameValue(read, value))
        changed.remove(index.column());
    else
        changed.insert(index.column(), read);
    if (changed.isEmpty())
        m_changed.remove(index.row());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (editStrategy() == OnFieldChange)
        return submitAll();
    return true;
}

bool RecordModel::submitAll()
{
    m_refusal = Refusal::None;
    m_changedElsewhere.clear();
    // Views submit at every change of the current row: nothing to write,
    // nothing to read again.
    if (m_changed.isEmpty())
        return true;
    const int key = int(m_columns.indexOf(QStringLiteral("iId")));
    // Row by row in the list's order; a row written is no longer changed, so
    // that a save tried again after a refusal writes only what is left.
    QList<int> changedRows = m_changed.keys();
    std::sort(changedRows.begin(), changedRows.end());
    for (const int r : std::as_const(changedRows)) {
        const QHash<int, QVariant> &changed = m_changed[r];
        const Row &row = m_rows.at(r);
        QList<int> columns = changed.keys();
        std::sort(columns.begin(), columns.end());
        QList<FieldWrite> fields;
        for (const int c : std::as_const(columns))
            fields.append({m_columns.at(c), changed.value(c), row.at(c)});
        QList<int> elsewhere;
        QSqlError error;
        m_refusal = key < 0 ? Refusal::Failed
                            : writeUnchanged(dbw, tableName(), row.value(key), fields, &elsewhere, &error);
        if (m_refusal == Refusal::Failed)
            setLastError(error);
        for (const int i : std::as_const(elsewhere))
            m_changedElsewhere << fieldTitle(columns.at(i));
        if (m_refusal != Refusal::None)
            return false;
        m_changed.remove(r);
    }
    // The write decides: rows that cannot be read again say so through
    // readError() and readFailed().
    select();
    return true;
}

QString RecordModel::fieldTitle(int column) const
{
    const QString header = headerData(column, Qt::Horizontal).toString();
    return header.isEmpty() ? m_columns.value(column) : header;
}

QString RecordModel::stillAsRead(const DbWidget *db, const QString &column, const QVariant &read,
                                 const QString &placeholder, bool *bound)
{
    const bool mySql = db->dbType == DbWidget::MySQL;
    const bool text = read.metaType().id() == QMetaType::QString;
    // A value read empty matches NULL and an empty text alike, as the forms
    // show both: another tool stores NULL where this program writes '', and
    // on SQLite an empty text where it writes a number. As bytes on MySQL, so
    // that a number 0 is no empty text.
    *bound = !read.isNull() && !(text && read.toString().isEmpty());
    if (!*bound)
        return QStringLiteral("(%1 IS NULL OR %2 = '')")
            .arg(column, mySql ? QLatin1String("CAST(") + column + QLatin1String(" AS BINARY)") : column);
    // MySQL compares texts under the column's collation, to which
    // "kowalski" and "Kowalski " are "Kowalski": as bytes, a change of case
    // or of trailing spaces made elsewhere is seen.
    if (!mySql)
        return column + QLatin1String(" IS ") + placeholder;
    if (text)
        return QLatin1String("CAST(") + column + QLatin1String(" AS BINARY) <=> ") + placeholder;
    return column + QLatin1String(" <=> ") + placeholder;
}

QString RecordModel::readsAs(const DbWidget *db, const QString &column, qint64 number)
{
    const QString equal = column + QLatin1String(" = ") + QString::number(number);
    if (number != 0)
        return equal;
    bool bound = false;
    return QLatin1Char('(') + equal + QLatin1String(" OR ") + stillAsRead(db, column, QVariant(), QString(), &bound)
        + QLatin1Char(')');
}

RecordModel::Refusal RecordModel::writeUnchanged(DbWidget *db, const QString &table, const QVariant &key,
                                                 const QList<FieldWrite> &fields, QList<int> *elsewhere,
                                                 QSqlError *error)
{
    if (!db)
        return Refusal::Failed;
    if (fields.isEmpty())
        return Refusal::None;
    QStringList assignments, unchanged;
    QList<int> compared; // the fields whose value read is bound
    for (int i = 0; i < fields.size(); ++i) {
        const FieldWrite &field = fields.at(i);
        const QString n = QString::number(i);
        assignments << field.column + QLatin1String(" = :v") + n;
        bool bound = false;
        unchanged << stillAsRead(db, field.column, field.read, QLatin1String(":o") + n, &bound);
        if (bound)
            compared << i;
    }
    QSqlQuery update(db->database());
    update.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE iId = :key AND %3")
                       .arg(table, assignments.join(QLatin1String(", ")),
                            unchanged.join(QLatin1String(" AND "))));
    for (int i = 0; i < fields.size(); ++i) {
        QVariant value = fields.at(i).value;
        // MySQL's text columns are NOT NULL: an empty text is written.
        if (value.isNull() && value.metaType().id() == QMetaType::QString)
            value = QStringLiteral("");
        update.bindValue(QLatin1String(":v") + QString::number(i), value);
        if (compared.contains(i))
            update.bindValue(QLatin1String(":o") + QString::number(i), fields.at(i).read);
    }
    update.bindValue(QStringLiteral(":key"), key);
    if (!db->exec(update)) {
        *error = update.lastError();
        return Refusal::Failed;
    }
    if (update.numRowsAffected() > 0)
        return Refusal::None;
    return diagnose(db->database(), table, key, fields, elsewhere, error);
}

RecordModel::Refusal RecordModel::diagnose(QSqlDatabase database, const QString &table, const QVariant &key,
                                           const QList<FieldWrite> &fields, QList<int> *elsewhere,
                                           QSqlError *error)
{
    QStringList names;
    for (const FieldWrite &field : fields)
        names << field.column;
    QSqlQuery now(database);
    now.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE iId = :key")
                    .arg(names.join(QLatin1String(", ")), table));
    now.bindValue(QStringLiteral(":key"), key);
    if (!now.exec()) {
        *error = now.lastError();
        return Refusal::Failed;
    }
    if (!now.next())
        return Refusal::Deleted;
    bool written = true;
    for (int i = 0; i < fields.size(); ++i) {
        written = written && sameValue(now.value(i), fields.at(i).value);
        if (!sameValue(now.value(i), fields.at(i).read))
            elsewhere->append(i);
    }
    // Every field holds the new value: the update ran already, on a
    // connection lost before its answer came, and matched nothing when run
    // again on a new one.
    if (written) {
        elsewhere->clear();
        return Refusal::None;
    }
    if (elsewhere->isEmpty()) {
        // As read, yet not matched: never reported as written.
        *error = QSqlError(QString(), tr("Zapis nie objął żadnego wiersza."), QSqlError::TransactionError);
        return Refusal::Failed;
    }
    return Refusal::ChangedElsewhere;
}

RecordModel::RowState RecordModel::rowState(DbWidget *db, const QString &table, int id, bool lock,
                                            const QString &key)
{
    const std::optional<bool> found = db ? db->rowFound(table, id, lock, key) : std::nullopt;
    if (!found)
        return RowState::Unreadable;
    return *found ? RowState::Present : RowState::Missing;
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

QString RecordModel::keyedFilter(const QString &column, const QList<int> &values)
{
    QStringList texts;
    for (const int value : values)
        texts << QString::number(value);
    if (texts.isEmpty())
        texts << QStringLiteral("NULL");
    m_keyed = {QStringLiteral("%1.iId IN (SELECT listed.iId FROM %1 listed WHERE listed.%2 IN (%3))")
                   .arg(tableName(), column, texts.join(QLatin1Char(','))),
               column, values};
    return m_keyed.filter;
}

bool RecordModel::readsByKeys() const
{
    return !m_keyed.values.isEmpty() && filter() == m_keyed.filter && !sortsByColumn() && !sortsByRelation();
}

QString RecordModel::pageFilter(const QVariant &afterKey) const
{
    if (!readsByKeys())
        return filter();
    // A page of keys of each value, from the column's index alone in the
    // order of iId. Some of them may name a row that the list's joins leave
    // out (its client or device gone), so a value's page of keys may end
    // before its rows of the page do: the page goes no further than the
    // nearest last key of a value that gave a whole page of keys, up to
    // which every value's keys are all there. A page that this cuts short
    // is read again (completeKeyedPage()).
    const bool desc = descending();
    const QString table = tableName();
    const QString key = table + QLatin1String(".iId");
    QString after;
    if (afterKey.isValid())
        after = QLatin1String(" AND ") + key + (desc ? QLatin1String(" < ") : QLatin1String(" > ")) + literal(afterKey);
    QStringList pages;
    QStringList ends;
    for (const int value : m_keyed.values) {
        const QString page = QStringLiteral("(SELECT %1 FROM %2 WHERE %2.%3 = %4%5 ORDER BY %1%6 LIMIT %7)")
                                 .arg(key, table, m_keyed.column, QString::number(value), after,
                                      desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC"))
                                 .arg(m_pageSize);
        const QString name = QString::number(pages.size());
        pages << QStringLiteral("SELECT iId FROM %1 AS keyed%2").arg(page, name);
        ends << QStringLiteral("SELECT CASE WHEN COUNT(*) = %1 THEN %2(iId) END AS k FROM %3 AS ends%4")
                    .arg(QString::number(m_pageSize), desc ? QStringLiteral("MIN") : QStringLiteral("MAX"), page, name);
    }
    return QStringLiteral("%1 IN (SELECT iId FROM (%2) AS keyed) AND %1 %3 COALESCE((SELECT %4(k) FROM (%5) AS ends), %1)")
        .arg(key, pages.join(QLatin1String(" UNION ALL ")), desc ? QStringLiteral(">=") : QStringLiteral("<="),
             desc ? QStringLiteral("MAX") : QStringLiteral("MIN"), ends.join(QLatin1String(" UNION ALL ")));
}

void RecordModel::completeKeyedPage(QVector<Row> *rows, const QString &after, const QVariantList &values) const
{
    // Short at the end of the list, or cut at the nearest last key of a
    // value whose keys named rows that are not listed: read again under
    // the filter as one condition.
    if (rows->size() >= m_pageSize || !readsByKeys() || m_readError.isValid())
        return;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (execBound(query, pageStatement(after, QVariant(), false), values))
        *rows = readPage(query);
}

bool RecordModel::select()
{
    if (m_holdSelect)
        return true;
    // What refused an earlier save does not concern the rows read now.
    m_refusal = Refusal::None;
    m_changedElsewhere.clear();
    // A connection known to be lost is opened again first; one found lost by
    // this statement is opened again and the rows read once more.
    const auto read = [this] {
        m_readError = QSqlError();
        return QSqlRelationalTableModel::select();
    };
    bool ok = true;
    if (dbw) {
        dbw->database();
        ok = dbw->withReconnect([&read](bool) { return read(); }, [this] { return lastError(); });
    } else {
        ok = read();
    }
    // The rows of a relation sort are read after the statement that select()
    // runs, which lists nothing and so cannot fail for them.
    if (!ok && !m_readError.isValid())
        m_readError = DbWidget::readFailure(lastError());
    if (!m_readError.isValid())
        return true;
    if (!lastError().isValid())
        setLastError(m_readError);
    Q_EMIT readFailed();
    return false;
}

void RecordModel::setTable(const QString &tableName)
{
    QSqlRelationalTableModel::setTable(tableName);
    // The columns come from a statement that cannot tell a lost connection
    // from a missing table: a plain statement finds out, opening the
    // connection again when it was lost.
    if (record().isEmpty() && dbw && dbw->query(QStringLiteral("SELECT 1")).isActive())
        QSqlRelationalTableModel::setTable(tableName);
    m_columns.clear();
    const QSqlRecord columns = database().record(tableName);
    for (int i = 0; i < columns.count(); ++i)
        m_columns << columns.fieldName(i);
    m_sortColumn = -1;
    m_fewRelated = -1;
    // The virtual columns that sort long texts on MariaDB are no part of a
    // list (the toolkit lists them although no "SELECT *" does).
    for (int i = int(m_columns.size()) - 1; i >= 0; --i) {
        const QString &name = m_columns.at(i);
        if (name.endsWith(QLatin1String("Sort"))
            && !DbIndexes::textSortIndex(tableName, name.chopped(4)).isEmpty())
            removeColumns(i, 1);
    }
}

void RecordModel::setSort(int column, Qt::SortOrder order)
{
    if (column != m_sortColumn)
        m_fewRelated = -1;
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
    // Nothing more while a page goes in: a view (or a model tester) asking
    // from the insertion's signals would read that page a second time.
    return !parent.isValid() && m_more && !m_lastRead.isEmpty() && !m_fetching;
}

void RecordModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent) || m_resetting)
        return;
    // A connection found lost since the last page (by a save, say) is
    // opened again, as select() does.
    if (dbw)
        dbw->database();
    const bool failedBefore = m_readError.isValid();
    QVector<Row> page;
    bool full = false;
    // A page of nothing but rows listed already (moved past the end of the
    // list elsewhere) goes on with the next one.
    do
        page = unlisted(readNextPage(&full));
    while (page.isEmpty() && full);
    m_more = full;
    if (!page.isEmpty()) {
        m_fetching = true;
        beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + page.size() - 1));
        m_rows += page;
        endInsertRows();
        m_fetching = false;
    }
    if (!failedBefore && m_readError.isValid())
        Q_EMIT readFailed();
}

QVector<RecordModel::Row> RecordModel::readNextPage(bool *full) const
{
    *full = false;
    if (sortsByRelation())
        return relationRows(cursorAfter(m_lastRead), m_pageSize, full);
    QVector<Row> page;
    for (const Bound &after : afterConditions(m_lastRead)) {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        if (!execBound(query, pageStatement(after.condition, lastKey()), after.values))
            break;
        QVector<Row> rows = readPage(query);
        completeKeyedPage(&rows, after.condition, after.values);
        page += rows;
        *full = rows.size() >= m_pageSize;
        if (*full)
            break;
    }
    return page;
}

QVector<RecordModel::Row> RecordModel::unlisted(QVector<Row> rows)
{
    if (rows.isEmpty())
        return rows;
    // The next page starts after the last row read, listed or not.
    m_lastRead = rows.constLast();
    const int keyColumn = int(m_columns.indexOf(QStringLiteral("iId")));
    if (keyColumn < 0)
        return rows;
    rows.removeIf([&](const Row &row) {
        const qint64 key = row.value(keyColumn).toLongLong();
        if (m_listed.contains(key))
            return true;
        m_listed.insert(key);
        return false;
    });
    return rows;
}

bool RecordModel::execBound(QSqlQuery &query, const QString &statement, const QVariantList &values) const
{
    bool ok = query.prepare(statement);
    if (ok) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        ok = dbw ? dbw->exec(query) : query.exec();
    }
    if (!ok)
        m_readError = DbWidget::readFailure(query.lastError());
    return ok;
}

void RecordModel::failRead(const QSqlError &why)
{
    if (!m_readError.isValid())
        m_readError = DbWidget::readFailure(why);
    m_more = false;
    Q_EMIT readFailed();
}

QSqlRecord RecordModel::record(int row) const
{
    QSqlRecord values = record();
    if (row < 0 || row >= m_rows.size())
        return values;
    const Row &cells = m_rows.at(row);
    const QHash<int, QVariant> changed = m_changed.value(row);
    for (int i = 0; i < values.count() && i < cells.size(); ++i)
        values.setValue(i, changed.value(i, cells.at(i)));
    return values;
}

void RecordModel::setPageSize(int rows)
{
    m_pageSize = qMax(1, rows);
    // The counts that decide how a relation sort reads are bounded by pages.
    m_fewRelated = -1;
    m_candidates = -1;
    m_kept = NotCounted;
}

void RecordModel::queryChange()
{
    QSqlRelationalTableModel::queryChange();
    QSqlQuery first = query();
    m_rows.clear();
    m_lastRead.clear();
    m_listed.clear();
    m_candidates = -1;
    m_kept = NotCounted;
    bool more = false;
    if (sortsByRelation()) {
        // The statement that select() ran lists nothing: the rows come in
        // batches of related rows, with their values bound.
        m_rows = unlisted(relationRows(RelationCursor(), m_pageSize, &more));
    } else if (first.isActive() && first.isSelect()) {
        first.seek(QSql::BeforeFirstRow);
        QVector<Row> rows = readPage(first);
        completeKeyedPage(&rows, QString(), {});
        more = rows.size() >= m_pageSize;
        m_rows = unlisted(rows);
    }
    m_more = more;
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
    // A step that failed ends the rows early, as a statement that failed.
    if (query.lastError().isValid())
        m_readError = query.lastError();
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

QString RecordModel::fromClause(int leading) const
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
    const auto on = [this](int column) {
        return QLatin1String(" ON ") + tableName() + QLatin1Char('.') + m_columns.at(column)
               + QLatin1String(" = ") + relationAlias(column) + QLatin1Char('.')
               + relation(column).indexColumn();
    };
    QString from = tableName();
    if (leading >= 0)
        from = relation(leading).tableName() + QLatin1Char(' ') + relationAlias(leading) + join
               + tableName() + on(leading);
    for (int i = 0; i < m_columns.size(); ++i) {
        const QSqlRelation rel = relation(i);
        if (!rel.isValid() || i == leading)
            continue;
        from += join + rel.tableName() + QLatin1Char(' ') + relationAlias(i);
        if (mySql && rel.indexColumn() == QLatin1String("iId"))
            from += QLatin1String(" FORCE INDEX (PRIMARY)");
        from += on(i);
    }
    return from;
}

QString RecordModel::selectStatement() const
{
    if (sortsByRelation())
        return pageStatement(QStringLiteral("0"));
    return pageStatement(QString());
}

QString RecordModel::fieldList() const
{
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
    return fields.join(QLatin1String(", "));
}

QString RecordModel::listStatement(const QString &fields, const QString &from, QStringList conditions,
                                   const QString &order) const
{
    return listStatement(fields, from, conditions, order, filter());
}

QString RecordModel::listStatement(const QString &fields, const QString &from, QStringList conditions,
                                   const QString &order, const QString &where) const
{
    if (!where.isEmpty())
        conditions.prepend(QLatin1Char('(') + where + QLatin1Char(')'));
    QString statement = QLatin1String("SELECT ") + fields + QLatin1String(" FROM ") + from;
    if (!conditions.isEmpty())
        statement += QLatin1String(" WHERE ") + conditions.join(QLatin1String(" AND "));
    return statement + QLatin1Char(' ') + order;
}

QString RecordModel::pageStatement(const QString &after, const QVariant &afterKey, bool byKeys) const
{
    if (tableName().isEmpty() || m_columns.isEmpty())
        return QString();
    QStringList conditions;
    if (!after.isEmpty())
        conditions << QLatin1Char('(') + after + QLatin1Char(')');
    return listStatement(fieldList(), fromClause(), conditions, orderByClause(),
                         byKeys ? pageFilter(afterKey) : filter());
}

bool RecordModel::sortsByRelation() const
{
    return m_joinMode == InnerJoin && m_sortColumn >= 0 && m_sortColumn < m_columns.size()
           && relation(m_sortColumn).isValid();
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

QString RecordModel::sortExpression() const
{
    if (isMySql() && !relation(m_sortColumn).isValid()) {
        const QString column = m_columns.at(m_sortColumn);
        const QString index = DbIndexes::textSortIndex(tableName(), column);
        if (!index.isEmpty() && DbIndexes::hasIndex(dbw, index))
            return tableName() + QLatin1Char('.') + DbIndexes::sortColumn(column);
    }
    return columnExpression(m_sortColumn);
}

QVariant RecordModel::sortKey(const QVariant &value) const
{
    if (value.isNull() || sortExpression() == columnExpression(m_sortColumn))
        return value;
    // The first 255 characters, as the server counts them.
    const QList<uint> characters = value.toString().toUcs4();
    if (characters.size() <= 255)
        return value;
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData()), 255);
}

QString RecordModel::orderByClause() const
{
    const QString direction = descending() ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    QString order = QStringLiteral("ORDER BY ");
    if (sortsByColumn())
        order += sortExpression() + direction + QLatin1String(", ");
    order += tableName() + QLatin1String(".iId") + direction;
    return order + QLatin1String(" LIMIT ") + QString::number(m_pageSize);
}

QVariant RecordModel::lastKey() const
{
    const int keyColumn = int(m_columns.indexOf(QStringLiteral("iId")));
    return m_lastRead.isEmpty() ? QVariant() : m_lastRead.value(keyColumn);
}

QList<RecordModel::Bound> RecordModel::afterConditions(const Row &last) const
{
    const int keyColumn = int(m_columns.indexOf(QStringLiteral("iId")));
    return afterParts(sortsByColumn() ? sortExpression() : QString(), tableName() + QLatin1String(".iId"),
                      sortsByColumn() ? sortKey(last.value(m_sortColumn)) : QVariant(), last.value(keyColumn),
                      descending());
}

QList<RecordModel::Bound> RecordModel::afterParts(const QString &column, const QString &key,
                                                  const QVariant &value, const QVariant &keyValue,
                                                  bool descending)
{
    const QString keyAfter = key + (descending ? QLatin1String(" < ?") : QLatin1String(" > ?"));
    if (column.isEmpty())
        return {{keyAfter, {keyValue}}};

    // Both engines put empty (NULL) values first in ascending order and last
    // in descending order. They are read in a part of their own, so that each
    // condition stays one range of the sort column's index.
    const QString isNull = column + QLatin1String(" IS NULL");
    if (value.isNull()) {
        const Bound nullsAfter{isNull + QLatin1String(" AND ") + keyAfter, {keyValue}};
        if (descending)
            return {nullsAfter};
        return {nullsAfter, {column + QLatin1String(" IS NOT NULL"), {}}};
    }
    // The first comparison bounds the range; the second one steps over the
    // rows of the same value already read.
    const Bound after{column + (descending ? QLatin1String(" <= ?") : QLatin1String(" >= ?"))
                          + QLatin1String(" AND (") + column
                          + (descending ? QLatin1String(" < ?") : QLatin1String(" > ?"))
                          + QLatin1String(" OR ") + keyAfter + QLatin1Char(')'),
                      {value, value, keyValue}};
    if (descending)
        return {after, {isNull, {}}};
    return {after};
}

RecordModel::Bound RecordModel::orderBound(const QString &column, const QString &key,
                                           const QVariant &value, const QVariant &keyValue,
                                           bool atOrPast, bool descending, bool nullsPossible)
{
    // Compared as the ascending order has them: empty values first.
    const bool ge = atOrPast != descending;
    if (value.isNull()) {
        if (ge)
            return {QStringLiteral("(%1 IS NULL AND %2 >= ?) OR %1 IS NOT NULL").arg(column, key),
                    {keyValue}};
        return {QStringLiteral("%1 IS NULL AND %2 <= ?").arg(column, key), {keyValue}};
    }
    if (ge)
        return {QStringLiteral("%1 >= ? AND (%1 > ? OR %2 >= ?)").arg(column, key),
                {value, value, keyValue}};
    return {QStringLiteral("(%1 <= ? AND (%1 < ? OR %2 <= ?))").arg(column, key)
                + (nullsPossible ? QStringLiteral(" OR %1 IS NULL").arg(column) : QString()),
            {value, value, keyValue}};
}

namespace {

// Batches of related rows a filtered relation sort reads before it walks
// the related rows its rows name or reads the rest by the filter alone, and
// the largest of them.
constexpr int Batches = 3;
constexpr qint64 LargestBatch = 4000;

} // namespace

RecordModel::RelationCursor RecordModel::cursorAfter(const Row &last) const
{
    // The rows of a relation sort carry the related key after the columns.
    RelationCursor cursor;
    if (last.size() <= m_columns.size())
        return cursor;
    cursor.started = true;
    cursor.value = last.value(m_sortColumn);
    cursor.key = last.constLast();
    cursor.lastId = last.value(int(m_columns.indexOf(QStringLiteral("iId"))));
    // A list whose rows were found by walking the candidates goes on so.
    if (m_candidates == 1)
        cursor.round = Batches;
    return cursor;
}

void RecordModel::RelatedBatch::append(const QVariantList &related)
{
    if (size == 0)
        first = related;
    last = related;
    if (keepKeys)
        keys.append(related.at(1));
    ++size;
}

void RecordModel::RelatedBatch::prepend(const QVariantList &related)
{
    if (size == 0)
        last = related;
    first = related;
    if (keepKeys)
        keys.prepend(related.at(1));
    ++size;
}

RecordModel::RelatedBatch RecordModel::relatedBatch(const RelationCursor &cursor, int count, bool candidates) const
{
    const QSqlRelation rel = relation(m_sortColumn);
    const QString alias = relationAlias(m_sortColumn);
    const QString column = alias + QLatin1Char('.') + rel.displayColumn();
    const QString key = alias + QLatin1Char('.') + rel.indexColumn();
    const QString direction = descending() ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    const QList<Bound> parts = cursor.started
                                   ? afterParts(column, key, cursor.value, cursor.key, descending())
                                   : QList<Bound>{{QString(), {}}};
    RelatedBatch batch;
    batch.keepKeys = candidates;
    for (const Bound &part : parts) {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        QString statement = QStringLiteral("SELECT %1, %2 FROM %3 %4").arg(column, key, rel.tableName(), alias);
        QStringList conditions;
        if (candidates) {
            if (isMySql())
                statement += QStringLiteral(" FORCE INDEX (%1)").arg(relatedNameIndex());
            conditions << candidatesCondition();
        }
        if (!part.condition.isEmpty())
            conditions << part.condition;
        if (!conditions.isEmpty())
            statement += QLatin1String(" WHERE ") + conditions.join(QLatin1String(" AND "));
        statement += QStringLiteral(" ORDER BY %1%3, %2%3 LIMIT %4")
                         .arg(column, key, direction)
                         .arg(count - batch.size);
        if (!execBound(query, statement, part.values))
            break;
        while (query.next())
            batch.append({query.value(0), query.value(1)});
        if (batch.size >= count)
            break;
    }
    return batch;
}

RecordModel::Bound RecordModel::relationStatement(const RelationCursor &cursor, const QVariantList &first,
                                                  const QVariantList &last, int limit,
                                                  const QVariantList &keys) const
{
    const QSqlRelation rel = relation(m_sortColumn);
    const QString alias = relationAlias(m_sortColumn);
    const QString column = alias + QLatin1Char('.') + rel.displayColumn();
    const QString key = alias + QLatin1Char('.') + rel.indexColumn();
    const bool desc = descending();
    Bound statement;
    QStringList conditions;
    const auto add = [&](const Bound &bound) {
        conditions << QLatin1Char('(') + bound.condition + QLatin1Char(')');
        statement.values += bound.values;
    };
    // A batch from its first to its last related row; within the batch
    // empty values can only lie between two empty ends.
    const bool nullsPossible = first.value(0).isNull() || last.value(0).isNull();
    if (!keys.isEmpty()) {
        // The rows of the related rows named one by one, read from the
        // register by the foreign key (or an index of the filter's column
        // and the key) before they are joined.
        add({foreignKey() + QLatin1String(" IN (")
                 + QStringList(keys.size(), QStringLiteral("?")).join(QLatin1String(", ")) + QLatin1Char(')'),
             keys});
    } else if (!first.isEmpty()) {
        add(orderBound(column, key, first.at(0), first.at(1), true, desc, nullsPossible));
    } else if (cursor.started) {
        // Past the cursor's related row, or at it when its rows go on.
        QVariant from = cursor.key;
        if (!cursor.lastId.isValid())
            from = cursor.key.toLongLong() + (desc ? -1 : 1);
        add(orderBound(column, key, cursor.value, from, true, desc, true));
    }
    if (!last.isEmpty())
        add(orderBound(column, key, last.at(0), last.at(1), false, desc, nullsPossible));
    if (cursor.lastId.isValid())
        add({key + QLatin1String(" <> ? OR ") + tableName() + QLatin1String(".iId")
                 + (desc ? QLatin1String(" < ?") : QLatin1String(" > ?")),
             {cursor.key, cursor.lastId}});

    const QString direction = desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    statement.condition = listStatement(fieldList() + QLatin1String(", ") + key,
                                        first.isEmpty() ? fromClause() : fromClause(m_sortColumn),
                                        conditions,
                                        QStringLiteral("ORDER BY %1%4, %2%4, %3.iId%4 LIMIT %5")
                                            .arg(column, key, tableName(), direction)
                                            .arg(limit));
    return statement;
}

RecordModel::Bound RecordModel::relationStep(const RelationCursor &cursor, qint64 count, int limit,
                                             RelatedBatch *batch, bool *full) const
{
    // A small related table (the users) has many rows for each related row:
    // those are read one related row at a time, in the order of the
    // register's index of the foreign key, with nothing to sort.
    const bool oneByOne = fewRelatedRows();
    *batch = RelatedBatch();
    *full = false;
    // Under a filter: a few batches, then the walk or the rest at once; the
    // rest at once from the start where the filter keeps few rows.
    const bool batches = !filteredList() || (cursor.round < Batches && (oneByOne || !keepsFewRows()));
    const bool walk = !batches && !oneByOne && walksCandidates();
    if (walk || batches) {
        const int size = walk ? limit : oneByOne ? 1 : int(count);
        if (!cursor.lastId.isValid() || !oneByOne)
            *batch = relatedBatch(cursor, size, walk);
        *full = oneByOne || batch->size >= size;
        if (cursor.lastId.isValid())
            batch->prepend({cursor.value, cursor.key});
        if (batch->size == 0)
            return {};
    }
    if (walk)
        return relationStatement(cursor, {}, {}, limit, batch->keys);
    if (oneByOne && batch->size > 0)
        return groupStatement(cursor, batch->first, limit);
    return relationStatement(cursor, batch->first, *full ? batch->last : QVariantList(), limit);
}

QString RecordModel::relatedNameIndex() const
{
    const QSqlRelation rel = relation(m_sortColumn);
    return DbIndexes::indexName(rel.tableName(), rel.displayColumn());
}

QString RecordModel::foreignKey() const
{
    return tableName() + QLatin1Char('.') + m_columns.at(m_sortColumn);
}

QString RecordModel::candidatesCondition() const
{
    // The unary plus keeps SQLite from reading the related rows by their
    // keys and sorting them all; MariaDB is held to the name index by the
    // statement's FORCE INDEX.
    return (isMySql() ? QString() : QStringLiteral("+")) + relationAlias(m_sortColumn) + QLatin1Char('.')
           + relation(m_sortColumn).indexColumn() + QLatin1String(" IN (SELECT ") + foreignKey()
           + QLatin1String(" FROM ") + tableName() + QLatin1String(" WHERE (") + filter() + QLatin1String("))");
}

bool RecordModel::walksCandidates() const
{
    if (m_candidates < 0) {
        // Only for a filter on the register's own columns, when the name
        // index is there, and when the filter keeps enough rows that
        // sorting them all would cost more than the walk.
        m_candidates = DbIndexes::hasIndex(dbw, relatedNameIndex()) && keptRows() >= CandidatePages * m_pageSize
                           ? 1
                           : 0;
    }
    return m_candidates == 1;
}

int RecordModel::keptRows() const
{
    // A filter on a joined row cannot be counted on the register alone.
    if (m_kept == NotCounted)
        m_kept = filter().contains(QLatin1String("relTblAl_"))
                     ? -1
                     : countUpTo(tableName(), filter(), CandidatePages * m_pageSize);
    return m_kept;
}

bool RecordModel::keepsFewRows() const
{
    const int kept = keptRows();
    return kept >= 0 && kept < CandidatePages * m_pageSize;
}

bool RecordModel::filteredList() const
{
    return !filter().isEmpty() && filter() != QLatin1String("1");
}

QVector<RecordModel::Row> RecordModel::relationRows(RelationCursor cursor, int wanted, bool *more) const
{
    // Batches of related rows, each larger than the one before. Under a
    // filter, the rows a batch gave tell how large the next one must be;
    // when that is too large (the filter keeps the rows of few related
    // rows), after a few batches at the latest, the related rows that the
    // kept rows name are walked in order where the filter keeps many rows,
    // or else the rest is read by one statement that the filter's index
    // serves.
    const bool oneByOne = fewRelatedRows();
    const bool filtered = filteredList();
    qint64 count = m_pageSize;
    QVector<Row> rows;
    *more = false;
    while (rows.size() < wanted) {
        const int limit = int(wanted - rows.size());
        RelatedBatch batch;
        bool full = false;
        const Bound statement = relationStep(cursor, count, limit, &batch, &full);
        if (statement.condition.isEmpty())
            return rows;
        QSqlQuery query(database());
        query.setForwardOnly(true);
        if (!execBound(query, statement.condition, statement.values))
            return rows;
        const QVector<Row> page = readPage(query);
        rows += page;
        if (page.size() >= limit) {
            *more = true;
            return rows;
        }
        if (!full)
            return rows;
        cursor.started = true;
        cursor.value = batch.last.at(0);
        cursor.key = batch.last.at(1);
        cursor.lastId = QVariant();
        ++cursor.round;
        if (oneByOne)
            continue;
        if (!filtered) {
            count = qMin(count * 4, LargestBatch * 16);
            continue;
        }
        const qint64 needed = (limit - page.size()) * count * 3 / 2 / qMax<qint64>(1, page.size());
        if (page.isEmpty() || needed > LargestBatch)
            cursor.round = Batches;
        else
            count = qMax(count * 2, needed);
    }
    return rows;
}

RecordModel::Bound RecordModel::groupStatement(const RelationCursor &cursor, const QVariantList &related,
                                               int limit) const
{
    const bool desc = descending();
    const QString key = relationAlias(m_sortColumn) + QLatin1Char('.') + relation(m_sortColumn).indexColumn();
    const QString id = tableName() + QLatin1String(".iId");
    Bound statement{QString(), {related.at(1)}};
    QStringList conditions{foreignKey() + QLatin1String(" = ?")};
    if (cursor.lastId.isValid() && related.at(1) == cursor.key) {
        conditions << id + (desc ? QLatin1String(" < ?") : QLatin1String(" > ?"));
        statement.values << cursor.lastId;
    }
    statement.condition = listStatement(fieldList() + QLatin1String(", ") + key, fromClause(), conditions,
                                        QStringLiteral("ORDER BY %1%2 LIMIT %3")
                                            .arg(id, desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC"))
                                            .arg(limit));
    return statement;
}

int RecordModel::countUpTo(const QString &table, const QString &condition, int cap) const
{
    // Counted up to the cap only, whatever the size of the table; the
    // condition filled in with the rest, so that a "%1" in it stays.
    return readInt(dbw, QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 FROM %1 WHERE (%2) LIMIT %3) AS counted")
                            .arg(table, condition, QString::number(cap)));
}

bool RecordModel::fewRelatedRows() const
{
    if (m_fewRelated < 0) {
        const int cap = FewRelatedPages * m_pageSize;
        const int rows = countUpTo(relation(m_sortColumn).tableName(), QStringLiteral("1"), cap);
        m_fewRelated = rows >= 0 && rows < cap ? 1 : 0;
    }
    return m_fewRelated == 1;
}

QString RecordModel::literal(const QVariant &value) const
{
    QSqlField field(QString(), value.metaType());
    field.setValue(value);
    return database().driver()->formatValue(field);
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

QString RecordModel::withValues(const QString &statement, const QVariantList &values) const
{
    QString text;
    int next = 0;
    for (const QChar c : statement) {
        if (c == QLatin1Char('?') && next < values.size())
            text += literal(values.at(next++));
        else
            text += c;
    }
    return text;
}

QString RecordModel::firstPageStatement() const
{
    if (!sortsByRelation())
        return selectStatement();
    RelatedBatch batch;
    bool full = false;
    const Bound statement = relationStep(RelationCursor(), m_pageSize, m_pageSize, &batch, &full);
    return withValues(statement.condition, statement.values);
}

QString RecordModel::nextPageStatement() const
{
    if (m_lastRead.isEmpty())
        return QString();
    if (sortsByRelation()) {
        RelatedBatch batch;
        bool full = false;
        const Bound statement = relationStep(cursorAfter(m_lastRead), m_pageSize, m_pageSize, &batch, &full);
        return withValues(statement.condition, statement.values);
    }
    const Bound after = afterConditions(m_lastRead).constFirst();
    return withValues(pageStatement(after.condition, lastKey()), after.values);
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
        if (!FieldsConfig::inUse(name))
            removeColumns(fieldIndex(name), 1);
        else if (!label.isEmpty())
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
    // In a transaction of its own when none is open: a record whose save is
    // reported failed (the connection lost on the way) is not stored either.
    if (!db->inTransaction()) {
        int id = -1;
        return runInTransaction(db, [&] { return (id = insertRecord(db, table, columns, values)) >= 0; }) ? id : -1;
    }
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
    const bool inserted = db->exec(q);
    db->lastWriteError = q.lastError();
    if (!inserted)
        return -1;
    bool ok = false;
    const int id = q.lastInsertId().toInt(&ok);
    return ok ? id : -1;
}
