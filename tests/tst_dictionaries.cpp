#include "dictionaries/fieldsconfig.h"
#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "dictionaries/repairstatusesconfig.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

QList<int> itemData(const QComboBox &combo)
{
    QList<int> data;
    for (int i = 0; i < combo.count(); ++i)
        data << combo.itemData(i).toInt();
    return data;
}

QColor iconColour(const QComboBox &combo, int index)
{
    return combo.itemIcon(index).pixmap(30, 30).toImage().pixelColor(15, 15);
}

QString statusRow(const QString &table, int id, int statusId, int group, const QString &text,
                  int order)
{
    return QStringLiteral("INSERT INTO %1 (iId, iStatusId, iGroup, sDescription, sColor, iOrder) "
                          "VALUES(%2, %3, %4, '%5', '#102030', %6)")
        .arg(table).arg(id).arg(statusId).arg(group).arg(text).arg(order);
}

} // namespace

class TestDictionaries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void repairStatusesFromSeeds();
    void hardwareStatusesFromSeeds();
    void unknownIdsAddNothing();
    void statusesSharingASlotOrAnId();
    void statusesWithAnotherGroup();
    void statusesReloadedFromScratch();
    void statusesOfAFailedRead();

    void typesFromSeeds();
    void hiddenAndDeletedTypes();
    void typePositionsIgnoreGaps();
    void typesComboIsNotCleared();
    void typesOfAnEmptyOrFailedRead();

    void fieldLabelsFromDatabase();
    void fieldLabelsOfAnotherDatabaseDoNotSurvive();
    void fieldLabelsKeptWhenTheReadFails();
    void setupFieldsShowsLabelsAndHides();
};

void TestDictionaries::repairStatusesFromSeeds()
{
    TestDatabase t;
    REQUIRE_DB(t);
    RepairStatusesConfig::getStatuses(t.db());

    QCOMPARE(RepairStatusesConfig::Statuses.keys(), (QList<int>{0, 1, 2, 3, 4, 5}));
    const RepairStatusesConfig::RepairStatus started = RepairStatusesConfig::Statuses.value(1);
    QCOMPARE(started.statusId, 1);
    QCOMPARE(started.id, 2);
    QCOMPARE(started.group, 1);
    QCOMPARE(started.description, QStringLiteral("Naprawa rozpoczęta"));
    QCOMPARE(started.name, QStringLiteral("[Otwarta] Naprawa rozpoczęta"));
    QCOMPARE(started.color, QStringLiteral("#afff9f"));
    QCOMPARE(started.order, 2);
    QCOMPARE(RepairStatusesConfig::Statuses.value(3).name,
             QStringLiteral("[Oczekująca] Oczekuje na części"));
    QCOMPARE(RepairStatusesConfig::Statuses.value(5).name,
             QStringLiteral("[Zamknięta] Naprawa ukończona"));
    QCOMPARE(RepairStatusesConfig::SortedStatuses.keys(), (QList<int>{1, 2, 3}));
    QCOMPARE(RepairStatusesConfig::SortedStatuses.value(2).value(1).statusId, 2);

    QComboBox combo;
    combo.addItem(QStringLiteral("stale"));
    RepairStatusesConfig::setupComboBox(t.db(), &combo);
    QCOMPARE(itemData(combo), (QList<int>{0, 1, 2, 3, 4, 5}));
    QCOMPARE(combo.itemText(0), QStringLiteral("[Otwarta] Nowa naprawa"));
    QCOMPARE(combo.currentIndex(), 0);
    QCOMPARE(combo.itemData(0).typeId(), QMetaType::Int);
    QCOMPARE(iconColour(combo, 1), QColor("#afff9f"));
    QCOMPARE(iconColour(combo, 5), QColor("#6fc3e6"));
}

void TestDictionaries::hardwareStatusesFromSeeds()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QComboBox combo;
    HardwareStatusesConfig::setupComboBox(t.db(), &combo);

    QCOMPARE(itemData(combo), (QList<int>{1, 5, 2, 3, 4, 0, 6}));
    QCOMPARE(combo.itemText(0), QStringLiteral("[W serwisie] W serwisie"));
    QCOMPARE(combo.itemText(1), QStringLiteral("[W serwisie] Do odbioru"));
    QCOMPARE(combo.itemText(2), QStringLiteral("[Poza serwisem] W serwisie zewnętrznym"));
    QCOMPARE(combo.itemText(5), QStringLiteral("[Sprzęt wydany] Poza ewidencją"));
    QCOMPARE(iconColour(combo, 6), QColor("#4dd7ff"));
    QCOMPARE(HardwareStatusesConfig::Statuses.size(), 7);
    QCOMPARE(HardwareStatusesConfig::Statuses.value(0).group, 3);
    QCOMPARE(HardwareStatusesConfig::Statuses.value(0).id, 6);
}

void TestDictionaries::unknownIdsAddNothing()
{
    TestDatabase t;
    REQUIRE_DB(t);
    RepairStatusesConfig::getStatuses(t.db());
    HardwareStatusesConfig::getStatuses(t.db());
    HardwareTypesConfig::getTypes(t.db());

    const RepairStatusesConfig::RepairStatus repair = RepairStatusesConfig::status(42);
    QCOMPARE(repair.group, 0);
    QCOMPARE(repair.statusId, 0);
    QVERIFY(repair.name.isEmpty());
    QVERIFY(repair.color.isEmpty());
    QCOMPARE(RepairStatusesConfig::Statuses.size(), 6);

    const HardwareStatusesConfig::HardwareStatus hardware = HardwareStatusesConfig::status(-1);
    QCOMPARE(hardware.group, 0);
    QVERIFY(hardware.name.isEmpty());
    QCOMPARE(HardwareStatusesConfig::Statuses.size(), 7);

    QVERIFY(HardwareTypesConfig::typeName(999).isEmpty());
    QCOMPARE(HardwareTypesConfig::Types.size(), 12);
    QCOMPARE(HardwareTypesConfig::typeName(0), QStringLiteral("Laptop"));
}

void TestDictionaries::statusesSharingASlotOrAnId()
{
    TestDatabase t;
    REQUIRE_DB(t);
    // Status 10 takes the slot (group 1, order 1) of status 0; status 4 is
    // read twice, the later row wins.
    QVERIFY2(t.exec({statusRow("statusesconf", 7, 10, 1, "Przyjęta", 1),
                     statusRow("statusesconf", 8, 4, 3, "Zwrot", 5)}),
             qPrintable(t.error()));

    QComboBox combo;
    RepairStatusesConfig::setupComboBox(t.db(), &combo);
    QCOMPARE(RepairStatusesConfig::Statuses.size(), 7);
    QCOMPARE(RepairStatusesConfig::Statuses.value(0).description, QStringLiteral("Nowa naprawa"));
    QCOMPARE(RepairStatusesConfig::Statuses.value(4).description, QStringLiteral("Zwrot"));
    QCOMPARE(RepairStatusesConfig::SortedStatuses.value(1).value(1).statusId, 10);
    QCOMPARE(RepairStatusesConfig::SortedStatuses.value(3).keys(), (QList<int>{2, 5}));
    QCOMPARE(itemData(combo), (QList<int>{10, 1, 2, 3, 5, 4}));
}

void TestDictionaries::statusesWithAnotherGroup()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.exec({statusRow("hwstatusesconf", 8, 7, 0, "Zero", 1),
                     statusRow("hwstatusesconf", 9, 8, 4, "Cztery", 1)}),
             qPrintable(t.error()));
    QComboBox combo;
    HardwareStatusesConfig::setupComboBox(t.db(), &combo);
    QCOMPARE(itemData(combo), (QList<int>{7, 1, 5, 2, 3, 4, 0, 6, 8}));
    QCOMPARE(combo.itemText(0), QStringLiteral("[Błąd grupy statusu !] Zero"));
    QCOMPARE(HardwareStatusesConfig::Statuses.value(8).name,
             QStringLiteral("[Błąd grupy statusu !] Cztery"));
    QCOMPARE(RepairStatusesConfig::groupLabel(7), QStringLiteral("[Błąd grupy statusu !]"));
}

void TestDictionaries::statusesReloadedFromScratch()
{
    TestDatabase t;
    REQUIRE_DB(t);
    RepairStatusesConfig::getStatuses(t.db());
    QVERIFY(t.exec("DELETE FROM statusesconf WHERE iStatusId IN (1, 3)"));
    RepairStatusesConfig::getStatuses(t.db());
    QCOMPARE(RepairStatusesConfig::Statuses.keys(), (QList<int>{0, 2, 4, 5}));
    QCOMPARE(RepairStatusesConfig::SortedStatuses.value(1).size(), 1);
    QCOMPARE(RepairStatusesConfig::SortedStatuses.value(2).size(), 1);

    QVERIFY(t.exec("DELETE FROM statusesconf"));
    QComboBox combo;
    RepairStatusesConfig::setupComboBox(t.db(), &combo);
    QVERIFY(RepairStatusesConfig::Statuses.isEmpty());
    QVERIFY(RepairStatusesConfig::SortedStatuses.isEmpty());
    QCOMPARE(combo.count(), 0);
}

void TestDictionaries::statusesOfAFailedRead()
{
    TestDatabase t;
    REQUIRE_DB(t);
    HardwareStatusesConfig::getStatuses(t.db());
    QVERIFY(t.exec("DROP TABLE hwstatusesconf"));
    QComboBox combo;
    HardwareStatusesConfig::setupComboBox(t.db(), &combo);
    QVERIFY(HardwareStatusesConfig::Statuses.isEmpty());
    QVERIFY(HardwareStatusesConfig::SortedStatuses.isEmpty());
    QCOMPARE(combo.count(), 0);
}

void TestDictionaries::typesFromSeeds()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QComboBox combo;
    HardwareTypesConfig::setupComboBox(t.db(), &combo);

    const QList<int> ids{0, 1, 11, 12, 13, 14, 15, 16, 17, 18, 19, 2};
    QCOMPARE(itemData(combo), ids);
    QCOMPARE(HardwareTypesConfig::Order.keys(), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    QCOMPARE(HardwareTypesConfig::Order.values(), ids);
    QCOMPARE(combo.itemText(0), QStringLiteral("Laptop"));
    QCOMPARE(combo.itemText(4), QStringLiteral("Sprzęt audio"));
    QCOMPARE(combo.itemText(11), QStringLiteral("Inny"));
    QCOMPARE(combo.findData(0), 0);
    QCOMPARE(combo.findData(2), 11);
    QVERIFY(combo.itemIcon(0).isNull());
    QCOMPARE(HardwareTypesConfig::Types.value(12), QStringLiteral("Aparat / Kamera"));
}

void TestDictionaries::hiddenAndDeletedTypes()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(t.exec("DELETE FROM typesconf WHERE iId > 3"));
    HardwareTypesConfig::getTypes(t.db());
    QCOMPARE(HardwareTypesConfig::Types.size(), 3);

    QVERIFY(t.exec("UPDATE typesconf SET bVisible = 0 WHERE iTypeId = 1"));
    QComboBox combo;
    HardwareTypesConfig::setupComboBox(t.db(), &combo);
    QCOMPARE(itemData(combo), (QList<int>{0, 11}));
    QCOMPARE(HardwareTypesConfig::Types.keys(), (QList<int>{0, 11}));
    QCOMPARE(HardwareTypesConfig::Order.size(), 2);
    QVERIFY(HardwareTypesConfig::typeName(1).isEmpty());

    QVERIFY(t.exec("DELETE FROM typesconf WHERE iTypeId = 11"));
    HardwareTypesConfig::getTypes(t.db());
    QCOMPARE(HardwareTypesConfig::Types.keys(), (QList<int>{0}));
    QCOMPARE(HardwareTypesConfig::Order.values(), (QList<int>{0}));
}

void TestDictionaries::typePositionsIgnoreGaps()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(t.exec({"DELETE FROM typesconf WHERE iId > 3", "UPDATE typesconf SET iOrder = 9 WHERE iId = 1",
                    "UPDATE typesconf SET iOrder = 1 WHERE iId = 2",
                    "UPDATE typesconf SET iOrder = 5 WHERE iId = 3"}));
    HardwareTypesConfig::getTypes(t.db());
    QCOMPARE(HardwareTypesConfig::Order.keys(), (QList<int>{0, 1, 2}));
    QCOMPARE(HardwareTypesConfig::Order.values(), (QList<int>{1, 11, 0}));
}

void TestDictionaries::typesComboIsNotCleared()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(t.exec("DELETE FROM typesconf WHERE iId > 2"));
    QComboBox combo;
    HardwareTypesConfig::setupComboBox(t.db(), &combo);
    combo.addItem(QStringLiteral("Wszystkie"), -1);
    QCOMPARE(itemData(combo), (QList<int>{0, 1, -1}));
    // Each type goes to the index of its display position.
    HardwareTypesConfig::setupComboBox(t.db(), &combo);
    QCOMPARE(itemData(combo), (QList<int>{0, 1, 0, 1, -1}));
}

void TestDictionaries::typesOfAnEmptyOrFailedRead()
{
    TestDatabase t;
    REQUIRE_DB(t);
    HardwareTypesConfig::getTypes(t.db());
    QVERIFY(t.exec("UPDATE typesconf SET bVisible = 0"));
    QComboBox combo;
    HardwareTypesConfig::setupComboBox(t.db(), &combo);
    QCOMPARE(combo.count(), 0);
    QVERIFY(HardwareTypesConfig::Types.isEmpty());
    QVERIFY(HardwareTypesConfig::Order.isEmpty());

    QVERIFY(t.exec("UPDATE typesconf SET bVisible = 1"));
    HardwareTypesConfig::getTypes(t.db());
    QVERIFY(t.exec("DROP TABLE typesconf"));
    HardwareTypesConfig::getTypes(t.db());
    QVERIFY(HardwareTypesConfig::Types.isEmpty());
    QVERIFY(HardwareTypesConfig::Order.isEmpty());
}

void TestDictionaries::fieldLabelsFromDatabase()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(t.exec("UPDATE fieldsconf SET bRequired = 1 WHERE sName = 'sField2'"));
    QVERIFY(FieldsConfig::getFieldsDescription(t.db()));
    QCOMPARE(FieldsConfig::Description.size(), 16);
    QCOMPARE(FieldsConfig::Description.value("sField4"), QStringLiteral("Wyposażenie"));
    QCOMPARE(FieldsConfig::Description.value("iFieldDate"), QStringLiteral("Data zakupu"));
    QVERIFY(FieldsConfig::Description.value("sField5").isEmpty());
    QVERIFY(FieldsConfig::Required.value("sField2"));
    QVERIFY(!FieldsConfig::Required.value("sField1"));
    QCOMPARE(FieldsConfig::Required.size(), 16);

    QVERIFY(t.exec("DELETE FROM fieldsconf"));
    QVERIFY(!FieldsConfig::getFieldsDescription(t.db()));
    QVERIFY(FieldsConfig::Description.isEmpty());
    QVERIFY(FieldsConfig::Required.isEmpty());
}

void TestDictionaries::fieldLabelsOfAnotherDatabaseDoNotSurvive()
{
    TestDatabase t;
    REQUIRE_DB(t);
    FieldsConfig::Description.insert(QStringLiteral("sFieldOld"), QStringLiteral("Stara"));
    FieldsConfig::Required.insert(QStringLiteral("sFieldOld"), true);
    QVERIFY(t.exec({"DELETE FROM fieldsconf WHERE iId > 1",
                    "UPDATE fieldsconf SET sValue = 'Marka' WHERE iId = 1"}));
    QVERIFY(FieldsConfig::getFieldsDescription(t.db()));
    QCOMPARE(FieldsConfig::Description.keys(), QStringList{"sField1"});
    QCOMPARE(FieldsConfig::Description.value("sField1"), QStringLiteral("Marka"));
    QCOMPARE(FieldsConfig::Required.keys(), QStringList{"sField1"});
}

void TestDictionaries::fieldLabelsKeptWhenTheReadFails()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(FieldsConfig::getFieldsDescription(t.db()));
    QVERIFY(t.exec("DROP TABLE fieldsconf"));
    QVERIFY(FieldsConfig::getFieldsDescription(t.db()));
    QCOMPARE(FieldsConfig::Description.size(), 16);
    QCOMPARE(FieldsConfig::Required.size(), 16);
    QCOMPARE(FieldsConfig::Description.value("sFieldLong"), QStringLiteral("Uwagi"));
}

void TestDictionaries::setupFieldsShowsLabelsAndHides()
{
    QWidget form;
    QWidget *page = new QWidget(&form);
    auto label = [&](const QString &name) {
        auto *l = new QLabel(name, page);
        l->setObjectName(name);
        return l;
    };
    auto input = [&](QWidget *w, const QString &name) {
        w->setParent(page);
        w->setObjectName(name);
        return w;
    };
    QLabel *l1 = label("sField1Label");
    QWidget *f1 = input(new QLineEdit, "sField1");
    QLabel *l2 = label("sField2Label");
    QWidget *f2 = input(new QLineEdit, "sField2");
    QLabel *l3 = label("sField3Label"); // no entry in the map
    QWidget *f3 = input(new QLineEdit, "sField3");
    QLabel *lDate = label("iFieldDateLabel");
    QWidget *fDate = input(new QDateEdit, "iFieldDate");
    QLabel *lLong = label("sFieldLongLabel");
    QWidget *fLong = input(new QPlainTextEdit, "sFieldLong");
    QLabel *other = label("otherLabel");
    form.show();
    l1->hide();
    f1->hide();

    FieldsConfig::Description = {{"sField1", "Producent"}, {"sField2", ""},
                                 {"iFieldDate", "Data zakupu"}, {"sFieldLong", ""},
                                 {"other", "Nie"}};
    FieldsConfig::setupFields(&form);

    QCOMPARE(l1->text(), QStringLiteral("Producent:"));
    QVERIFY(l1->isVisible());
    QVERIFY(f1->isVisible());
    QVERIFY(!l2->isVisible());
    QVERIFY(!f2->isVisible());
    QCOMPARE(l3->text(), QStringLiteral("sField3Label"));
    QVERIFY(l3->isVisible() && f3->isVisible());
    QCOMPARE(lDate->text(), QStringLiteral("Data zakupu:"));
    QVERIFY(lDate->isVisible() && fDate->isVisible());
    QVERIFY(!lLong->isVisible());
    QVERIFY(!fLong->isVisible());
    // The label "otherLabel" names a key, but no input: only its text changes.
    QCOMPARE(other->text(), QStringLiteral("Nie:"));

    // A field taken into use again is shown.
    FieldsConfig::Description.insert("sField2", "Model");
    FieldsConfig::setupFields(&form);
    QVERIFY(l2->isVisible() && f2->isVisible());
    QCOMPARE(l2->text(), QStringLiteral("Model:"));
}

WARSZTAT_TEST_MAIN(TestDictionaries)
#include "tst_dictionaries.moc"
