#include "configtesthelpers.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "messageboxrecorder.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSqlError>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

class TestHardwareTypesConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void tableAfterLoad();
    void selectionAndEditBox();
    void addInNewDatabase();
    void addToEmptyTable();
    void editWithoutMoving();
    void workedExamples_data();
    void workedExamples();
    void positionsBeyondTheEnd();
    void deleteAndItsRefusals();
    void deleteRacesAnotherWorkstation();
    void cancelledQuestionsWriteNothing();
    void editRacesAnotherWorkstation_data();
    void editRacesAnotherWorkstation();
    void failedWritesReorderNothing();
    void dictionaryReadOncePerConnection();
    void renders();

private:
    void makePage();
    void useFourTypes();
    void select(const QString &name);
    // Opens the edit box of name, sets its position and saves.
    void moveType(const QString &name, int position);
    void addType(const QString &name, int position);
    void deleteType(const QString &name);
    QStringList order() const; // "name position" by position
    QTableWidget *table() const { return page->findChild<QTableWidget *>("typesTable"); }
    QPushButton *button(const char *name) const { return page->findChild<QPushButton *>(name); }
    QGroupBox *typeBox() const { return page->findChild<QGroupBox *>("typeBox"); }
    QSpinBox *typeOrder() const { return page->findChild<QSpinBox *>("typeOrder"); }
    QLineEdit *typeDescription() const { return page->findChild<QLineEdit *>("typeDescription"); }

    TestDatabase *t = nullptr;
    HardwareTypesConfig *page = nullptr;
};

void TestHardwareTypesConfig::init()
{
    t = new TestDatabase;
    QVERIFY2(t->ok(), qPrintable(t->error()));
}

void TestHardwareTypesConfig::cleanup()
{
    deletePageAndDatabase(page, t);
}

void TestHardwareTypesConfig::makePage()
{
    page = showConfigPage<HardwareTypesConfig>(*t);
}

static QString insertType(int typeId, const QString &description)
{
    return QStringLiteral("INSERT INTO typesconf (iTypeId, sDescription, iOrder, bVisible) "
                          "VALUES (%1, '%2', %1, 1)").arg(typeId).arg(description);
}

// Types A to D, numbered and ordered 1 to 4.
void TestHardwareTypesConfig::useFourTypes()
{
    QVERIFY(t->exec({"DELETE FROM typesconf", insertType(1, "A"), insertType(2, "B"), insertType(3, "C"),
                     insertType(4, "D")}));
}

void TestHardwareTypesConfig::select(const QString &name)
{
    for (int row = 0; row < table()->rowCount(); ++row) {
        if (table()->item(row, 0)->text() == name) {
            table()->selectRow(row);
            return;
        }
    }
    QFAIL(qPrintable("no type " + name));
}

void TestHardwareTypesConfig::moveType(const QString &name, int position)
{
    select(name);
    click(page, "editButton");
    typeOrder()->setValue(position);
    click(page, "saveButton");
}

void TestHardwareTypesConfig::addType(const QString &name, int position)
{
    click(page, "addButton");
    QTest::keyClicks(typeDescription(), name);
    if (position > 0)
        typeOrder()->setValue(position);
    click(page, "saveButton");
}

void TestHardwareTypesConfig::deleteType(const QString &name)
{
    select(name);
    click(page, "deleteButton");
}

QStringList TestHardwareTypesConfig::order() const
{
    QStringList list;
    QSqlQuery q = t->db()->query("SELECT sDescription, iOrder FROM typesconf ORDER BY iOrder, iId");
    while (q.next())
        list << q.value(0).toString() + ' ' + q.value(1).toString();
    return list;
}

void TestHardwareTypesConfig::dictionaryReadOncePerConnection()
{
    makePage();
    MessageBoxRecorder rec;
    auto offered = [this] {
        QComboBox combo;
        HardwareTypesConfig::setupComboBox(t->db(), &combo);
        return itemTexts(combo);
    };
    const QStringList shown = offered();
    // A type stored by another workstation is not read again for the
    // register models on this connection...
    QVERIFY(!t->db()->query(insertType(90, "Obcy")).lastError().isValid());
    HardwareTypesConfig::getTypes(t->db());
    QVERIFY(!HardwareTypesConfig::Types.contains(90));
    // ...but every combo box filled reads the table afresh, and so does a
    // change made on the page.
    QVERIFY(offered().contains("Obcy"));
    addType("Skaner", 0);
    const QStringList changed = offered();
    QCOMPARE(changed.size(), shown.size() + 2);
    QVERIFY(changed.contains("Skaner") && changed.contains("Obcy"));
    // So is a type the page only showed: it reads the table on every show.
    QVERIFY(!t->db()->query(insertType(91, "Pokazany")).lastError().isValid());
    reshow(page);
    QVERIFY(offered().contains("Pokazany"));
}

void TestHardwareTypesConfig::tableAfterLoad()
{
    QVERIFY(t->exec({"UPDATE typesconf SET bVisible = 0 WHERE iTypeId = 1",
                     "INSERT INTO hardware (sHName, iHType, iStoreStatus) VALUES ('a', 0, 1)",
                     "INSERT INTO hardware (sHName, iHType, iStoreStatus) VALUES ('b', 0, 1)",
                     "INSERT INTO hardware (sHName, iHType, iStoreStatus) VALUES ('c', 2, 1)"}));
    // Hardware without a type: NULL (the MySQL schema has to be loosened for
    // it) and, where the column takes it, empty text. Neither is Laptop's 0.
    if (TestDatabase::isMySql())
        QVERIFY(t->exec("ALTER TABLE hardware MODIFY iHType INT NULL"));
    else
        QVERIFY(t->exec("INSERT INTO hardware (sHName, iHType, iStoreStatus) VALUES ('e', '', 1)"));
    QVERIFY(t->exec("INSERT INTO hardware (sHName, iHType, iStoreStatus) VALUES ('n', NULL, 1)"));
    makePage();
    QTableWidget *view = table();
    QCOMPARE(view->rowCount(), 12);
    QCOMPARE(view->columnCount(), 6);
    QVERIFY(view->isColumnHidden(4));
    QVERIFY(view->isColumnHidden(5));
    QStringList headers;
    for (int column = 0; column < 4; ++column)
        headers << view->horizontalHeaderItem(column)->text();
    QCOMPARE(headers, QStringList({"Typ sprzętu", "Kolejność", "Widoczność", "Ilość użyć"}));
    QCOMPARE(view->horizontalHeader()->sectionResizeMode(0), QHeaderView::Stretch);

    QStringList first;
    for (int column = 0; column < 6; ++column)
        first << view->item(0, column)->text();
    QCOMPARE(first, QStringList({"Laptop", "1", "Tak", "2", "1", "0"}));
    QVERIFY(!view->item(0, 0)->icon().isNull());
    QCOMPARE(view->item(1, 0)->text(), QStringLiteral("PC"));
    QCOMPARE(view->item(1, 2)->text(), QStringLiteral("Nie"));
    QCOMPARE(view->item(11, 0)->text(), QStringLiteral("Inny"));
    QCOMPARE(view->item(11, 3)->text(), QStringLiteral("1"));
    QCOMPARE(view->item(5, 3)->text(), QStringLiteral("0"));
    // Each count is what the type's own count statement gives.
    for (int row = 0; row < view->rowCount(); ++row)
        QCOMPARE(view->item(row, 3)->text(),
                 t->scalar("SELECT COUNT(iId) FROM hardware WHERE iHType = " + view->item(row, 5)->text()));

    // The dictionary follows the load: hidden types are not in it.
    QVERIFY(!HardwareTypesConfig::Types.contains(1));
    QCOMPARE(HardwareTypesConfig::Types.size(), 11);

    QVERIFY(typeBox()->isHidden());
    QVERIFY(!button("editButton")->isEnabled());
    QVERIFY(!button("deleteButton")->isEnabled());
    QCOMPARE(page->findChild<QLabel *>("dbLabel")->text(), dbLabelPrefix + t->db()->description);
    QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void TestHardwareTypesConfig::selectionAndEditBox()
{
    makePage();
    select("Konsola");
    QVERIFY(button("editButton")->isEnabled());
    QVERIFY(button("deleteButton")->isEnabled());
    click(page, "editButton");
    QVERIFY(!typeBox()->isHidden());
    QCOMPARE(typeBox()->title(), QStringLiteral("Edytuj typ sprzętu"));
    QCOMPARE(typeDescription()->text(), QStringLiteral("Konsola"));
    QCOMPARE(typeOrder()->value(), 7);
    QVERIFY(page->findChild<QCheckBox *>("typeVisible")->isChecked());

    // Another selection closes the box without saving.
    select("Monitor");
    QVERIFY(typeBox()->isHidden());
    table()->clearSelection();
    QVERIFY(!button("editButton")->isEnabled());

    // A reload drops the selection and with it the buttons that act on it.
    select("Monitor");
    reshow(page);
    QVERIFY(!button("editButton")->isEnabled());
    QVERIFY(!button("deleteButton")->isEnabled());

    // A double click edits too.
    doubleClickAt(table()->viewport(), table()->visualItemRect(table()->item(2, 0)).center());
    QVERIFY(!typeBox()->isHidden());
    QCOMPARE(typeDescription()->text(), QStringLiteral("Telefon"));

    click(page, "addButton");
    QCOMPARE(typeBox()->title(), QStringLiteral("Dodaj nowy typ sprzętu"));
    QVERIFY(typeDescription()->text().isEmpty());
    QCOMPARE(typeOrder()->value(), 13);
    QVERIFY(page->findChild<QCheckBox *>("typeVisible")->isChecked());
}

void TestHardwareTypesConfig::addInNewDatabase()
{
    makePage();
    QVERIFY(logUpdates(*t, "typesconf"));
    MessageBoxRecorder rec;
    addType("  Tablet  ", 0); // at the proposed end
    QCOMPARE(rec.count(), 2);
    QCOMPARE(rec.boxes[0].icon, QMessageBox::Question);
    QCOMPARE(rec.boxes[0].title, QStringLiteral("Nowy typ sprzętu"));
    QCOMPARE(rec.boxes[0].text, saveQuestionText);
    QCOMPARE(rec.boxes[1].title, QStringLiteral("Zapisano."));
    QCOMPARE(storedRow(*t, "typesconf", "iTypeId, iOrder", "sDescription = 'Tablet'"), QStringLiteral("20|13"));
    QVERIFY(loggedUpdates(t->db()).isEmpty());
    QVERIFY(typeBox()->isHidden());
    QCOMPARE(table()->rowCount(), 13);

    // At the top: every other type moves down; the type number follows the highest.
    addType("Dron", 1);
    QCOMPARE(t->scalar("SELECT iTypeId FROM typesconf WHERE sDescription = 'Dron'").toInt(), 21);
    QCOMPARE(order().first(), QStringLiteral("Dron 1"));
    QCOMPARE(order()[1], QStringLiteral("Laptop 2"));
    QCOMPARE(order().last(), QStringLiteral("Tablet 14"));
    QCOMPARE(loggedUpdates(t->db()).size(), 13);
    HardwareTypesConfig::getTypes(t->db());
    QCOMPARE(HardwareTypesConfig::Order.value(0), 21);

    // A number that a template still carries after its type was deleted is
    // not given again.
    QVERIFY(t->exec("INSERT INTO templates (sHName, iHType) VALUES ('szablon', 21)"));
    deleteType("Dron");
    addType("Skaner", 0);
    QCOMPARE(t->scalar("SELECT iTypeId FROM typesconf WHERE sDescription = 'Skaner'").toInt(), 22);
}

void TestHardwareTypesConfig::addToEmptyTable()
{
    QVERIFY(t->exec("DELETE FROM typesconf"));
    makePage();
    MessageBoxRecorder rec;
    QCOMPARE(table()->rowCount(), 0);
    click(page, "addButton");
    QCOMPARE(typeOrder()->value(), 1);
    QTest::keyClicks(typeDescription(), "Pierwszy");
    click(page, "saveButton");
    QCOMPARE(storedRow(*t, "typesconf", "iTypeId, iOrder, bVisible", "1 = 1"), QStringLiteral("50|1|1"));
}

void TestHardwareTypesConfig::editWithoutMoving()
{
    makePage();
    QVERIFY(logUpdates(*t, "typesconf"));
    MessageBoxRecorder rec;
    select("Drukarka");
    click(page, "editButton");
    typeDescription()->setText(" Drukarka 3D ");
    page->findChild<QCheckBox *>("typeVisible")->setChecked(false);
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja typu sprzętu", "Zapisano."}));
    QCOMPARE(loggedUpdates(t->db()), QList<int>({6}));
    QCOMPARE(storedRow(*t, "typesconf", "sDescription, bVisible, iOrder", "iId = 6"),
             QStringLiteral("Drukarka 3D|0|6"));
    // Still listed here, hidden everywhere else.
    QCOMPARE(table()->item(5, 0)->text(), QStringLiteral("Drukarka 3D"));
    QCOMPARE(table()->item(5, 2)->text(), QStringLiteral("Nie"));
    QVERIFY(!HardwareTypesConfig::Types.contains(14));
}

void TestHardwareTypesConfig::workedExamples_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("D up to 2") << "move" << "D" << 2 << QStringList({"A 1", "D 2", "B 3", "C 4"});
    QTest::newRow("A down to 3") << "move" << "A" << 3 << QStringList({"B 1", "C 2", "A 3", "D 4"});
    QTest::newRow("E added at 2") << "add" << "E" << 2 << QStringList({"A 1", "E 2", "B 3", "C 4", "D 5"});
    QTest::newRow("B deleted") << "delete" << "B" << 0 << QStringList({"A 1", "C 2", "D 3"});
}

void TestHardwareTypesConfig::workedExamples()
{
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(int, position);
    QFETCH(QStringList, expected);
    useFourTypes();
    makePage();
    MessageBoxRecorder rec;
    if (action == "move")
        moveType(name, position);
    else if (action == "add")
        addType(name, position);
    else
        deleteType(name);
    QCOMPARE(order(), expected);
    QCOMPARE(rec.last().title, QStringLiteral("Zapisano."));
    QCOMPARE(table()->rowCount(), expected.size());
}

void TestHardwareTypesConfig::positionsBeyondTheEnd()
{
    useFourTypes();
    QVERIFY(t->exec(insertType(5, "E")));
    makePage();
    MessageBoxRecorder rec;
    addType("F", 10000);
    QCOMPARE(order(), QStringList({"A 1", "B 2", "C 3", "D 4", "E 5", "F 10000"}));
    click(page, "addButton");
    QCOMPARE(typeOrder()->value(), 10000);
    table()->clearSelection();

    moveType("B", 10000);
    QCOMPARE(order(), QStringList({"A 1", "C 2", "D 3", "E 4", "F 9999", "B 10000"}));
    // Saved untouched past the largest position the box takes: kept there.
    addType("G", 0);
    select("B");
    click(page, "editButton");
    click(page, "saveButton");
    QCOMPARE(order(), QStringList({"A 1", "C 2", "D 3", "E 4", "F 9999", "G 10000", "B 10001"}));
}

void TestHardwareTypesConfig::deleteAndItsRefusals()
{
    useFourTypes();
    QVERIFY(t->exec({"INSERT INTO hardware (sHName, iHType, iStoreStatus) VALUES ('x', 1, 1)",
                     "INSERT INTO templates (sHName, iHType) VALUES ('szablon', 2)"}));
    makePage();
    MessageBoxRecorder rec;
    // Another workstation writes while the refusal is shown.
    rec.whileOpen = [&] { QVERIFY(t->openAnother()->query("INSERT INTO templates (sHName, iHType) VALUES ('b', 2)").isActive()); };

    // Used by a hardware record: refused, the page unchanged.
    select("A");
    click(page, "editButton");
    click(page, "deleteButton");
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().icon, QMessageBox::Information);
    QCOMPARE(rec.last().title, QStringLiteral("Typ sprzętu jest w użytku !"));
    QCOMPARE(rec.last().text, QStringLiteral("Ten typ sprzętu jest obecnie używany w bazie danych. "
                                             "Nie można usuwać typów które są w użyciu."));
    QCOMPARE(t->count("typesconf"), 4);
    QVERIFY(!typeBox()->isHidden());

    // Used only by a template: deleted.
    rec.clear();
    deleteType("B");
    QCOMPARE(rec.count(), 2);
    QCOMPARE(rec.boxes[0].title, QStringLiteral("Usuwanie typu sprzętu"));
    QCOMPARE(rec.boxes[0].text, QStringLiteral("Typ sprzętu zostanie usunięty ! Czy chcesz kontynuować ?"));
    QCOMPARE(rec.boxes[1].title, QStringLiteral("Zapisano."));
    QCOMPARE(order(), QStringList({"A 1", "C 2", "D 3"}));

    // Removed meanwhile elsewhere.
    rec.clear();
    select("C");
    QVERIFY(t->exec("DELETE FROM typesconf WHERE sDescription = 'C'"));
    click(page, "deleteButton");
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().icon, QMessageBox::Critical);
    QCOMPARE(rec.last().title, QStringLiteral("Błąd typu sprzętu !"));
    QCOMPARE(rec.last().text, QStringLiteral("Typ o tym numerze nie istnieje w bazie danych."));

    // A use count that cannot be read refuses the deletion.
    rec.clear();
    QVERIFY(t->exec("ALTER TABLE hardware RENAME TO hardware_moved"));
    select("D");
    click(page, "deleteButton");
    QCOMPARE(rec.titles(), QStringList({"Błąd zapisu do bazy"}));
    QCOMPARE(t->count("typesconf", "sDescription = 'D'"), 1);
    QVERIFY(t->exec("ALTER TABLE hardware_moved RENAME TO hardware"));

    // The last type goes: an empty table.
    QVERIFY(t->exec("DELETE FROM hardware"));
    QVERIFY(t->exec("DELETE FROM typesconf WHERE sDescription = 'A'"));
    page->load();
    rec.clear();
    deleteType("D");
    QCOMPARE(rec.last().title, QStringLiteral("Zapisano."));
    QCOMPARE(table()->rowCount(), 0);
}

void TestHardwareTypesConfig::deleteRacesAnotherWorkstation()
{
    useFourTypes();
    makePage();
    MessageBoxRecorder rec;
    // B taken into use, then C removed, at another workstation while the question was open.
    rec.whileOpen = [this] { QVERIFY(t->exec("INSERT INTO hardware (sHName, iHType, iStoreStatus) VALUES ('x', 2, 1)")); };
    deleteType("B");
    rec.whileOpen = [this] { QVERIFY(t->exec("DELETE FROM typesconf WHERE iTypeId = 3")); };
    deleteType("C");
    QCOMPARE(rec.titles(), QStringList({"Usuwanie typu sprzętu", "Typ sprzętu jest w użytku !",
                                        "Usuwanie typu sprzętu", "Błąd typu sprzętu !"}));
    QCOMPARE(order(), QStringList({"A 1", "B 2", "D 4"})); // nothing moved up
}

void TestHardwareTypesConfig::cancelledQuestionsWriteNothing()
{
    makePage();
    const QStringList before = order();
    MessageBoxRecorder rec;
    rec.answerCancel();
    addType("Nowy", 1);
    QVERIFY(typeBox()->isHidden());
    rec.answerCancel();
    moveType("PC", 5);
    QVERIFY(typeBox()->isHidden());
    rec.answerCancel();
    deleteType("PC");
    QCOMPARE(rec.titles(), QStringList({"Nowy typ sprzętu", "Edycja typu sprzętu", "Usuwanie typu sprzętu"}));
    QCOMPARE(order(), before);
}

// A type deleted or changed at another workstation while its edit box was
// open: nothing is stored and no other type moves; staff are told why, and
// the box closes on the list as it is now.
void TestHardwareTypesConfig::editRacesAnotherWorkstation_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("deleted") << "DELETE FROM typesconf WHERE sDescription = 'C'" << "Błąd typu sprzętu !"
                             << QStringList({"A 1", "B 2", "D 4"});
    QTest::newRow("hidden") << "UPDATE typesconf SET bVisible = 0 WHERE sDescription = 'C'"
                            << "Zmiany na innym stanowisku" << QStringList({"A 1", "B 2", "C 3", "D 4"});
}

void TestHardwareTypesConfig::editRacesAnotherWorkstation()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    useFourTypes();
    makePage();
    MessageBoxRecorder rec;
    select("C");
    click(page, "editButton");
    QVERIFY(!t->openAnother()->query(meanwhile).lastError().isValid());
    typeOrder()->setValue(1);
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja typu sprzętu", message}));
    QTEST(order(), "order");
    QVERIFY(typeBox()->isHidden());
    QCOMPARE(table()->rowCount(), order().size());
}

void TestHardwareTypesConfig::failedWritesReorderNothing()
{
    useFourTypes();
    makePage();
    MessageBoxRecorder rec;

    const QStringList before = order();
    const QString idB = t->scalar("SELECT iId FROM typesconf WHERE sDescription = 'B'");

    // The update of D succeeds, shifting B fails: all is rolled back.
    QVERIFY(failWrites(*t, "typesconf", "UPDATE", "NEW.iId = " + idB));
    moveType("D", 2);
    QCOMPARE(rec.titles(), QStringList({"Edycja typu sprzętu", "Błąd zapisu do bazy"}));
    QCOMPARE(order(), before);
    // The box stays open with what was entered.
    QVERIFY(!typeBox()->isHidden());
    QCOMPARE(typeOrder()->value(), 2);

    // An insert whose shifting fails is not kept.
    rec.clear();
    addType("E", 1);
    QCOMPARE(rec.titles(), QStringList({"Nowy typ sprzętu", "Błąd zapisu do bazy"}));
    QCOMPARE(order(), before);

    // A deletion whose shifting fails is not kept.
    rec.clear();
    deleteType("A");
    QCOMPARE(rec.titles(), QStringList({"Usuwanie typu sprzętu", "Błąd zapisu do bazy"}));
    QCOMPARE(order(), before);

    // A refused insert reorders nothing.
    rec.clear();
    QVERIFY(failWrites(*t, "typesconf", "INSERT"));
    QVERIFY(logUpdates(*t, "typesconf"));
    addType("F", 1);
    QCOMPARE(rec.titles(), QStringList({"Nowy typ sprzętu", "Błąd zapisu do bazy"}));
    QVERIFY(loggedUpdates(t->db()).isEmpty());
    QCOMPARE(order(), before);
}

void TestHardwareTypesConfig::renders()
{
    makePage();
    select("Monitor");
    click(page, "editButton");
    QVERIFY(page->grab().save(QDir::temp().filePath("hardwaretypesconfig.png")));
}

WARSZTAT_TEST_MAIN(TestHardwareTypesConfig)
#include "tst_hardwaretypesconfig.moc"
