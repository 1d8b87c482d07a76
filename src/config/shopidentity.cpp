#include "config/shopidentity.h"

#include "db/dbwidget.h"

#include <QSqlQuery>

namespace ShopIdentity {

QString name(DbWidget *db)
{
    if (!db)
        return QString();
    QSqlQuery q = db->query(QStringLiteral(
        "SELECT sValue FROM settings WHERE sGroup = 'shop' AND sKey = 'name' ORDER BY iId DESC LIMIT 1"));
    return q.next() ? q.value(0).toString() : QString();
}

} // namespace ShopIdentity
