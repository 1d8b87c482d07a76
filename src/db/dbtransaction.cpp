#include "db/dbtransaction.h"

#include "db/dbwidget.h"

#include <QSqlDatabase>
#include <QSqlQuery>

bool runInTransaction(DbWidget *db, const std::function<bool()> &work)
{
    if (!db)
        return false;
    QSqlDatabase base = db->database();
    // SQLite: take the write lock at once. A deferred transaction that reads
    // first would meet another workstation's writer with "database is locked"
    // at its first write instead of waiting for it.
    const bool begun = db->dbType == DbWidget::SQLite
                           ? QSqlQuery(base).exec(QStringLiteral("BEGIN IMMEDIATE"))
                           : base.transaction();
    if (!begun)
        return false;
    if (work() && base.commit())
        return true;
    base.rollback();
    return false;
}
