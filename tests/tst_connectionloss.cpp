// A server connection lost in the middle of a save or between two
// operations, and a server that stops answering. On MariaDB the program's
// connection runs through a relay that cuts it at a chosen statement; on
// SQLite a trigger refuses the same statement where one can.
#include "billing/billingwidget.h"
#include "clients/clientdatawidget.h"
#include "clients/clientwidget.h"
#include "dictionaries/fieldsconfig.h"
#include "dictionaries/numberingconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "dictionaries/repairstatusesconfig.h"
#include "dictionaries/templatesconfig.h"
#include "hardware/hardwarewidget.h"
#include "loginwidget.h"
#include "mysqlcutproxy.h"
#include "pagetesthelpers.h"
#include "records/client.h"
#include "records/recordmodel.h"
#include "repairs/newrepairwidget.h"
#include "repairs/repairdetailswidget.h"
#include "repairs/repairswidget.h"
#include "search/searchwidget.h"
#include "settings.h"
#include "startup.h"
#include "topframewidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace SearchRows;

namespace {

enum Save { Intake, KnownDevice, DeviceAlone, ClientAlone, StatusChange, ClientSave, OwnerChange, TemplateAdd };

} // namespace

class TestConnectionLoss : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TestDatabase> t;
    std::unique_ptr<MySqlCutProxy> proxy;
    std::unique_ptr<DbWidget> link; // the program's connection, through the relay on MariaDB
    std::unique_ptr<Settings> settings;
    UserWidget user{1, QStringLiteral("Jan Kowalski"), 0};

    DbWidget *db() const { return link ? link.get() : t->db(); }

    // Rows of every table a save writes, and the values the updates change.
    QString state() const
    {
        QStringList values;
        for (const char *table : {"clients", "hardware", "templates", "repairs", "notes"})
            values << QString::number(t->count(QLatin1String(table)));
        values << t->scalar(QStringLiteral("SELECT sSName FROM clients WHERE iId = 7"))
               << t->scalar(QStringLiteral("SELECT iOwner FROM hardware WHERE iId = 34"))
               << t->scalar(QStringLiteral("SELECT iStatus FROM repairs WHERE iId = 50"));
        return values.join(QLatin1Char('|'));
    }

    // Makes the statement fail: on MariaDB the relay cuts the connection
    // there; on SQLite a trigger refuses the write, a renamed table the read.
    bool arm(const QString &statement, bool on)
    {
        if (proxy || statement.startsWith(QLatin1String("SELECT")))
            return failReads(on, statement, QStringLiteral("settings"));
        const QString event = statement.section(QLatin1Char(' '), 0, 0), table = statement.section(QLatin1Char(' '), -1);
        return on ? failWrites(*t, table, event) : allowWrites(*t, table, event);
    }

    // On MariaDB the relay cuts the statement, on SQLite the table is gone.
    bool failReads(bool fail, const QString &statement, const QString &table)
    {
        if (proxy)
            return proxy->arm(fail ? statement : QString()), true;
        const QString away = table + QStringLiteral("_away");
        return t->exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(fail ? table : away, fail ? away : table));
    }

    // Runs a save as staff do; true when the page took it as stored.
    bool save(Save kind)
    {
        if (kind == StatusChange) {
            RepairDetailsWidget page(nullptr, db(), &user, nullptr, 50, false);
            QSignalSpy changed(&page, &RepairDetailsWidget::repairStatusChanged);
            auto *status = formChild<QComboBox>(&page, "iStatus");
            status->setCurrentIndex(status->currentIndex() == 1 ? 2 : 1);
            clickChild(&page, "changeStatusButton");
            return changed.count() == 1;
        }
        if (kind == ClientSave) {
            ClientWidget page(nullptr, db(), &user, settings.get(), 7, false);
            clickChild(page.dataPage, "editButton");
            formChild<QLineEdit>(page.dataPage, "sSName")->setText(QStringLiteral("Nowak-Kowalska"));
            clickChild(page.dataPage, "saveButton");
            return formChild(page.dataPage, "saveButton")->isHidden();
        }
        if (kind == OwnerChange) {
            HardwareWidget page(nullptr, db(), &user, settings.get(), 34, false);
            clickChild(&page, "editOwnerButton");
            formChild<QLineEdit>(&page, "iOwner")->setText(QStringLiteral("7"));
            clickChild(&page, "saveEditOwnerButton");
            return formChild(&page, "editOwnerWidget")->isHidden();
        }
        if (kind == TemplateAdd) {
            TemplatesConfig page(nullptr, db(), &user, settings.get());
            clickChild(&page, "addButton");
            formChild<QLineEdit>(&page, "sHName")->setText(QStringLiteral("Drukarka"));
            clickChild(&page, "saveButton");
            return formChild<QStackedWidget>(&page, "stackedWidget")->currentWidget()->objectName()
                != QLatin1String("savePage");
        }
        NewRepairWidget intake(nullptr, db(), &user, nullptr);
        intake.opened();
        QSignalSpy repairs(&intake, &NewRepairWidget::repairAdded);
        QSignalSpy devices(&intake, &NewRepairWidget::hardwareAdded);
        QSignalSpy clients(&intake, &NewRepairWidget::clientAdded);
        if (kind == KnownDevice) {
            emit openPicker(&intake, "clientSearchButton")->showSelectedById(9);
            clickChild(&intake, "toHardwarePageButton1");
            emit openPicker(&intake, "hardwareSearchButton")->showSelectedById(34);
        } else {
            formChild<QLineEdit>(&intake, "sSName")->setText(QStringLiteral("Wiśniewska"));
            formChild<QLineEdit>(&intake, "sPhone")->setText(QStringLiteral("600100200"));
            if (kind == ClientAlone) {
                clickChild(&intake, "addClientButton");
                return clients.count() == 1;
            }
            clickChild(&intake, "toHardwarePageButton1");
            formChild<QLineEdit>(&intake, "sHName")->setText(QStringLiteral("Laptop"));
            formChild<QComboBox>(&intake, "iHType")->setCurrentIndex(1);
            formChild<QComboBox>(&intake, "iStoreStatus")->setCurrentIndex(1);
            formChild<QCheckBox>(&intake, "addTemplateCheckBox")->setChecked(true);
            if (kind == DeviceAlone) {
                clickChild(&intake, "addHardwareButton");
                return devices.count() == 1 && clients.isEmpty();
            }
        }
        clickChild(&intake, "toRepairPageButton");
        formChild<QPlainTextEdit>(&intake, "sRepairDescription")->setPlainText(QStringLiteral("ekran"));
        clickChild(&intake, "addNewRepairButton");
        return repairs.count() == 1 && devices.isEmpty() && clients.isEmpty();
    }

    // MariaDB only: the program's link goes through the relay, with a connect
    // timeout of a second.
#define THROUGH_RELAY(why) \
    do { \
        if (!proxy) \
            QSKIP(why); \
        link = t->openAnother(proxy->port(), 1); \
    } while (false)

    // Runs act with the relay cutting the link right after the server ran
    // the COMMIT; unreachable keeps new connections out meanwhile.
    void withCommitAnswerLost(bool unreachable, const std::function<void()> &act)
    {
        proxy->arm(QStringLiteral("COMMIT"), MySqlCutProxy::CutAfterRun, true);
        proxy->holdNew(unreachable);
        act();
        proxy->holdNew(false);
    }

private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        REQUIRE_DB(*t);
        settings = std::make_unique<Settings>(dir.path());
        // Clients 7 and 9; device 34 of client 9, handed back; its repair 50.
        QVERIFY(insert(*t, ClientsInsert, {client(7, QStringLiteral("Kowalski")),
                                            client(9, QStringLiteral("Nowak"))}));
        QVERIFY(insert(*t, HardwareInsert, {hardware(34, QStringLiteral("Laptop"), 9, 1, 6)}));
        QVERIFY(insert(*t, RepairsInsert, {repair(50, 9, 34)}));
        if (TestDatabase::isMySql()) {
            proxy = std::make_unique<MySqlCutProxy>(TestDatabase::serverPort());
            QVERIFY(proxy->port() != 0);
            link = t->openAnother(proxy->port());
            QVERIFY2(link->isOpen(), qPrintable(link->errorText));
        }
    }
    void cleanup()
    {
        link.reset();
        proxy.reset();
        t.reset();
    }

    // Each save failing at each of its statements: nothing of it stored, the
    // failure said in Polish, no success; the same save goes through once the
    // statement does.
    void failedStatementFailsTheSave_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("statement"); // where the relay cuts; SQLite refuses it where it can
        QTest::newRow("intake: client") << int(Intake) << QStringLiteral("INSERT INTO clients");
        QTest::newRow("intake: device") << int(Intake) << QStringLiteral("INSERT INTO hardware");
        QTest::newRow("intake: template") << int(Intake) << QStringLiteral("INSERT INTO templates");
        QTest::newRow("intake: numbering") << int(Intake) << QStringLiteral("SELECT sValue FROM settings WHERE sGroup = 'db' AND sKey = 'numbering'");
        QTest::newRow("intake: repair") << int(Intake) << QStringLiteral("INSERT INTO repairs");
        QTest::newRow("intake: commit") << int(Intake) << QStringLiteral("COMMIT");
        QTest::newRow("intake: device back") << int(KnownDevice) << QStringLiteral("UPDATE hardware");
        QTest::newRow("device alone: template") << int(DeviceAlone) << QStringLiteral("INSERT INTO templates");
        QTest::newRow("device alone: commit") << int(DeviceAlone) << QStringLiteral("COMMIT");
        QTest::newRow("client alone") << int(ClientAlone) << QStringLiteral("INSERT INTO clients");
        QTest::newRow("status") << int(StatusChange) << QStringLiteral("UPDATE repairs");
        QTest::newRow("status: note") << int(StatusChange) << QStringLiteral("INSERT INTO notes");
        QTest::newRow("client page") << int(ClientSave) << QStringLiteral("UPDATE clients");
        QTest::newRow("owner") << int(OwnerChange) << QStringLiteral("UPDATE hardware");
    }
    void failedStatementFailsTheSave()
    {
        QFETCH(int, kind);
        QFETCH(QString, statement);
        if (!proxy && statement == QLatin1String("COMMIT"))
            QSKIP("SQLite has no cheap way to fail this statement alone");
        MessageBoxRecorder boxes;
        const QString before = state();
        QVERIFY(arm(statement, true));
        QVERIFY(!save(Save(kind)));
        QCOMPARE(state(), before);
        QVERIFY(!proxy || proxy->faults() >= 1);
        QVERIFY(!boxes.boxes.isEmpty());
        QCOMPARE(boxes.last().title, QStringLiteral("Błąd zapisu do bazy"));

        QVERIFY(arm(statement, false));
        boxes.clear();
        QVERIFY(save(Save(kind)));
        QVERIFY(state() != before);
        QCOMPARE(boxes.titles().filter(QStringLiteral("Błąd")), QStringList());
    }

    // A list that cannot be read, or read on, says so once: neither an empty
    // list nor one ending early passes for all there is, nor do clients
    // chosen by their open repairs. On MariaDB the relay cuts every try at
    // the list's statement (a batch of clients for a sort by client, the
    // statuses for open repairs); on SQLite that table is gone.
    void failedListReadIsSaid_data()
    {
        QTest::addColumn<bool>("byClient");
        QTest::addColumn<bool>("furtherPage");
        QTest::addColumn<bool>("openOnes"); // the open repairs asked for, their statuses unread
        QTest::addColumn<bool>("clients"); // clients chosen by their repairs
        QTest::newRow("first page") << false << false << false << false;
        QTest::newRow("further page") << false << true << false << false;
        QTest::newRow("by client, first page") << true << false << false << false;
        QTest::newRow("by client, further page") << true << true << false << false;
        QTest::newRow("open repairs, statuses unread") << false << false << true << false;
        QTest::newRow("clients by open repairs, statuses unread") << false << false << true << true;
    }
    void failedListReadIsSaid()
    {
        QFETCH(bool, byClient);
        QFETCH(bool, furtherPage);
        QFETCH(bool, openOnes);
        QFETCH(bool, clients);
        QVERIFY(insert(*t, RepairsInsert, {repair(51, 7, 34)}));
        QVERIFY(t->exec(QStringLiteral("UPDATE repairs SET iStatus = 1")));
        MessageBoxRecorder boxes;
        SearchWidget page(nullptr, db(), &user, nullptr, clients ? SearchWidget::ClientsVariant : SearchWidget::RepairsVariant,
                          clients);
        if (clients)
            page.repairsTool->click();
        auto *records = qobject_cast<RecordModel *>(page.model);
        records->setPageSize(1);
        if (byClient)
            page.searchTable->horizontalHeader()->setSortIndicator(records->fieldIndex("iClientId"),
                                                                   Qt::AscendingOrder);
        page.repairStatusOpen->setChecked(openOnes);
        page.show();
        const auto failReads = [&](bool fail) {
            QVERIFY(openOnes ? this->failReads(fail, "SELECT iId, iStatusId", "statusesconf")
                             : this->failReads(fail, byClient ? "SELECT relTblAl" : "SELECT repairs.", "clients"));
        };
        if (furtherPage)
            page.search();
        failReads(true);
        furtherPage ? page.model->fetchMore() : page.search();
        QCOMPARE(page.model->rowCount(), furtherPage ? 1 : 0);
        QVERIFY(!page.model->canFetchMore() && (!proxy || proxy->faults() > 0));
        // The refresh fails again while the notice is open: no second notice.
        boxes.whileOpen = [&] { page.search(); };
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(); // what was queued meanwhile
        QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Błąd odczytu z bazy")});
        QVERIFY2(proxy || !openOnes || boxes.last().text.contains(QStringLiteral("statusesconf")), qPrintable(boxes.last().text));

        // Read again whole: nothing more to say.
        failReads(false);
        page.search();
        while (page.model->canFetchMore())
            page.model->fetchMore();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(page.model->rowCount(), 2);
        QCOMPARE(boxes.count(), 1);
    }

    // A list read after the link went (a save lost it): with the server
    // away that is said, never shown as an empty list; with the server back
    // the connection is opened again and the list reads on.
    void listReadAfterLinkLost_data()
    {
        QTest::addColumn<bool>("serverBack");
        QTest::newRow("server away, first page") << false;
        QTest::newRow("server back, further page") << true;
    }
    void listReadAfterLinkLost()
    {
        QFETCH(bool, serverBack);
        THROUGH_RELAY("a lost link concerns MariaDB only");
        QVERIFY(insert(*t, RepairsInsert, {repair(51, 7, 34)}));
        MessageBoxRecorder boxes;
        SearchWidget page(nullptr, db(), &user, nullptr, SearchWidget::RepairsVariant, false);
        qobject_cast<RecordModel *>(page.model)->setPageSize(1);
        page.show();
        page.search();
        proxy->holdNew(!serverBack);
        proxy->cutAll();
        QVERIFY(!db()->query(QStringLiteral("INSERT INTO notes (iRepairId) VALUES (50)")).isActive());
        QCoreApplication::processEvents(); // the next action may try a new connection
        serverBack ? page.model->fetchMore() : page.search();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(page.model->rowCount(), serverBack ? 2 : 0);
        QCOMPARE(boxes.titles(), serverBack ? QStringList() : QStringList{QStringLiteral("Błąd odczytu z bazy")});
        proxy->holdNew(false);
    }

    // A record that cannot be read, or was deleted elsewhere, when a page
    // reads it is said, never shown as an empty one: the device page is not
    // edited, the intake does not take the pick and keeps what was typed.
    void failedRecordReadIsSaid_data()
    {
        QTest::addColumn<QString>("page"); // the page, or the intake's picker button
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("deleted"); // instead of unreadable
        QTest::newRow("client page") << "client" << "clients" << 7 << false;
        QTest::newRow("device page") << "device" << "hardware" << 34 << false;
        QTest::newRow("device page, deleted") << "device" << "hardware" << 34 << true;
        QTest::newRow("intake: client") << "clientSearchButton" << "clients" << 9 << false;
        QTest::newRow("intake: device") << "hardwareSearchButton" << "hardware" << 34 << false;
        QTest::newRow("intake: template") << "templateSearchButton" << "templates" << 5 << false;
        QTest::newRow("bills: their repair and device") << "bills" << "repairs" << 9 << false;
    }
    void failedRecordReadIsSaid()
    {
        QFETCH(QString, page);
        QFETCH(QString, table);
        QFETCH(int, id);
        QFETCH(bool, deleted);
        QVERIFY(t->exec(QStringLiteral("INSERT INTO templates (iId, sHName) VALUES (5, 'Drukarka')")));
        MessageBoxRecorder boxes;
        const auto fail = [&] {
            QVERIFY(deleted ? t->exec(QStringLiteral("DELETE FROM %1 WHERE iId = %2").arg(table).arg(id))
                            : failReads(true, "SELECT " + table + ".", table));
        };
        if (page == QLatin1String("client")) {
            ClientWidget client(nullptr, db(), &user, settings.get(), id, false);
            fail();
            clickChild(client.dataPage, "cancelButton");
        } else if (page == QLatin1String("bills")) {
            QVERIFY(t->exec(QStringLiteral("INSERT INTO billing (iClientId, iRepairId, iHardwareId) VALUES (9, 50, 34)")));
            BillingWidget bills(nullptr, db(), &user, settings.get(), nullptr, id);
            fail();
            bills.loadBills();
        } else if (page == QLatin1String("device")) {
            HardwareWidget device(nullptr, db(), &user, settings.get(), id, false);
            fail();
            clickChild(&device, "editButton");
            QVERIFY(formChild(&device, "saveButton")->isHidden());
        } else {
            NewRepairWidget intake(nullptr, db(), &user, nullptr);
            intake.opened();
            formChild<QLineEdit>(&intake, "sSName")->setText(QStringLiteral("Wiśniewska"));
            formChild<QLineEdit>(&intake, "sHName")->setText(QStringLiteral("Laptop"));
            SearchWidget *picker = openPicker(&intake, qPrintable(page));
            fail();
            emit picker->showSelectedById(id);
            QCOMPARE(formChild<QLineEdit>(&intake, "sSName")->text() + formChild<QLineEdit>(&intake, "sHName")->text(),
                     QStringLiteral("WiśniewskaLaptop"));
            QVERIFY(formChild(&intake, "newClientBox")->isEnabled() && formChild(&intake, "newHardwareBox")->isEnabled());
        }
        QCOMPARE(boxes.titles(), QStringList{deleted ? QStringLiteral("Rekord usunięty") : QStringLiteral("Błąd odczytu z bazy")});
    }

    // The field labels never read: the device page shows every generic field
    // stored and stores what is typed there.
    void deviceFieldsWithLabelsUnread()
    {
        QVERIFY(t->exec(QStringLiteral("UPDATE hardware SET sField3 = 'SN-1' WHERE iId = 34")));
        FieldsConfig::Description.clear(); // as read by the tests before
        QVERIFY(failReads(true, QStringLiteral("SELECT iId, sName, sValue, bRequired"), QStringLiteral("fieldsconf")));
        HardwareWidget page(nullptr, db(), &user, settings.get(), 34, false);
        auto *field = formChild<QLineEdit>(&page, "sField3");
        QCOMPARE(field->text(), QStringLiteral("SN-1"));
        clickChild(&page, "editButton");
        field->setText(QStringLiteral("SN-2"));
        clickChild(&page, "saveButton");
        QCOMPARE(t->scalar(QStringLiteral("SELECT sField3 FROM hardware WHERE iId = 34")), QStringLiteral("SN-2"));
    }

    // The server drops the connection while the program waits: the next
    // statement of each kind opens a new one and runs.
    void reconnectsBetweenOperations()
    {
        if (!proxy)
            QSKIP("a dropped server connection concerns MariaDB only");
        MessageBoxRecorder boxes;
        proxy->cutAll();
        QSqlQuery plain = link->query(QStringLiteral("SELECT COUNT(*) FROM clients"));
        QVERIFY(plain.next());
        QCOMPARE(plain.value(0).toInt(), 2);
        proxy->cutAll();
        QVERIFY(save(ClientSave)); // a prepared UPDATE
        proxy->cutAll();
        QVERIFY(save(Intake)); // a transaction
        proxy->cutAll();
        SearchWidget page(nullptr, link.get(), &user, nullptr, SearchWidget::ClientsVariant, false);
        page.search();
        QCOMPARE(page.model->rowCount(), 3);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(state().section(QLatin1Char('|'), 0, 5), QStringLiteral("3|2|1|2|0|Nowak-Kowalska"));
    }

    // Nothing can be read at the login: a server lost there is said as
    // such and does not pass for a database without the program's structure
    // (which start-up would offer to make) nor for one without its indexes
    // (which start-up would try to add, then ask for the right to). On
    // SQLite the users' table is gone indeed.
    void lostServerIsNoMissingStructure()
    {
        MessageBoxRecorder boxes;
        if (proxy)
            proxy->arm(QStringLiteral("SELECT"));
        else
            QVERIFY(t->exec(QStringLiteral("ALTER TABLE users RENAME TO users_away")));
        LoginWidget page(nullptr, db(), settings.get());
        const auto *notice = formChild<QLabel>(&page, "noticeLabel");
        QVERIFY(!notice->isHidden());
        QCOMPARE(notice->text(), proxy ? QStringLiteral("Brak połączenia z bazą danych !")
                                       : QStringLiteral("Baza danych nie ma struktury programu."));
        QCOMPARE(db()->isEmptyDatabase(), !proxy);
        if (proxy)
            Startup::checkDatabase(db());
        QCOMPARE(boxes.count(), 0);
        if (!proxy)
            return;
        // Nor for a structure made meanwhile by another workstation.
        TestDatabase empty(false);
        const auto through = empty.openAnother(proxy->port());
        proxy->arm(QStringLiteral("SELECT COUNT(*) FROM information_schema"));
        QVERIFY(!through->createSchema());
        QVERIFY(!through->errorText.isEmpty());
    }

    // The structure of a new database cut short at one of its steps: the
    // next start offers it again and makes it whole.
    void cutStructureIsMadeWholeNextTime_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("seed rows") << "INSERT INTO";
        QTest::newRow("indexes") << "ALTER TABLE";
        QTest::newRow("tables put in place") << "RENAME TABLE";
    }
    void cutStructureIsMadeWholeNextTime()
    {
        if (!proxy)
            QSKIP("SQLite makes the structure in one transaction");
        QFETCH(QString, statement);
        TestDatabase empty(false);
        REQUIRE_DB(empty);
        const auto first = empty.openAnother(proxy->port(), 1);
        proxy->arm(statement, MySqlCutProxy::Cut, true);
        proxy->holdNew(true);
        MessageBoxRecorder boxes;
        boxes.answer(QMessageBox::Ok);
        Startup::checkDatabase(first.get());
        proxy->holdNew(false);
        boxes.answer(QMessageBox::Ok);
        const auto next = empty.openAnother();
        Startup::checkDatabase(next.get());
        QCOMPARE(boxes.titles(), QStringList({"Wykryto pustą bazę danych", "Błąd tworzenia bazy danych",
                                              "Wykryto pustą bazę danych"}));
        QCOMPARE(next->schemaVersion, QStringLiteral("1.23"));
    }

    // A read that fails is no answer: the quick search does not call the
    // repair missing, the header keeps the counts read last.
    void failedReadIsNoAnswer()
    {
        QVERIFY(t->exec(QStringLiteral("UPDATE repairs SET iStatus = 1")));
        MessageBoxRecorder boxes;
        RepairsWidget page(nullptr, db(), &user, settings.get());
        TopFrameWidget header(nullptr, db(), &user, settings.get());
        auto *edit = formChild<QLineEdit>(&page, "repairId");
        edit->setText(QStringLiteral("50"));
        QVERIFY(failReads(true, "SELECT", "repairs"));
        QTest::keyClick(edit, Qt::Key_Return);
        header.reload();
        QVERIFY(!proxy || proxy->faults() > 0);
        QVERIFY(formChild(&page, "quickSearchResultLabel")->isHidden());
        QCOMPARE(formChild<QLabel>(&header, "openCountLabel")->text() + formChild<QLabel>(&header, "waitingCountLabel")->text(), "10");
        QCOMPARE(boxes.titles(), QStringList(QStringLiteral("Błąd odczytu z bazy")));
        QCOMPARE(edit->selectedText(), QStringLiteral("50"));
        QVERIFY(failReads(false, "SELECT", "repairs"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(qobject_cast<RepairDetailsWidget *>(formChild<QStackedWidget>(&page, "repairsStack")->currentWidget()));
    }

    // Uses of the hardware types that cannot be read show a dash and are
    // said, not "0" as for types that no device has.
    void unreadTypeUsesAreNoZero()
    {
        MessageBoxRecorder boxes;
        QVERIFY(failReads(true, "SELECT typesconf.iId, COUNT", "hardware"));
        HardwareTypesConfig page(nullptr, db(), &user, settings.get());
        page.show();
        auto *table = formChild<QTableWidget>(&page, "typesTable");
        QVERIFY(table->rowCount() > 1);
        for (int row = 0; row < table->rowCount(); ++row)
            QCOMPARE(table->item(row, 3)->text(), QStringLiteral("–"));
        QCOMPARE(boxes.titles(), QStringList(QStringLiteral("Błąd odczytu z bazy")));
    }

    // A database not reached when the login page came up (its server started
    // later) is tried again when chosen again; another entry chosen is tried
    // once. On MariaDB the relay holds new connections; on SQLite the file's
    // folder is missing.
    void loginTriesDatabaseAgain()
    {
        QTemporaryDir here;
        const QString folder = here.filePath(QStringLiteral("dane")), key = proxy ? "db_1/port" : "db_1/dbfile";
        t->writeIni(settings->ini, 1);
        TestDatabase::writeUnreachableIni(settings->ini, 2, QStringLiteral("Nieosiągalna"));
        const QFileInfo file(settings->ini->value(key).toString());
        settings->ini->setValue(key, proxy ? QVariant(proxy->port()) : QVariant(folder + "/" + file.fileName()));
        if (proxy)
            proxy->holdNew(true);
        MessageBoxRecorder boxes;
        DbWidget program;
        program.connectTimeout = 1;
        QVERIFY(!program.open(settings->ini, 1));
        QWidget owner;
        auto *page = new LoginWidget(&owner, &program, settings.get());
        auto *databases = formChild<QComboBox>(page, "databaseBox");
        QCOMPARE(formChild<QLabel>(page, "noticeLabel")->text(), QStringLiteral("Brak połączenia z bazą danych !"));
        QVERIFY(!formChild(page, "noticeLabel")->isHidden());
        emit databases->activated(0);
        QVERIFY(proxy ? (proxy->holdNew(false), true) : QFile::link(file.absolutePath(), folder));
        emit databases->activated(0);
        QCOMPARE(itemTexts(*formChild<QComboBox>(page, "userBox")), QStringList(QStringLiteral("Administrator")));
        QVERIFY(formChild(page, "noticeLabel")->isHidden());
        databases->setCurrentIndex(1);
        emit databases->activated(1);
        QCOMPARE(owner.findChildren<InfoDialog *>().size(), 2);
        QCOMPARE(boxes.count(), 0);
    }

    // A server that takes the statement and never answers: the save ends with
    // the message once the read timeout (a second here) has passed.
    void silentServerEndsInAMessage()
    {
        THROUGH_RELAY("a server that stops answering concerns MariaDB only");
        QVERIFY2(link->isOpen(), qPrintable(link->errorText));
        MessageBoxRecorder boxes;
        const QString before = state();
        proxy->arm(QStringLiteral("INSERT INTO notes"), MySqlCutProxy::Swallow);
        QVERIFY(!save(StatusChange));
        QCOMPARE(boxes.last().title, QStringLiteral("Błąd zapisu do bazy"));
        proxy->letThrough();
        QCOMPARE(state(), before);
        QVERIFY(save(StatusChange));
        // Outside a save too, and the statement is not sent a second time.
        proxy->arm(QStringLiteral("SELECT iStatus FROM repairs"), MySqlCutProxy::Swallow);
        const int faults = proxy->faults();
        QVERIFY(!link->query(QStringLiteral("SELECT iStatus FROM repairs")).isActive());
        QCOMPARE(proxy->faults(), faults + 1);
    }

    // The program's link, then its server unreachable: a new connection is
    // taken and never answered, so each try waits the connect timeout (1 s).
    bool unreachable()
    {
        link = t->openAnother(proxy->port(), 1);
        const bool opened = link->isOpen();
        proxy->holdNew(true);
        proxy->cutAll();
        return opened;
    }

    // Opening a page, with its several statements, tries the server once;
    // the next action, back from the event loop, tries again.
    void unreachableServerTriedOncePerAction()
    {
        if (!proxy)
            QSKIP("an unreachable server concerns MariaDB only");
        QVERIFY(unreachable());
        const int opened = proxy->connections();
        RepairDetailsWidget(nullptr, link.get(), &user, nullptr, 50, false);
        QCOMPARE(proxy->connections(), opened + 1);
        QVERIFY(!link->query("SELECT COUNT(*) FROM clients").isActive());
        QCOMPARE(proxy->connections(), opened + 1);
        QCoreApplication::processEvents();
        proxy->holdNew(false);
        QVERIFY(link->query("SELECT COUNT(*) FROM clients").next());
        QCOMPARE(proxy->connections(), opened + 2);
    }

    // Each click on "Zaloguj", and a login page opened afterwards, say the
    // server is lost, never that the password is wrong.
    void loginDuringOutage()
    {
        if (!proxy)
            QSKIP("an unreachable server concerns MariaDB only");
        QVERIFY(unreachable());
        LoginWidget page(nullptr, link.get(), settings.get());
        for (int click = 0; click < 2; ++click) {
            clickChild(&page, "loginButton");
            QCOMPARE(formChild<QLabel>(&page, "noticeLabel")->text(), QStringLiteral("Brak połączenia z bazą danych !"));
            QCoreApplication::processEvents();
        }
        LoginWidget again(nullptr, link.get(), settings.get());
        QCOMPARE(formChild<QLabel>(&again, "noticeLabel")->text(), QStringLiteral("Brak połączenia z bazą danych !"));
    }

    // An insert whose answer went with the connection may be stored: it is
    // reported failed and not run a second time, prepared or plain; a
    // record's insert, in a transaction of its own, is not stored at all.
    void insertWithLostAnswerStoredOnce()
    {
        if (!proxy)
            QSKIP("a lost answer concerns MariaDB only");
        proxy->arm(QStringLiteral("INSERT INTO clients"), MySqlCutProxy::CutAfterRun);
        QStringList values(14);
        values[1] = QStringLiteral("Lewandowski");
        QCOMPARE(Client::dbInsert(link.get(), values), -1);
        QSqlQuery prepared(link->database());
        QVERIFY(prepared.prepare(QStringLiteral("INSERT INTO clients (sSName) VALUES (?)")));
        prepared.addBindValue(QStringLiteral("Zieliński"));
        QVERIFY(!link->exec(prepared));
        QVERIFY(!link->query(QStringLiteral("INSERT INTO clients (sSName) VALUES ('Wójcik')")).isActive());
        proxy->letThrough();
        QSqlQuery stored = link->query(QStringLiteral("SELECT sSName, COUNT(*) FROM clients "
                                                      "WHERE sSName IN ('Zieliński', 'Wójcik', 'Lewandowski') "
                                                      "GROUP BY sSName"));
        QStringList counts;
        while (stored.next())
            counts << stored.value(0).toString() + QLatin1Char(' ') + stored.value(1).toString();
        counts.sort();
        QCOMPARE(counts, QStringList({QStringLiteral("Wójcik 1"), QStringLiteral("Zieliński 1")}));
    }

    // A save whose COMMIT the server ran before the connection went is
    // stored once and taken as stored: the row it inserted last is there.
    // When no new connection can be opened to look for it, staff are told
    // that it is not known whether it was stored.
    void commitWithLostAnswerStored_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("rows"); // clients, hardware, templates, repairs, notes
        QTest::addColumn<bool>("unreachable");
        QTest::newRow("intake") << int(Intake) << QStringLiteral("3|2|1|2|0") << false;
        QTest::newRow("status with its note") << int(StatusChange) << QStringLiteral("2|1|0|1|1") << false;
        QTest::newRow("intake, not looked for") << int(Intake) << QStringLiteral("3|2|1|2|0") << true;
        QTest::newRow("status, not looked for") << int(StatusChange) << QStringLiteral("2|1|0|1|1") << true;
        QTest::newRow("template, not looked for") << int(TemplateAdd) << QStringLiteral("2|1|1|1|0") << true;
    }
    void commitWithLostAnswerStored()
    {
        QFETCH(int, kind);
        QFETCH(QString, rows);
        QFETCH(bool, unreachable);
        THROUGH_RELAY("a lost answer concerns MariaDB only");
        MessageBoxRecorder boxes;
        bool saved = false;
        withCommitAnswerLost(unreachable, [&] { saved = save(Save(kind)); });
        QCOMPARE(saved, !unreachable);
        QCOMPARE(proxy->faults(), 1);
        QCOMPARE(boxes.titles().filter(QStringLiteral("Błąd")).size(), int(unreachable));
        QCOMPARE(boxes.last().text.contains(QStringLiteral("nie wiadomo, czy dane zostały zapisane")), unreachable);
        QCOMPARE(state().section(QLatin1Char('|'), 0, 4), rows);
    }

    // A COMMIT that the server holds past the read timeout (a backup blocking
    // commits) may be stored after the row was looked for: not found then,
    // it is still not known whether the save was stored.
    void commitHeldPastTheReadTimeoutIsUncertain()
    {
        if (!proxy)
            QSKIP("a read timeout concerns MariaDB only");
        link = t->openAnother(0, 2);
        QVERIFY2(link->isOpen(), qPrintable(link->errorText));
        MessageBoxRecorder boxes;
        QVERIFY2(t->exec({QStringLiteral("BACKUP STAGE START"), QStringLiteral("BACKUP STAGE BLOCK_COMMIT")}),
                 qPrintable(t->error()));
        const bool saved = save(Intake);
        QVERIFY2(t->exec(QStringLiteral("BACKUP STAGE END")), qPrintable(t->error()));
        QVERIFY(!saved);
        QVERIFY(boxes.last().text.contains(QStringLiteral("nie wiadomo, czy dane zostały zapisane")));
    }

    // The next repair key set while the server is lost: neither the highest
    // key unread nor a change that could not be checked passes for done.
    void nextRepairKeyWithLostServer_data()
    {
        QTest::addColumn<bool>("atCheck"); // lost at the read after the change, else before the first read
        QTest::newRow("lost before") << false;
        QTest::newRow("lost at the check") << true;
    }
    void nextRepairKeyWithLostServer()
    {
        QFETCH(bool, atCheck);
        THROUGH_RELAY("a lost server concerns MariaDB only");
        NumberingConfig page(nullptr, link.get(), &user, settings.get());
        formChild<QLineEdit>(&page, "nextIdEdit")->setText(QStringLiteral("100"));
        MessageBoxRecorder boxes;
        boxes.whileOpen = [&] { proxy->arm(QStringLiteral("SELECT iId FROM repairs ORDER BY")); };
        proxy->holdNew(true);
        if (!atCheck) {
            proxy->cutAll();
            QVERIFY(!link->query(QStringLiteral("SELECT 1")).isActive());
        }
        clickChild(&page, "nextIdSave");
        proxy->holdNew(false);
        QCOMPARE(boxes.titles().size(), 1 + int(atCheck));
        QCOMPARE(boxes.last().title, QStringLiteral("Błąd odczytu z bazy"));
    }

    // A dictionary entry added when no new connection can tell whether its
    // COMMIT went through: staff are told so, and the box closes instead of
    // offering the entry for a second save.
    void dictionaryAddWithLostAnswer_data()
    {
        QTest::addColumn<bool>("type");
        QTest::newRow("status") << false;
        QTest::newRow("hardware type") << true;
    }
    void dictionaryAddWithLostAnswer()
    {
        QFETCH(bool, type);
        THROUGH_RELAY("a lost answer concerns MariaDB only");
        std::unique_ptr<QWidget> page(type ? static_cast<QWidget *>(new HardwareTypesConfig(nullptr, db(), &user, nullptr))
                                           : new RepairStatusesConfig(nullptr, db(), &user, nullptr));
        MessageBoxRecorder boxes;
        clickChild(page.get(), "addButton");
        formChild<QLineEdit>(page.get(), type ? "typeDescription" : "statusDescription")->setText(QStringLiteral("Nowy"));
        withCommitAnswerLost(true, [&] { clickChild(page.get(), "saveButton"); });
        QVERIFY(boxes.boxes.value(1).text.contains(QStringLiteral("nie wiadomo, czy dane zostały zapisane")));
        QVERIFY(formChild(page.get(), type ? "typeBox" : "statusBox")->isHidden());
        QCOMPARE(t->count(type ? "typesconf" : "statusesconf", QStringLiteral("sDescription = 'Nowy'")), 1);
    }

    // A scheme whose save lost its answer: said so, and saved again it is
    // not taken for another workstation's.
    void schemeSavedAgainAfterLostAnswer()
    {
        THROUGH_RELAY("a lost answer concerns MariaDB only");
        NumberingConfig page(nullptr, db(), &user, settings.get());
        page.show();
        formChild<QLineEdit>(&page, "numberingEdit")->clear();
        QTest::keyClicks(formChild<QLineEdit>(&page, "numberingEdit"), QStringLiteral("{YEAR4}"));
        MessageBoxRecorder boxes;
        withCommitAnswerLost(true, [&] { clickChild(&page, "numberingSave"); });
        QVERIFY(boxes.last().text.contains(QStringLiteral("nie wiadomo, czy dane zostały zapisane")));
        boxes.clear();
        QCoreApplication::processEvents(); // the next action may try a new connection
        clickChild(&page, "numberingSave");
        QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Czy na pewno zapisać ?")});
        QCOMPARE(t->scalar(QStringLiteral("SELECT sValue FROM settings WHERE sKey = 'numbering'")), QStringLiteral("{YEAR4}"));
    }

    // A deletion whose COMMIT answer went with the connection: the record
    // found gone on a new one was deleted, found there it was not; with no
    // new connection, that is not known (cut before it ran, it is kept). On
    // the search page and on a statuses page alike.
    void deletionWithLostAnswer_data()
    {
        QTest::addColumn<bool>("status");
        QTest::addColumn<bool>("beforeRun");
        QTest::addColumn<bool>("unreachable");
        QTest::addColumn<QString>("said");
        // The list is read again while the question is open (its refresh).
        QTest::addColumn<bool>("refreshed");
        const QString unknown = QStringLiteral("nie wiadomo, czy dane zostały usunięte");
        const QString unchanged = QStringLiteral("Żadne dane nie zostały zmienione");
        QTest::newRow("looked for") << false << false << false << QStringLiteral("bezpowrotnie usunięte") << false;
        QTest::newRow("not looked for") << false << false << true << unknown << false;
        QTest::newRow("cut before it ran") << false << true << false << unchanged << false;
        QTest::newRow("cut before it ran, list read again meanwhile") << false << true << false << unchanged << true;
        QTest::newRow("status, looked for") << true << false << false << QString() << false;
        QTest::newRow("status, not looked for") << true << false << true << unknown << false;
    }
    void deletionWithLostAnswer()
    {
        QFETCH(bool, status);
        QFETCH(bool, beforeRun);
        QFETCH(bool, unreachable);
        QFETCH(QString, said);
        QFETCH(bool, refreshed);
        THROUGH_RELAY("a lost answer concerns MariaDB only");
        MessageBoxRecorder boxes;
        std::unique_ptr<QWidget> page;
        std::function<void()> remove;
        const QString table = status ? QStringLiteral("statusesconf") : QStringLiteral("clients");
        const QString row = status ? QStringLiteral("sDescription = 'Naprawa ukończona'") : QStringLiteral("iId = 9");
        if (status) {
            page.reset(new RepairStatusesConfig(nullptr, db(), &user, nullptr));
            page->show(); // read when shown
            auto *tree = formChild<QTreeWidget>(page.get(), "statusesTable");
            tree->setCurrentItem(tree->findItems(QStringLiteral("Naprawa ukończona"), Qt::MatchRecursive).value(0));
            remove = [&] { clickChild(page.get(), "deleteButton"); };
        } else {
            auto *search = new SearchWidget(nullptr, db(), &user, settings.get(), SearchWidget::ClientsVariant, false);
            page.reset(search);
            search->search();
            search->selectedId = 9;
            search->deleteButton->setEnabled(true);
            remove = [search] { search->deleteButton->click(); };
            if (refreshed)
                boxes.whileOpen = [search] { search->search(); };
        }
        if (beforeRun) {
            proxy->arm(QStringLiteral("COMMIT"), MySqlCutProxy::Cut, true);
            remove();
        } else {
            withCommitAnswerLost(unreachable, remove);
        }
        if (said.isEmpty())
            QCOMPARE(boxes.last().title, QStringLiteral("Zapisano."));
        else
            QVERIFY2(boxes.last().text.contains(said), qPrintable(boxes.last().text));
        QCOMPARE(t->count(table, row), int(beforeRun));
    }

    // A device save whose COMMIT went with the connection: nothing stored,
    // and another try stores all that was typed.
    void deviceSavedAgainAfterFailedCommit()
    {
        if (!proxy)
            QSKIP("SQLite has no cheap way to fail this statement alone");
        HardwareWidget page(nullptr, db(), &user, settings.get(), 34, false);
        MessageBoxRecorder boxes;
        clickChild(&page, "editButton");
        formChild<QLineEdit>(&page, "sHName")->setText(QStringLiteral("Nowa nazwa"));
        auto *status = formChild<QComboBox>(&page, "iStoreStatus");
        status->setCurrentIndex(status->currentIndex() == 0 ? 1 : 0);
        proxy->arm(QStringLiteral("COMMIT"), MySqlCutProxy::Cut, true);
        clickChild(&page, "saveButton");
        QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Błąd zapisu do bazy")});
        clickChild(&page, "saveButton");
        QCOMPARE(t->scalar(QStringLiteral("SELECT sHName FROM hardware WHERE iId = 34")),
                 QStringLiteral("Nowa nazwa"));
    }

    // An update whose answer went with the connection was stored: run again,
    // it matches nothing, and that is no change made elsewhere.
    void updateWithLostAnswerStored()
    {
        if (!proxy)
            QSKIP("a lost answer concerns MariaDB only");
        MessageBoxRecorder boxes;
        proxy->arm(QStringLiteral("UPDATE clients"), MySqlCutProxy::CutAfterRun, true);
        QVERIFY(save(ClientSave));
        QCOMPARE(proxy->faults(), 1);
        QCOMPARE(boxes.titles(), QStringList());
        QCOMPARE(state().section(QLatin1Char('|'), 5, 5), QStringLiteral("Nowak-Kowalska"));
    }
};

WARSZTAT_TEST_MAIN(TestConnectionLoss)

#include "tst_connectionloss.moc"
