#pragma once

#include <QString>
#include <functional>

class DbWidget;

// Fills a freshly created database of either engine with a busy shop's
// registers: clients with Polish names and addresses, their devices, repairs
// spread over ten years and every status, notes, bills and hardware
// templates. The same sizes and seed always give the same rows. A database
// that already holds records (beyond the rows every new database starts
// with: users, statuses, settings) is refused and left as it is.
struct ShopSize
{
    int clients = 100000;
    int hardware = 150000;
    int repairs = 300000;
    int notes = 1500000;
    int bills = 100000;
    int templates = 500;

    // The shop scaled so that it holds the given number of repairs.
    static ShopSize forRepairs(int repairs);
};

class ShopGenerator
{
public:
    // Progress: the table being filled, rows written so far, rows in all.
    using Progress = std::function<void(const QString &table, int done, int total)>;

    explicit ShopGenerator(DbWidget *db, quint32 seed = 20261207);

    // Writes every register; false with error() set when the database holds
    // records already or a statement fails.
    bool fill(const ShopSize &size, const Progress &progress = {});
    QString error() const { return m_error; }

    // The moment the generated history ends: "now" of the shop.
    static qint64 endOfHistory();

    // The registers that count as records: a database holding a row in any
    // of them is not filled.
    static const QStringList &recordTables();

private:
    // The first register that holds a row, or an empty text.
    QString firstFilledTable();
    // Inserts `count` rows of `columns` into `table` in prepared multi-row
    // statements, one transaction per 20,000 rows; row(i, values) appends the
    // values of row i.
    bool insertRows(const QString &table, const QStringList &columns, int count,
                    const std::function<void(int, QVariantList &)> &row, const Progress &progress);

    DbWidget *m_db;
    quint32 m_seed;
    QString m_error;
};
