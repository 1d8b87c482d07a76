#pragma once

// Shared ground of the benchmark programs: the large database they measure,
// the floors (statements run directly through QSqlQuery, every row read), and
// the cases, each run as Google Benchmark benchmarks whose medians end up
// side by side in one table: the program's step, its own SQL (the statements
// the step runs) and the best floor (the best statements known for the same
// result, where they differ from the program's own).

#include <QDir>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class DbWidget;
class QAbstractItemModel;
class RecordModel;
class SearchWidget;
class QWidget;
class TestDatabase;

namespace Bench {

// Points every settings store of the process (native and INI, user and
// system scope) at a directory of this run, before any is opened: the
// measurements never read, nor leave anything in, a user's settings (a sort
// remembered there changes what a list costs).
inline void usePrivateSettings()
{
    static QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QDir(dir.path()).filePath(QStringLiteral("config")).toUtf8());
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, dir.path());
    }
}

// The database of the run (every settings store pointed at the run's own
// directory first): group db_1 of the INI file that
// WARSZTAT_BENCH_INI names (as scripts/bench writes it after generating the
// shop), or else a fresh database of the test engine filled here with
// WARSZTAT_BENCH_REPAIRS repairs (300,000 by default) and the rest to scale.
class Shop
{
public:
    Shop();
    ~Shop();
    bool ok() const { return m_db != nullptr; }
    QString error() const { return m_error; }
    DbWidget *db() const { return m_db; }
    QString engine() const;
    // Rows in a table, for sizes and ids the cases pick.
    int count(const QString &table, const QString &where = QString()) const;
    // First column of the first row.
    QString scalar(const QString &sql) const;

private:
    std::unique_ptr<TestDatabase> m_generated;
    std::unique_ptr<DbWidget> m_opened;
    DbWidget *m_db = nullptr;
    QString m_error;
};

// One measured run; returns the milliseconds of the measured part (set-up
// that a run needs stays outside the figure).
using Run = std::function<double()>;

// Milliseconds that step takes.
double timed(const std::function<void()> &step);
// The floor: every statement run in turn, every value of every row read.
double readAll(DbWidget *db, const QStringList &statements);
// What a view does with fresh rows: the display texts of the first screen
// (40 rows) of every column.
void paintFirstScreen(QAbstractItemModel *model);
// The statements that every model under root ran last: the floor of a page
// that reads its data through models.
QStringList modelStatements(const QWidget *root);
// Peak resident memory (VmHWM) in MB; reset starts the count again.
double peakMb(bool reset = false);

// Registers a case: the program, its own SQL and the best floor each run as
// a benchmark of their own; without a best floor the own SQL is the best
// known.
void addCase(const QString &name, const Run &program, const Run &ownSql, const Run &best = {});
// A search on a page as staff start it, up to the first screen painted,
// beside the first-page statement of the page's model; best gives the best
// statement known for the same page (none: the model's own), start what
// starts the search (none: the page's search()).
void addSearchCase(const QString &name, SearchWidget *page,
                   const std::function<QString(RecordModel *)> &best = {},
                   const std::function<void()> &start = {});
// The first page of a model read as the best known statement for a filter on
// the register's own columns: the page of the register's rows chosen and
// ordered first (by the index that serves the filter or the order), then
// their related rows joined by key, 200 lookups instead of one for every
// matching row.
QString pageThenJoins(RecordModel *model);
// Requests the server received while step ran (MariaDB: its "Questions" and
// "Com_show_fields" counters); -1 on SQLite, which has no server.
int roundTrips(DbWidget *db, const std::function<void()> &step);
// With WARSZTAT_BENCH_EXPLAIN=1, prints the plan of a statement to stderr.
void printPlan(DbWidget *db, const QString &name, const QString &statement);
// A line "what: value" printed under the table; the last value given counts.
void note(const QString &what, const QString &value);
// Runs the registered cases (Google Benchmark flags such as
// --benchmark_filter apply) and prints the table of medians; the exit code.
int runAll(int argc, char **argv, const Shop &shop);

} // namespace Bench
