#include "search/searchfilterbuilder.h"
#include "search/searchwidget.h"
#include "searchfixture.h"
#include "testdatabase.h"
#include "testmain.h"
#include "userwidget.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSqlError>
#include <QSqlRelationalTableModel>
#include <memory>

using namespace SearchRows;

namespace {

QToolButton *toolOf(SearchWidget *w, int subVariant)
{
    switch (subVariant) {
    case SearchWidget::RepairsVariant:
        return w->repairsTool;
    case SearchWidget::ClientsVariant:
        return w->clientsTool;
    case SearchWidget::HardwareVariant:
        return w->hardwareTool;
    default:
        return w->billingTool;
    }
}

} // namespace

class TestSubSearch : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SearchWidget> page(TestDatabase &t, int variant)
    {
        return searchPage(t, &m_user, variant, true);
    }
    // Switches to the other register and keeps its rows in id order, so the
    // order of the conditions is known.
    static void startSubSearch(SearchWidget *w, int subVariant)
    {
        toolOf(w, subVariant)->click();
        QVERIFY(w->subModel);
        w->subModel->setSort(w->subModel->fieldIndex(QStringLiteral("iId")), Qt::AscendingOrder);
    }
    UserWidget m_user{1, QStringLiteral("Administrator"), 0};

private Q_SLOTS:
    void chainText();
    void ruleTable_data();
    void ruleTable();
    void emptyAndMissingLinks();
    void ownToolEndsTheSubSearch();
    void fiveThousandRows();
};

void TestSubSearch::chainText()
{
    const QString column = QStringLiteral("clients.iId");
    QCOMPARE(SearchFilterBuilder::anyEqual(column, {}), QStringLiteral("0"));
    QCOMPARE(SearchFilterBuilder::anyEqual(column, {"7", "7", "12", "7", "-1"}),
             QStringLiteral("clients.iId = 7 OR clients.iId = 12 OR clients.iId = -1 OR 0"));
    // Up to the limit a chain; beyond it the same values as one list.
    QCOMPARE(SearchFilterBuilder::anyEqual(column, {"3", "1", "2", "1"}, 3),
             QStringLiteral("clients.iId = 3 OR clients.iId = 1 OR clients.iId = 2 OR 0"));
    QCOMPARE(SearchFilterBuilder::anyEqual(column, {"3", "1", "2", "1", "4"}, 3),
             QStringLiteral("clients.iId IN (3,1,2,4)"));
}

void TestSubSearch::ruleTable_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("subVariant");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QList<int>>("shown");

    QTest::newRow("repairs by clients") << 0 << 1 << "sSName" << "Nowak" << ""
                                        << QList<int>{100, 101};
    QTest::newRow("repairs by client id") << 0 << 1 << "clientId" << "12" << "" << QList<int>{102, 103};
    QTest::newRow("repairs by a client id that is no number") << 0 << 1 << "clientId" << "12a" << ""
                                                               << QList<int>{};
    // Every client: a repair whose device is gone stays out of the list.
    QTest::newRow("repairs by every client") << 0 << 1 << "" << "" << "" << QList<int>{100, 101, 102, 103};
    QTest::newRow("repairs by a text of another column") << 0 << 1 << "sPostal" << "clients.sSName" << ""
                                                          << QList<int>{};
    QTest::newRow("repairs by hardware") << 0 << 2 << "sHName" << "Laptop" << "repairs.iHardwareId"
                                         << QList<int>{100, 103};
    QTest::newRow("repairs by bills") << 0 << 3 << "billClientId" << "7" << "repairs.iId"
                                      << QList<int>{100, 101};
    QTest::newRow("clients by repairs") << 1 << 0 << "" << "" << "clients.iId" << QList<int>{7, 12};
    QTest::newRow("clients by open repairs") << 1 << 0 << "repairStatusOpen" << "" << "clients.iId"
                                             << QList<int>{7, 12};
    QTest::newRow("clients by hardware") << 1 << 2 << "" << "" << "clients.iId" << QList<int>{7, 12};
    QTest::newRow("clients by bills") << 1 << 3 << "billHardwareId" << "21" << "clients.iId"
                                      << QList<int>{12};
    QTest::newRow("hardware by repairs") << 2 << 0 << "repairClientId" << "12" << "hardware.iId"
                                         << QList<int>{20, 21};
    QTest::newRow("hardware by clients") << 2 << 1 << "sSName" << "Nowak" << "" << QList<int>{20, 22};
    // A device whose owner is gone is listed by no client.
    QTest::newRow("hardware by every client") << 2 << 1 << "" << "" << "" << QList<int>{20, 21, 22};
    QTest::newRow("hardware by bills") << 2 << 3 << "billClientId" << "7" << "hardware.iId"
                                       << QList<int>{20, 22};
    QTest::newRow("bills by repairs") << 3 << 0 << "repairId" << "102" << "billing.iRepairId"
                                      << QList<int>{301};
    QTest::newRow("bills by clients") << 3 << 1 << "clientId" << "7" << "billing.iClientId"
                                      << QList<int>{300, 302};
    QTest::newRow("bills by hardware") << 3 << 2 << "sHName" << "PC" << "billing.iHardwareId"
                                       << QList<int>{301};
    QTest::newRow("nothing found") << 0 << 1 << "sSName" << "Nikt" << "" << QList<int>{};
    // A repair whose hardware row is gone is not listed, so it names no client.
    QTest::newRow("clients by listed repairs") << 1 << 0 << "repairId" << "104" << "clients.iId"
                                               << QList<int>{};
}

void TestSubSearch::ruleTable()
{
    QFETCH(int, variant);
    QFETCH(int, subVariant);
    QFETCH(QString, input);
    QFETCH(QString, text);
    QFETCH(QString, column);
    QFETCH(QList<int>, shown);

    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(insert(t, ClientsInsert,
                   {client(7, QStringLiteral("Nowak")), client(12, QStringLiteral("Lis")),
                    client(30, QStringLiteral("Wilk"))}));
    QVERIFY(insert(t, HardwareInsert,
                   {hardware(20, QStringLiteral("Laptop"), 7), hardware(21, QStringLiteral("PC"), 12),
                    hardware(22, QStringLiteral("Telefon"), 7), hardware(23, QStringLiteral("Radio"), 55)}));
    QVERIFY(insert(t, RepairsInsert,
                   {repair(100, 7, 20), repair(101, 7, 22), repair(102, 12, 21), repair(103, 12, 20),
                    repair(104, 30, 99)}));
    QVERIFY(insert(t, BillsInsert,
                   {bill(300, 7, 100, 20), bill(301, 12, 102, 21), bill(302, 7, 101, 22)}));

    auto w = page(t, variant);
    startSubSearch(w.get(), subVariant);
    if (auto *box = w->findChild<QCheckBox *>(input)) {
        box->setChecked(true);
    } else if (!input.isEmpty()) {
        auto *edit = w->findChild<QLineEdit *>(input);
        QVERIFY(edit);
        edit->setText(text);
    }
    w->search();
    // One statement: the other register's rows are chosen inside it, or,
    // where the page joins the client row already (no column given), the
    // condition is put on that row.
    const QString expected = column.isEmpty() ? QString() : column + QLatin1String(" IN (SELECT ");
    QVERIFY2(column.isEmpty() ? !w->model->filter().contains(QLatin1String("SELECT"))
                              : w->model->filter().startsWith(expected),
             qPrintable(w->model->filter()));
    QVERIFY2(!w->model->lastError().isValid(), qPrintable(w->model->lastError().text()));
    QCOMPARE(ids(w->model), shown);
}

void TestSubSearch::emptyAndMissingLinks()
{
    TestDatabase t;
    REQUIRE_DB(t);
    // MySQL declares the link NOT NULL; a database carried over from an older
    // program may not.
    if (TestDatabase::isMySql())
        QVERIFY(t.exec(QStringLiteral("ALTER TABLE billing MODIFY iRepairId INT NULL")));
    QVERIFY(insert(t, ClientsInsert, {client(40, QStringLiteral("Nowak"))}));
    QVERIFY(insert(t, HardwareInsert, {hardware(50, QStringLiteral("PC"), 40)}));
    QVERIFY(insert(t, RepairsInsert, {repair(60, 40, 50)}));
    QVERIFY(insert(t, BillsInsert, {bill(400, 40, 0, 50), bill(401, 40, 0, 50), bill(402, 41, -1, 50)}));
    QVERIFY(t.exec(QStringLiteral("UPDATE billing SET iRepairId = NULL WHERE iId IN (400, 401)")));

    auto w = page(t, SearchWidget::RepairsVariant);
    startSubSearch(w.get(), SearchWidget::BillsVariant);
    w->billClientId->setText(QStringLiteral("40"));
    w->search();
    QVERIFY2(!w->model->lastError().isValid(), qPrintable(w->model->lastError().text()));
    QCOMPARE(allRows(w->model), 0);

    // A link to nothing is kept and matches nothing.
    w->billClientId->clear();
    w->search();
    QVERIFY2(!w->model->lastError().isValid(), qPrintable(w->model->lastError().text()));
    QCOMPARE(allRows(w->model), 0);
}

void TestSubSearch::ownToolEndsTheSubSearch()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(insert(t, ClientsInsert, {client(7, QStringLiteral("Nowak")), client(8, QStringLiteral("Lis"))}));
    QVERIFY(insert(t, HardwareInsert, {hardware(20, QStringLiteral("Laptop"), 7)}));
    QVERIFY(insert(t, RepairsInsert, {repair(100, 7, 20)}));

    auto w = page(t, SearchWidget::ClientsVariant);
    // The page's own filter takes no part while another register is searched.
    w->sSName->setText(QStringLiteral("Lis"));
    startSubSearch(w.get(), SearchWidget::RepairsVariant);
    w->search();
    QCOMPARE(ids(w->model), QList<int>{7});

    // The pressed tool again: a fresh sub-search model and an empty table.
    QPointer<QSqlRelationalTableModel> previous = w->subModel;
    w->repairsTool->click();
    QVERIFY(previous.isNull());
    QVERIFY(w->subModel);
    QCOMPARE(allRows(w->model), 0);

    w->clientsTool->click();
    QVERIFY(!w->subModel);
    QCOMPARE(allRows(w->model), 0);
    // The own filter page comes back as it was left.
    QCOMPARE(w->sSName->text(), QStringLiteral("Lis"));
    w->search();
    QCOMPARE(allRows(w->model), 1);
    QCOMPARE(w->model->data(w->model->index(0, w->model->fieldIndex(QStringLiteral("iId"))), Qt::EditRole)
                 .toInt(),
             8);
    w->sSName->clear();
    w->search();
    QCOMPARE(w->model->filter(), QStringLiteral("1"));
    QCOMPARE(allRows(w->model), 2);
}

void TestSubSearch::fiveThousandRows()
{
    TestDatabase t;
    REQUIRE_DB(t);
    const int count = 5000;
    QStringList clients, repairs;
    for (int i = 1; i <= count; ++i) {
        clients << client(i, i <= 500 ? QStringLiteral("Grupa") : QStringLiteral("Inny"));
        repairs << repair(i, i, 1);
    }
    QVERIFY(insert(t, ClientsInsert, clients));
    QVERIFY(insert(t, HardwareInsert, {hardware(1, QStringLiteral("Laptop"), 1)}));
    QVERIFY(insert(t, RepairsInsert, repairs));

    QElapsedTimer timer;
    timer.start();

    // Every repair, not only the rows the model fetched first, narrows the
    // clients; one value per client read in few statements.
    auto clientsPage = page(t, SearchWidget::ClientsVariant);
    startSubSearch(clientsPage.get(), SearchWidget::RepairsVariant);
    clientsPage->search();
    QVERIFY2(!clientsPage->model->lastError().isValid(),
             qPrintable(clientsPage->model->lastError().text()));
    QCOMPARE(allRows(clientsPage->model), count);

    auto repairsPage = page(t, SearchWidget::RepairsVariant);
    startSubSearch(repairsPage.get(), SearchWidget::ClientsVariant);
    repairsPage->search();
    QCOMPARE(allRows(repairsPage->model), count);

    repairsPage->sSName->setText(QStringLiteral("Grupa"));
    repairsPage->search();
    QVERIFY2(!repairsPage->model->lastError().isValid(),
             qPrintable(repairsPage->model->lastError().text()));
    QCOMPARE(allRows(repairsPage->model), 500);

    auto hardwarePage = page(t, SearchWidget::HardwareVariant);
    startSubSearch(hardwarePage.get(), SearchWidget::ClientsVariant);
    hardwarePage->search();
    QCOMPARE(allRows(hardwarePage->model), 1);

    QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
}

WARSZTAT_TEST_MAIN(TestSubSearch)
#include "tst_subsearch.moc"
