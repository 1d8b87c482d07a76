#include "benchsupport.h"

#include "db/dbwidget.h"
#include "records/recordmodel.h"
#include "search/searchwidget.h"
#include "shopgenerator.h"
#include "testdatabase.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace Bench {

Shop::Shop()
{
    usePrivateSettings();
    const QString ini = qEnvironmentVariable("WARSZTAT_BENCH_INI");
    if (!ini.isEmpty()) {
        QSettings settings(ini, QSettings::IniFormat);
        m_opened = std::make_unique<DbWidget>();
        if (!m_opened->open(&settings, 1)) {
            m_error = m_opened->errorText;
            return;
        }
        m_db = m_opened.get();
        return;
    }
    int repairs = qEnvironmentVariableIntValue("WARSZTAT_BENCH_REPAIRS");
    if (repairs <= 0)
        repairs = 300000;
    m_generated = std::make_unique<TestDatabase>();
    if (!m_generated->ok()) {
        m_error = m_generated->error();
        return;
    }
    QElapsedTimer timer;
    timer.start();
    ShopGenerator generator(m_generated->db());
    if (!generator.fill(ShopSize::forRepairs(repairs), [&](const QString &table, int done, int total) {
            std::fprintf(stderr, "\r%-10s %9d / %d", qPrintable(table), done, total);
            if (done == total)
                std::fputc('\n', stderr);
        })) {
        m_error = generator.error();
        return;
    }
    std::fprintf(stderr, "generated %d repairs in %.1f s\n", repairs, timer.elapsed() / 1000.0);
    m_db = m_generated->db();
}

Shop::~Shop() = default;

QString Shop::engine() const
{
    return m_db && m_db->dbType == DbWidget::MySQL ? QStringLiteral("MariaDB") : QStringLiteral("SQLite");
}

QString Shop::scalar(const QString &sql) const
{
    QSqlQuery q = m_db->query(sql);
    if (q.lastError().isValid())
        qFatal("%s\n%s", qPrintable(q.lastError().text()), qPrintable(sql));
    return q.next() ? q.value(0).toString() : QString();
}

int Shop::count(const QString &table, const QString &where) const
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table
                  + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where))
        .toInt();
}

double timed(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return timer.nsecsElapsed() / 1e6;
}

double readAll(DbWidget *db, const QStringList &statements)
{
    return timed([&] {
        for (const QString &statement : statements) {
            QSqlQuery q(db->database());
            q.setForwardOnly(true);
            if (!q.exec(statement))
                qFatal("%s\n%s", qPrintable(q.lastError().text()), qPrintable(statement));
            const int columns = q.record().count();
            while (q.next()) {
                for (int c = 0; c < columns; ++c)
                    q.value(c);
            }
        }
    });
}

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

QStringList modelStatements(const QWidget *root)
{
    QStringList statements;
    for (const QSqlQueryModel *model : root->findChildren<QSqlQueryModel *>()) {
        const QString statement = model->query().lastQuery();
        if (!statement.isEmpty())
            statements << statement;
    }
    return statements;
}

double peakMb(bool reset)
{
    if (reset) {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        return 0;
    }
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

namespace {

QStringList cases;
QList<QPair<QString, QString>> notes;

// Keeps the median of every case's program and floor, shows progress on
// stderr and prints the table at the end.
class TableReporter : public benchmark::BenchmarkReporter
{
public:
    explicit TableReporter(const QString &engine) : m_engine(engine) {}

    bool ReportContext(const Context &) override { return true; }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const QString name = QString::fromStdString(run.run_name.function_name);
            if (run.error_occurred) {
                std::fprintf(stderr, "%s failed: %s\n", qPrintable(name), run.error_message.c_str());
                continue;
            }
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            m_medians[name] = run.GetAdjustedRealTime();
            std::fprintf(stderr, "  %-56s %9.2f ms\n", qPrintable(name), run.GetAdjustedRealTime());
        }
    }

    void Finalize() override
    {
        std::printf("| %-44s | %-7s | %9s | %9s | %9s | %7s | %7s |\n", "case", "engine", "program", "own SQL",
                    "best", "p/own", "p/best");
        std::printf("|%s|%s|%s|%s|%s|%s|%s|\n", QByteArray(46, '-').constData(),
                    QByteArray(9, '-').constData(), QByteArray(11, '-').constData(),
                    QByteArray(11, '-').constData(), QByteArray(11, '-').constData(),
                    QByteArray(9, '-').constData(), QByteArray(9, '-').constData());
        for (const QString &name : std::as_const(cases)) {
            const QString programKey = name + QStringLiteral("/program");
            const QString ownKey = name + QStringLiteral("/own SQL");
            const QString bestKey = name + QStringLiteral("/best");
            if (!m_medians.contains(programKey) || !m_medians.contains(ownKey))
                continue;
            const double program = m_medians.value(programKey);
            const double own = m_medians.value(ownKey);
            const double best = m_medians.value(bestKey, own);
            std::printf("| %-44s | %-7s | %9.2f | %9.2f | %9.2f | %7.2f | %7.2f |\n", qPrintable(name),
                        qPrintable(m_engine), program, own, best, own > 0 ? program / own : 0.0,
                        best > 0 ? program / best : 0.0);
        }
        for (const auto &line : std::as_const(notes))
            std::printf("| %s: %s (%s)\n", qPrintable(line.first), qPrintable(line.second),
                        qPrintable(m_engine));
        std::fflush(stdout);
    }

private:
    QString m_engine;
    QMap<QString, double> m_medians;
};

void registerRun(const QString &name, const Bench::Run &run, int repetitions)
{
    benchmark::RegisterBenchmark(name.toStdString().c_str(),
                                 [run](benchmark::State &state) {
                                     for (auto _ : state)
                                         state.SetIterationTime(run() / 1000.0);
                                 })
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

void addCase(const QString &name, const Run &program, const Run &ownSql, const Run &best)
{
    int repetitions = qEnvironmentVariableIntValue("WARSZTAT_BENCH_RUNS");
    if (repetitions <= 0)
        repetitions = 9;
    cases << name;
    registerRun(name + QStringLiteral("/program"), program, repetitions);
    registerRun(name + QStringLiteral("/own SQL"), ownSql, repetitions);
    if (best)
        registerRun(name + QStringLiteral("/best"), best, repetitions);
}

QString pageThenJoins(RecordModel *model)
{
    // The pieces of the model's own statement: its fields, the joins after
    // the register, its order.
    const QString own = model->firstPageStatement();
    const QString table = model->tableName();
    const QString from = QStringLiteral(" FROM ") + table;
    const int fieldsEnd = int(own.indexOf(from));
    const int orderAt = int(own.lastIndexOf(QStringLiteral(" ORDER BY ")));
    int joinsEnd = int(own.indexOf(QStringLiteral(" WHERE ("), fieldsEnd));
    if (joinsEnd < 0)
        joinsEnd = orderAt;
    const QString fields = own.mid(7, fieldsEnd - 7);
    const QString joins = own.mid(fieldsEnd + from.size(), joinsEnd - fieldsEnd - from.size());
    const QString order = own.mid(orderAt);
    QString page = QStringLiteral("SELECT * FROM ") + table;
    if (!model->pageFilter().isEmpty())
        page += QStringLiteral(" WHERE (") + model->pageFilter() + QLatin1Char(')');
    page += order;
    return QStringLiteral("SELECT ") + fields + QStringLiteral(" FROM (") + page + QStringLiteral(") ") + table
           + joins + order.left(order.indexOf(QStringLiteral(" LIMIT ")));
}

int roundTrips(DbWidget *db, const std::function<void()> &step)
{
    if (db->dbType != DbWidget::MySQL) {
        step();
        return -1;
    }
    auto requests = [db] {
        int sum = 0;
        QSqlQuery q = db->query(QStringLiteral(
            "SHOW SESSION STATUS WHERE Variable_name IN ('Questions', 'Com_show_fields')"));
        while (q.next())
            sum += q.value(1).toInt();
        return sum;
    };
    const int before = requests();
    step();
    // The reading of the counters is a request of its own.
    return requests() - before - 1;
}

void note(const QString &what, const QString &value)
{
    for (auto &line : notes) {
        if (line.first == what) {
            line.second = value;
            return;
        }
    }
    notes.append({what, value});
}

void printPlan(DbWidget *db, const QString &name, const QString &statement)
{
    if (qEnvironmentVariableIntValue("WARSZTAT_BENCH_EXPLAIN") == 0)
        return;
    QSqlQuery q(db->database());
    q.exec((db->dbType == DbWidget::MySQL ? "EXPLAIN " : "EXPLAIN QUERY PLAN ") + statement);
    std::fprintf(stderr, "-- plan of %s\n%s\n", qPrintable(name), qPrintable(statement));
    while (q.next()) {
        QStringList cells;
        for (int c = 0; c < q.record().count(); ++c)
            cells << q.value(c).toString();
        std::fprintf(stderr, "   %s\n", qPrintable(cells.join(" | ")));
    }
}

void addSearchCase(const QString &name, SearchWidget *page, const std::function<QString(RecordModel *)> &best,
                   const std::function<void()> &start)
{
    auto model = [page] { return qobject_cast<RecordModel *>(page->model); };
    auto statement = [model] { return model()->firstPageStatement(); };
    Run bestRun;
    if (best) {
        bestRun = [=] {
            const QString sql = best(model());
            printPlan(page->db, name + QStringLiteral(" (best)"), sql);
            return readAll(page->db, {sql});
        };
    }
    addCase(
        name,
        [=] {
            const double ms = timed([&] {
                if (start)
                    start();
                else
                    page->search();
                paintFirstScreen(page->model);
            });
            printPlan(page->db, name, statement());
            return ms;
        },
        [=] { return readAll(page->db, {statement()}); }, bestRun);
}

int runAll(int argc, char **argv, const Shop &shop)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    TableReporter reporter(shop.engine());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace Bench
