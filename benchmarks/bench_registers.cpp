// Timings of the registers on a large database: the lists of the search page
// as staff open, filter, sort and scroll them, each beside its floor (the
// same statement run directly through QSqlQuery, rows read whole).
//
//   cmake --build build --target bench_registers
//   QT_QPA_PLATFORM=offscreen TZ=Europe/Warsaw build/benchmarks/bench_registers
//
// The database is the one WARSZTAT_BENCH_INI names, or one generated here
// (see benchsupport.h). WARSZTAT_BENCH_EXPLAIN=1 also prints the plan of
// every first-page statement.

#include "benchsupport.h"
#include "db/dbwidget.h"
#include "records/recordmodel.h"
#include "search/searchwidget.h"
#include "testmain.h"
#include "userwidget.h"

#include <QApplication>
#include <QHeaderView>
#include <memory>
#include <vector>

namespace {

DbWidget *db = nullptr;
std::vector<std::unique_ptr<SearchWidget>> pages;

RecordModel *pagedModel(SearchWidget *page)
{
    return qobject_cast<RecordModel *>(page->model);
}

SearchWidget *newPage(UserWidget *user, SearchWidget::SearchVariant variant)
{
    pages.push_back(std::make_unique<SearchWidget>(nullptr, db, user, nullptr, variant, true));
    pages.back()->resize(1200, 800);
    return pages.back().get();
}

void registerCases(UserWidget *user)
{
    const char *const variantNames[] = {"repairs", "clients", "hardware", "bills", "templates"};
    for (int v = SearchWidget::RepairsVariant; v <= SearchWidget::TemplatesVariant; ++v)
        Bench::addSearchCase(QStringLiteral("%1, unfiltered").arg(variantNames[v]),
                   newPage(user, SearchWidget::SearchVariant(v)));

    SearchWidget *page = newPage(user, SearchWidget::RepairsVariant);
    page->searchTable->horizontalHeader()->setSortIndicator(page->model->fieldIndex("iAddDate"),
                                                            Qt::DescendingOrder);
    page->repairStatusOpen->setChecked(true);
    Bench::addSearchCase("repairs, open group, newest first", page);

    page = newPage(user, SearchWidget::RepairsVariant);
    page->repairClientId->setText("77");
    Bench::addSearchCase("repairs of one client", page);

    page = newPage(user, SearchWidget::ClientsVariant);
    page->sSName->setText("Nowak");
    Bench::addSearchCase("clients, surname fragment", page);

    page = newPage(user, SearchWidget::RepairsVariant);
    page->clientsTool->click();
    page->sSName->setText("Wójcik");
    Bench::addSearchCase("sub-search: repairs of clients by surname", page);

    // Scrolling: one further page each run, up to row 10,000 and again.
    page = newPage(user, SearchWidget::RepairsVariant);
    auto atEnd = [page] {
        RecordModel *model = pagedModel(page);
        if (model->rowCount() == 0 || model->rowCount() >= 10000 || !model->canFetchMore())
            page->search();
    };
    Bench::addCase(
        "repairs, a further page (to row 10,000)",
        [=] {
            atEnd();
            const double ms = Bench::timed([&] { pagedModel(page)->fetchMore(); });
            Bench::note("peak memory scrolling the repairs to row 10,000",
                        QStringLiteral("%1 MB").arg(Bench::peakMb(), 0, 'f', 1));
            return ms;
        },
        [=] {
            atEnd();
            Bench::printPlan(db, "a further page", pagedModel(page)->nextPageStatement());
            return Bench::readAll(db, {pagedModel(page)->nextPageStatement()});
        });

    for (const char *column : {"iAddDate", "sSName"}) {
        page = newPage(user, SearchWidget::RepairsVariant);
        page->search();
        // Once selected, a relation column is named after the related column.
        const int section = page->model->fieldIndex(column);
        auto order = std::make_shared<int>(0);
        // What a click on the header does; the direction alternates so that
        // no run finds the rows of the run before in the cache. The floor is
        // the statement of the other direction, for the same reason.
        Bench::addCase(
            QStringLiteral("repairs, header sort by %1")
                .arg(QLatin1String(column) == QLatin1String("iAddDate") ? "date" : "client name"),
            [=] {
                return Bench::timed([&] {
                    page->searchTable->horizontalHeader()->setSortIndicator(
                        section, ++*order % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
                    Bench::paintFirstScreen(page->model);
                });
            },
            [=] {
                RecordModel *model = pagedModel(page);
                const Qt::SortOrder shown = page->searchTable->horizontalHeader()->sortIndicatorOrder();
                model->setSort(section, shown == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
                const QString statement = model->firstPageStatement();
                model->setSort(section, shown);
                Bench::printPlan(db, QStringLiteral("sort by %1").arg(QLatin1String(column)), statement);
                return Bench::readAll(db, {statement});
            });
    }
}

} // namespace

int main(int argc, char *argv[])
{
    prepareTestEnvironment();
    QApplication app(argc, argv);
    prepareTestApplication();
    Bench::Shop shop;
    if (!shop.ok())
        qFatal("%s", qPrintable(shop.error()));
    db = shop.db();
    UserWidget user(1, "Administrator", 0);
    Bench::peakMb(true);
    registerCases(&user);
    const int result = Bench::runAll(argc, argv, shop);
    pages.clear();
    return result;
}
