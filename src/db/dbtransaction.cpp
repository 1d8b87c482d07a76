#include "db/dbtransaction.h"

#include "db/dbwidget.h"

#include <QSqlError>

bool runInTransaction(DbWidget *db, const std::function<bool()> &work)
{
    if (!db)
        return false;
    // A refusal of an earlier save must not be reported for this one.
    db->lastWriteError = QSqlError();
    if (!db->beginTransaction())
        return false;
    if (work() && db->commitTransaction())
        return true;
    db->rollbackTransaction();
    return false;
}
