#pragma once

#include "db/dbwidget.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The indexes of the program's schema, added to a new database after its
// schema script and to one made earlier at start: the foreign keys the
// pages look rows up by, and one per column that a list can be sorted by,
// so that every sort reads one range of an index.
// MariaDB indexes no more than a prefix of a long text (TEXT), which no sort
// can use: there such a column is sorted by its first 255 characters, a
// virtual column that no row stores and no "SELECT *" shows.
namespace DbIndexes {

struct Index
{
    QString name;
    QString table;
    QString columns; // "iStatus, iAddDate"
    QString sortedText; // the long text whose virtual column is indexed
};

// The name of the index of a table's column ("a, b": of two columns).
QString indexName(const QString &table, const QString &columns);
// The virtual column that sorts a long text on MariaDB.
QString sortColumn(const QString &column);
// The name of the index of that column on a long text, empty for a column
// that is no long text.
QString textSortIndex(const QString &table, const QString &column);

// Every index of the schema on the engine.
const QList<Index> &all(DbWidget::DbType type);
// The statements that add an index (with its virtual column): online on
// MariaDB, so that the other workstations go on working meanwhile.
QStringList createStatements(const Index &index, DbWidget::DbType type);
// The statements that give a new, empty database every index.
QStringList newSchemaStatements(DbWidget::DbType type);
// Whether the database had the index when its indexes were last read (once
// for each connection, and after missing()).
bool hasIndex(DbWidget *db, const QString &name);
// The indexes of all() the database lacks, found by one statement; none
// when the list of indexes cannot be read (the server lost).
QList<Index> missing(DbWidget *db);

// Adds the missing indexes of a database made by an earlier version, with a
// progress window; no row is changed. A table that cannot take its index
// keeps no other table from getting its own. When an addition fails, says
// once that lists may be slow, with the server's error (and, when the user may
// not change the schema, which rights are needed), and goes on; a database
// that cannot be written is left as it is. Returns
// whether every index is there afterwards.
bool addMissing(DbWidget *db, QWidget *parent = nullptr);

} // namespace DbIndexes
