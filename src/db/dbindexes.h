#pragma once

#include "db/dbwidget.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The indexes of the program's schema, as the schema scripts create them:
// the foreign keys the pages look rows up by, and one per column that a
// list can be sorted by, so that every sort reads one range of an index.
// Long texts (TEXT) are indexed on SQLite only: MariaDB indexes a prefix of
// them, which no sort can use.
namespace DbIndexes {

struct Index
{
    QString name;
    QString table;
    QString columns; // "iStatus, iAddDate"
};

// Every index of the schema on the engine.
const QList<Index> &all(DbWidget::DbType type);
// The statement that adds an index: online on MariaDB, so that the other
// workstations go on working meanwhile.
QString createStatement(const Index &index, DbWidget::DbType type);
// The indexes of all() the database lacks, found by one statement; all of
// them when the list of indexes cannot be read.
QList<Index> missing(DbWidget *db);

// Adds the missing indexes of a database made by an earlier version, with a
// progress window; no row is changed. When the user may not change the
// schema (or any addition fails), says once that lists may be slow and
// goes on. Returns whether every index is there afterwards.
bool addMissing(DbWidget *db, QWidget *parent = nullptr);

} // namespace DbIndexes
