#include "db/dbtransaction.h"

#include "db/dbwidget.h"

#include <QSqlDatabase>

bool runInTransaction(DbWidget *db, const std::function<bool()> &work)
{
    if (!db)
        return false;
    QSqlDatabase base = db->database();
    if (!base.transaction())
        return false;
    if (work() && base.commit())
        return true;
    base.rollback();
    return false;
}
