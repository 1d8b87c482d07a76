// Start-up and memory of the program as staff meet them: the main window
// started against a config.ini up to the login page shown, then the
// administrator logged in and the repairs start page open, then the list of
// every repair scrolled to row 10,200. The settings stores are the run's own
// (a sort remembered in a user's store would change what the list costs).
//
//   QT_QPA_PLATFORM=offscreen build/benchmarks/bench_startup DIR
//
// DIR holds the config.ini to use. Time runs from the start of the process
// (as the kernel records it), memory is the resident set of the process.
#include "benchsupport.h"
#include "loginwidget.h"
#include "mainwindow.h"
#include "records/recordmodel.h"
#include "repairs/repairswidget.h"
#include "search/searchwidget.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

// Milliseconds since the kernel started this process.
double sinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat")), uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    // Fields after the command name, which may hold spaces: state is field 3,
    // starttime field 22.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double started = fields.value(22 - 3).toDouble() / double(sysconf(_SC_CLK_TCK));
    const double now = uptime.readAll().split(' ').first().toDouble();
    return (now - started) * 1000;
}

double statusMb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

// Lets the window handle its events until ready() holds; false after 30 s.
bool waitFor(const std::function<bool()> &ready)
{
    QElapsedTimer timer;
    timer.start();
    while (!ready()) {
        if (timer.elapsed() > 30000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR-WITH-CONFIG.INI\n", argv[0]);
        return 2;
    }
    Bench::usePrivateSettings();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Warsztat"));
    QApplication::setOrganizationName(QStringLiteral("Warsztat"));
    MainWindow window(&app, QString::fromLocal8Bit(argv[1]));
    window.show();
    auto *login = qobject_cast<LoginWidget *>(window.currentPage());
    if (!login || !waitFor([&] { return login->isVisible(); })) {
        std::fprintf(stderr, "the login page did not show\n");
        return 1;
    }
    const double startup = sinceProcessStart();

    auto *users = login->findChild<QComboBox *>(QStringLiteral("userBox"));
    users->setCurrentIndex(users->findText(QStringLiteral("Administrator")));
    login->findChild<QLineEdit *>(QStringLiteral("passwordEdit"))->clear();
    login->findChild<QPushButton *>(QStringLiteral("loginButton"))->click();
    if (!waitFor([&] { return qobject_cast<RepairsWidget *>(window.currentPage()) != nullptr; })) {
        std::fprintf(stderr, "the repairs start page did not open\n");
        return 1;
    }
    std::printf("| start-up to the login page: %.0f ms\n", startup);
    std::printf("| memory with the repairs start page open: %.1f MB resident, %.1f MB at the peak\n",
                statusMb("VmRSS:"), statusMb("VmHWM:"));

    // "Szukaj naprawy": every repair, scrolled as a view does, page by page.
    auto *start = qobject_cast<RepairsWidget *>(window.currentPage());
    start->findChild<QPushButton *>(QStringLiteral("searchGeneralButton"))->click();
    auto *list = start->findChild<SearchWidget *>();
    list->search();
    auto *model = qobject_cast<RecordModel *>(list->model);
    while (model->rowCount() < 10200 && model->canFetchMore())
        model->fetchMore();
    QCoreApplication::processEvents();
    std::printf("| memory after listing the repairs to row %d: %.1f MB resident, %.1f MB at the peak\n",
                model->rowCount(), statusMb("VmRSS:"), statusMb("VmHWM:"));
    return 0;
}
