// Failures a shop meets in daily work: two workstations writing at once, a
// workstation killed half-way through a deletion, a database server that
// restarts under a running program. Child processes are this same program,
// started with a --child-* command.
#include "dictionaries/numberingconfig.h"
#include "messagebox.h"
#include "popupmenu.h"
#include "repairs/newrepairwidget.h"
#include "searchfixture.h"
#include "testdatabase.h"
#include "testmain.h"
#include "userwidget.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

using namespace SearchRows;

namespace {

// A child opens the test's database through an INI file, as the program does.
bool openFromIni(DbWidget &db, const QString &iniPath)
{
    QSettings ini(iniPath, QSettings::IniFormat);
    return db.open(&ini, 1);
}

// The intake's widget of the given name and type.
template<typename W> W *field(NewRepairWidget &intake, const char *name)
{
    W *found = intake.findChild<W *>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

// Takes in `count` repairs, each with its own new client and device, through
// the intake as staff fill and save it, logged in as `userName`. Returns the
// number of intakes that were not stored.
int childWriter(const QString &iniPath, int count, int userId, const QString &userName)
{
    DbWidget db;
    if (!openFromIni(db, iniPath))
        return count;
    int failures = 0;
    MessageBox::setHandler([&](QMessageBox::Icon, const QString &title, const QString &text,
                               QMessageBox::StandardButtons) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return QMessageBox::Ok;
    });
    PopupMenu::setHandler([](QMenu *, const QPoint &) -> QAction * { return nullptr; });
    UserWidget user(userId, userName, 0);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("%1-%2").arg(NumberingConfig::initials(userName)).arg(i);
        NewRepairWidget intake(nullptr, &db, &user, nullptr);
        intake.opened();
        QSignalSpy stored(&intake, &NewRepairWidget::repairAdded);
        field<QLineEdit>(intake, "sSName")->setText(name);
        field<QLineEdit>(intake, "sPhone")->setText(QStringLiteral("600100200"));
        field<QPushButton>(intake, "toHardwarePageButton1")->click();
        field<QLineEdit>(intake, "sHName")->setText(name);
        field<QComboBox>(intake, "iHType")->setCurrentIndex(1);
        field<QComboBox>(intake, "iStoreStatus")->setCurrentIndex(1);
        field<QPushButton>(intake, "toRepairPageButton")->click();
        field<QPlainTextEdit>(intake, "sRepairDescription")->setPlainText(name);
        field<QPushButton>(intake, "addNewRepairButton")->click();
        if (stored.count() != 1) {
            ++failures;
            std::fprintf(stderr, "intake %s was not stored\n", qPrintable(name));
        }
    }
    return failures;
}

// Deletes a client through the search page, as staff do; says "start" first.
int childDelete(const QString &iniPath, int clientId)
{
    DbWidget db;
    if (!openFromIni(db, iniPath))
        return 1;
    MessageBox::setHandler([](QMessageBox::Icon, const QString &, const QString &,
                              QMessageBox::StandardButtons) { return QMessageBox::Ok; });
    UserWidget admin(1, QStringLiteral("Administrator"), 0);
    SearchWidget page(nullptr, &db, &admin, nullptr, SearchWidget::ClientsVariant, false);
    page.selectedId = clientId;
    std::printf("start\n");
    std::fflush(stdout);
    QMetaObject::invokeMethod(&page, "deleteSelected");
    return 0;
}

} // namespace

class TestReliability : public QObject
{
    Q_OBJECT
public:
    static QString program;

private:
    QString writeIni(TestDatabase &t, QTemporaryDir &dir)
    {
        const QString path = dir.filePath(QStringLiteral("config.ini"));
        QSettings ini(path, QSettings::IniFormat);
        t.writeIni(&ini, 1);
        ini.sync();
        return path;
    }

private slots:
    void twoWorkstationsTakeInRepairsAtOnce()
    {
        TestDatabase t;
        REQUIRE_DB(t);
        const QString scheme = QStringLiteral("{DAY2}{MONTH2}/{INITIALS}");
        QVERIFY(t.addUser(2, QStringLiteral("Anna Adamska"), QString(), 1));
        QVERIFY(t.addUser(3, QStringLiteral("Łucja Żak"), QString(), 1));
        QVERIFY(t.exec(QStringLiteral("INSERT INTO settings (sGroup, sKey, sValue) "
                                      "VALUES ('db', 'numbering', '%1')").arg(scheme)));
        QTemporaryDir dir;
        const QString ini = writeIni(t, dir);
        const int each = 500;
        QProcess a, b;
        for (QProcess *p : {&a, &b})
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        a.start(program, {QStringLiteral("--child-writer"), ini, QString::number(each),
                          QStringLiteral("2"), QStringLiteral("Anna Adamska")});
        b.start(program, {QStringLiteral("--child-writer"), ini, QString::number(each),
                          QStringLiteral("3"), QStringLiteral("Łucja Żak")});
        QVERIFY(a.waitForFinished(280000) && b.waitForFinished(280000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);

        for (const QString &table : {QStringLiteral("clients"), QStringLiteral("hardware"),
                                     QStringLiteral("repairs")}) {
            QCOMPARE(t.count(table), 2 * each);
            QCOMPARE(t.scalar(QStringLiteral("SELECT COUNT(DISTINCT iId) FROM %1").arg(table)).toInt(),
                     2 * each);
        }
        // Every repair points at the client and device taken in with it, and
        // each name was taken in once.
        QCOMPARE(t.scalar(QStringLiteral(
                     "SELECT COUNT(DISTINCT repairs.sDefect) FROM repairs "
                     "JOIN clients ON clients.iId = repairs.iClientId "
                     "JOIN hardware ON hardware.iId = repairs.iHardwareId "
                     "WHERE clients.sSName = repairs.sDefect AND hardware.sHName = repairs.sDefect "
                     "AND hardware.iOwner = clients.iId")).toInt(),
                 2 * each);
        // The number is the scheme's for the intake's date and its user.
        UserWidget anna(2, QStringLiteral("Anna Adamska"), 1), lucja(3, QStringLiteral("Łucja Żak"), 1);
        QSqlQuery q = t.db()->query(QStringLiteral("SELECT sNum, iAddDate, iSubmitterId, sDefect FROM repairs"));
        int checked = 0;
        while (q.next()) {
            UserWidget *user = q.value(2).toInt() == 2 ? &anna : &lucja;
            QVERIFY2(q.value(3).toString().startsWith(NumberingConfig::initials(user->name) + '-'),
                     qPrintable(q.value(3).toString()));
            QCOMPARE(q.value(0).toString(),
                     NumberingConfig::generateNumbering(
                         nullptr, user, QDateTime::fromSecsSinceEpoch(q.value(1).toLongLong()), scheme));
            ++checked;
        }
        QCOMPARE(checked, 2 * each);
    }

    void killedDeletionLeavesAllOrNothing_data()
    {
        QTest::addColumn<int>("delayMs");
        for (int delay : {0, 3, 10, 30, 80})
            QTest::addRow("%d ms", delay) << delay;
    }

    void killedDeletionLeavesAllOrNothing()
    {
        QFETCH(int, delayMs);
        TestDatabase t;
        REQUIRE_DB(t);
        QTemporaryDir dir;
        const QString ini = writeIni(t, dir);

        // One client with 4 devices, 200 repairs and 40,000 notes: enough for
        // the deletion to take a while.
        QStringList hw, repairs;
        for (int i = 0; i < 4; ++i)
            hw << hardware(10 + i, QStringLiteral("Laptop"), 1);
        for (int i = 0; i < 200; ++i)
            repairs << repair(100 + i, 1, 10 + i % 4);
        QVERIFY(insert(t, ClientsInsert, {client(1, QStringLiteral("Nowak"))}));
        QVERIFY(insert(t, HardwareInsert, hw));
        QVERIFY(insert(t, RepairsInsert, repairs));
        const QString seq = QStringLiteral(
            "WITH RECURSIVE seq(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM seq WHERE n < 199)");
        const QString notes = QStringLiteral(
            "INSERT INTO notes (iRepairId, iAddDate, iSeverity, sNote, iUserId) ");
        const QString select = QStringLiteral(" SELECT 100 + a.n, 0, 1, 'notatka', 1 FROM seq a, seq b");
        QVERIFY2(t.exec(TestDatabase::isMySql() ? notes + seq + select : seq + notes + select),
                 qPrintable(t.error()));
        QCOMPARE(t.count(QStringLiteral("notes")), 40000);

        QProcess child;
        child.start(program, {QStringLiteral("--child-delete"), ini, QStringLiteral("1")});
        QVERIFY(child.waitForReadyRead(30000));
        QVERIFY(child.readLine().startsWith("start"));
        QTest::qWait(delayMs);
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            QVERIFY(child.waitForFinished(30000));
        }

        // A fresh connection sees the deletion whole or not at all.
        auto fresh = t.openAnother();
        auto count = [&](const QString &table) {
            QSqlQuery q = fresh->query(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
            return q.next() ? q.value(0).toInt() : -1;
        };
        const QList<int> counts{count(QStringLiteral("clients")), count(QStringLiteral("hardware")),
                                count(QStringLiteral("repairs")), count(QStringLiteral("notes"))};
        const QList<int> all{1, 4, 200, 40000};
        const QList<int> none{0, 0, 0, 0};
        qInfo("%s", counts == all ? "killed before the commit" : "deleted whole");
        QVERIFY2(counts == all || counts == none,
                 qPrintable(QStringLiteral("clients, hardware, repairs, notes left: %1, %2, %3, %4")
                                .arg(counts[0]).arg(counts[1]).arg(counts[2]).arg(counts[3])));
    }

    void searchWorksAfterServerRestart()
    {
        if (!TestDatabase::isMySql())
            QSKIP("a server restart concerns MariaDB only");
        // A server of this test alone: the shared one serves other tests.
        const QString script = QStringLiteral(WARSZTAT_SOURCE_DIR "/scripts/mariadb-test-server");
        QTemporaryDir dir;
        const QString serverDir = dir.filePath(QStringLiteral("server"));
        QProcess start;
        start.start(QStringLiteral("bash"), {script, QStringLiteral("start"), serverDir});
        QVERIFY(start.waitForFinished(120000));
        QVERIFY2(start.exitCode() == 0, start.readAllStandardError().constData());
        const QString out = QString::fromUtf8(start.readAllStandardOutput());
        const int port = QRegularExpression(QStringLiteral("MYSQL_PORT=(\\d+)"))
                             .match(out).captured(1).toInt();
        auto stop = qScopeGuard([&] {
            QProcess::execute(QStringLiteral("bash"), {script, QStringLiteral("stop"), serverDir});
        });

        DbWidget db;
        QVERIFY2(db.openMySql(QStringLiteral("mysql"), QStringLiteral("127.0.0.1"),
                              QStringLiteral("warsztat"), QStringLiteral("warsztat"), port, false),
                 qPrintable(db.errorText));
        QVERIFY(db.query(QStringLiteral("CREATE DATABASE shop CHARACTER SET utf8mb4")).isActive());
        // A new connection opens the database it was given.
        QVERIFY2(db.openMySql(QStringLiteral("shop"), QStringLiteral("127.0.0.1"),
                              QStringLiteral("warsztat"), QStringLiteral("warsztat"), port, false),
                 qPrintable(db.errorText));
        QVERIFY2(db.createSchema(), qPrintable(db.errorText));
        QVERIFY(db.query(ClientsInsert + client(1, QStringLiteral("Żółć"))).isActive());

        UserWidget admin(1, QStringLiteral("Administrator"), 0);
        SearchWidget page(nullptr, &db, &admin, nullptr, SearchWidget::ClientsVariant, false);
        page.sSName->setText(QStringLiteral("Żół"));
        page.search();
        QCOMPARE(page.model->rowCount(), 1);

        QProcess restart;
        restart.start(QStringLiteral("bash"), {script, QStringLiteral("restart"), serverDir});
        QVERIFY(restart.waitForFinished(120000));
        QVERIFY2(restart.exitCode() == 0, restart.readAllStandardError().constData());

        page.search();
        QCOMPARE(page.model->rowCount(), 1);
        QCOMPARE(page.model->index(0, page.model->fieldIndex(QStringLiteral("sSName"))).data()
                     .toString(), QStringLiteral("Żółć"));
    }
};

QString TestReliability::program;

int main(int argc, char *argv[])
{
    prepareTestEnvironment();
    QApplication app(argc, argv);
    prepareTestApplication();
    if (argc >= 6 && std::strcmp(argv[1], "--child-writer") == 0)
        return childWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]).toInt(),
                           QString::fromLocal8Bit(argv[4]).toInt(), QString::fromLocal8Bit(argv[5]));
    if (argc >= 4 && std::strcmp(argv[1], "--child-delete") == 0)
        return childDelete(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]).toInt());
    TestReliability::program = QCoreApplication::applicationFilePath();
    TestReliability tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_reliability.moc"
