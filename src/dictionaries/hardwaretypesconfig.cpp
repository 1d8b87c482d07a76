#include "dictionaries/hardwaretypesconfig.h"
#include "ui_hardwareTypesConfig.h"

#include "db/dbwidget.h"
#include "dictionaries/dictionarycache.h"

#include <QComboBox>
#include <QSqlQuery>

QMap<int, QString> HardwareTypesConfig::Types;
QMap<int, int> HardwareTypesConfig::Order;

HardwareTypesConfig::HardwareTypesConfig(QWidget *parent, DbWidget *db, UserWidget *user,
                                         Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings)
{
    setupPage();
}

HardwareTypesConfig::~HardwareTypesConfig()
{
    delete ui;
}

void HardwareTypesConfig::getTypes(DbWidget *db, bool reread)
{
    DictionaryCache::load(db, DictionaryCache::HardwareTypes, reread, [db] {
        Types.clear();
        Order.clear();
        if (!db)
            return false;
        QSqlQuery q = db->query(QStringLiteral(
            "SELECT iTypeId, sDescription FROM typesconf WHERE bVisible = 1 ORDER BY iOrder ASC"));
        int position = 0;
        while (q.next()) {
            const int typeId = q.value(0).toInt();
            Types.insert(typeId, q.value(1).toString());
            Order.insert(position++, typeId);
        }
        return q.isActive();
    });
}

void HardwareTypesConfig::setupComboBox(DbWidget *db, QComboBox *combo)
{
    getTypes(db, true);
    fillComboBox(combo);
}

void HardwareTypesConfig::fillComboBox(QComboBox *combo)
{
    for (auto it = Order.constBegin(); it != Order.constEnd(); ++it)
        combo->insertItem(it.key(), Types.value(it.value()), it.value());
}

QString HardwareTypesConfig::typeName(int typeId)
{
    return Types.value(typeId);
}
