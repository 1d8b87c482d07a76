#include "dictionaries/technicians.h"

#include "db/dbwidget.h"

#include <QComboBox>
#include <QIcon>
#include <QMap>
#include <QSqlQuery>

void fillTechnicianBox(DbWidget *db, QComboBox *box)
{
    box->addItem(QStringLiteral("Nieprzydzielony"), 0);
    if (!db)
        return;
    // A later row of the same id replaces an earlier one.
    QMap<int, QString> users;
    QSqlQuery q = db->query(
        QStringLiteral("SELECT users.iId, users.sUser FROM users WHERE users.bActive = 1"));
    while (q.next())
        users.insert(q.value(0).toInt(), q.value(1).toString());
    const QIcon icon(QStringLiteral(":/loginWidget/users.png"));
    for (auto it = users.cbegin(); it != users.cend(); ++it)
        box->addItem(icon, it.value(), it.key());
}
