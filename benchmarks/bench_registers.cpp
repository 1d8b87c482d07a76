// Timings of the registers on a large database: the repairs, clients and
// hardware lists as the search page filters, sorts and paints them.
//
//   cmake --build build --target bench_registers
//   QT_QPA_PLATFORM=offscreen TZ=Europe/Warsaw build/benchmarks/bench_registers
//
// WARSZTAT_BENCH_REPAIRS sets the number of repairs (default 300000; a third
// as many clients and half as many hardware records). The database is a
// SQLite file unless WARSZTAT_TEST_ENGINE=mariadb and the server variables of
// scripts/mariadb-test-server are set.

#include "db/dbwidget.h"
#include "records/client.h"
#include "records/hardware.h"
#include "records/repair.h"
#include "search/searchwidget.h"
#include "testdatabase.h"
#include "testmain.h"
#include "userwidget.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <benchmark/benchmark.h>

namespace {

TestDatabase *database = nullptr;
int repairCount = 300000;

QString quoted(const QString &s)
{
    return "'" + DbWidget::escapeLike(s, database->db()->dbType) + "'";
}

// Multi-row inserts in one transaction: fast on both engines.
void fill()
{
    DbWidget *db = database->db();
    QRandomGenerator rng(12345);
    const QStringList surnames = {"Kowalski", "Nowak", "Wiśniewski", "Wójcik", "Kamińska",
                                  "Lewandowski", "Zieliński", "Szymańska", "Woźniak", "Dąbrowski"};
    const QStringList names = {"Jan", "Anna", "Piotr", "Katarzyna", "Łukasz", "Żaneta"};
    const int clients = repairCount / 3;
    const int hardware = repairCount / 2;
    const qint64 start = QDateTime(QDate(2020, 1, 1), QTime(8, 0)).toSecsSinceEpoch();
    auto insertRows = [&](const QString &head, int count, const std::function<QString(int)> &row) {
        db->database().transaction();
        for (int first = 0; first < count; first += 500) {
            QStringList values;
            for (int i = first; i < qMin(count, first + 500); ++i)
                values << row(i);
            QSqlQuery q = db->query(head + values.join(','));
            if (q.lastError().isValid())
                qFatal("%s", qPrintable(q.lastError().text()));
        }
        db->database().commit();
    };
    insertRows("INSERT INTO clients (sFName, sSName, sCompany, sNIP, sStreet, sAddrBuild, sAddrLoc, "
               "sCity, sPostal, sEmail, sEmail2, sPhone, sPhone2, sDescription) VALUES ",
               clients, [&](int i) {
                   return QStringLiteral("(%1,%2,'','','Długa','%3','','Kraków','30-001','','','%4','','')")
                       .arg(quoted(names.at(i % names.size())),
                            quoted(surnames.at(rng.bounded(surnames.size())) + QString::number(i % 997)))
                       .arg(i % 120)
                       .arg(500000000 + i);
               });
    insertRows("INSERT INTO hardware (sHName, iHType, iStoreStatus, iReceivedDate, sStoreComment, "
               "sField1, sField2, sField3, iFieldDate, sFieldLong, iOwner) VALUES ",
               hardware, [&](int i) {
                   return QStringLiteral("('Laptop %1',%2,%3,0,'','Dell','Latitude','SN%1',0,'',%4)")
                       .arg(i)
                       .arg(rng.bounded(12))
                       .arg(rng.bounded(7))
                       .arg(1 + rng.bounded(clients));
               });
    insertRows("INSERT INTO repairs (sNum, iAddDate, iEndDate, iType, sCost, sDefect, sComment, "
               "sOuterNo, iStatus, iClientId, iHardwareId, iSubmitterId, iTechnicanId) VALUES ",
               repairCount, [&](int i) {
                   const qint64 added = start + qint64(i) * 300;
                   return QStringLiteral("('%1',%2,%3,%4,'100 zł','Nie włącza się','','Z%5',%6,%7,%8,1,%9)")
                       .arg(i % 10000)
                       .arg(added)
                       .arg(added + 14 * 86400)
                       .arg(rng.bounded(5) - 1)
                       .arg(i)
                       .arg(rng.bounded(6))
                       .arg(1 + rng.bounded(clients))
                       .arg(1 + rng.bounded(hardware))
                       .arg(rng.bounded(2));
               });
}

// What a view does with a fresh result: count and paint the first screen.
void paintFirstScreen(QAbstractItemModel *model, benchmark::State &state)
{
    const int rows = qMin(model->rowCount(), 40);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < model->columnCount(); ++c) {
            benchmark::DoNotOptimize(model->index(r, c).data(Qt::DisplayRole));
            benchmark::DoNotOptimize(model->index(r, c).data(Qt::BackgroundRole));
        }
    }
    state.counters["rows"] = model->rowCount();
}

void BM_RepairsOpenGroupNewestFirst(benchmark::State &state)
{
    Repair model(nullptr, database->db());
    for (auto _ : state) {
        model.setFilter("(repairs.iStatus=0 OR repairs.iStatus=1 OR 0) AND 1");
        model.setSort(model.fieldIndex("iAddDate"), Qt::DescendingOrder);
        model.select();
        paintFirstScreen(&model, state);
    }
}
BENCHMARK(BM_RepairsOpenGroupNewestFirst)->Unit(benchmark::kMillisecond);

// "Szukaj" with no filter: every repair, in the lists' default order.
void BM_AllRepairsByIdDescending(benchmark::State &state)
{
    Repair model(nullptr, database->db());
    for (auto _ : state) {
        model.setFilter("1");
        model.setSort(model.fieldIndex("iId"), Qt::DescendingOrder);
        model.select();
        paintFirstScreen(&model, state);
    }
}
BENCHMARK(BM_AllRepairsByIdDescending)->Unit(benchmark::kMillisecond);

void BM_RepairsOneClient(benchmark::State &state)
{
    Repair model(nullptr, database->db());
    for (auto _ : state) {
        model.setFilter("repairs.iClientId = 77 AND 1");
        model.select();
        paintFirstScreen(&model, state);
    }
}
BENCHMARK(BM_RepairsOneClient)->Unit(benchmark::kMillisecond);

void BM_ClientsBySurname(benchmark::State &state)
{
    Client model(nullptr, database->db());
    for (auto _ : state) {
        model.setFilter("clients.sSName LIKE '%Nowak12%' AND 1");
        model.select();
        paintFirstScreen(&model, state);
    }
}
BENCHMARK(BM_ClientsBySurname)->Unit(benchmark::kMillisecond);

void BM_HardwareOfOwner(benchmark::State &state)
{
    Hardware model(nullptr, database->db());
    for (auto _ : state) {
        model.setFilter("hardware.iOwner = 99 AND 1");
        model.select();
        paintFirstScreen(&model, state);
    }
}
BENCHMARK(BM_HardwareOfOwner)->Unit(benchmark::kMillisecond);

// The whole search page: the repairs filter page with the open group checked.
void BM_SearchPageOpenRepairs(benchmark::State &state)
{
    UserWidget user(1, "Administrator", 0);
    SearchWidget page(nullptr, database->db(), &user, nullptr, SearchWidget::RepairsVariant, true);
    page.resize(1200, 800);
    page.repairStatusOpen->setChecked(true);
    for (auto _ : state) {
        page.search();
        paintFirstScreen(page.searchTable->model(), state);
    }
}
BENCHMARK(BM_SearchPageOpenRepairs)->Unit(benchmark::kMillisecond);

// A sub-search: clients by surname, narrowing the repairs list.
void BM_SubSearchClientsToRepairs(benchmark::State &state)
{
    UserWidget user(1, "Administrator", 0);
    SearchWidget page(nullptr, database->db(), &user, nullptr, SearchWidget::RepairsVariant, true);
    page.clientsTool->click();
    page.sSName->setText("Wójcik5");
    for (auto _ : state) {
        page.search();
        paintFirstScreen(page.searchTable->model(), state);
    }
}
BENCHMARK(BM_SubSearchClientsToRepairs)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[])
{
    prepareTestEnvironment();
    QApplication app(argc, argv);
    prepareTestApplication();
    repairCount = qEnvironmentVariableIntValue("WARSZTAT_BENCH_REPAIRS");
    if (repairCount <= 0)
        repairCount = 300000;
    TestDatabase db;
    if (!db.ok())
        qFatal("%s", qPrintable(db.error()));
    database = &db;
    QElapsedTimer timer;
    timer.start();
    fill();
    qInfo("Generated %d repairs in %lld ms", repairCount, timer.elapsed());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    database = nullptr;
    return 0;
}
