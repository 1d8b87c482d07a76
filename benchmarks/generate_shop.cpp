// Fills a database with a generated shop, for measurements and for trying the
// program out on a register of realistic size:
//
//   generate_shop CONFIG.INI N [REPAIRS]
//
// opens connection group "db_N" of the INI file (as config.ini describes
// databases), creates the schema when the database is empty and writes the
// registers (300,000 repairs unless REPAIRS says otherwise). A database that
// already holds records (clients, hardware, repairs, templates, bills, notes)
// is refused and left untouched.
#include "db/dbwidget.h"
#include "shopgenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    bool repairsOk = true;
    const int repairs = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt(&repairsOk) : 300000;
    if (argc < 3 || !repairsOk || repairs <= 0) {
        std::fprintf(stderr,
                     "usage: %s CONFIG.INI N [REPAIRS]\n"
                     "Fills database N of CONFIG.INI (group db_N) with a generated shop of REPAIRS\n"
                     "repairs (300000 by default) and the rest to scale. Only a new, empty database\n"
                     "is filled: one that already holds records (clients, hardware, repairs,\n"
                     "templates, bills, notes) is refused and left untouched.\n",
                     argv[0]);
        return 2;
    }
    QSettings ini(QString::fromLocal8Bit(argv[1]), QSettings::IniFormat);
    DbWidget db;
    if (!db.open(&ini, QString::fromLocal8Bit(argv[2]).toInt())) {
        std::fprintf(stderr, "%s\n", qPrintable(db.errorText));
        return 1;
    }
    if (db.isEmptyDatabase() && !db.createSchema()) {
        std::fprintf(stderr, "%s\n", qPrintable(db.errorText));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    ShopGenerator generator(&db);
    const bool ok = generator.fill(ShopSize::forRepairs(repairs), [&](const QString &table, int done, int total) {
        std::fprintf(stderr, "\r%-10s %9d / %d  (%.1f s)", qPrintable(table), done, total,
                     timer.elapsed() / 1000.0);
        if (done == total)
            std::fputc('\n', stderr);
    });
    if (!ok) {
        std::fprintf(stderr, "\n%s\n", qPrintable(generator.error()));
        return 1;
    }
    std::fprintf(stderr, "done in %.1f s\n", timer.elapsed() / 1000.0);
    return 0;
}
