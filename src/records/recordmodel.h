#pragma once

#include <QBrush>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>
#include <QStringList>

class DbWidget;

// Common ground of the register models (repairs, clients, hardware, templates,
// bills): a relational table model on the program's connection whose cells no
// view may edit (forms write through widget mappers), plus the helpers that
// the display rules and the inserts share.
class RecordModel : public QSqlRelationalTableModel
{
    Q_OBJECT
public:
    RecordModel(QObject *parent, DbWidget *db);

    // Selectable and enabled, for every index.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Forms store their fields here (widget mappers, the record pages); no
    // view offers the cell for editing all the same.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    // The value as selected: a relation column gives the related text that
    // the join already brought. The relational base would first load the whole
    // related table into a dictionary, a pause of seconds on a large register.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    // Keeps the cached column positions in step with the selected record.
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
    // The row brush of a status colour text; black, empty and unreadable
    // colours paint white.
    static QBrush statusBrush(const QString &color);
    // The first value of the first row of a statement as an integer, -1 when
    // no row comes back.
    static int readInt(DbWidget *db, const QString &sql);
    // Inserts one row, binding values[i] as text to ":" + columns[i]; the
    // values after the last column are ignored. The new iId, or -1.
    static int insertRecord(DbWidget *db, const QString &table, const QStringList &columns,
                            const QStringList &values);

    DbWidget *dbw;

private:
    bool writing = false; // inside setData: the base class asks flags() first
};
