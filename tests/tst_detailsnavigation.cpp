// Navigation between a search list and the client, hardware and repair pages,
// in both hosts: the page behind "Klienci", "Sprzęt" and "Rozliczenia", and
// the repairs start page.
#include "clients/clientdatawidget.h"
#include "clients/clientwidget.h"
#include "hardware/hardwarewidget.h"
#include "pagetesthelpers.h"
#include "repairs/newrepairwidget.h"
#include "repairs/repairdetailswidget.h"
#include "repairs/repairswidget.h"
#include "repairs/searchdetailscontroller.h"

using namespace SearchRows;

// Clients 1 and 2 own devices 10 and 20; repairs 100 (client 1, device 10)
// and 200 (client 2, device 20); bill 7 is client 2's.
class TestDetailsNavigation : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> t;
    UserWidget admin{1, QStringLiteral("Administrator"), 0};

    std::unique_ptr<SearchDetailsController> controller(SearchWidget::SearchVariant variant)
    {
        auto page = std::make_unique<SearchDetailsController>(nullptr, t->db(), &admin, nullptr,
                                                              variant);
        page->setAttribute(Qt::WA_DeleteOnClose, false);
        page->show();
        return page;
    }
    // A row chosen on a page's search list.
    static void choose(SearchWidget *list, int id) { emit list->showSelectedById(id); }
    static void clickBack(QWidget *page) { clickChild(page, "backButton"); }
    static bool backShown(QWidget *page)
    {
        return !page->findChild<QPushButton *>(QStringLiteral("backButton"))->isHidden();
    }
    template <typename Page>
    static int countIn(QStackedWidget *stack)
    {
        int n = 0;
        for (int i = 0; i < stack->count(); ++i)
            n += qobject_cast<Page *>(stack->widget(i)) ? 1 : 0;
        return n;
    }
private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        REQUIRE_DB(*t);
        QVERIFY(insert(*t, ClientsInsert, {client(1, QStringLiteral("Nowak")), client(2, QStringLiteral("Lis"))}));
        QVERIFY(insert(*t, HardwareInsert, {hardware(10, QStringLiteral("Laptop"), 1),
                                            hardware(20, QStringLiteral("Drukarka"), 2)}));
        QVERIFY(insert(*t, RepairsInsert, {repair(100, 1, 10), repair(200, 2, 20)}));
        QVERIFY(insert(*t, BillsInsert, {bill(7, 2, 200, 20)}));
    }
    void cleanup()
    {
        takeErrors();
        t.reset();
    }

    void clientToSearchAndBack()
    {
        auto page = controller(SearchWidget::ClientsVariant);
        SearchWidget *search = page->searchPage();
        search->search();
        QCOMPARE(search->model->rowCount(), 2);
        choose(search, 1);
        QVERIFY(page->clientPage());
        QCOMPARE(page->stack()->currentWidget(), page->clientPage());
        QVERIFY(backShown(page->clientPage()));

        // Back searches again: a client added meanwhile is listed.
        QVERIFY(insert(*t, ClientsInsert, {client(3, QStringLiteral("Wróbel"))}));
        clickBack(page->clientPage());
        QCOMPARE(page->stack()->currentWidget(), search);
        QCOMPARE(search->model->rowCount(), 3);

        // A second client replaces the first page.
        choose(search, 1);
        choose(search, 2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(countIn<ClientWidget>(page->stack()), 1);
        QCOMPARE(page->clientPage()->clientId, 2);
    }

    void billOpensTheClientsBills()
    {
        MessageBoxRecorder boxes;
        auto page = controller(SearchWidget::BillsVariant);
        choose(page->searchPage(), 7);
        QVERIFY(page->clientPage());
        QCOMPARE(page->clientPage()->clientId, 2);
        QCOMPARE(page->clientPage()->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))
                     ->currentWidget(),
                 reinterpret_cast<QWidget *>(page->clientPage()->billingPage));

        // A bill deleted on another workstation: a message, the list stays.
        clickBack(page->clientPage());
        QVERIFY(t->exec(QStringLiteral("DELETE FROM billing WHERE iId = 7")));
        choose(page->searchPage(), 7);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().icon, QMessageBox::Warning);
        QCOMPARE(page->stack()->currentWidget(), page->searchPage());
        QCOMPARE(page->clientPage()->clientId, 2);
    }

    // A client or device deleted at another workstation after the list was
    // read: choosing it says so, no empty page opens, the list is read
    // again. A client page opened on such a client (from a repair) does not
    // take a save as stored.
    void chosenRecordDeletedElsewhere_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("id");
        QTest::newRow("client") << int(SearchWidget::ClientsVariant) << "clients" << 1;
        QTest::newRow("device") << int(SearchWidget::HardwareVariant) << "hardware" << 10;
    }
    void chosenRecordDeletedElsewhere()
    {
        QFETCH(int, variant);
        QFETCH(QString, table);
        QFETCH(int, id);
        MessageBoxRecorder boxes;
        auto page = controller(SearchWidget::SearchVariant(variant));
        page->searchPage()->search();
        QCOMPARE(page->searchPage()->model->rowCount(), 2);
        QVERIFY(t->exec(QStringLiteral("DELETE FROM %1 WHERE iId = %2").arg(table).arg(id)));
        choose(page->searchPage(), id);
        QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Błąd ładowania danych")});
        QCOMPARE(page->stack()->currentWidget(), page->searchPage());
        QVERIFY(!page->clientPage() && !page->hardwarePage());
        QCOMPARE(page->searchPage()->model->rowCount(), 1);

        if (table != QLatin1String("clients"))
            return;
        ClientWidget client(nullptr, t->db(), &admin, nullptr, id, false);
        clickChild(client.dataPage, "editButton");
        formChild<QLineEdit>(client.dataPage, "sSName")->setText(QStringLiteral("Nowakowska"));
        clickChild(client.dataPage, "saveButton");
        QCOMPARE(boxes.last().title, QStringLiteral("Rekord usunięty"));
        QVERIFY(!formChild(client.dataPage, "saveButton")->isHidden());
    }

    void hardwareToRepairAndBack()
    {
        auto page = controller(SearchWidget::HardwareVariant);
        choose(page->searchPage(), 10);
        HardwareWidget *hardware = page->hardwarePage();
        QVERIFY(hardware);
        emit hardware->showRepairDetails(100);
        QVERIFY(page->repairPage());
        QCOMPARE(page->repairPage()->repairId(), 100);
        QVERIFY(backShown(page->repairPage()));
        clickBack(page->repairPage());
        QCOMPARE(page->stack()->currentWidget(), hardware);
        clickBack(hardware);
        QCOMPARE(page->stack()->currentWidget(), page->searchPage());
    }

    void repairLeadsToItsClientAndDevice()
    {
        auto page = controller(SearchWidget::ClientsVariant);
        choose(page->searchPage(), 1);
        QPointer<ClientWidget> first = page->clientPage();
        emit first->showRepairDetails(100);
        QPointer<RepairDetailsWidget> repair = page->repairPage();

        // The repair's client: a fresh page in place of the first, back to the list.
        emit repair->showClient(1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        QVERIFY(page->clientPage());
        clickBack(page->clientPage());
        QCOMPARE(page->stack()->currentWidget(), page->searchPage());

        // The repair's device, then another repair of it: back to the device.
        emit repair->showHardware(10);
        HardwareWidget *hardware = page->hardwarePage();
        emit hardware->showRepairDetails(100);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!repair);
        clickBack(page->repairPage());
        QCOMPARE(page->stack()->currentWidget(), hardware);
    }

    void countsChangedAreRelayed()
    {
        auto page = controller(SearchWidget::ClientsVariant);
        QSignalSpy relayed(page.get(), &SearchDetailsController::dbItemsCountChanged);
        emit page->searchPage()->dbItemsCountChanged();
        choose(page->searchPage(), 1);
        emit page->clientPage()->dbItemsCountChanged();
        emit page->clientPage()->showRepairDetails(100);
        emit page->repairPage()->repairStatusChanged();
        emit page->repairPage()->showHardware(10);
        emit page->hardwarePage()->dbItemsCountChanged();
        QCOMPARE(relayed.count(), 4);
    }

    void repairAndTemplateListsOpenNothing_data()
    {
        QTest::addColumn<int>("variant");
        QTest::newRow("repairs") << 0;
        QTest::newRow("templates") << 4;
    }
    void repairAndTemplateListsOpenNothing()
    {
        QFETCH(int, variant);
        auto page = controller(SearchWidget::SearchVariant(variant));
        choose(page->searchPage(), 100);
        QCOMPARE(page->stack()->count(), 1);
        QCOMPARE(page->stack()->currentWidget(), page->searchPage());
    }

    // The start page: a client added alone through the intake has no way
    // back; one opened from a repair page leads back to it, reloaded.
    void startPageClientAndHardwarePages()
    {
        RepairsWidget start(nullptr, t->db(), &admin, nullptr);
        start.setAttribute(Qt::WA_DeleteOnClose, false);
        auto *stack = start.findChild<QStackedWidget *>(QStringLiteral("repairsStack"));
        QVERIFY(!start.findChild<NewRepairWidget *>());
        start.findChild<QPushButton *>(QStringLiteral("newRepairButton"))->click();
        auto *intake = start.findChild<NewRepairWidget *>();
        QVERIFY(intake && stack->currentWidget() == intake);
        emit intake->clientAdded(1);
        auto *client = qobject_cast<ClientWidget *>(stack->currentWidget());
        QVERIFY(client);
        QVERIFY(!backShown(client));
        emit intake->hardwareAdded(10);
        QVERIFY(!backShown(stack->currentWidget()));

        emit intake->repairAdded(100);
        auto *repair = qobject_cast<RepairDetailsWidget *>(stack->currentWidget());
        QVERIFY(repair);
        emit repair->showHardware(10);
        auto *hardware = qobject_cast<HardwareWidget *>(stack->currentWidget());
        QVERIFY(hardware && backShown(hardware));
        clickBack(hardware);
        QCOMPARE(stack->currentWidget(), repair);
        emit repair->showClient(1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(countIn<ClientWidget>(stack), 1);
        emit qobject_cast<ClientWidget *>(stack->currentWidget())->showRepairDetails(200);
        QCOMPARE(qobject_cast<RepairDetailsWidget *>(stack->currentWidget())->repairId(), 200);
        // The intake built on the first visit serves every later one.
        start.findChild<QPushButton *>(QStringLiteral("newRepairButton"))->click();
        QCOMPARE(stack->currentWidget(), intake);
        QCOMPARE(countIn<NewRepairWidget>(stack), 1);
    }
};

WARSZTAT_TEST_MAIN(TestDetailsNavigation)
#include "tst_detailsnavigation.moc"
