#include "db/dbwidget.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QApplication>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

class TestDatabaseLayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void schemaCreatesTablesAndSeeds();
    void emptyDatabaseIsDetected();
    void failingStatementGivesNoRows();
    void textRoundTripsUnchanged();
    void likeEscapingPerEngine();
    void likeEscapingFindsTypedText();
    void scriptSplitting();
    void openFromIni();
    void openFromIniFailures();
};

void TestDatabaseLayer::schemaCreatesTablesAndSeeds()
{
    TestDatabase t;
    REQUIRE_DB(t);
    const QStringList tables = {"repairs", "clients", "hardware", "templates", "notes",
                                "billing", "smshistory", "settings", "fieldsconf", "typesconf",
                                "statusesconf", "hwstatusesconf", "doctemplates", "docsources",
                                "users", "version"};
    for (const QString &table : tables) {
        QSqlQuery q = t.db()->query("SELECT iId FROM " + table + " LIMIT 1");
        QVERIFY2(q.isActive(), qPrintable(table + ": " + q.lastError().text()));
    }
    QVERIFY(!t.db()->isEmptyDatabase());
    QCOMPARE(t.db()->schemaVersion, QStringLiteral("1.23"));
    QCOMPARE(t.count("users"), 1);
    QCOMPARE(t.scalar("SELECT sUser FROM users WHERE iId = 1"), QStringLiteral("Administrator"));
    QCOMPARE(t.scalar("SELECT iLevel FROM users WHERE iId = 1").toInt(), 0);
    QCOMPARE(t.scalar("SELECT bActive FROM users WHERE iId = 1").toInt(), 1);
    QVERIFY(t.scalar("SELECT sPassword FROM users WHERE iId = 1").isEmpty());
    QCOMPARE(t.count("typesconf"), 12);
    QCOMPARE(t.count("statusesconf") + t.count("hwstatusesconf"), 13);
    QCOMPARE(t.count("fieldsconf"), 16);
    QCOMPARE(t.scalar("SELECT sValue FROM fieldsconf WHERE sName = 'sField4'"),
             QStringLiteral("Wyposażenie"));
    QCOMPARE(t.scalar("SELECT sValue FROM fieldsconf WHERE sName = 'iFieldDate'"),
             QStringLiteral("Data zakupu"));
    QCOMPARE(t.scalar("SELECT sValue FROM fieldsconf WHERE sName = 'sFieldLong'"),
             QStringLiteral("Uwagi"));
    QCOMPARE(t.count("fieldsconf", "sValue = ''"), 10);
    QCOMPARE(t.count("fieldsconf", "bRequired <> 0"), 0);
    QCOMPARE(t.count("repairs"), 0);
}

void TestDatabaseLayer::emptyDatabaseIsDetected()
{
    TestDatabase t(false);
    REQUIRE_DB(t);
    QVERIFY(t.db()->isEmptyDatabase());
    QVERIFY(t.db()->schemaVersion.isEmpty());
    QVERIFY(t.db()->createSchema());
    QVERIFY(!t.db()->isEmptyDatabase());
    // Only one of the two tables readable still counts as empty.
    QVERIFY(t.exec("DROP TABLE users"));
    QVERIFY(t.db()->isEmptyDatabase());
}

void TestDatabaseLayer::failingStatementGivesNoRows()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QSqlQuery q = t.db()->query("SELECT nothing FROM nowhere");
    QVERIFY(!q.first());
    QVERIFY(!q.next());
    QVERIFY(q.lastError().isValid());
    QSqlQuery ok = t.db()->query("SELECT sUser FROM users");
    QVERIFY(!ok.lastError().isValid());
    QVERIFY(ok.first());
}

void TestDatabaseLayer::textRoundTripsUnchanged()
{
    TestDatabase t;
    REQUIRE_DB(t);
    const QString text = QStringLiteral("Żółć O'Brien C:\\dysk\\ \"cytat\" 0503");
    QSqlQuery q(t.db()->database());
    QVERIFY(q.prepare("INSERT INTO clients (sFName, sSName, sPhone) VALUES (:sFName, :sSName, :sPhone)"));
    q.bindValue(":sFName", text);
    q.bindValue(":sSName", QStringLiteral("Łukasz"));
    q.bindValue(":sPhone", QStringLiteral("0503"));
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QCOMPARE(t.scalar("SELECT sFName FROM clients"), text);
    QCOMPARE(t.scalar("SELECT sPhone FROM clients"), QStringLiteral("0503"));
}

void TestDatabaseLayer::likeEscapingPerEngine()
{
    QCOMPARE(DbWidget::escapeLike("O'Brien", DbWidget::SQLite), QStringLiteral("O''Brien"));
    QCOMPARE(DbWidget::escapeLike("O'Brien", DbWidget::MySQL), QStringLiteral("O''Brien"));
    QCOMPARE(DbWidget::escapeLike("a\\b'", DbWidget::SQLite), QStringLiteral("a\\b''"));
    QCOMPARE(DbWidget::escapeLike("a\\b'", DbWidget::MySQL), QStringLiteral("a\\\\b''"));
    QCOMPARE(DbWidget::escapeLike("", DbWidget::MySQL), QString());
}

void TestDatabaseLayer::likeEscapingFindsTypedText()
{
    // Typed text that would end or break the literal stays inside it, on the
    // engine under test.
    TestDatabase t;
    REQUIRE_DB(t);
    const QStringList names = {"O'Brien", "C:\\dysk\\", "\\' OR 1=1 -- ", "Zwykły"};
    for (const QString &n : names) {
        QSqlQuery q(t.db()->database());
        q.prepare("INSERT INTO clients (sSName) VALUES (:s)");
        q.bindValue(":s", n);
        QVERIFY(q.exec());
    }
    for (const QString &n : names) {
        const QString where = "sSName LIKE '%" + t.db()->escapeLike(n) + "%'";
        QSqlQuery q = t.db()->query("SELECT COUNT(*) FROM clients WHERE " + where);
        QVERIFY2(q.first(), qPrintable(where + ": " + q.lastError().text()));
        // MySQL reads a backslash in a LIKE pattern as an escape, so a pattern
        // with one may miss; it must never break out of the literal.
        if (!n.contains('\\'))
            QVERIFY2(q.value(0).toInt() >= 1, qPrintable(where));
        QVERIFY2(q.value(0).toInt() < names.size(), qPrintable(where));
    }
}

void TestDatabaseLayer::scriptSplitting()
{
    const QString script = "-- comment\nCREATE TABLE a (\n  iId INTEGER PRIMARY KEY\n);\n\n"
                           "INSERT INTO a VALUES (1);\n-- another\nINSERT INTO b VALUES ('x;y')";
    const QStringList s = DbWidget::splitScript(script);
    QCOMPARE(s.size(), 3);
    QCOMPARE(s.at(0), QStringLiteral("CREATE TABLE a (\n  iId INTEGER PRIMARY KEY\n)"));
    QCOMPARE(s.at(1), QStringLiteral("INSERT INTO a VALUES (1)"));
    QCOMPARE(s.at(2), QStringLiteral("INSERT INTO b VALUES ('x;y')"));
}

void TestDatabaseLayer::openFromIni()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QTemporaryDir dir;
    QSettings ini(dir.filePath("config.ini"), QSettings::IniFormat);
    t.writeIni(&ini, 3, QStringLiteral("Warsztat główny"));
    DbWidget db;
    QVERIFY2(db.open(&ini, 3), qPrintable(db.errorText));
    QCOMPARE(db.description, QStringLiteral("Warsztat główny"));
    QCOMPARE(db.dbType, TestDatabase::engine());
    QCOMPARE(db.schemaVersion, QStringLiteral("1.23"));
    QCOMPARE(db.programVersion, QStringLiteral("1.23"));
    QVERIFY(db.query("SELECT iId FROM users").first());
    if (TestDatabase::isMySql()) {
        QCOMPARE(db.database().connectOptions(), QStringLiteral("MYSQL_OPT_RECONNECT=1"));
        QVERIFY(!db.sslEnabled);
    }
}

void TestDatabaseLayer::openFromIniFailures()
{
    QTemporaryDir dir;
    QSettings ini(dir.filePath("config.ini"), QSettings::IniFormat);
    DbWidget db;
    QVERIFY(!db.open(&ini, 1)); // no such group
    QVERIFY(!db.errorText.isEmpty());
    ini.setValue("db_1/engine", "Oracle");
    QVERIFY(!db.open(&ini, 1));
    ini.setValue("db_2/engine", "MySQL");
    ini.setValue("db_2/hostname", "127.0.0.1");
    ini.setValue("db_2/port", 1); // nothing listens there
    ini.setValue("db_2/database", "x");
    ini.setValue("db_2/ssl", true);
    QVERIFY(!db.open(&ini, 2));
    QVERIFY(!db.errorText.isEmpty());
    QVERIFY(db.sslEnabled);
    QCOMPARE(QSqlDatabase::database(db.connectionName, false).connectOptions(),
             QStringLiteral("MYSQL_OPT_RECONNECT=1;CLIENT_SSL=1"));
}

WARSZTAT_TEST_MAIN(TestDatabaseLayer)
#include "tst_database.moc"
