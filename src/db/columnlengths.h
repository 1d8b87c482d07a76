#pragma once

#include "db/dbwidget.h"

#include <QString>

class QSqlError;
class QAbstractItemDelegate;
class QWidget;

// How much text each column that staff type into holds: the one source of
// the column types in both engines' schema scripts and of the limits of the
// forms' inputs.
namespace ColumnLengths {

enum class Unit {
    Characters, // VARCHAR(n) on MySQL, a CHECK on the length on SQLite
    Bytes,      // TEXT on MySQL (65535 bytes of UTF-8), the same CHECK on SQLite
};

struct Column
{
    const char *table;
    const char *column;
    int limit;
    Unit unit;
    const char *label; // the field's label on the forms
};

// The entry of table.column, or nullptr when the column has none.
const Column *find(const QString &table, const QString &column);
// The first entry of a column of that name in any table.
const Column *findColumn(const QString &column);

// The column type that a placeholder "{table.column}" of a schema script
// stands for on the engine.
QString columnType(const Column &column, DbWidget::DbType engine);
// Replaces every placeholder of a schema script by its column type. False,
// with error naming it, at a placeholder without an entry.
bool substitute(QString *script, DbWidget::DbType engine, QString *error);

// The field's label as staff see it: the generic hardware fields take the
// shop's own labels.
QString label(const Column &column);

// The message for a write that the database refused because a value did not
// fit its column, naming the field; empty for any other error.
QString refusal(const QSqlError &error);

// The number of characters to drop from the end of text for it to fit the
// column; 0 when it fits.
int excess(const Column &column, const QString &text);

// Every QLineEdit and QPlainTextEdit among the descendants of form named
// after a column of table (or whose name aliases maps to one) takes at most
// the column's length; aliases maps an input's object name to its column.
void limitInputs(QWidget *form, const QString &table,
                 const QList<QPair<QString, QString>> &aliases = {});
// Shows stored text in a limited input without cutting it: a value stored
// before the limit existed may be longer, and must not lose its end when the
// record is saved again.
void showStored(QWidget *input, const QString &text);
// A delegate for widget mappers that shows stored text as showStored() does.
QAbstractItemDelegate *storedTextDelegate(QObject *parent);

} // namespace ColumnLengths
