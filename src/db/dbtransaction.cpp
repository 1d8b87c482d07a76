#include "db/dbtransaction.h"

#include "db/dbwidget.h"

bool runInTransaction(DbWidget *db, const std::function<bool()> &work)
{
    if (!db || !db->beginTransaction())
        return false;
    if (work() && db->commitTransaction())
        return true;
    db->rollbackTransaction();
    return false;
}
