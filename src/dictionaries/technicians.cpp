#include "dictionaries/technicians.h"

#include "db/dbwidget.h"
#include "dictionaries/dictionarycache.h"

#include <QComboBox>
#include <QIcon>
#include <QMap>
#include <QSqlQuery>

namespace {
struct User
{
    QString name;
    bool active;
};
QMap<int, User> users;
} // namespace

QMap<int, QString> userNames(DbWidget *db, bool activeOnly, bool reread)
{
    DictionaryCache::load(db, DictionaryCache::Users, reread, [db] {
        users.clear();
        if (!db)
            return false;
        // A later row of the same id replaces an earlier one.
        QSqlQuery q = db->query(QStringLiteral("SELECT users.iId, users.sUser, users.bActive FROM users"));
        while (q.next())
            users.insert(q.value(0).toInt(), {q.value(1).toString(), q.value(2).toInt() == 1});
        return q.isActive();
    });
    QMap<int, QString> names;
    for (auto it = users.cbegin(); it != users.cend(); ++it) {
        if (!activeOnly || it->active)
            names.insert(it.key(), it->name);
    }
    return names;
}

void fillTechnicianBox(DbWidget *db, QComboBox *box, bool reread)
{
    box->addItem(QStringLiteral("Nieprzydzielony"), 0);
    if (!db)
        return;
    const QMap<int, QString> users = userNames(db, true, reread);
    const QIcon icon(QStringLiteral(":/loginWidget/users.png"));
    for (auto it = users.cbegin(); it != users.cend(); ++it)
        box->addItem(icon, it.value(), it.key());
}
