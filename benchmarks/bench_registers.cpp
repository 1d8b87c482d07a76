// Timings of the registers on a large database: the lists of the search page
// as staff open, filter, sort and scroll them, each beside its floor (the
// same statement run directly through QSqlQuery, rows read whole).
//
//   cmake --build build --target bench_registers
//   QT_QPA_PLATFORM=offscreen TZ=Europe/Warsaw build/benchmarks/bench_registers
//
// WARSZTAT_BENCH_REPAIRS sets the number of repairs (default 300000; a third
// as many clients and bills, half as many hardware records). The database is
// a SQLite file unless WARSZTAT_TEST_ENGINE=mariadb and the server variables
// of scripts/mariadb-test-server are set. WARSZTAT_BENCH_EXPLAIN=1 also
// prints the plan of every first-page statement.

#include "db/dbwidget.h"
#include "records/recordmodel.h"
#include "search/searchwidget.h"
#include "testdatabase.h"
#include "testmain.h"
#include "userwidget.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

TestDatabase *database = nullptr;
int repairCount = 300000;
constexpr int Runs = 7;

bool isMySql()
{
    return database->db()->dbType == DbWidget::MySQL;
}

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
    insertRows("INSERT INTO billing (iAddDate, iClientId, iRepairId, iHardwareId, sPriceNet, sPriceGross, "
               "sPriceParts, sPriceLabor, sPriceOuter, sDescription, iStatus, iDate, iUser) VALUES ",
               clients, [&](int i) {
                   const int status = rng.bounded(2);
                   return QStringLiteral("(%1,%2,%3,-1,'100','123','50','50','0','Faktura',%4,%5,1)")
                       .arg(start + qint64(i) * 900)
                       .arg(1 + rng.bounded(clients))
                       .arg(1 + rng.bounded(repairCount))
                       .arg(status)
                       .arg(status ? start + qint64(i) * 900 : 0);
               });
    insertRows("INSERT INTO templates (sHName, iHType, sField1, sField2, sField3, iFieldDate, sFieldLong) "
               "VALUES ",
               2000, [&](int i) {
                   return QStringLiteral("('Szablon %1',%2,'Dell','Latitude','',0,'')").arg(i).arg(i % 12);
               });
    db->query(isMySql() ? "ANALYZE TABLE repairs, clients, hardware, billing, templates" : "ANALYZE");
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// What a view does with fresh rows: paint the first screen of 40 rows.
void paintFirstScreen(QAbstractItemModel *model)
{
    const int rows = qMin(model->rowCount(), 40);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < model->columnCount(); ++c) {
            model->index(r, c).data(Qt::DisplayRole);
            model->index(r, c).data(Qt::BackgroundRole);
        }
    }
}

// The floor: the statement run directly and every value of every row read.
double floorMs(const QString &statement)
{
    QElapsedTimer timer;
    timer.start();
    QSqlQuery q(database->db()->database());
    q.setForwardOnly(true);
    if (!q.exec(statement))
        qFatal("%s\n%s", qPrintable(q.lastError().text()), qPrintable(statement));
    const int columns = q.record().count();
    while (q.next()) {
        for (int c = 0; c < columns; ++c)
            q.value(c);
    }
    return timer.nsecsElapsed() / 1e6;
}

void printPlan(const QString &name, const QString &statement)
{
    if (qEnvironmentVariableIntValue("WARSZTAT_BENCH_EXPLAIN") == 0)
        return;
    QSqlQuery q(database->db()->database());
    q.exec((isMySql() ? "EXPLAIN " : "EXPLAIN QUERY PLAN ") + statement);
    std::printf("-- plan of %s\n%s\n", qPrintable(name), qPrintable(statement));
    while (q.next()) {
        QStringList cells;
        for (int c = 0; c < q.record().count(); ++c)
            cells << q.value(c).toString();
        std::printf("   %s\n", qPrintable(cells.join(" | ")));
    }
}

void printRow(const QString &name, double program, double floor)
{
    std::printf("| %-38s | %-7s | %9.2f | %9.2f | %5.2f |\n", qPrintable(name),
                isMySql() ? "MariaDB" : "SQLite", program, floor, floor > 0 ? program / floor : 0.0);
    std::fflush(stdout);
}

// Peak resident memory of the process (VmHWM), in MB; reset() starts the
// count again from the memory in use.
double peakMb(bool reset = false)
{
    if (reset) {
        QFile clear("/proc/self/clear_refs");
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        return 0;
    }
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

RecordModel *pagedModel(SearchWidget &page)
{
    return qobject_cast<RecordModel *>(page.model);
}

std::unique_ptr<SearchWidget> newPage(UserWidget *user, SearchWidget::SearchVariant variant)
{
    auto page = std::make_unique<SearchWidget>(nullptr, database->db(), user, nullptr, variant, true);
    page->resize(1200, 800);
    return page;
}

// One case: the program's step (a search or a sort, then the first screen
// painted) and its floor, Runs times each.
// The floor statement is the program's one unless floorStatement gives
// another (a sort that alternates its direction measures the floor of the
// other direction, so that neither finds the rows of the run before in the
// cache).
void measure(const QString &name, SearchWidget &page, const std::function<void(int)> &step,
             const std::function<QString()> &floorStatement = {})
{
    QList<double> program, floor;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step(i);
        paintFirstScreen(page.model);
        program << timer.nsecsElapsed() / 1e6;
        floor << floorMs(floorStatement ? floorStatement() : pagedModel(page)->firstPageStatement());
    }
    printPlan(name, pagedModel(page)->firstPageStatement());
    printRow(name, median(program), median(floor));
}

void run()
{
    UserWidget user(1, "Administrator", 0);
    std::printf("| %-38s | %-7s | %9s | %9s | %5s |\n", "case", "engine", "program", "floor", "ratio");
    std::printf("|%s|%s|%s|%s|%s|\n", QByteArray(40, '-').constData(), QByteArray(9, '-').constData(),
                QByteArray(11, '-').constData(), QByteArray(11, '-').constData(),
                QByteArray(7, '-').constData());

    peakMb(true);
    const char *const variantNames[] = {"repairs", "clients", "hardware", "bills", "templates"};
    for (int v = SearchWidget::RepairsVariant; v <= SearchWidget::TemplatesVariant; ++v) {
        auto page = newPage(&user, SearchWidget::SearchVariant(v));
        measure(QStringLiteral("%1, unfiltered").arg(variantNames[v]), *page, [&](int) { page->search(); });
        if (v == SearchWidget::RepairsVariant)
            std::printf("| peak memory after listing all repairs: %.1f MB\n", peakMb());
    }

    {
        auto page = newPage(&user, SearchWidget::RepairsVariant);
        page->searchTable->horizontalHeader()->setSortIndicator(page->model->fieldIndex("iAddDate"),
                                                                Qt::DescendingOrder);
        page->repairStatusOpen->setChecked(true);
        measure("repairs, open group, newest first", *page, [&](int) { page->search(); });
    }
    {
        auto page = newPage(&user, SearchWidget::RepairsVariant);
        page->repairClientId->setText("77");
        measure("repairs of one client", *page, [&](int) { page->search(); });
    }
    {
        auto page = newPage(&user, SearchWidget::ClientsVariant);
        page->sSName->setText("Nowak12");
        measure("clients, surname fragment", *page, [&](int) { page->search(); });
    }
    {
        auto page = newPage(&user, SearchWidget::RepairsVariant);
        page->clientsTool->click();
        page->sSName->setText("Wójcik5");
        measure("sub-search: repairs of clients by surname", *page, [&](int) { page->search(); });
    }
    {
        // Scrolling: every further page up to row 10,000.
        auto page = newPage(&user, SearchWidget::RepairsVariant);
        page->search();
        RecordModel *model = pagedModel(*page);
        QList<double> program, floor;
        while (model->rowCount() < 10000 && model->canFetchMore()) {
            floor << floorMs(model->nextPageStatement());
            QElapsedTimer timer;
            timer.start();
            model->fetchMore();
            program << timer.nsecsElapsed() / 1e6;
        }
        printPlan("a further page", model->nextPageStatement());
        printRow(QStringLiteral("repairs, further page (to row %1)").arg(model->rowCount()), median(program),
                 median(floor));
        std::printf("| peak memory after scrolling to row %d: %.1f MB\n", model->rowCount(), peakMb());
    }
    for (const char *column : {"iAddDate", "sSName"}) {
        auto page = newPage(&user, SearchWidget::RepairsVariant);
        page->search();
        // Once selected, a relation column is named after the related column.
        const int section = page->model->fieldIndex(column);
        measure(QStringLiteral("repairs, header sort by %1")
                    .arg(QLatin1String(column) == QLatin1String("iAddDate") ? "date" : "client name"),
                *page,
                [&](int i) {
                    // What a click on the header does.
                    page->searchTable->horizontalHeader()->setSortIndicator(
                        section, i % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
                },
                [&] {
                    RecordModel *model = pagedModel(*page);
                    const Qt::SortOrder shown = page->searchTable->horizontalHeader()->sortIndicatorOrder();
                    model->setSort(section, shown == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                        : Qt::AscendingOrder);
                    const QString statement = model->firstPageStatement();
                    model->setSort(section, shown);
                    return statement;
                });
        printPlan(QStringLiteral("the page after, by %1").arg(column), pagedModel(*page)->nextPageStatement());
    }
}

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
    std::printf("Generated %d repairs in %lld ms; times are medians of %d runs in ms\n\n", repairCount,
                timer.elapsed(), Runs);
    run();
    database = nullptr;
    return 0;
}
