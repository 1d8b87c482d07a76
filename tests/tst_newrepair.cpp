#include "pagetesthelpers.h"
#include "popupmenu.h"
#include "repairs/newrepairwidget.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QMenu>

using namespace SearchRows;

class TestNewRepair : public QObject
{
    Q_OBJECT

    template<typename W = QWidget> W *w(const char *name) const { return formChild<W>(intake, name); }
    QLineEdit *edit(const char *name) const { return w<QLineEdit>(name); }
    QPlainTextEdit *text(const char *name) const { return w<QPlainTextEdit>(name); }
    QComboBox *box(const char *name) const { return w<QComboBox>(name); }
    QDateEdit *date(const char *name) const { return w<QDateEdit>(name); }
    void click(const char *name) const { clickChild(intake, name); }
    QString page() const { return w<QStackedWidget>("stackedWidget")->currentWidget()->objectName(); }
    SearchWidget *picker(const char *button) const { return openPicker(intake, button); }
    // The names of the marked inputs, sorted.
    QString marks() const
    {
        QStringList names;
        for (QWidget *input : intake->findChildren<QWidget *>())
            if (input->styleSheet() == FormIn::FormStyle2)
                names << input->objectName();
        names.sort();
        return names.join(QLatin1Char(','));
    }
    // One side of the intake: id|box title|box enabled|label|cancel shown|add enabled.
    QString side(bool client) const
    {
        const char *names[] = {"newHardwareBox", "hardwareLabel", "cancelHardwareSearchButton", "addHardwareButton",
                               "newClientBox", "clientLabel", "cancelClientSearchButton", "addClientButton"};
        const char *const *n = names + (client ? 4 : 0);
        return QStringList{QString::number(client ? intake->clientId : intake->hardwareId),
                           w<QGroupBox>(n[0])->title(), w(n[0])->isEnabled() ? "on" : "off",
                           w<QLabel>(n[1])->text(), w(n[2])->isHidden() ? "-" : "cancel",
                           w(n[3])->isEnabled() ? "add" : "-"}
            .join(QLatin1Char('|'));
    }
    // Rows of clients|hardware|templates|repairs.
    QString counts() const
    {
        QStringList list;
        for (const char *table : {"clients", "hardware", "templates", "repairs"})
            list << QString::number(t->count(QLatin1String(table)));
        return list.join(QLatin1Char('|'));
    }
    void makeIntake()
    {
        intake = new NewRepairWidget(nullptr, t->db(), &user, nullptr);
        intake->resize(1000, 700);
        intake->show();
    }
    // Types a client, a device (PC, store status 5) and a repair on the
    // three pages; with pass, goes forward to the repair page on the way.
    void typeIntake(bool pass)
    {
        for (const char *name : {"sFName", "sSName", "sCompany", "sNIP", "sStreet", "sAddrBuild", "sAddrLoc", "sCity",
                                 "sEmail", "sEmail2", "sPhone", "sPhone2"})
            edit(name)->setText(QStringLiteral(" %1 ").arg(QLatin1String(name)));
        edit("sPostal")->setText(QStringLiteral("31-000"));
        text("sClientDescription")->setPlainText(QStringLiteral("stały klient"));
        if (pass)
            click("toHardwarePageButton1");
        edit("sHName")->setText(QStringLiteral(" Laptop "));
        edit("sField1")->setText(QStringLiteral(" Dell "));
        edit("sField3")->setText(QStringLiteral("SN-1"));
        date("iFieldDate")->setDate(QDate(2025, 6, 30));
        text("sFieldLong")->setPlainText(QStringLiteral(" rysa "));
        box("iHType")->setCurrentIndex(1);
        box("iStoreStatus")->setCurrentIndex(1);
        w<QCheckBox>("addTemplateCheckBox")->setChecked(true);
        if (pass)
            click("toRepairPageButton");
        w<QDateTimeEdit>("iAddDate")->setDateTime(QDateTime(QDate(2026, 3, 5), QTime(9, 41)));
        date("iEndDate")->setDate(QDate(2026, 3, 19));
        box("iType")->setCurrentIndex(2); // "Gwarancyjna", 1
        edit("sCost")->setText(QStringLiteral(" 120 zł "));
        text("sRepairDescription")->setPlainText(QStringLiteral(" nie włącza się "));
        text("sComment")->setPlainText(QStringLiteral(" pilne "));
        edit("sOuterNo")->setText(QStringLiteral(" Z/7 "));
        box("iStatus")->setCurrentIndex(1);
        box("technicanBox")->setCurrentIndex(1);
    }

    TestDatabase *t = nullptr;
    NewRepairWidget *intake = nullptr;
    MessageBoxRecorder *boxes = nullptr;
    UserWidget user{1, QStringLiteral("Jan Kowalski"), 0};
    QStringList menuEntries;
    int menus = 0; // pop-ups shown
    int menuChoice = -1; // entry the pop-up returns; -1 closes it without a choice

private Q_SLOTS:
    void init()
    {
        t = new TestDatabase;
        REQUIRE_DB(*t);
        boxes = new MessageBoxRecorder;
        menuChoice = -1;
        menus = 0;
        menuEntries.clear();
        PopupMenu::setHandler([this](QMenu *menu, const QPoint &) -> QAction * {
            QList<QAction *> entries;
            for (QAction *action : menu->actions())
                if (!action->isSeparator())
                    entries << action;
            menuEntries.clear();
            ++menus;
            for (QAction *action : entries)
                menuEntries << action->text();
            return entries.value(menuChoice);
        });
    }
    void cleanup()
    {
        PopupMenu::setHandler({});
        delete boxes;
        deletePageAndDatabase(intake, t);
    }

    // Dated anew each time the intake is opened; typed input stays.
    void datedWhenOpened()
    {
        makeIntake();
        const QDate today = QDate::currentDate();
        w<QDateTimeEdit>("iAddDate")->setDateTime(QDateTime(today.addDays(-1), QTime(8, 0)));
        date("iEndDate")->setDate(today);
        date("iFieldDate")->setDate(QDate(2020, 1, 2));
        intake->opened();
        QVERIFY(qAbs(w<QDateTimeEdit>("iAddDate")->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
        QCOMPARE(date("iEndDate")->date(), QDate::currentDate().addDays(14));
        QCOMPARE(date("iFieldDate")->date(), QDate(2020, 1, 2));
    }

    void validationMarks()
    {
        QVERIFY(t->exec({"UPDATE fieldsconf SET bRequired = 1 WHERE sName IN ('sField3', 'sField5', 'sFieldLong')",
                         "DELETE FROM statusesconf"}));
        makeIntake();

        // Both missing client fields in one click; blanks count as filled.
        click("toHardwarePageButton1");
        QCOMPARE(marks(), QStringLiteral("sPhone,sSName"));
        edit("sSName")->setText(QStringLiteral("  "));
        click("toHardwarePageButton1");
        QCOMPARE(marks(), QStringLiteral("sPhone"));
        edit("sPhone")->setText(QStringLiteral(" "));
        click("toHardwarePageButton1");
        QCOMPARE(page(), QStringLiteral("hardwarePage"));

        // Name, the required fields in use (sField5 is hidden) and combo boxes
        // without an entry, also when adding the device alone; a chosen type
        // drops the marks.
        box("iHType")->setCurrentIndex(-1);
        box("iStoreStatus")->setCurrentIndex(-1);
        click("toRepairPageButton");
        click("addHardwareButton");
        QCOMPARE(marks(), QStringLiteral("iHType,iStoreStatus,sField3,sFieldLong,sHName"));
        emit box("iHType")->textActivated(QStringLiteral("Laptop"));
        QCOMPARE(marks(), QString());
        typeIntake(false);
        click("toRepairPageButton");
        QCOMPARE(page(), QStringLiteral("repairPage"));

        // A defect of blanks is refused; without repair statuses the status box
        // is marked too. Nothing is stored or asked.
        text("sRepairDescription")->setPlainText(QStringLiteral(" \n\t "));
        click("addNewRepairButton");
        QCOMPARE(marks(), QStringLiteral("iStatus,sRepairDescription"));
        QCOMPARE(counts() + QString::number(boxes->count()), QStringLiteral("0|0|0|00"));
    }

    void pickersAndReturn()
    {
        QVERIFY(insert(*t, ClientsInsert, {client(7, "Kowalski"), client(9, "Nowak")}));
        QVERIFY(insert(*t, HardwareInsert, {hardware(34, "Laptop", 9, 1, 1, "SN-34", at(QDate(2024, 2, 3))),
                                            hardware(35, "Drukarka", 7), hardware(36, QString(120, 'R'), 9, 99)}));
        QVERIFY(t->exec("INSERT INTO templates (iId, sHName, iHType, sField1, sField2, sField3, sField4, sField5, "
                        "sField6, sField7, sField8, sField9, sField10, sField11, sField12, sField13, sField14, "
                        "iFieldDate, sFieldLong) VALUES (3, 'Telefon', 11, 'Nokia', '', '', '', '', '', '', '', '', "
                        "'', '', '', '', '', 0, 'szablon')"));
        makeIntake();

        // "Powrót" leads back with the input kept; a typed client gives the
        // hardware picker no owner filter.
        edit("sFName")->setText(QStringLiteral("wpisany"));
        QCOMPARE(picker("clientSearchButton")->variant, SearchWidget::ClientsVariant);
        click("backButton");
        QCOMPARE(page() + edit("sFName")->text(), QStringLiteral("clientPagewpisany"));
        QVERIFY(picker("hardwareSearchButton")->iOwner->text().isEmpty());
        click("backButton");

        // A second picker closes the first; the newest one picks.
        QPointer<SearchWidget> first = picker("clientSearchButton");
        SearchWidget *p = picker("clientSearchButton");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        emit p->showSelectedById(9);
        QCOMPARE(side(true), QStringLiteral("9|Istniejący klient|off|Wybrany klient: Nowak, numer klienta: 9|cancel|-"));

        // The picked client's devices only; a picked device passes unchecked.
        p = picker("hardwareSearchButton");
        QCOMPARE(p->iOwner->text() + '/' + QString::number(p->searchTable->model()->rowCount()), QStringLiteral("9/2"));
        emit p->showSelectedById(34);
        QCOMPARE(side(false), QStringLiteral("34|Istniejący sprzęt|off|Wybrany sprzęt: Laptop, numer sprzętu: 34|cancel|-"));
        QCOMPARE(edit("sField3")->text() + box("iHType")->currentText() + date("iFieldDate")->text(),
                 QStringLiteral("SN-34PC03-02-2024"));
        click("toRepairPageButton");
        QCOMPARE(page(), QStringLiteral("repairPage"));
        // A type that is not offered leaves the box without an entry; a long
        // name is cut short so as not to widen the intake, the tool tip has it whole.
        const int width = intake->sizeHint().width();
        emit picker("hardwareSearchButton")->showSelectedById(36);
        QCOMPARE(box("iHType")->currentIndex(), -1);
        QVERIFY(intake->sizeHint().width() <= width && w("hardwareLabel")->toolTip().contains(QString(120, 'R')));

        // A template after a device: the device is forgotten.
        w<QCheckBox>("addTemplateCheckBox")->setChecked(true);
        emit picker("templateSearchButton")->showSelectedById(3);
        QCOMPARE(side(false), QStringLiteral("0|Sprzęt z szablonu|on|Wczytany szablon: Telefon, numer: 3|cancel|add"));
        QCOMPARE(edit("sField1")->text() + edit("sField3")->text() + box("iHType")->currentText(),
                 QStringLiteral("NokiaTelefon"));

        // Back to new records, the store status kept; the pickers stored nothing.
        box("iStoreStatus")->setCurrentIndex(2);
        click("cancelHardwareSearchButton");
        QCOMPARE(side(false) + edit("sHName")->text() + QString::number(box("iStoreStatus")->currentIndex()),
                 QStringLiteral("0|Nowy sprzęt|on||-|add2"));
        click("cancelClientSearchButton");
        QCOMPARE(side(true) + edit("sSName")->text(), QStringLiteral("0|Nowy klient|on||-|add"));
        QCOMPARE(counts(), QStringLiteral("2|3|1|0"));
    }

    void surnameLookup_data()
    {
        QTest::addColumn<QStringList>("surnames"); // clients 1, 2, ... in this order
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("entries"); // the first ones offered
        QTest::addColumn<int>("count");           // entries without "Anuluj"
        QStringList many(61, QStringLiteral("Nowak"));
        many[59] = QStringLiteral("Nowakowski");
        many[60] = QStringLiteral("Kowalski");
        QTest::newRow("fifty newest") << many << "owak" << QStringList({"60, Nowakowski, Jan", "59, Nowak, Jan"}) << 50;
        QTest::newRow("empty text") << QStringList({"Nowak", "Lis"}) << "" << QStringList({"2, Lis", "1, Nowak, Jan, Zuvove"}) << 2;
        QTest::newRow("apostrophe") << QStringList({"O'Brien", "OBrien"}) << "O'B" << QStringList({"1, O'Brien, Jan, Zuvove"}) << 1;
        QTest::newRow("backslash") << QStringList({"Back\\slash", "Backslash"}) << "k\\s"
                                   << QStringList({"1, Back\\slash, Jan, Zuvove"}) << 1;
        QTest::newRow("no match, no menu") << QStringList({"Nowak"}) << "Zz" << QStringList() << 0;
    }
    void surnameLookup()
    {
        QFETCH(QStringList, surnames);
        QFETCH(QString, typed);
        QFETCH(QStringList, entries);
        QFETCH(int, count);
        QStringList rows;
        for (int i = 0; i < surnames.size(); ++i)
            rows << client(i + 1, surnames.at(i));
        QVERIFY(insert(*t, ClientsInsert, rows));
        QVERIFY(t->exec({"UPDATE clients SET sCompany = 'Zuvove' WHERE iId = 1",
                         "UPDATE clients SET sFName = '' WHERE iId = 2"}));
        makeIntake();

        edit("sSName")->setText(typed);
        QTest::keyClick(edit("sSName"), Qt::Key_Return);
        QCOMPARE(menuEntries.size(), count ? count + 1 : 0);
        if (count == 0)
            return;
        QCOMPARE(menuEntries.mid(0, entries.size()) << menuEntries.last(), entries + QStringList{"Anuluj"});

        // "Anuluj" keeps the typed text; an entry takes the client.
        menuChoice = count;
        QTest::keyClick(edit("sSName"), Qt::Key_Return);
        QCOMPARE(QString::number(intake->clientId) + edit("sSName")->text(), '0' + typed);
        menuChoice = count - 1;
        QTest::keyClick(edit("sSName"), Qt::Key_Return);
        QCOMPARE(intake->clientId, menuEntries.at(count - 1).section(',', 0, 0).toInt());
        QVERIFY(!w("newClientBox")->isEnabled());
    }

    // Every leaving of the surname field looks it up once, changed or not,
    // and so does Return. The look-up finds any case of a Polish letter, an
    // entry shows "&" as it is, and the client picked drops the marks.
    void surnameLookUp()
    {
        QVERIFY(insert(*t, ClientsInsert, {client(1, "Nowak & syn"), client(7, "Łukaszewski"), client(8, "Lukaszewski")}));
        makeIntake();
        QApplication::setActiveWindow(intake);
        QVERIFY(QTest::qWaitForWindowActive(intake));
        QLineEdit *surname = edit("sSName");
        surname->setFocus();
        QTest::keyClicks(surname, QStringLiteral("Now"));
        QTest::keyClick(surname, Qt::Key_Tab);
        QCOMPARE(menus, 1);
        QVERIFY(!surname->hasFocus());
        QCOMPARE(menuEntries.value(0), QStringLiteral("1, Nowak && syn, Jan"));
        surname->setFocus();
        QTest::keyClick(surname, Qt::Key_Tab);
        QCOMPARE(menus, 2);
        click("toHardwarePageButton1");
        QCOMPARE(marks(), QStringLiteral("sPhone"));
        surname->setText(QStringLiteral("łUK"));
        menuChoice = 0;
        QTest::keyClick(surname, Qt::Key_Return);
        QCOMPARE(menus, 3);
        QCOMPARE(menuEntries.size(), 2); // the client and "Anuluj"
        QCOMPARE(intake->clientId, 7);
        QCOMPARE(marks(), QString());
    }

    // Taken off the screen with the cursor in the surname (another page, a log-out): no look-up pops up.
    void noLookUpWhenLeft()
    {
        QVERIFY(insert(*t, ClientsInsert, {client(1, "Nowak")}));
        QWidget window;
        new QLineEdit(&window); // takes the focus next
        intake = new NewRepairWidget(&window, t->db(), &user, nullptr);
        window.show();
        QApplication::setActiveWindow(&window);
        edit("sSName")->setFocus();
        intake->hide();
        intake->setParent(nullptr);
        QCOMPARE(menus, 0);
    }

    void clientOrHardwareAlone()
    {
        makeIntake();
        QSignalSpy clients(intake, &NewRepairWidget::clientAdded);
        QSignalSpy devices(intake, &NewRepairWidget::hardwareAdded);
        typeIntake(false);

        boxes->answerCancel(); // the question refused stores nothing
        click("addClientButton");
        QCOMPARE(counts(), QStringLiteral("0|0|0|0"));
        click("addClientButton");
        QCOMPARE(clients.count(), 1);
        const int client = clients.first().first().toInt();
        QCOMPARE(storedRow(*t, "clients", "sFName, sSName, sCompany, sNIP, sStreet, sAddrBuild, sAddrLoc, sCity, "
                           "sPostal, sEmail, sEmail2, sPhone, sPhone2, sDescription", "1 = 1"),
                 QStringLiteral(" sFName | sSName | sCompany | sNIP | sStreet | sAddrBuild | sAddrLoc | sCity |31-000"
                                "| sEmail | sEmail2 | sPhone | sPhone2 |stały klient"));
        // The stored client is held, so the device goes to it.
        QCOMPARE(side(true), QStringLiteral("%1|Istniejący klient|off|Wybrany klient:  sSName , numer klienta: %1|cancel|-")
                                 .arg(client));

        click("addHardwareButton");
        QCOMPARE(devices.count(), 1);
        const int device = devices.first().first().toInt();
        const QString fieldDate = QString::number(at(QDate(2025, 6, 30)));
        QCOMPARE(storedRow(*t, "hardware", "iId, sHName, iHType, iStoreStatus, iReceivedDate, sStoreComment, sField1, "
                           "sField2, sField3, sField14, iFieldDate, sFieldLong, iOwner", "1 = 1"),
                 QStringLiteral("%1| Laptop |1|5|0|| Dell ||SN-1||%2| rysa |%3").arg(device).arg(fieldDate).arg(client));
        // The template is trimmed, all but its long text.
        QCOMPARE(storedRow(*t, "templates", "sHName, iHType, sField1, sField3, iFieldDate, sFieldLong", "1 = 1"),
                 QStringLiteral("Laptop|1|Dell|SN-1|%1| rysa ").arg(fieldDate));
        QCOMPARE(intake->hardwareId * 10 + clients.count(), device * 10 + 1);

        // Finishing the intake now adds the repair alone.
        click("addNewRepairButton");
        QCOMPARE(counts(), QStringLiteral("1|1|1|1"));
        QCOMPARE(storedRow(*t, "repairs", "iClientId, iHardwareId", "1 = 1"), QStringLiteral("%1|%2").arg(client).arg(device));
    }

    // A full intake of a new client and device, stored whole; or refused by
    // the database, leaving every table as it was.
    void save_data()
    {
        QTest::addColumn<QString>("scheme");  // the stored numbering; empty: none
        QTest::addColumn<QString>("refused"); // the table whose inserts fail; empty: none
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("result"); // the repair's number, or the failure message
        const QString repair = "addNewRepairButton";
        QTest::newRow("default scheme") << QString() << QString() << repair << "0503";
        QTest::newRow("stored scheme") << "{DAY1}.{MONTH1}/{YEAR2}/{INITIALS}" << QString() << repair << "5.3/26/JK";
        QTest::newRow("repair refused") << QString() << "repairs" << repair << "Nie udało się dodać naprawy.";
        QTest::newRow("hardware of a repair refused") << QString() << "hardware" << repair << "Nie udało się dodać naprawy.";
        QTest::newRow("hardware alone refused") << QString() << "hardware" << "addHardwareButton" << "Nie udało się dodać sprzętu.";
        QTest::newRow("client alone refused") << QString() << "clients" << "addClientButton" << "Nie udało się dodać klienta.";
    }
    void save()
    {
        QFETCH(QString, scheme);
        QFETCH(QString, refused);
        QFETCH(QString, button);
        QFETCH(QString, result);
        if (!scheme.isEmpty())
            QVERIFY(t->exec("INSERT INTO settings (sGroup, sKey, sValue) VALUES ('db', 'numbering', " + quoted(scheme) + ")"));
        if (!refused.isEmpty())
            QVERIFY(insert(*t, ClientsInsert, {client(7, "Kowalski")}) && failWrites(*t, refused, QStringLiteral("INSERT")));
        makeIntake();
        QSignalSpy repairs(intake, &NewRepairWidget::repairAdded);
        QSignalSpy devices(intake, &NewRepairWidget::hardwareAdded);
        QSignalSpy clients(intake, &NewRepairWidget::clientAdded);
        typeIntake(true);
        click(qPrintable(button));

        if (!refused.isEmpty()) {
            QCOMPARE(counts(), QStringLiteral("1|0|0|0"));
            QCOMPARE(repairs.count() + devices.count() + clients.count(), 0);
            QVERIFY(boxes->last().icon == QMessageBox::Warning && boxes->last().title == "Błąd zapisu do bazy");
            QVERIFY2(boxes->last().text.startsWith(result + " Nic nie zostało zapisane."), qPrintable(boxes->last().text));
            // Nothing is held: the typed input stays as it was.
            QCOMPARE(side(true) + edit("sSName")->text() + QString::number(intake->hardwareId),
                     QStringLiteral("0|Nowy klient|on||-|add sSName 0"));
            return;
        }
        QCOMPARE(repairs.count() + 10 * devices.count() + 100 * boxes->count(), 1);
        const QString client = t->scalar("SELECT iId FROM clients");
        const QString device = t->scalar("SELECT iId FROM hardware");
        QCOMPARE(storedRow(*t, "hardware", "sHName, iStoreStatus, iReceivedDate, iOwner", "1 = 1"),
                 " Laptop |5|0|" + client);
        QCOMPARE(storedRow(*t, "repairs", "iId, sNum, iAddDate, iEndDate, iType, sCost, sDefect, sComment, sOuterNo, "
                           "iStatus, iClientId, iHardwareId, iSubmitterId, iTechnicanId", "1 = 1"),
                 QStringLiteral("%1|%2|%3|%4|1|120 zł|nie włącza się|pilne|Z/7|1|%5|%6|1|1")
                     .arg(repairs.first().first().toInt())
                     .arg(result)
                     .arg(at(QDate(2026, 3, 5), QTime(9, 41)))
                     .arg(at(QDate(2026, 3, 19)))
                     .arg(client, device));

        // Saving again stores a second repair of the same client and device.
        click("addNewRepairButton");
        QCOMPARE(counts(), QStringLiteral("1|1|1|2"));
        QCOMPARE(t->count("repairs", "iClientId = " + client + " AND iHardwareId = " + device), 2);
    }

    // Every input takes at most its column's length; a longer value that got
    // through is refused naming the field, and nothing is stored.
    void longValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("label");
        const QString repair = "addNewRepairButton";
        QTest::newRow("59-character double surname") << "sSName" << LongTexts::surname << "addClientButton" << "Nazwisko";
        QTest::newRow("114-character company") << "sCompany" << LongTexts::company << repair << "Firma";
        QTest::newRow("38-character building") << "sAddrBuild" << LongTexts::building << repair << "Nr domu";
        QTest::newRow("device name") << "sHName" << QString(256, 'x') << "addHardwareButton" << "Nazwa";
        QTest::newRow("field with the shop's label") << "sField1" << QString(256, 'x') << repair << "Producent";
        QTest::newRow("cost") << "sCost" << QString(256, '9') << repair << "Koszt naprawy";
        QTest::newRow("client description") << "sClientDescription" << QString(65536, 'a') << repair << "Opis";
        QTest::newRow("defect") << "sRepairDescription" << QString(32768, QChar(0x0105)) << repair << "Opis uszkodzenia";
    }
    void longValues()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(QString, label);
        makeIntake();
        for (const auto &[box, table] : {std::pair{"newClientBox", "clients"}, {"newHardwareBox", "hardware"}, {"repairBox", "repairs"}})
            QCOMPARE(inputLimitProblems(w(box), table), QString());
        typeIntake(true);
        forceText(w(qPrintable(field)), typed);
        click(qPrintable(button));
        QCOMPARE(counts(), QStringLiteral("0|0|0|0"));
        QVERIFY2(namesField(*boxes, label), qPrintable(boxes->last().text));
        QVERIFY(boxes->last().text.contains("Nic nie zostało zapisane."));
        if (auto *edit = qobject_cast<QLineEdit *>(w(qPrintable(field))))
            QCOMPARE(edit->text(), typed);
    }

    // Typed or pasted into a plain-text input, what goes past the column is
    // dropped at the cursor; text the program shows stays whole.
    void plainTextLimit()
    {
        makeIntake();
        for (const char *name : {"sClientDescription", "sFieldLong", "sRepairDescription", "sComment"}) {
            QPlainTextEdit *edit = text(name);
            edit->setPlainText(QString(70000, 'a'));
            QCOMPARE(edit->toPlainText().size(), 70000);
            edit->clear();
            edit->insertPlainText("ab");
            edit->insertPlainText(QString(40000, QChar(0x0105)));
            QCOMPARE(edit->toPlainText(), "ab" + QString(32766, QChar(0x0105)));
            QTest::keyClicks(edit, "xy");
            QVERIFY(edit->toPlainText().endsWith(QChar(0x0105) + QString("x")));
            // A longer stored text loses nothing but what is typed into it.
            edit->setPlainText(QString(70000, 'a'));
            QTest::keyClicks(edit, "z");
            QCOMPARE(edit->toPlainText(), QString(70000, 'a'));
        }
    }

    void pickedRecords_data()
    {
        QTest::addColumn<bool>("shopStatus"); // a status of group 1 exists
        QTest::addColumn<QString>("stored");
        QTest::newRow("first status in the shop") << true << "5";
        QTest::newRow("none in the shop: kept") << false << "6";
    }
    void pickedRecords()
    {
        QFETCH(bool, shopStatus);
        QFETCH(QString, stored);
        QVERIFY(insert(*t, ClientsInsert, {client(7, "Kowalski"), client(9, "Nowak")}));
        // Handed back (status 6) to its owner, client 9; "Do odbioru" (5) comes
        // first in the shop.
        QVERIFY(insert(*t, HardwareInsert, {hardware(34, "Laptop", 9, 1, 6)}));
        QVERIFY(t->exec({"UPDATE hardware SET iReceivedDate = 1700000000",
                         "UPDATE hwstatusesconf SET iOrder = 0 WHERE iStatusId = 5"}));
        if (!shopStatus)
            QVERIFY(t->exec("DELETE FROM hwstatusesconf WHERE iGroup = 1"));
        makeIntake();

        emit picker("clientSearchButton")->showSelectedById(7);
        click("toHardwarePageButton1");
        emit picker("hardwareSearchButton")->showSelectedById(34);
        w<QCheckBox>("addTemplateCheckBox")->setChecked(true);
        click("toRepairPageButton");
        text("sRepairDescription")->setPlainText(QStringLiteral("ekran"));
        click("addNewRepairButton");

        QCOMPARE(counts(), QStringLiteral("2|1|0|1"));
        QCOMPARE(storedRow(*t, "hardware", "sHName, iStoreStatus, iReceivedDate, iOwner, sField1", "1 = 1"),
                 "Laptop|" + stored + "|0|9|Dell");
        QCOMPARE(storedRow(*t, "repairs", "iClientId, iHardwareId, iTechnicanId, iType, sDefect", "1 = 1"),
                 QStringLiteral("7|34|0|-1|ekran"));
    }

    // A picked client, device, type or status deleted on another workstation
    // before the save: refused, the record named, nothing stored, no success
    // signal; a type or status gone is offered no more.
    void pickedThenDeleted_data()
    {
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        const QString gone = "Rekord usunięty: Wybrany %1 został usunięty na innym stanowisku. Nie udało się dodać %2.";
        QTest::newRow("client of a repair") << "clients" << "addNewRepairButton" << gone.arg("klient (numer 7)", "naprawy");
        QTest::newRow("device of a repair") << "hardware" << "addNewRepairButton" << gone.arg("sprzęt (numer 34)", "naprawy");
        QTest::newRow("client of a device") << "clients" << "addHardwareButton" << gone.arg("klient (numer 7)", "sprzętu");
        QTest::newRow("status of a repair") << "statusesconf" << "addNewRepairButton" << gone.arg("status naprawy", "naprawy");
        QTest::newRow("type of a device") << "typesconf" << "addHardwareButton" << gone.arg("typ sprzętu", "sprzętu");
        QTest::newRow("store status of a device") << "hwstatusesconf" << "addHardwareButton"
                                                  << gone.arg("status sprzętu", "sprzętu");
        QTest::newRow("type of a new device of a repair") << "typesconf" << "addNewRepairButton"
                                                          << gone.arg("typ sprzętu", "naprawy");
    }
    void pickedThenDeleted()
    {
        QFETCH(QString, deleted);
        QFETCH(QString, button);
        QFETCH(QString, box);
        QVERIFY(insert(*t, ClientsInsert, {client(7, "Kowalski")}));
        QVERIFY(insert(*t, HardwareInsert, {hardware(34, "Laptop", 7)}));
        makeIntake();
        emit picker("clientSearchButton")->showSelectedById(7);
        click("toHardwarePageButton1");
        if (button == "addNewRepairButton" && deleted != "typesconf")
            emit picker("hardwareSearchButton")->showSelectedById(34);
        edit("sHName")->setText(QStringLiteral("Tablet"));
        text("sRepairDescription")->setPlainText(QStringLiteral("ekran"));
        QCOMPARE(onAnotherWorkstation(*t, "DELETE FROM " + deleted), QString());
        const QString before = counts();
        QSignalSpy repairs(intake, &NewRepairWidget::repairAdded), devices(intake, &NewRepairWidget::hardwareAdded);
        click(button.toLatin1());
        QCOMPARE(counts() + QString::number(repairs.count() + devices.count()), before + "0");
        QCOMPARE(boxes->lastLine().left(box.size()), box);
        const char *list = deleted == "typesconf" ? "iHType" : deleted == "hwstatusesconf" ? "iStoreStatus" : "iStatus";
        QCOMPARE(this->box(list)->count() == 0 && marks().contains(list), deleted.endsWith("conf"));
        if (!deleted.endsWith("conf"))
            return;
        // Clicked again: the empty choice is marked, nothing more is said or stored.
        const int said = boxes->count();
        click(button.toLatin1());
        QCOMPARE(boxes->count(), said);
        QCOMPARE(counts(), before);
    }
};

WARSZTAT_TEST_MAIN(TestNewRepair)
#include "tst_newrepair.moc"
