// Timings of the registers on a large database: the lists of the search page
// as staff open, filter, sort and scroll them, each beside its own SQL and a
// floor (statements run directly through QSqlQuery, rows read whole: for the
// sorts of every column the best statement known for the same rows).
//
//   cmake --build build --target bench_registers
//   QT_QPA_PLATFORM=offscreen TZ=Europe/Warsaw build/benchmarks/bench_registers
//
// The database is the one WARSZTAT_BENCH_INI names, or one generated here
// (see benchsupport.h). WARSZTAT_BENCH_EXPLAIN=1 also prints the plan of
// every first-page statement.

#include "benchsupport.h"
#include "db/dbindexes.h"
#include "db/dbwidget.h"
#include "records/recordmodel.h"
#include "search/searchwidget.h"
#include "testmain.h"
#include "userwidget.h"

#include <QApplication>
#include <QHeaderView>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>
#include <tuple>
#include <vector>

namespace {

DbWidget *db = nullptr;
const char *const variantNames[] = {"repairs", "clients", "hardware", "bills", "templates"};
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

// The relations the registers show by name: the foreign key of the register
// and the related table with its shown column.
struct Relation
{
    QString table, foreignKey, related, shown;
};
const QList<Relation> Relations = {{"repairs", "iClientId", "clients", "sSName"},
                                   {"repairs", "iHardwareId", "hardware", "sHName"},
                                   {"hardware", "iOwner", "clients", "sSName"},
                                   {"billing", "iUser", "users", "sUser"}};

QString literal(const QVariant &value)
{
    QSqlField field(QString(), value.metaType());
    field.setValue(value);
    return db->database().driver()->formatValue(field);
}

// "(column, key) past (value, keyValue)" in the order of both (empty values
// first in ascending order, last in descending order), or at or past it; a
// range of the index on column where it can be: the empty values a column
// of table may hold are a range of their own.
QString past(const QString &table, const QString &column, const QString &key, const QVariant &value,
             const QVariant &keyValue, bool descending, bool orAt)
{
    const QString keyOp = QLatin1String(descending ? " <" : " >") + QLatin1String(orAt ? "= " : " ");
    if (value.isNull())
        return descending ? QStringLiteral("%1 IS NULL AND %2%3%4").arg(column, key, keyOp, literal(keyValue))
                          : QStringLiteral("(%1 IS NULL AND %2%3%4) OR %1 IS NOT NULL")
                                .arg(column, key, keyOp, literal(keyValue));
    const QString after = QStringLiteral("%1 %2= %3 AND (%1 %2 %3 OR %4%5%6)")
                              .arg(column, descending ? "<" : ">", literal(value), key, keyOp, literal(keyValue));
    const bool nullsPossible =
        db->database().record(table).field(column).requiredStatus() != QSqlField::Required;
    return descending && nullsPossible ? QStringLiteral("(%1) OR %2 IS NULL").arg(after, column) : after;
}

// The relation a column of the model shows, if any: the register and the
// related table name it.
const Relation *relationOf(RecordModel *model, int section)
{
    const QSqlRelation relation = model->relation(section);
    for (const Relation &r : Relations) {
        if (relation.isValid() && r.table == model->tableName() && r.related == relation.tableName())
            return &r;
    }
    return nullptr;
}

// Where a further page starts: the last row read (its sort value, the
// related key of a relation sort, its id).
struct After
{
    QVariant value, relatedKey, id;
};

// The best statement known for a page of 200 rows of a register sorted by a
// column, written here apart from the program's own: an own column walks its
// index for one page in a derived table and joins the relations to those
// rows only; a relation column walks the related table's index for 200
// related rows (nested form) and joins the register's rows by its index of
// the foreign key, or, for the few users, reads the rows of one user.
QString bestPage(RecordModel *model, int section, bool descending, const After *after)
{
    const QString table = model->tableName();
    const QString dir = descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    const Relation *sorted = relationOf(model, section);
    QString shown, joins;
    for (const Relation &r : Relations) {
        if (r.table != table)
            continue;
        if (&r == sorted) {
            shown += QStringLiteral(", k.%1").arg(r.shown);
            continue;
        }
        const QString alias = QStringLiteral("j_") + r.foreignKey;
        shown += QStringLiteral(", %1.%2").arg(alias, r.shown);
        joins += QStringLiteral(" JOIN %1 %2 ON %2.iId = t.%3").arg(r.related, alias, r.foreignKey);
    }
    if (sorted && sorted->related == QLatin1String("users")) {
        // A handful of users with thousands of bills each: the bills of one
        // user in the order of the index of the foreign key.
        const QString user = after ? literal(after->relatedKey)
                                   : QStringLiteral("(SELECT iId FROM users ORDER BY sUser%1, iId%1 LIMIT 1)").arg(dir);
        return QStringLiteral("SELECT t.*, k.%1%2 FROM %3 t JOIN %4 k ON k.iId = t.%5%6 WHERE t.%5 = %7%8 "
                              "ORDER BY t.iId%9 LIMIT 200")
            .arg(sorted->shown, shown.section(QStringLiteral(", k.") + sorted->shown, 1), table, sorted->related,
                 sorted->foreignKey, joins, user,
                 after ? QStringLiteral(" AND t.iId%1%2").arg(descending ? " < " : " > ", literal(after->id))
                       : QString(),
                 dir);
    }
    if (sorted) {
        QString keys = QStringLiteral("SELECT iId, %1 FROM %2").arg(sorted->shown, sorted->related);
        QString rest;
        if (after) {
            keys += QLatin1String(" WHERE ")
                    + past(sorted->related, sorted->shown, "iId", after->value, after->relatedKey, descending, true);
            rest = QStringLiteral(" WHERE (k.iId <> %1 OR t.iId%2%3)")
                       .arg(literal(after->relatedKey), descending ? " < " : " > ", literal(after->id));
        }
        keys += QStringLiteral(" ORDER BY %1%2, iId%2 LIMIT 200").arg(sorted->shown, dir);
        return QStringLiteral("SELECT t.*%1 FROM (%2) k JOIN %3 t ON t.%4 = k.iId%5%6 "
                              "ORDER BY k.%7%8, k.iId%8, t.iId%8 LIMIT 200")
            .arg(shown, keys, table, sorted->foreignKey, joins, rest, sorted->shown, dir);
    }
    QString column = model->record().fieldName(section);
    QString page = QStringLiteral("SELECT * FROM %1").arg(table);
    // MariaDB orders a long text by the index of its first characters.
    if (db->dbType == DbWidget::MySQL && !DbIndexes::textSortIndex(table, column).isEmpty()) {
        column = DbIndexes::sortColumn(column);
        page = QStringLiteral("SELECT *, %1 FROM %2").arg(column, table);
    }
    if (after)
        page += QLatin1String(" WHERE ")
                + (column == QLatin1String("iId")
                       ? QStringLiteral("iId%1%2").arg(descending ? " < " : " > ", literal(after->id))
                       : past(table, column, "iId", after->value, after->id, descending, false));
    page += column == QLatin1String("iId") ? QStringLiteral(" ORDER BY iId%1 LIMIT 200").arg(dir)
                                           : QStringLiteral(" ORDER BY %1%2, iId%2 LIMIT 200").arg(column, dir);
    return QStringLiteral("SELECT t.*%1 FROM (%2) t%3 ORDER BY t.%4%5, t.iId%5")
        .arg(shown, page, joins, column, dir);
}

// Every column of a register's list in both directions: the first page as a
// header click reads it and paints it, and a further page (after the rows
// down to 1,000 have been read), each beside the best statement known.
void addSortCases(SearchWidget *page, const QString &name)
{
    page->search();
    RecordModel *model = pagedModel(page);
    constexpr int Depth = 4;
    for (int section = 0; section < model->columnCount(); ++section) {
        const Relation *relation = relationOf(model, section);
        const QString column = relation ? relation->foreignKey : model->record().fieldName(section);
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            const bool descending = order == Qt::DescendingOrder;
            const QString label = QStringLiteral("%1 by %2%3").arg(name, column, descending ? " desc" : "");
            Bench::addCase(
                label + QStringLiteral(", first page"),
                [=] {
                    return Bench::timed([&] {
                        model->sort(section, order);
                        Bench::paintFirstScreen(model);
                    });
                },
                [=] {
                    model->setSort(section, order);
                    return Bench::readAll(db, {model->firstPageStatement()});
                },
                [=] {
                    const QString statement = bestPage(model, section, descending, nullptr);
                    Bench::printPlan(db, label, statement);
                    return Bench::readAll(db, {statement});
                });
            // Sorted anew and read down to the page, outside the figure.
            auto readDown = [=] {
                model->sort(section, order);
                for (int i = 0; i < Depth && model->canFetchMore(); ++i)
                    model->fetchMore();
            };
            Bench::addCase(
                label + QStringLiteral(", further page"),
                [=] {
                    readDown();
                    return Bench::timed([&] { model->fetchMore(); });
                },
                [=] {
                    readDown();
                    return Bench::readAll(db, {model->nextPageStatement()});
                },
                [=] {
                    readDown();
                    const QSqlRecord last = model->record(model->rowCount() - 1);
                    After after{last.value(section), {}, last.value(model->fieldIndex("iId"))};
                    if (relation) {
                        QSqlQuery key = db->query(QStringLiteral("SELECT %1 FROM %2 WHERE iId = %3")
                                                      .arg(relation->foreignKey, relation->table,
                                                           after.id.toString()));
                        after.relatedKey = key.next() ? key.value(0) : QVariant();
                    }
                    const QString statement = bestPage(model, section, descending, &after);
                    Bench::printPlan(db, label + QStringLiteral(", further page"), statement);
                    return Bench::readAll(db, {statement});
                });
        }
    }
}

void registerCases(UserWidget *user)
{
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
            // The same page as the program's next run, then the list goes on
            // to it outside the figure: each run reads a page not read before.
            atEnd();
            const QString statement = pagedModel(page)->nextPageStatement();
            Bench::printPlan(db, "a further page", statement);
            const double ms = Bench::readAll(db, {statement});
            pagedModel(page)->fetchMore();
            return ms;
        });

    // Filters with a sort by the client's name, which a workstation keeps
    // for the embedded lists of one client as well.
    const QString repairPage = "SELECT t.*, k.sSName, h.sHName FROM %1 JOIN hardware h ON h.iId = t.iHardwareId "
                               "WHERE %2 ORDER BY k.sSName, k.iId, t.iId LIMIT 200";
    // The open group's statuses by their ids, as the program writes them:
    // a subquery on statusesconf lets MariaDB's optimizer pick a plan that
    // reads every client (seconds at a million repairs).
    QStringList openIds;
    for (QSqlQuery q = db->query("SELECT iStatusId FROM statusesconf WHERE iGroup = 1"); q.next();)
        openIds << q.value(0).toString();
    const QString openIn = QLatin1String(" IN (") + openIds.join(QLatin1Char(',')) + QLatin1Char(')');
    const QString open = QLatin1String("t.iStatus") + openIn;
    const bool mySql = db->dbType == DbWidget::MySQL;
    const QList<std::tuple<QString, QString, QString>> filtered = {
        {"repairs of one client, by client name", "77",
         repairPage.arg("repairs t JOIN clients k ON k.iId = t.iClientId", "t.iClientId = 77")},
        {"repairs, open group, by client name", QString(),
         // Few clients have an open repair: the first 200 of them by name
         // (the name index walked, each looked up among the open repairs'
         // clients), then their open repairs.
         repairPage.arg(QStringLiteral("(SELECT iId, sSName FROM clients%1 WHERE %2iId IN (SELECT iClientId FROM "
                                       "repairs WHERE iStatus%4) ORDER BY sSName, iId LIMIT 200) k "
                                       "%3 repairs t ON t.iClientId = k.iId")
                            .arg(mySql ? " FORCE INDEX (idx_clients_sSName)" : "", mySql ? "" : "+",
                                 mySql ? "STRAIGHT_JOIN" : "CROSS JOIN", openIn),
                        open)}};
    for (const auto &[name, client, best] : filtered) {
        page = newPage(user, SearchWidget::RepairsVariant);
        page->model->setSort(page->model->fieldIndex("iClientId"), Qt::AscendingOrder);
        if (client.isEmpty())
            page->repairStatusOpen->setChecked(true);
        else
            page->repairClientId->setText(client);
        Bench::addSearchCase(name, page, [best = best](RecordModel *) { return best; });
    }

    for (int v = SearchWidget::RepairsVariant; v <= SearchWidget::TemplatesVariant; ++v)
        addSortCases(newPage(user, SearchWidget::SearchVariant(v)), variantNames[v]);
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
