#pragma once

#include <QBrush>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>
#include <QStringList>
#include <QHash>
#include <QSet>
#include <QVector>

class DbWidget;

// Common ground of the register models (repairs, clients, hardware, templates,
// bills): a relational table model on the program's connection whose cells no
// view may edit (forms write through widget mappers), plus the helpers that
// the display rules and the inserts share.
//
// Rows are read a page at a time. Every statement is driven from the
// register's own table (the related tables are joined to it in that order,
// so the server can walk the index of the sort column and stop after one
// page), is ordered by the sort column and then by the unique iId, and reads
// at most pageSize() rows. The next page starts after the last row read
// (by the values of the sort column and iId, bound to the statement, never
// by an offset), when a view scrolls to it: canFetchMore() / fetchMore().
// As with the toolkit's inner join, a row whose related row is missing is
// not listed.
//
// A sort by a relation column (the client's surname of a repair) walks the
// related table instead: a batch of related rows in the order of their
// shown column (and their key, which breaks ties), read by its index, then
// the register's rows of that batch through the register's index of the
// foreign key, ordered by (shown value, related key, iId). A page that the
// batch does not fill goes on with a larger batch; after a few, the rest is
// read by one statement driven from the register, as a filter that keeps
// few rows is best served by its own index. Under a filter that keeps many
// rows of few related rows, the related rows those rows name are walked by
// the name index instead, and their rows read by the foreign key. A small
// related table (the users) is walked one related row at a time instead.
class RecordModel : public QSqlRelationalTableModel
{
    Q_OBJECT
public:
    RecordModel(QObject *parent, DbWidget *db);

    // Selectable and enabled, for every index.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Forms write here (widget mappers, the record pages): the value is kept
    // in the row read and its row marked for the next submitAll(). No view
    // offers the cell for editing all the same. Relation columns show related
    // text and take no writes.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    // Writes every changed row to the register and reads the rows again. One
    // UPDATE by iId per row sets only the columns changed here, and only
    // while each still holds the value read: another workstation's change of
    // the same field is never overwritten, its other changes are kept. False,
    // with the changes kept and refusal() telling why, when nothing could be
    // written (a save of several rows stops at the first row refused). A
    // read that fails after the write leaves it true (see readError()).
    bool submitAll();
    enum class Refusal {
        None,
        Failed,           // the database refused it (lastError())
        Deleted,          // the record is gone
        ChangedElsewhere, // fields changed elsewhere since they were read
    };
    // Why the last submitAll() returned false; None after one that wrote.
    Refusal refusal() const { return m_refusal; }
    // After ChangedElsewhere: the headers of those fields, in model order.
    QStringList changedElsewhere() const { return m_changedElsewhere; }
    // A column as staff know it: its header, or its name when it has none.
    QString fieldTitle(int column) const;

    // A field of one row to write: its column, the value read, the new value.
    struct FieldWrite
    {
        QString column;
        QVariant read;
        QVariant value;
    };
    // Sets the fields of the row of table with iId key, by one UPDATE, only
    // while each still holds the value read (a text exactly so: on MySQL as
    // bytes, not under the collation that ignores case and trailing spaces;
    // one read empty, NULL or '', while it is either).
    // None when written, also when the row holds the new values already (an
    // update whose answer was lost, run again); otherwise why not, with the
    // positions in fields of those changed since they were read in elsewhere
    // (in their order), or the database's refusal in error.
    static Refusal writeUnchanged(DbWidget *db, const QString &table, const QVariant &key,
                                  const QList<FieldWrite> &fields, QList<int> *elsewhere,
                                  QSqlError *error);
    // The condition that column still holds the value read, as
    // writeUnchanged() checks each field; bound tells whether the read value
    // is to be bound to placeholder (one read empty is matched without).
    static QString stillAsRead(const DbWidget *db, const QString &column, const QVariant &read,
                               const QString &placeholder, bool *bound);
    // The condition that column holds what reads as number: for 0 also NULL
    // and an empty text, which another tool may have stored.
    static QString readsAs(const DbWidget *db, const QString &column, qint64 number);

    enum class RowState { Present, Missing, Unreadable };
    // Whether the row of a table with the given iId (or other key column) is
    // there. With lock, a MySQL transaction holds the row against deletion
    // until it ends (SQLite's write transaction holds the whole file already).
    static RowState rowState(DbWidget *db, const QString &table, int id, bool lock = false,
                             const QString &key = QStringLiteral("iId"));
    // The first value of the first row of a statement as an integer, -1 when
    // no row comes back (the statement failed, or it lists nothing).
    static int readInt(DbWidget *db, const QString &sql);
    // submitAll() unless changes wait for an explicit submitAll().
    bool submit() override;
    // Drops the changes not yet written and reads the rows again.
    void revertAll();
    void revert() override;
    // The value as selected: a relation column gives the related text that
    // the join already brought. The relational base would first load the whole
    // related table into a dictionary, a pause of seconds on a large register.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Keeps the filter for the next select() (the base would read the rows
    // at once, and the owner's select() then a second time).
    void setFilter(const QString &filter) override;
    // The filter of the rows whose column (of the register, with an index
    // of its own) holds any of the values, for setFilter(). While it is the
    // model's filter, a page in the order of iId reads at most a page of
    // keys of each value, however many rows hold it, where the one index
    // range of all the values would be read whole before the first row.
    QString keyedFilter(const QString &column, const QList<int> &values);
    // The filter as the page statements in the present order use it.
    QString pageFilter(const QVariant &afterKey = QVariant()) const;
    bool select() override;
    void setTable(const QString &tableName) override;
    void setSort(int column, Qt::SortOrder order) override;
    // The column the rows are sorted by, -1 for none (in the order of iId).
    int sortColumn() const { return m_sortColumn; }
    // Left joins list a row whose related row is missing (a page of one
    // record); the lists keep the inner join. Applies from the next select.
    void setJoinMode(JoinMode mode);
    bool removeColumns(int column, int count, const QModelIndex &parent = QModelIndex()) override;
    // The rows read so far.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // True while the last page read was full.
    bool canFetchMore(const QModelIndex &parent = QModelIndex()) const override;
    // Reads the page after the last row read.
    void fetchMore(const QModelIndex &parent = QModelIndex()) override;
    // Why the rows of the last select() or a page after them could not all
    // be read (the list ends there); invalid while every read went through.
    QSqlError readError() const { return m_readError; }
    // The rows read cannot be taken for the list asked for (what its filter
    // needs was not read, for why): said as a failed read, until the next
    // select(). A read of the rows that failed as well keeps its own error.
    void failRead(const QSqlError &why);

Q_SIGNALS:
    // A read of rows failed: the list is empty or ends early (readError()).
    void readFailed();

public:

    using QSqlRelationalTableModel::record;
    // The values of a row read so far, by the selected field names, as read:
    // changes not yet written are not in it.
    QSqlRecord record(int row) const;

    static constexpr int DefaultPageSize = 200;
    int pageSize() const { return m_pageSize; }
    // Rows per statement (at least 1); applies from the next select.
    void setPageSize(int rows);

    // "SELECT <value> FROM <the register and its joins> WHERE <the filter>":
    // the values of one expression over every row the model lists, for a
    // condition "... IN (...)" of another register.
    QString valuesStatement(const QString &value) const;
    // The name under which the statements join the related row of a relation
    // column (by its stored name), for conditions on that row; empty when the
    // column has no relation.
    QString joinedAlias(const QString &column) const;
    // The statement of the first page as select() runs it, and the one of
    // the page after the rows read so far (empty when none were read), with
    // their values written in; a sort by a relation column reads its first
    // batch of related rows for them.
    QString firstPageStatement() const;
    QString nextPageStatement() const;

    // The row brush of a status colour text; black, empty and unreadable
    // colours paint white.
    static QBrush statusBrush(const QString &color);

protected:
    // The statement of the first page.
    QString selectStatement() const override;
    // The sort column (if any), then iId, and the page's LIMIT.
    QString orderByClause() const override;
    // Reads the first page into the model's rows and keeps the cached column
    // positions in step with the selected record.
    void queryChange() override;
    // Looks up the columns that data() compares with; called after every
    // selection and by the derived constructors once the table is set.
    virtual void updateColumns() {}

    // The stored value (relation columns: the related text) of a cell.
    QVariant storedValue(int row, int column) const;
    // Sets the horizontal header of each column found by name.
    void setHeaders(const QList<QPair<QString, QString>> &headers);
    // sField1 to sField14, iFieldDate, sFieldLong.
    static const QStringList &genericFieldNames();
    // Gives each generic hardware field (sField1..sField14, iFieldDate,
    // sFieldLong) its configured label as header, or removes its column when
    // the label is empty; later columns move up.
    void setupGenericFields();

    // Seconds since 1970-01-01 UTC as a local date in the given format.
    static QString localDate(const QVariant &seconds, const QString &format);
    // Inserts one row, binding values[i] as text to ":" + columns[i]; the
    // values after the last column are ignored. The new iId, or -1. Outside
    // a transaction it runs in one of its own.
    static int insertRecord(DbWidget *db, const QString &table, const QStringList &columns,
                            const QStringList &values);

    DbWidget *dbw;

private:
    // A condition of a page statement with the values of its "?" in order.
    struct Bound
    {
        QString condition;
        QVariantList values;
    };
    // Where a sort by a relation column goes on: after the related row
    // (value, key) or from the start, and, when lastId is set, with the
    // rows of the related row key after lastId first.
    struct RelationCursor
    {
        bool started = false;
        QVariant value;
        QVariant key;
        QVariant lastId;
        int round = 0;
    };

    // Of each changed row (by row), the changed columns with their values as
    // read. A field set back to the value read is no longer changed.
    QHash<int, QHash<int, QVariant>> m_changed;
    Refusal m_refusal = Refusal::None;
    QStringList m_changedElsewhere;
    // After an UPDATE of a row matched nothing: why (Deleted, ChangedElsewhere
    // or Failed when the row is there as read); None when it holds the new
    // values.
    static Refusal diagnose(QSqlDatabase database, const QString &table, const QVariant &key,
                            const QList<FieldWrite> &fields, QList<int> *elsewhere,
                            QSqlError *error);
    JoinMode m_joinMode = InnerJoin;
    // The last keyedFilter(): its text, column and values.
    struct Keyed
    {
        QString filter;
        QString column;
        QList<int> values;
    } m_keyed;
    using Row = QVector<QVariant>;

    bool isMySql() const;
    // "register.column", or "alias.shown column" of a relation.
    QString columnExpression(int column) const;
    QString relationAlias(int column) const;
    // Sorted by a column other than iId; sorted in descending order.
    bool sortsByColumn() const;
    bool descending() const;
    // Sorted by the shown column of a relation, listed by inner joins.
    bool sortsByRelation() const;
    // What the rows are ordered by for a sort by a column: the column, or
    // the indexed first characters of a long text on MariaDB; the value of
    // a row compared with it.
    QString sortExpression() const;
    QVariant sortKey(const QVariant &value) const;
    // The register with its relations; leading >= 0 puts that relation first.
    QString fromClause(int leading = -1) const;
    QString fieldList() const;
    // The fields, the register with its joined relations, the filter, the
    // condition that starts the page (none for the first) and the order with
    // the page's LIMIT.
    // afterKey: the iId of the last row read, for a keyed filter, which
    // byKeys false leaves as one condition.
    QString pageStatement(const QString &after, const QVariant &afterKey = QVariant(), bool byKeys = true) const;
    // Pages in the order of iId read a page of keys of each value of the
    // keyed filter.
    bool readsByKeys() const;
    // A page read by keys that came back short, read again with the filter
    // as one condition (after: the page's start, with its values).
    void completeKeyedPage(QVector<Row> *rows, const QString &after, const QVariantList &values) const;
    // SELECT fields FROM from, the filter (or the given one) and the
    // conditions, then order.
    QString listStatement(const QString &fields, const QString &from, QStringList conditions,
                          const QString &order) const;
    QString listStatement(const QString &fields, const QString &from, QStringList conditions,
                          const QString &order, const QString &where) const;
    // The conditions choosing the rows after the given one in the model's
    // order, part after part: a part that ends short goes on with the next.
    QList<Bound> afterConditions(const Row &last) const;
    // The iId of the last row read; invalid when none was.
    QVariant lastKey() const;
    // The page after the last row read; full tells whether it was whole.
    QVector<Row> readNextPage(bool *full) const;
    // The rows not listed yet: a row whose place in the order was moved
    // elsewhere past the rows read comes again on a later page, and stays
    // listed where it was read first.
    QVector<Row> unlisted(QVector<Row> rows);
    // The rows of (column, key) at or past (value, keyValue) in the order of
    // both (empty values first), or at or before it.
    // nullsPossible false leaves out the empty values that another bound
    // excludes anyway.
    static Bound orderBound(const QString &column, const QString &key, const QVariant &value,
                            const QVariant &keyValue, bool atOrPast, bool descending,
                            bool nullsPossible);
    // The parts of "(column, key) after (value, keyValue)", each one range of
    // an index (no column: the key alone).
    static QList<Bound> afterParts(const QString &column, const QString &key, const QVariant &value,
                                   const QVariant &keyValue, bool descending);
    // A statement with its values written in as literals, for plans and floors.
    QString withValues(const QString &statement, const QVariantList &values) const;
    QString literal(const QVariant &value) const;
    // Runs a statement with its values bound; false when it fails.
    bool execBound(QSqlQuery &query, const QString &statement, const QVariantList &values) const;
    // Reads the rows of an executed page statement.
    QVector<Row> readPage(QSqlQuery &query) const;
    // The value as kept in a row: a text that the column held before is the
    // same shared copy (surnames, device names and prices repeat down a
    // long list). A column whose first page hardly repeats itself (numbers,
    // descriptions) is kept as read from then on.
    QVariant sharedText(int column, const QVariant &value) const;

    struct ColumnTexts
    {
        QSet<QString> seen;
        int looked = 0;
        int found = 0;
    };
    mutable QVector<ColumnTexts> m_texts; // by column, until the next reset

    // Related rows (shown value, key) of a relation sort that a statement
    // covers: the first and the last of them and how many.
    struct RelatedBatch
    {
        QVariantList first;
        QVariantList last;
        QVariantList keys; // every key, where asked for
        bool keepKeys = false;
        int size = 0;
        void append(const QVariantList &related);
        void prepend(const QVariantList &related);
    };
    // Sort by a relation column: the next batch of related rows after the
    // cursor, at most count of them; with candidates, only those that some
    // row of the register under the filter names (every key kept).
    RelatedBatch relatedBatch(const RelationCursor &cursor, int count, bool candidates = false) const;
    // The statement reading on from the cursor, as relationRows() runs it:
    // of one related row (a small related table), of a batch of count of
    // them (full when the batch was), of the candidates walked, or of the
    // rest. Empty when no related row follows.
    Bound relationStep(const RelationCursor &cursor, qint64 count, int limit, RelatedBatch *batch,
                       bool *full) const;
    // The statement of one batch (from its first to its last related row;
    // to the end when last is null; or of the related rows of keys) or,
    // without a batch, of the rest.
    Bound relationStatement(const RelationCursor &cursor, const QVariantList &first,
                            const QVariantList &last, int limit, const QVariantList &keys = {}) const;
    // Reads up to wanted rows in relation order from the cursor on; more
    // tells whether rows may follow.
    QVector<Row> relationRows(RelationCursor cursor, int wanted, bool *more) const;
    // The rows of one related row after the cursor, in the order of iId.
    Bound groupStatement(const RelationCursor &cursor, const QVariantList &related, int limit) const;
    // The related table of the sort has so few rows that each has many in
    // the register (counted once for each sort column).
    bool fewRelatedRows() const;
    // The rows of a table under a condition, counted up to cap only; -1
    // when they cannot be read.
    int countUpTo(const QString &table, const QString &condition, int cap) const;
    // "register.column" of the relation the list is sorted by.
    QString foreignKey() const;
    // A filter that may leave out rows ("1" and none keep them all).
    bool filteredList() const;
    static constexpr int FewRelatedPages = 5;
    mutable int m_fewRelated = -1;
    // Under a filter that keeps rows of few related rows: the related rows
    // are walked in order of the shown value by its index, and only those
    // some row under the filter names are read, instead of sorting every
    // row the filter keeps. Decided once a selection (-1: not yet).
    bool walksCandidates() const;
    QString candidatesCondition() const;
    QString relatedNameIndex() const;
    static constexpr int CandidatePages = 4;
    mutable int m_candidates = -1;
    // The rows a filter on the register's own columns keeps, counted up to
    // CandidatePages pages once a selection; -1 for a filter on a joined row
    // or a count that failed.
    int keptRows() const;
    mutable int m_kept = NotCounted;
    mutable QSqlError m_readError;
    static constexpr int NotCounted = -2;
    // The filter keeps fewer than CandidatePages pages of rows: they are read
    // at once and sorted, with no batches of related rows that would each
    // find few of them.
    bool keepsFewRows() const;
    // The cursor after the last row read (whose related key the rows of a
    // relation sort carry after the columns).
    RelationCursor cursorAfter(const Row &last) const;

    QStringList m_columns; // the register's columns in model order
    QVector<Row> m_rows;
    // The last row read (also one left out as listed), where the next page
    // starts; the iId of every row listed.
    Row m_lastRead;
    QSet<qint64> m_listed;
    int m_pageSize = DefaultPageSize;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_more = false;
    bool m_resetting = false;
    bool m_holdSelect = false;
    bool m_fetching = false;
};
