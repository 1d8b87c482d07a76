#include "configtesthelpers.h"
#include "messageboxrecorder.h"
#include "searchfixture.h"
#include "testdatabase.h"
#include "testmain.h"

#include "popupmenu.h"
#include "repairs/newrepairwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>

using namespace SearchRows;

class TestNewRepair : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void initialState();
    void openedDatesTheIntakeAnew();
    void validationMarks();
    void hardwareValidation();
    void pickersAndReturn();
    void surnameLookup_data();
    void surnameLookup();
    void clientAlone();
    void hardwareAloneWithTemplate();
    void fullIntake_data();
    void fullIntake();
    void pickedRecords_data();
    void pickedRecords();
    void failedSaveLeavesTablesAsTheyWere_data();
    void failedSaveLeavesTablesAsTheyWere();

private:
    void makeIntake();
    template<typename W = QWidget>
    W *w(const char *name) const
    {
        // The pickers carry fields of the same names; they are not the intake's.
        const auto all = intake->findChildren<W *>(QLatin1String(name));
        for (W *found : all) {
            QObject *up = found;
            while (up && !qobject_cast<SearchWidget *>(up))
                up = up->parent();
            if (!up)
                return found;
        }
        qFatal("no widget %s", name);
    }
    QLineEdit *edit(const char *name) const { return w<QLineEdit>(name); }
    void click(const char *name) const { w<QPushButton>(name)->click(); }
    QString page() const { return w<QStackedWidget>("stackedWidget")->currentWidget()->objectName(); }
    bool marked(const char *name) const { return w(name)->styleSheet() == FormIn::FormStyle2; }
    SearchWidget *openPicker(const char *button);
    void typeClient();
    void typeHardware();
    void typeRepair();
    // Counts of the four registers the intake writes, as "clients|hardware|templates|repairs".
    QString counts() const;

    TestDatabase *t = nullptr;
    NewRepairWidget *intake = nullptr;
    MessageBoxRecorder *boxes = nullptr;
    UserWidget user{1, QStringLiteral("Jan Kowalski"), 0};
    QStringList menuEntries;
    int menuChoice = -1; // entry the pop-up returns; -1 closes it without a choice
};

void TestNewRepair::init()
{
    t = new TestDatabase;
    REQUIRE_DB(*t);
    boxes = new MessageBoxRecorder;
    menuEntries.clear();
    menuChoice = -1;
    PopupMenu::setHandler([this](QMenu *menu, const QPoint &) -> QAction * {
        menuEntries.clear();
        QList<QAction *> entries;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator()) {
                menuEntries << action->text();
                entries << action;
            }
        }
        return menuChoice >= 0 && menuChoice < entries.size() ? entries.at(menuChoice) : nullptr;
    });
}

void TestNewRepair::cleanup()
{
    PopupMenu::setHandler({});
    delete boxes;
    boxes = nullptr;
    deletePageAndDatabase(intake, t);
}

void TestNewRepair::makeIntake()
{
    intake = new NewRepairWidget(nullptr, t->db(), &user, nullptr);
    intake->resize(1000, 700);
    intake->show();
}

SearchWidget *TestNewRepair::openPicker(const char *button)
{
    click(button);
    return qobject_cast<SearchWidget *>(w<QStackedWidget>("stackedWidget")->currentWidget());
}

void TestNewRepair::typeClient()
{
    const char *names[] = {"sFName", "sSName", "sCompany", "sNIP", "sStreet", "sAddrBuild", "sAddrLoc",
                           "sCity", "sPostal", "sEmail", "sEmail2", "sPhone", "sPhone2"};
    for (const char *name : names)
        edit(name)->setText(QStringLiteral(" %1 ").arg(QLatin1String(name)));
    edit("sPostal")->setText(QStringLiteral("31-000"));
    w<QPlainTextEdit>("sClientDescription")->setPlainText(QStringLiteral("stały klient"));
}

void TestNewRepair::typeHardware()
{
    edit("sHName")->setText(QStringLiteral(" Laptop "));
    w<QComboBox>("iHType")->setCurrentIndex(1); // PC, type 1
    edit("sField1")->setText(QStringLiteral(" Dell "));
    edit("sField3")->setText(QStringLiteral("SN-1"));
    w<QDateEdit>("iFieldDate")->setDate(QDate(2025, 6, 30));
    w<QPlainTextEdit>("sFieldLong")->setPlainText(QStringLiteral(" rysa "));
    w<QComboBox>("iStoreStatus")->setCurrentIndex(1); // "Do odbioru", status 5
}

void TestNewRepair::typeRepair()
{
    w<QDateTimeEdit>("iAddDate")->setDateTime(QDateTime(QDate(2026, 3, 5), QTime(9, 41)));
    w<QDateEdit>("iEndDate")->setDate(QDate(2026, 3, 19));
    w<QComboBox>("iType")->setCurrentIndex(2); // "Gwarancyjna", 1
    edit("sCost")->setText(QStringLiteral(" 120 zł "));
    w<QPlainTextEdit>("sRepairDescription")->setPlainText(QStringLiteral(" nie włącza się "));
    w<QPlainTextEdit>("sComment")->setPlainText(QStringLiteral(" pilne "));
    edit("sOuterNo")->setText(QStringLiteral(" Z/7 "));
    w<QComboBox>("iStatus")->setCurrentIndex(1); // status 1
    w<QComboBox>("technicanBox")->setCurrentIndex(1); // user 1
}

QString TestNewRepair::counts() const
{
    QStringList list;
    for (const char *table : {"clients", "hardware", "templates", "repairs"})
        list << QString::number(t->count(QLatin1String(table)));
    return list.join(QLatin1Char('|'));
}

void TestNewRepair::initialState()
{
    QVERIFY(t->addUser(5, QStringLiteral("Zenon"), QString(), 3));
    QVERIFY(t->addUser(3, QStringLiteral("Adam"), QString(), 3));
    QVERIFY(t->addUser(4, QStringLiteral("Bogdan"), QString(), 3, false));
    makeIntake();

    QCOMPARE(page(), QStringLiteral("clientPage"));
    for (const char *name : {"backButton", "cancelClientSearchButton", "cancelHardwareSearchButton"})
        QVERIFY2(w(name)->isHidden(), name);
    QVERIFY(!w("addTemplateCheckBox")->isHidden());
    QCOMPARE(w<QGroupBox>("newClientBox")->title(), QStringLiteral("Nowy klient"));
    QCOMPARE(w<QGroupBox>("newHardwareBox")->title(), QStringLiteral("Nowy sprzęt"));
    QCOMPARE(intake->clientId, 0);
    QCOMPARE(intake->hardwareId, 0);

    const QDate today = QDate::currentDate();
    QVERIFY(qAbs(w<QDateTimeEdit>("iAddDate")->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
    QCOMPARE(w<QDateEdit>("iEndDate")->date(), today.addDays(14));
    QCOMPARE(w<QDateEdit>("iFieldDate")->date(), today);

    auto *type = w<QComboBox>("iType");
    QCOMPARE(type->count(), 5);
    QCOMPARE(type->currentData().toString(), QStringLiteral("-1"));
    auto *status = w<QComboBox>("iStatus");
    QCOMPARE(status->count(), 6); // closed ones included
    QCOMPARE(status->currentIndex(), 0);
    QCOMPARE(w<QComboBox>("iHType")->currentText(), QStringLiteral("Laptop"));
    QCOMPARE(w<QComboBox>("iStoreStatus")->currentData().toInt(), 1);

    auto *technican = w<QComboBox>("technicanBox");
    QStringList technicians;
    for (int i = 0; i < technican->count(); ++i)
        technicians << technican->itemText(i) + QLatin1Char('=') + technican->itemData(i).toString();
    QCOMPARE(technicians, QStringList({"Nieprzydzielony=0", "Administrator=1", "Adam=3", "Zenon=5"}));
    QCOMPARE(technican->currentIndex(), 0);

    // Field labels of the configuration; unused fields are hidden.
    QCOMPARE(w<QLabel>("sField1Label")->text(), QStringLiteral("Producent:"));
    QCOMPARE(w<QLabel>("iFieldDateLabel")->text(), QStringLiteral("Data zakupu:"));
    QVERIFY(edit("sField5")->isHidden());
    QVERIFY(w("sField5Label")->isHidden());
}

void TestNewRepair::openedDatesTheIntakeAnew()
{
    makeIntake();
    const QDateTime yesterday = QDateTime::currentDateTime().addDays(-1);
    w<QDateTimeEdit>("iAddDate")->setDateTime(yesterday);
    w<QDateEdit>("iEndDate")->setDate(yesterday.date());
    w<QDateEdit>("iFieldDate")->setDate(QDate(2020, 1, 2));
    edit("sSName")->setText(QStringLiteral("Nowak"));

    intake->opened();
    QVERIFY(qAbs(w<QDateTimeEdit>("iAddDate")->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
    QCOMPARE(w<QDateEdit>("iEndDate")->date(), QDate::currentDate().addDays(14));
    // Only the dates of the intake: what staff typed stays.
    QCOMPARE(w<QDateEdit>("iFieldDate")->date(), QDate(2020, 1, 2));
    QCOMPARE(edit("sSName")->text(), QStringLiteral("Nowak"));
}

void TestNewRepair::validationMarks()
{
    QVERIFY(t->exec("DELETE FROM statusesconf"));
    makeIntake();

    // Client page: both missing fields in one click; blanks count as filled.
    click("toHardwarePageButton1");
    QCOMPARE(page(), QStringLiteral("clientPage"));
    QVERIFY(marked("sSName"));
    QVERIFY(marked("sPhone"));
    edit("sSName")->setText(QStringLiteral("  "));
    click("toHardwarePageButton1");
    QVERIFY(!marked("sSName"));
    QVERIFY(marked("sPhone"));
    edit("sPhone")->setText(QStringLiteral(" "));
    click("toHardwarePageButton1");
    QCOMPARE(page(), QStringLiteral("hardwarePage"));

    // Hardware page: an empty name is marked; "Wstecz" keeps the mark, the
    // next check or a chosen type drops it.
    click("toRepairPageButton");
    QCOMPARE(page(), QStringLiteral("hardwarePage"));
    QVERIFY(marked("sHName"));
    click("toClientPageButton");
    QVERIFY(marked("sHName"));
    click("toHardwarePageButton1");
    QVERIFY(!marked("sHName"));
    click("toRepairPageButton");
    QVERIFY(marked("sHName"));
    emit w<QComboBox>("iHType")->textActivated(QStringLiteral("Laptop"));
    QVERIFY(!marked("sHName"));
    edit("sHName")->setText(QStringLiteral("Laptop"));
    click("toRepairPageButton");
    QCOMPARE(page(), QStringLiteral("repairPage"));

    // Repair page: a defect of blanks is refused; without repair statuses
    // the status box is marked too, and nothing is stored.
    w<QPlainTextEdit>("sRepairDescription")->setPlainText(QStringLiteral(" \n\t "));
    click("addNewRepairButton");
    QVERIFY(marked("sRepairDescription"));
    QVERIFY(marked("iStatus"));
    QCOMPARE(counts(), QStringLiteral("0|0|0|0"));
    QCOMPARE(boxes->count(), 0);
}

void TestNewRepair::hardwareValidation()
{
    QVERIFY(t->exec("UPDATE fieldsconf SET bRequired = 1 WHERE sName IN ('sField3', 'sField5', 'sFieldLong')"));
    makeIntake();
    w<QComboBox>("iHType")->setCurrentIndex(-1);
    w<QComboBox>("iStoreStatus")->setCurrentIndex(-1);

    click("addHardwareButton");
    for (const char *name : {"sHName", "sField3", "sFieldLong", "iHType", "iStoreStatus"})
        QVERIFY2(marked(name), name);
    // sField5 is required but not used by the shop: hidden, never marked.
    QVERIFY(!marked("sField5"));
    QVERIFY(!marked("sField1"));
    QCOMPARE(boxes->count(), 0);
    QCOMPARE(counts(), QStringLiteral("0|0|0|0"));

    typeHardware();
    click("toRepairPageButton");
    QCOMPARE(page(), QStringLiteral("repairPage"));
    for (const char *name : {"sHName", "sField3", "iHType", "iStoreStatus"})
        QVERIFY2(!marked(name), name);
}

void TestNewRepair::pickersAndReturn()
{
    QVERIFY(insert(*t, ClientsInsert, {client(7, "Kowalski"), client(9, "Nowak")}));
    QVERIFY(insert(*t, HardwareInsert,
                   {hardware(34, "Laptop", 9, 1, 1, "SN-34", at(QDate(2024, 2, 3))),
                    hardware(35, "Drukarka", 7), hardware(36, "Telefon", 9, 99)}));
    QVERIFY(t->exec("INSERT INTO templates (iId, sHName, iHType, sField1, sField2, sField3, sField4, "
                    "sField5, sField6, sField7, sField8, sField9, sField10, sField11, sField12, sField13, "
                    "sField14, iFieldDate, sFieldLong) VALUES (3, 'Telefon', 11, 'Nokia', '', '', '', '', "
                    "'', '', '', '', '', '', '', '', '', 0, 'szablon')"));
    makeIntake();

    // Client picker and "Powrót".
    edit("sFName")->setText(QStringLiteral("wpisany"));
    SearchWidget *picker = openPicker("clientSearchButton");
    QVERIFY(picker);
    QCOMPARE(picker->variant, SearchWidget::ClientsVariant);
    QVERIFY(picker->toolsWidget->isHidden());
    QVERIFY(!w("backButton")->isHidden());
    click("backButton");
    QCOMPARE(page(), QStringLiteral("clientPage"));
    QVERIFY(w("backButton")->isHidden());
    QCOMPARE(edit("sFName")->text(), QStringLiteral("wpisany"));

    // A typed client gives the hardware picker no owner filter.
    picker = openPicker("hardwareSearchButton");
    QCOMPARE(picker->variant, SearchWidget::HardwareVariant);
    QVERIFY(picker->iOwner->text().isEmpty());
    click("backButton");
    QCOMPARE(page(), QStringLiteral("hardwarePage"));

    // A second picker closes the first; the newest one picks.
    QPointer<SearchWidget> first = openPicker("clientSearchButton");
    picker = openPicker("clientSearchButton");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    emit picker->showSelectedById(9);
    QCOMPARE(page(), QStringLiteral("clientPage"));
    QCOMPARE(intake->clientId, 9);
    QCOMPARE(edit("sSName")->text(), QStringLiteral("Nowak"));
    QCOMPARE(edit("sFName")->text(), QStringLiteral("Jan"));
    QCOMPARE(w<QLabel>("clientLabel")->text(), QStringLiteral("Wybrany klient: Nowak, numer klienta: 9"));
    QCOMPARE(w<QGroupBox>("newClientBox")->title(), QStringLiteral("Istniejący klient"));
    QVERIFY(!w("newClientBox")->isEnabled());
    QVERIFY(!w("addClientButton")->isEnabled());
    QVERIFY(!w("cancelClientSearchButton")->isHidden());
    QVERIFY(w("backButton")->isHidden());

    // The picked client's devices only.
    picker = openPicker("hardwareSearchButton");
    QCOMPARE(picker->iOwner->text(), QStringLiteral("9"));
    QCOMPARE(picker->searchTable->model()->rowCount(), 2);
    emit picker->showSelectedById(34);
    QCOMPARE(page(), QStringLiteral("hardwarePage"));
    QCOMPARE(intake->hardwareId, 34);
    QCOMPARE(edit("sHName")->text(), QStringLiteral("Laptop"));
    QCOMPARE(edit("sField3")->text(), QStringLiteral("SN-34"));
    QCOMPARE(w<QComboBox>("iHType")->currentText(), QStringLiteral("PC"));
    QCOMPARE(w<QDateEdit>("iFieldDate")->date(), QDate(2024, 2, 3));
    QCOMPARE(w<QLabel>("hardwareLabel")->text(), QStringLiteral("Wybrany sprzęt: Laptop, numer sprzętu: 34"));
    QVERIFY(!w("newHardwareBox")->isEnabled());
    QVERIFY(!w("addHardwareButton")->isEnabled());
    QVERIFY(w("addTemplateCheckBox")->isHidden());
    click("toRepairPageButton"); // a picked device passes unchecked
    QCOMPARE(page(), QStringLiteral("repairPage"));
    click("toHardwarePageButton2");

    // A type that is not offered leaves the box without an entry.
    emit openPicker("hardwareSearchButton")->showSelectedById(36);
    QCOMPARE(w<QComboBox>("iHType")->currentIndex(), -1);

    // A template after a device: the device is forgotten, the box editable.
    w<QCheckBox>("addTemplateCheckBox")->setChecked(true);
    picker = openPicker("templateSearchButton");
    QCOMPARE(picker->variant, SearchWidget::TemplatesVariant);
    emit picker->showSelectedById(3);
    QCOMPARE(intake->hardwareId, 0);
    QCOMPARE(edit("sHName")->text(), QStringLiteral("Telefon"));
    QCOMPARE(edit("sField1")->text(), QStringLiteral("Nokia"));
    QCOMPARE(edit("sField3")->text(), QString());
    QCOMPARE(w<QComboBox>("iHType")->currentText(), QStringLiteral("Telefon"));
    QCOMPARE(w<QPlainTextEdit>("sFieldLong")->toPlainText(), QStringLiteral("szablon"));
    QCOMPARE(w<QLabel>("hardwareLabel")->text(), QStringLiteral("Wczytany szablon: Telefon, numer: 3"));
    QCOMPARE(w<QGroupBox>("newHardwareBox")->title(), QStringLiteral("Sprzęt z szablonu"));
    QVERIFY(w("newHardwareBox")->isEnabled());
    QVERIFY(w("addTemplateCheckBox")->isHidden());

    // "Dodaj nowy sprzęt" and "Dodaj nowego klienta" start afresh.
    w<QComboBox>("iStoreStatus")->setCurrentIndex(2);
    click("cancelHardwareSearchButton");
    QCOMPARE(edit("sHName")->text(), QString());
    QCOMPARE(w<QComboBox>("iHType")->currentIndex(), 0);
    QCOMPARE(w<QDateEdit>("iFieldDate")->date(), QDate::currentDate());
    QCOMPARE(w<QComboBox>("iStoreStatus")->currentIndex(), 2);
    QVERIFY(w<QCheckBox>("addTemplateCheckBox")->isChecked());
    QVERIFY(!w("addTemplateCheckBox")->isHidden());
    QVERIFY(w("cancelHardwareSearchButton")->isHidden());
    QCOMPARE(w<QGroupBox>("newHardwareBox")->title(), QStringLiteral("Nowy sprzęt"));
    click("cancelClientSearchButton");
    QCOMPARE(intake->clientId, 0);
    QCOMPARE(edit("sSName")->text(), QString());
    QVERIFY(w("newClientBox")->isEnabled());
    QVERIFY(w("addClientButton")->isEnabled());
    QVERIFY(w<QLabel>("clientLabel")->text().isEmpty());
    QCOMPARE(counts(), QStringLiteral("2|3|1|0"));
}

void TestNewRepair::surnameLookup_data()
{
    QTest::addColumn<QStringList>("surnames"); // clients 1, 2, ... in this order
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("entries"); // the first two, or all when fewer
    QTest::addColumn<int>("count");           // entries without "Anuluj"

    QStringList many;
    for (int i = 0; i < 60; ++i)
        many << (i % 2 ? QStringLiteral("Nowakowski") : QStringLiteral("Nowak"));
    many << QStringLiteral("Kowalski");
    QTest::newRow("fifty newest") << many << "owak" << QStringList({"60, Nowakowski, Jan", "59, Nowak, Jan"}) << 50;
    QTest::newRow("empty text offers all") << QStringList({"Nowak", "Lis"}) << ""
                                          << QStringList({"2, Lis, Jan", "1, Nowak, Jan"}) << 2;
    QTest::newRow("apostrophe") << QStringList({"O'Brien", "OBrien"}) << "O'B"
                                << QStringList({"1, O'Brien, Jan"}) << 1;
    QTest::newRow("backslash") << QStringList({"Back\\slash", "Backslash"}) << "k\\s"
                               << QStringList({"1, Back\\slash, Jan"}) << 1;
    QTest::newRow("no match, no menu") << QStringList({"Nowak"}) << "Zz" << QStringList() << 0;
}

void TestNewRepair::surnameLookup()
{
    QFETCH(QStringList, surnames);
    QFETCH(QString, typed);
    QFETCH(QStringList, entries);
    QFETCH(int, count);
    QStringList rows;
    for (int i = 0; i < surnames.size(); ++i)
        rows << client(i + 1, surnames.at(i));
    QVERIFY(insert(*t, ClientsInsert, rows));
    makeIntake();

    edit("sSName")->setText(typed);
    QTest::keyClick(edit("sSName"), Qt::Key_Return);
    if (count == 0) {
        QVERIFY(menuEntries.isEmpty());
        return;
    }
    QCOMPARE(menuEntries.size(), count + 1);
    QCOMPARE(menuEntries.mid(0, entries.size()), entries);
    QCOMPARE(menuEntries.last(), QStringLiteral("Anuluj"));
    QCOMPARE(intake->clientId, 0);

    // "Anuluj" keeps the typed text; an entry takes the client.
    menuChoice = count;
    QTest::keyClick(edit("sSName"), Qt::Key_Return);
    QCOMPARE(intake->clientId, 0);
    QCOMPARE(edit("sSName")->text(), typed);
    menuChoice = 0;
    QTest::keyClick(edit("sSName"), Qt::Key_Return);
    QCOMPARE(intake->clientId, entries.first().section(QLatin1Char(','), 0, 0).toInt());
    QVERIFY(!w("newClientBox")->isEnabled());
}

void TestNewRepair::clientAlone()
{
    QVERIFY(insert(*t, ClientsInsert, {client(4, "Kowalski")}));
    makeIntake();
    QSignalSpy added(intake, &NewRepairWidget::clientAdded);

    click("addClientButton");
    QVERIFY(marked("sSName") && marked("sPhone"));
    QCOMPARE(boxes->count(), 0);

    typeClient();
    boxes->answerCancel();
    click("addClientButton");
    QCOMPARE(boxes->last().title, QStringLiteral("Dodawanie klienta"));
    QCOMPARE(boxes->last().text,
             QStringLiteral("Zostanie tylko dodany klient sSName bez dodawania sprzętu i naprawy.\n\n"
                            "Czy chcesz dodać tylko klienta bez dodawania sprzętu i naprawy ?"));
    QCOMPARE(boxes->last().icon, QMessageBox::Question);
    QCOMPARE(t->count("clients"), 1);

    click("addClientButton");
    QCOMPARE(added.count(), 1);
    const int id = added.first().first().toInt();
    QCOMPARE(storedRow(*t, "clients", "sFName, sSName, sCompany, sNIP, sStreet, sAddrBuild, sAddrLoc, "
                       "sCity, sPostal, sEmail, sEmail2, sPhone, sPhone2, sDescription",
                       QStringLiteral("iId = %1").arg(id)),
             QStringLiteral(" sFName | sSName | sCompany | sNIP | sStreet | sAddrBuild | sAddrLoc | sCity "
                            "|31-000| sEmail | sEmail2 | sPhone | sPhone2 |stały klient"));

    // The stored client is held: no second row, neither from the button nor
    // from a whole intake.
    QCOMPARE(intake->clientId, id);
    QVERIFY(!w("addClientButton")->isEnabled());
    QCOMPARE(w<QLabel>("clientLabel")->text(),
             QStringLiteral("Wybrany klient:  sSName , numer klienta: %1").arg(id));
    click("toHardwarePageButton1");
    typeHardware();
    click("toRepairPageButton");
    typeRepair();
    click("addNewRepairButton");
    QCOMPARE(counts(), QStringLiteral("2|1|0|1"));
    QCOMPARE(t->scalar("SELECT iClientId FROM repairs"), QString::number(id));
    QCOMPARE(added.count(), 1);
}

void TestNewRepair::hardwareAloneWithTemplate()
{
    makeIntake();
    QSignalSpy hardwareSpy(intake, &NewRepairWidget::hardwareAdded);
    QSignalSpy clientSpy(intake, &NewRepairWidget::clientAdded);
    typeClient();
    typeHardware();
    w<QCheckBox>("addTemplateCheckBox")->setChecked(true);

    click("addHardwareButton");
    QCOMPARE(boxes->last().title, QStringLiteral("Dodawanie sprzętu"));
    QCOMPARE(boxes->last().text,
             QStringLiteral("Zostanie tylko dodany sprzęt Laptop bez tworzenia powiązanej naprawy !\n\n"
                            "Czy chcesz dodać tylko sprzęt bez tworzenia powiązanej z nim naprawy ?"));
    QCOMPARE(hardwareSpy.count(), 1);
    QCOMPARE(clientSpy.count(), 0);
    QCOMPARE(counts(), QStringLiteral("1|1|1|0"));
    const QString owner = t->scalar("SELECT iId FROM clients");
    const QString fieldDate = QString::number(at(QDate(2025, 6, 30)));
    QCOMPARE(storedRow(*t, "hardware", "iId, sHName, iHType, iStoreStatus, iReceivedDate, sStoreComment, "
                       "sField1, sField2, sField3, sField14, iFieldDate, sFieldLong, iOwner", "1 = 1"),
             QStringLiteral("%1| Laptop |1|5|0|| Dell ||SN-1||%2| rysa |%3")
                 .arg(hardwareSpy.first().first().toInt()).arg(fieldDate, owner));
    // The template is trimmed, all but its long text.
    QCOMPARE(storedRow(*t, "templates", "sHName, iHType, sField1, sField3, iFieldDate, sFieldLong", "1 = 1"),
             QStringLiteral("Laptop|1|Dell|SN-1|%1| rysa ").arg(fieldDate));

    // Both are held now: saving the intake adds only the repair.
    QCOMPARE(intake->clientId, owner.toInt());
    QCOMPARE(intake->hardwareId, hardwareSpy.first().first().toInt());
    QVERIFY(!w("addHardwareButton")->isEnabled());
    click("toRepairPageButton");
    typeRepair();
    click("addNewRepairButton");
    QCOMPARE(counts(), QStringLiteral("1|1|1|1"));
}

void TestNewRepair::fullIntake_data()
{
    QTest::addColumn<QString>("scheme"); // empty: no stored scheme
    QTest::addColumn<QString>("number");
    QTest::newRow("default scheme") << QString() << "0503";
    QTest::newRow("stored scheme") << "{DAY1}.{MONTH1}/{YEAR2}/{INITIALS}" << "5.3/26/JK";
}

void TestNewRepair::fullIntake()
{
    QFETCH(QString, scheme);
    QFETCH(QString, number);
    if (!scheme.isEmpty())
        QVERIFY(t->exec(QStringLiteral("INSERT INTO settings (sGroup, sKey, sValue) VALUES ('db', 'numbering', %1)")
                            .arg(quoted(scheme))));
    makeIntake();
    QSignalSpy repairs(intake, &NewRepairWidget::repairAdded);
    QSignalSpy others(intake, &NewRepairWidget::hardwareAdded);

    typeClient();
    click("toHardwarePageButton1");
    typeHardware();
    w<QCheckBox>("addTemplateCheckBox")->setChecked(true);
    click("toRepairPageButton");
    typeRepair();
    click("addNewRepairButton");

    QCOMPARE(repairs.count(), 1);
    QCOMPARE(others.count(), 0);
    QCOMPARE(boxes->count(), 0);
    QCOMPARE(counts(), QStringLiteral("1|1|1|1"));
    const QString clientId = t->scalar("SELECT iId FROM clients");
    const QString hardwareId = t->scalar("SELECT iId FROM hardware");
    QCOMPARE(t->scalar("SELECT sSName FROM clients"), QStringLiteral(" sSName "));
    QCOMPARE(storedRow(*t, "hardware", "sHName, iStoreStatus, iReceivedDate, iOwner", "1 = 1"),
             QStringLiteral(" Laptop |5|0|%1").arg(clientId));
    QCOMPARE(t->count("templates", "sHName = 'Laptop'"), 1);
    QCOMPARE(storedRow(*t, "repairs", "iId, sNum, iAddDate, iEndDate, iType, sCost, sDefect, sComment, sOuterNo, "
                       "iStatus, iClientId, iHardwareId, iSubmitterId, iTechnicanId", "1 = 1"),
             QStringLiteral("%1|%2|%3|%4|1|120 zł|nie włącza się|pilne|Z/7|1|%5|%6|1|1")
                 .arg(repairs.first().first().toInt())
                 .arg(number)
                 .arg(at(QDate(2026, 3, 5), QTime(9, 41)))
                 .arg(at(QDate(2026, 3, 19)))
                 .arg(clientId, hardwareId));

    // A second save stores a second repair of the same client and device.
    click("addNewRepairButton");
    QCOMPARE(repairs.count(), 2);
    QCOMPARE(counts(), QStringLiteral("1|1|1|2"));
    QCOMPARE(t->count("repairs", QStringLiteral("iClientId = %1 AND iHardwareId = %2").arg(clientId, hardwareId)), 2);
    QCOMPARE(page(), QStringLiteral("repairPage"));
}

void TestNewRepair::pickedRecords_data()
{
    QTest::addColumn<bool>("firstShopStatus"); // a status of group 1 exists
    QTest::addColumn<QString>("storeStatus");
    QTest::newRow("reset to the first status in the shop") << true << "5";
    QTest::newRow("no status in the shop: kept") << false << "6";
}

void TestNewRepair::pickedRecords()
{
    QFETCH(bool, firstShopStatus);
    QFETCH(QString, storeStatus);
    QVERIFY(insert(*t, ClientsInsert, {client(7, "Kowalski"), client(9, "Nowak")}));
    // Handed back (status 6, group 3) to its owner, client 9.
    QVERIFY(insert(*t, HardwareInsert, {hardware(34, "Laptop", 9, 1, 6)}));
    QVERIFY(t->exec("UPDATE hardware SET iReceivedDate = 1700000000"));
    // "Do odbioru" (5) comes first in the shop now.
    QVERIFY(t->exec("UPDATE hwstatusesconf SET iOrder = 0 WHERE iStatusId = 5"));
    if (!firstShopStatus)
        QVERIFY(t->exec("DELETE FROM hwstatusesconf WHERE iGroup = 1"));
    makeIntake();
    QSignalSpy repairs(intake, &NewRepairWidget::repairAdded);

    emit openPicker("clientSearchButton")->showSelectedById(7);
    click("toHardwarePageButton1");
    emit openPicker("hardwareSearchButton")->showSelectedById(34);
    w<QCheckBox>("addTemplateCheckBox")->setChecked(true);
    click("toRepairPageButton");
    w<QPlainTextEdit>("sRepairDescription")->setPlainText(QStringLiteral("ekran"));
    click("addNewRepairButton");

    QCOMPARE(repairs.count(), 1);
    QCOMPARE(counts(), QStringLiteral("2|1|0|1"));
    // The device keeps its owner and every field; it is back in the shop.
    QCOMPARE(storedRow(*t, "hardware", "sHName, iStoreStatus, iReceivedDate, iOwner, sField1", "iId = 34"),
             QStringLiteral("Laptop|%1|0|9|Dell").arg(storeStatus));
    QCOMPARE(storedRow(*t, "repairs", "iClientId, iHardwareId, iTechnicanId, iType, sDefect", "1 = 1"),
             QStringLiteral("7|34|0|-1|ekran"));
}

void TestNewRepair::failedSaveLeavesTablesAsTheyWere_data()
{
    QTest::addColumn<QString>("refused"); // the table whose inserts fail
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::newRow("repair") << "repairs" << "addNewRepairButton" << "Nie udało się dodać naprawy.";
    QTest::newRow("hardware of a repair") << "hardware" << "addNewRepairButton" << "Nie udało się dodać naprawy.";
    QTest::newRow("hardware alone") << "hardware" << "addHardwareButton" << "Nie udało się dodać sprzętu.";
    QTest::newRow("client alone") << "clients" << "addClientButton" << "Nie udało się dodać klienta.";
}

void TestNewRepair::failedSaveLeavesTablesAsTheyWere()
{
    QFETCH(QString, refused);
    QFETCH(QString, button);
    QFETCH(QString, message);
    QVERIFY(insert(*t, ClientsInsert, {client(7, "Kowalski")}));
    QVERIFY(failWrites(*t, refused, QStringLiteral("INSERT")));
    makeIntake();
    QSignalSpy repairs(intake, &NewRepairWidget::repairAdded);
    QSignalSpy devices(intake, &NewRepairWidget::hardwareAdded);
    QSignalSpy clients(intake, &NewRepairWidget::clientAdded);

    typeClient();
    click("toHardwarePageButton1");
    typeHardware();
    w<QCheckBox>("addTemplateCheckBox")->setChecked(true);
    click("toRepairPageButton");
    typeRepair();
    click(qPrintable(button));

    QCOMPARE(counts(), QStringLiteral("1|0|0|0"));
    QCOMPARE(repairs.count() + devices.count() + clients.count(), 0);
    QCOMPARE(boxes->last().icon, QMessageBox::Warning);
    QCOMPARE(boxes->last().title, QStringLiteral("Błąd zapisu do bazy"));
    QVERIFY2(boxes->last().text.startsWith(message + QStringLiteral(" Nic nie zostało zapisane.")),
             qPrintable(boxes->last().text));
    // Nothing is held: the typed input stays as it was.
    QCOMPARE(intake->clientId, 0);
    QCOMPARE(intake->hardwareId, 0);
    QCOMPARE(edit("sSName")->text(), QStringLiteral(" sSName "));
}

WARSZTAT_TEST_MAIN(TestNewRepair)
#include "tst_newrepair.moc"
