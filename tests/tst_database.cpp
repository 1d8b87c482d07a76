#include "db/columnlengths.h"
#include "db/dbindexes.h"
#include "db/dbwidget.h"
#include "messageboxrecorder.h"
#include "records/repair.h"
#include "shopgenerator.h"
#include "startup.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QApplication>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QSemaphore>
#include <QThread>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>


class TestDatabaseLayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void schemaCreatesTablesAndSeeds();
    void columnsHoldWhatTheInputsWrite();
    void emptyDatabaseIsDetected();
    void failingStatementGivesNoRows();
    void textRoundTripsUnchanged();
    void likeEscapingPerEngine();
    void likeEscapingFindsTypedText();
    void likeFoldsLettersAlike_data();
    void likeFoldsLettersAlike();
    void scriptSplitting();
    void openFromIni();
    void openFromIniFailures();
    void handWrittenIni_data();
    void handWrittenIni();
    void mySqlGroupKeys_data();
    void mySqlGroupKeys();
    void sqliteFiles_data();
    void sqliteFiles();
    void columnLengthsRefused();
    void lettersRefusedByCharacterSet();
    void schemaRace_data();
    void schemaRace();
    void generatorFillsOnlyANewDatabase_data();
    void generatorFillsOnlyANewDatabase();
    void missingIndexesAreAddedAtStart();
    void withoutRightsToAddIndexesTheListsStillWork();
    void indexesWaitNotForATransactionHeldElsewhere();

private:
    std::unique_ptr<TestDatabase> m_likeRows; // shared by the rows of likeFoldsLettersAlike
};

namespace {
// Every row of a statement, its columns joined by "|".
QStringList rows(DbWidget *db, const QString &sql)
{
    QStringList list;
    QSqlQuery q = db->query(sql);
    while (q.next()) {
        QStringList columns;
        for (int c = 0; c < q.record().count(); ++c)
            columns << q.value(c).toString();
        list << columns.join('|');
    }
    return list;
}

// Names of the indexes of the program's list that the database lacks.
QStringList missingIndexes(DbWidget *db)
{
    QStringList names;
    for (const DbIndexes::Index &index : DbIndexes::missing(db))
        names << index.name;
    return names;
}

// Drops indexes of the program's list (on MariaDB a long text's virtual
// column with its index), as a database made earlier lacks them.
bool dropIndexes(TestDatabase &t, const QStringList &names)
{
    for (const DbIndexes::Index &index : DbIndexes::all(TestDatabase::engine())) {
        if (!names.contains(index.name))
            continue;
        const QString drop = !TestDatabase::isMySql() ? QStringLiteral("DROP INDEX %1").arg(index.name)
                             : index.sortedText.isEmpty()
                                 ? QStringLiteral("DROP INDEX %1 ON %2").arg(index.name, index.table)
                                 : QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(index.table, index.columns);
        if (!t.exec(drop))
            return false;
    }
    return true;
}

const QStringList Dropped = {"idx_repairs_sNum", "idx_billing_iUser", "idx_clients_sSName", "idx_repairs_sDefect"};
} // namespace

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

    // Every seed row, exactly; the registers start empty.
    const QString statuses = "SELECT iId, iStatusId, iGroup, sDescription, sColor, iOrder FROM %1 ORDER BY iId";
    QCOMPARE(rows(t.db(), statuses.arg("statusesconf")),
             QStringList({"1|0|1|Nowa naprawa|#ffffff|1", "2|1|1|Naprawa rozpoczęta|#afff9f|2",
                          "3|2|2|Zuvove zewnętrzny|#fff59f|1", "4|3|2|Oczekuje na części|#73ac5d|2",
                          "5|4|3|Naprawa niewykonana|#eb917f|1", "6|5|3|Naprawa ukończona|#6fc3e6|2"}));
    QCOMPARE(rows(t.db(), statuses.arg("hwstatusesconf")),
             QStringList({"1|1|1|W serwisie|#95ff89|1", "2|2|2|W serwisie zewnętrznym|#efc274|1",
                          "3|3|2|U klienta / usługa serwisowa|#f397d6|2", "4|4|2|Wysłany|#feffa9|3",
                          "5|5|1|Do odbioru|#fd9494|2", "6|0|3|Poza ewidencją|#d3d3d3|1",
                          "7|6|3|Odebrany|#4dd7ff|2"}));
    QCOMPARE(rows(t.db(), "SELECT iId, iTypeId, sDescription, iOrder, bVisible FROM typesconf ORDER BY iId"),
             QStringList({"1|0|Laptop|1|1", "2|1|PC|2|1", "3|11|Telefon|3|1", "4|12|Aparat / Kamera|4|1",
                          "5|13|Sprzęt audio|5|1", "6|14|Drukarka|6|1", "7|15|Konsola|7|1",
                          "8|16|CB Radio|8|1", "9|17|Monitor|9|1", "10|18|Telewizor|10|1",
                          "11|19|Nawigacja GPS|11|1", "12|2|Inny|12|1"}));
    QStringList fields = {"sField1|Producent|0", "sField2|Model|0", "sField3|Numer seryjny|0",
                          "sField4|Wyposażenie|0"};
    for (int n = 5; n <= 14; ++n)
        fields << QStringLiteral("sField%1||0").arg(n);
    fields << "iFieldDate|Data zakupu|0" << "sFieldLong|Uwagi|0";
    QCOMPARE(rows(t.db(), "SELECT sName, sValue, bRequired FROM fieldsconf ORDER BY iId"), fields);
    QCOMPARE(rows(t.db(), "SELECT iId, sUser, sPassword, iLevel, bActive FROM users"),
             QStringList({"1|Administrator||0|1"}));
    QCOMPARE(rows(t.db(), "SELECT iId, sVersion FROM version"), QStringList({"1|1.23"}));
    for (const char *table : {"repairs", "clients", "hardware", "templates", "notes", "billing",
                              "smshistory", "settings", "doctemplates", "docsources"})
        QVERIFY2(t.count(table) == 0, qPrintable(table));
}

void TestDatabaseLayer::columnsHoldWhatTheInputsWrite()
{
    TestDatabase t;
    REQUIRE_DB(t);
    // The widest texts the client forms accept, and moments after 2038.
    const QString nip = QString(50, '9');
    const QString postal = QString(50, 'K');
    const QString phone = QString(100, '5');
    const QString late = QString::number(qint64(4102444800)); // 2100-01-01
    QSqlQuery q(t.db()->database());
    QVERIFY(q.prepare("INSERT INTO clients (sFName, sSName, sCompany, sNIP, sStreet, sAddrBuild, sAddrLoc, "
                      "sCity, sPostal, sEmail, sEmail2, sPhone, sPhone2, sDescription) VALUES ('', 'Nowak', "
                      "'', :sNIP, '', '', '', '', :sPostal, '', '', :sPhone, :sPhone2, '')"));
    q.bindValue(":sNIP", nip);
    q.bindValue(":sPostal", postal);
    q.bindValue(":sPhone", phone);
    q.bindValue(":sPhone2", phone);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QCOMPARE(rows(t.db(), "SELECT sNIP, sPostal, sPhone, sPhone2 FROM clients"),
             QStringList({QStringList({nip, postal, phone, phone}).join('|')}));

    // The intake names neither sMCost, sSolution nor iProgress.
    QVERIFY2(t.exec("INSERT INTO repairs (sNum, iAddDate, iEndDate, iType, sCost, sDefect, sComment, sOuterNo, "
                    "iStatus, iClientId, iHardwareId, iSubmitterId, iTechnicanId) VALUES ('0503', " + late
                    + ", " + late + ", -1, '', 'usterka', '', '', 0, 1, 1, 1, 0)"),
             qPrintable(t.error()));
    QCOMPARE(rows(t.db(), "SELECT sNum, iAddDate, iEndDate FROM repairs"),
             QStringList({"0503|" + late + "|" + late}));
    QVERIFY2(t.exec("INSERT INTO hardware (sHName, iHType, iStoreStatus, iReceivedDate, sStoreComment, "
                    "sField1, sField2, sField3, sField4, sField5, sField6, sField7, sField8, sField9, sField10, "
                    "sField11, sField12, sField13, sField14, iFieldDate, sFieldLong, iOwner) VALUES ('Laptop', "
                    "0, 1, " + late + ", '', '', '', '', '', '', '', '', '', '', '', '', '', '', '', " + late
                    + ", '', 1)"),
             qPrintable(t.error()));
    QCOMPARE(rows(t.db(), "SELECT iReceivedDate, iFieldDate FROM hardware"), QStringList({late + "|" + late}));
}

void TestDatabaseLayer::emptyDatabaseIsDetected()
{
    TestDatabase t(false);
    REQUIRE_DB(t);
    QVERIFY(t.db()->isEmptyDatabase());
    QVERIFY(t.db()->schemaVersion.isEmpty());
    // A build that fails half-way leaves only the table there before.
    QVERIFY(t.exec("CREATE TABLE version (x INT)"));
    QVERIFY(!t.db()->createSchema());
    QCOMPARE(rows(t.db(), TestDatabase::isMySql() ? "SELECT TABLE_NAME FROM information_schema.TABLES WHERE "
                                                    "TABLE_SCHEMA = DATABASE()"
                                                  : "SELECT name FROM sqlite_master WHERE type = 'table'"),
             QStringList{"version"});
    QVERIFY(t.db()->isEmptyDatabase());
    QVERIFY(t.exec("DROP TABLE version"));
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
    QCOMPARE(DbWidget::escapeLiteral("O'Brien", DbWidget::SQLite), QStringLiteral("O''Brien"));
    QCOMPARE(DbWidget::escapeLiteral("O'Brien", DbWidget::MySQL), QStringLiteral("O''Brien"));
    QCOMPARE(DbWidget::escapeLiteral("a\\b'", DbWidget::SQLite), QStringLiteral("a\\b''"));
    QCOMPARE(DbWidget::escapeLiteral("a\\b'", DbWidget::MySQL), QStringLiteral("a\\\\b''"));
    // In a pattern MySQL takes a backslash as an escape once more.
    QCOMPARE(DbWidget::escapeLike("a\\b'%_", DbWidget::SQLite), QStringLiteral("a\\b''%_"));
    QCOMPARE(DbWidget::escapeLike("a\\b'%_", DbWidget::MySQL), QStringLiteral("a\\\\\\\\b''%_"));
    QCOMPARE(DbWidget::escapeLike("", DbWidget::MySQL), QString());
}

void TestDatabaseLayer::likeEscapingFindsTypedText()
{
    // Every stored text is found by itself and by nothing it does not hold:
    // typed text never leaves its literal, and a backslash or a quote stands
    // for itself on both engines.
    TestDatabase t;
    REQUIRE_DB(t);
    const QStringList names = {"O'Brien",   "C:\\dysk\\", "\\' OR 1=1 -- ", "Zwykły",
                               "C:\\temp",  "back\\",     "it\\'s",         "\\\\serwer"};
    for (const QString &n : names) {
        QSqlQuery q(t.db()->database());
        q.prepare("INSERT INTO clients (sSName) VALUES (:s)");
        q.bindValue(":s", n);
        QVERIFY(q.exec());
    }
    QStringList typed = names;
    typed << "\\" << "C:\\t" << "\\'" << "'" << "\\\\" << "k\\" << "' OR '1'='1";
    for (const QString &n : std::as_const(typed)) {
        const QString where = "sSName LIKE '%" + t.db()->escapeLike(n) + "%'";
        QSqlQuery q = t.db()->query("SELECT COUNT(*) FROM clients WHERE " + where);
        QVERIFY2(q.first(), qPrintable(where + ": " + q.lastError().text()));
        int holding = 0;
        for (const QString &stored : names)
            holding += stored.contains(n) ? 1 : 0;
        QVERIFY2(q.value(0).toInt() == holding, qPrintable(where));
    }
}

void TestDatabaseLayer::likeFoldsLettersAlike_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("pattern"); // '!' escapes
    QTest::addColumn<bool>("matches");

    QTest::newRow("Ł by ł") << "Łukasz" << "%łukasz%" << true;
    QTest::newRow("ł by Ł") << "łukasz" << "ŁUK%" << true;
    QTest::newRow("L is no ł") << "Lukasz" << "%łukasz%" << false;
    QTest::newRow("Ś by ś") << "Wiśniewski" << "WIŚNIEWSKI" << true;
    QTest::newRow("S is no ś") << "Wisniewski" << "%wiś%" << false;
    QTest::newRow("Ż, Ó, Ł, Ć") << "Żółć" << "żÓŁĆ" << true;
    QTest::newRow("ź is no ż") << "Źródło" << "ż%" << false;
    QTest::newRow("Ó by ó") << "ÓSEMKA" << "ó%" << true;
    QTest::newRow("O is no ó") << "Osemka" << "ó%" << false;
    QTest::newRow("ą is no a") << "ą" << "a" << false;
    QTest::newRow("any one takes a Polish letter") << "Ąę" << "_Ę" << true;
    QTest::newRow("ASCII case") << "Kowalski" << "kOWAL%" << true;
    QTest::newRow("other accents fold") << "Müller" << "MULLER" << true;
    QTest::newRow("whole text only") << "ab" << "a" << false;
    QTest::newRow("trailing blank counts") << "ab " << "ab" << false;
    QTest::newRow("empty text, any run") << "" << "%" << true;
    QTest::newRow("escaped percent") << "50% rabatu" << "50!%%" << true;
    QTest::newRow("escaped percent is no wildcard") << "500 rabatu" << "50!%%" << false;
    QTest::newRow("escaped underscore") << "a_ż" << "A!_Ż" << true;
}

void TestDatabaseLayer::likeFoldsLettersAlike()
{
    QFETCH(QString, stored);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);

    // Both engines read every letter the same way: any case, and Polish
    // letters never equal to their base letter.
    if (!m_likeRows)
        m_likeRows = std::make_unique<TestDatabase>();
    TestDatabase &t = *m_likeRows;
    REQUIRE_DB(t);
    QSqlQuery insert(t.db()->database());
    insert.prepare("INSERT INTO clients (sSName) VALUES (:s)");
    insert.bindValue(":s", stored);
    QVERIFY2(t.exec("DELETE FROM clients") && insert.exec(), qPrintable(insert.lastError().text()));
    const QString where = "sSName LIKE '" + t.db()->escapeLiteral(pattern) + "' ESCAPE '!'";
    QCOMPARE(t.scalar("SELECT COUNT(*) FROM clients WHERE " + where), QString::number(matches));
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
        // No reconnect by the driver inside a save; a strict session.
        QVERIFY(!db.database().connectOptions().contains("RECONNECT"));
        QVERIFY(!db.sslEnabled);
        QSqlQuery mode = db.query("SELECT @@SESSION.sql_mode");
        QVERIFY(mode.next() && mode.value(0).toString().contains("STRICT_ALL_TABLES"));
    }
    // A group that is not there closes what was open rather than leaving the
    // previous database in use.
    QVERIFY(!db.open(&ini, 9));
    QVERIFY(!db.isOpen());
    QVERIFY(db.schemaVersion.isEmpty());
    QVERIFY(!db.query("SELECT iId FROM users").first());
    // Encryption asked of a server without TLS: refused, nothing left open.
    if (TestDatabase::isMySql()) {
        ini.setValue("db_3/ssl", true);
        QVERIFY(!db.open(&ini, 3));
        QCOMPARE(db.errorText, "Połączenie z serwerem " + TestDatabase::serverHost()
                                   + " miało być szyfrowane (ssl w config.ini), ale serwer nie obsługuje szyfrowania.");
        QVERIFY(!db.isOpen());
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
    QVERIFY(QSqlDatabase::database(db.connectionName, false).connectOptions().endsWith(";CLIENT_SSL=1;SSL_CIPHER="));
}

// Hand-written config.ini: a value that the INI syntax would read otherwise is
// refused, naming its key, and no file is made; quoted values and what the
// program writes open the file written.
void TestDatabaseLayer::handWrittenIni_data()
{
    QTest::addColumn<QString>("lines"); // of [db_1], %1 the folder; "set:" a file the program writes
    QTest::addColumn<QString>("outcome"); // the file made in the folder, or the key refused
    QTest::newRow("backslash") << "dbfile=%1/dane\\nowe.db" << "klucz dbfile";
    QTest::newRow("backslash, quoted") << "dbfile=\"%1/dane\\nowe.db\"" << "klucz dbfile";
    QTest::newRow("backslash doubled") << "dbfile=%1/dane\\\\nowe.db" << "dane\\nowe.db";
    QTest::newRow("comma") << "dbfile=%1/dane,2024.db" << "klucz dbfile";
    QTest::newRow("comma, quoted") << "dbfile=\"%1/dane,2024.db\"" << "dane,2024.db";
    QTest::newRow("semicolon") << "dbfile=%1/a;b.db" << "klucz dbfile";
    QTest::newRow("relative, beside config.ini") << "dbfile=baza.db" << "baza.db";
    QTest::newRow("written by the program") << "set:a\\b, \"c\"; d.db" << "a\\b, \"c\"; d.db";
    QTest::newRow("description, only a name") << "description=Sklep, filia\ndbfile=%1/x.db" << "x.db";
    QTest::newRow("MySQL password") << "engine=MySQL\nhostname=127.0.0.1\nport=1\npassword=ab;cd" << "klucz password";
}

void TestDatabaseLayer::handWrittenIni()
{
    QFETCH(QString, lines);
    QFETCH(QString, outcome);
    QTemporaryDir dir;
    QFile file(dir.filePath("config.ini"));
    const bool set = lines.startsWith("set:"), refused = outcome.startsWith("klucz ");
    const QString group = lines.contains("engine=") ? lines : "engine=SQLite\n" + (set ? "" : lines);
    const QByteArray text = "[db_1]\n" + QString(group).replace("%1", dir.path()).toUtf8() + '\n';
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    QSettings ini(file.fileName(), QSettings::IniFormat);
    if (set)
        ini.setValue("db_1/dbfile", dir.filePath(lines.mid(4)));
    DbWidget db;
    QCOMPARE(db.open(&ini, 1), !refused);
    QVERIFY2(refused ? db.errorText.startsWith("W pliku " + file.fileName() + " (grupa [db_1], " + outcome + ") ")
                     : db.createSchema() && QFile::exists(dir.filePath(outcome)),
             qPrintable(db.errorText));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), refused ? 1 : 2);
}

// A server connection without a database, or with a port out of range, is
// refused naming the key, before it reaches a server.
void TestDatabaseLayer::mySqlGroupKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // null: the key is missing
    QTest::newRow("no database") << "database" << QString();
    QTest::newRow("port not a number") << "port" << "33O6";
    QTest::newRow("port beyond 65535") << "port" << QString::number(TestDatabase::serverPort() + 65536);
}

void TestDatabaseLayer::mySqlGroupKeys()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    TestDatabase t;
    REQUIRE_DB(t);
    QTemporaryDir dir;
    QSettings ini(dir.filePath("config.ini"), QSettings::IniFormat);
    // On MariaDB the test server itself: only the key is wrong.
    TestDatabase::isMySql() ? t.writeIni(&ini, 1) : TestDatabase::writeUnreachableIni(&ini, 1, "Serwer");
    value.isNull() ? ini.remove("db_1/" + key) : ini.setValue("db_1/" + key, value);
    DbWidget db;
    QVERIFY(!db.open(&ini, 1));
    QVERIFY2(db.errorText.contains("w grupie [db_1] pliku config.ini") && db.errorText.contains(" " + key + " "),
             qPrintable(db.errorText));
}

namespace {
QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

void TestDatabaseLayer::sqliteFiles_data()
{
    // The name that dbfile gives, what stands there beforehand, what is kept
    // from being written, what opening says (the error, or why nothing can be
    // written; empty: nothing) and the boxes shown.
    QTest::addColumn<QString>("dbfile");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("unwritable");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QStringList>("boxes");
    const QString noKey = "[db_1] pliku config.ini brak klucza dbfile", notOurs = "nie jest bazą danych programu (",
                  noSqlite = notOurs + "to nie jest plik bazy SQLite";
    const QStringList none, offer{"Wykryto pustą bazę danych"}, readOnly{"Baza danych tylko do odczytu"};
    QTest::newRow("no key") << QString() << "none" << "" << noKey << none;
    QTest::newRow("empty key") << "  " << "none" << "" << noKey << none;
    QTest::newRow("garbage") << "x.db" << "garbage" << "" << noSqlite << none;
    QTest::newRow("text file") << "x.txt" << "text" << "" << noSqlite << none;
    QTest::newRow("truncated") << "x.db" << "truncated" << "" << notOurs + "plik jest ucięty" << none;
    QTest::newRow("folder") << "x%2.db" << "folder" << "" << "x%2.db " + notOurs + "to folder" << none;
    QTest::newRow("another program's") << "x.db" << "foreign" << "" << "zawiera tabele innego programu" << none;
    QTest::newRow("missing folder") << "brak/x.db" << "none" << "" << "Nie można otworzyć pliku bazy danych" << none;
    QTest::newRow("new file") << "x.db" << "none" << "" << "" << offer;
    QTest::newRow("empty file") << "x.db" << "" << "" << "" << offer;
    QTest::newRow("the program's") << "x.db" << "ours" << "" << "" << none;
    // Another workstation holds the whole file beyond the wait.
    QTest::newRow("the program's, held elsewhere")
        << "x.db" << "held" << "" << "Nie można otworzyć pliku bazy danych" << none;
    QTest::newRow("read-only file") << "x.db" << "ours" << "file" << "plik" << readOnly;
    QTest::newRow("read-only folder") << "x.db" << "ours" << "folder" << "folder" << readOnly;
    // An earlier version's database lacks an index, which is not tried.
    QTest::newRow("read-only file of an earlier version") << "x.db" << "older" << "file" << "plik" << readOnly;
    // No structure is offered that could not be stored.
    QTest::newRow("empty file in a read-only folder")
        << "x.db" << "" << "folder" << "folder" << readOnly + QStringList{"Brak struktury bazy danych"};
    // A program killed halfway through a save left its journal, played back
    // at the open; one that cannot be is said as the file that cannot be
    // opened, not as one of another program.
    QTest::newRow("left mid-save") << "Serwis Łódź/baza warsztatu.db" << "hot" << "" << "" << none;
    QTest::newRow("left mid-save, read-only file") << "x.db" << "hot" << "file" << "x.db. plik" << none;
    QTest::newRow("left mid-save, read-only folder") << "x.db" << "hot" << "folder" << "x.db. folder" << none;
}

void TestDatabaseLayer::sqliteFiles()
{
    QFETCH(QString, dbfile);
    QFETCH(QString, content);
    QFETCH(QString, unwritable);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const QString path = dir.filePath(dbfile.trimmed());
    QVERIFY(content != "hot" || QDir(dir.path()).mkpath(QFileInfo(path).path()));
    QFile file(path);
    DbWidget holder;
    if (QStringList{"ours", "older", "truncated", "foreign", "held", "hot"}.contains(content)) {
        DbWidget &db = holder;
        QVERIFY(db.openSqlite(path));
        QVERIFY(content == "foreign" ? db.query("CREATE TABLE faktury (id INTEGER)").isActive() : db.createSchema());
        QVERIFY(content != "older" || db.query("DROP INDEX idx_repairs_sNum").isActive());
        QVERIFY(content == "held" ? db.query("BEGIN EXCLUSIVE").isActive() : (db.close(), true));
    }
    if (content == "hot") {
        if (fork() == 0) {
            sqlite3 *handle = nullptr;
            sqlite3_open(QFile::encodeName(path).constData(), &handle);
            // A small cache writes changed pages into the file before the end.
            sqlite3_exec(handle, "PRAGMA cache_size = 2; BEGIN; CREATE TABLE unfinished AS WITH RECURSIVE n(i) AS "
                         "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) SELECT randomblob(300) FROM n",
                         nullptr, nullptr, nullptr);
            _exit(0);
        }
        QVERIFY(wait(nullptr) > 0 && QFile::exists(path + "-journal"));
    }
    const QByteArray written = content == "garbage" ? QByteArray(4096, '\x9c')
                             : content == "text"    ? QByteArray("[db_1]\nTo jest tekst.\n")
                                                    : fileBytes(path).left(8192);
    if (content != "none" && content != "ours" && content != "older" && content != "foreign" && content != "folder"
        && content != "held" && content != "hot")
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(written) == written.size());
    file.close();
    QVERIFY(content != "folder" || QDir(dir.path()).mkdir(dbfile));
    const QByteArray before = fileBytes(path);
    QSettings ini(dir.filePath("config.ini"), QSettings::IniFormat);
    ini.setValue("db_1/engine", "SQLite");
    if (!dbfile.isNull())
        ini.setValue("db_1/dbfile", dbfile.trimmed().isEmpty() ? dbfile : path);
    DbWidget db;
    MessageBoxRecorder rec;
    const QString locked = unwritable.isEmpty() ? QString() : unwritable == "file" ? path : dir.path();
    if (!locked.isEmpty() && !setUnwritable(locked, true))
        QSKIP("this file system cannot keep a file from being written");
    auto unlock = qScopeGuard([&locked] {
        if (!locked.isEmpty())
            setUnwritable(locked, false);
    });
    const bool refused = !said.isEmpty() && (locked.isEmpty() || content == "hot");
    QCOMPARE(Startup::openDatabase(&db, &ini, 1, nullptr), !refused);
    for (QWidget *window : QApplication::topLevelWidgets())
        window->close();
    QVERIFY2((refused ? db.errorText : db.readOnlyReason).contains(said), qPrintable(db.errorText + db.readOnlyReason));
    QTEST(rec.titles(), "boxes");
    QCOMPARE(db.isOpen(), !refused);
    QVERIFY(locked.isEmpty() || refused || rec.boxes.first().text.contains(db.readOnlyReason));
    if (!locked.isEmpty() && !refused) {
        // Opened again, as after a logout: said read-only once a run.
        const qsizetype shown = rec.count();
        DbWidget again;
        QVERIFY(Startup::openDatabase(&again, &ini, 1, nullptr));
        QVERIFY(!rec.titles().mid(shown).contains("Baza danych tylko do odczytu"));
    }
    QVERIFY(content != "hot"
            || (QFile::exists(path + "-journal") == refused && (refused || !db.query("SELECT * FROM unfinished").isActive())));
    // Nothing written into what was refused or cannot be written (but the
    // journal played back into a file whose folder keeps it).
    if (refused || !locked.isEmpty())
        QVERIFY(fileBytes(path) == before || (content == "hot" && unwritable == "folder"));
    else
        QCOMPARE(db.schemaVersion, QStringLiteral("1.23"));
}

void TestDatabaseLayer::columnLengthsRefused()
{
    // Every column of the table holds its full length and refuses one more
    // character, on either engine, and the refusal names the field.
    TestDatabase t;
    REQUIRE_DB(t);
    if (TestDatabase::isMySql())
        QVERIFY(t.scalar("SELECT @@SESSION.sql_mode").contains("STRICT_ALL_TABLES"));
    QVERIFY2(t.exec({"INSERT INTO clients (sSName) VALUES ('Nowak')", "INSERT INTO hardware (sHName) VALUES ('PC')",
                     "INSERT INTO templates (sHName) VALUES ('PC')", "INSERT INTO repairs (sNum) VALUES ('1')",
                     "INSERT INTO billing (iClientId) VALUES (1)"}),
             qPrintable(t.error()));
    for (const char *table : {"clients", "hardware", "templates", "repairs", "billing"}) {
        // The bills' columns are bounded by their types, on MySQL only.
        if (!TestDatabase::isMySql() && qstrcmp(table, "billing") == 0)
            continue;
        const QSqlRecord columns = t.db()->database().record(table);
        for (int i = 0; i < columns.count(); ++i) {
            const ColumnLengths::Column *c = ColumnLengths::find(table, columns.fieldName(i));
            if (!c)
                continue;
            const QString full = c->unit == ColumnLengths::Unit::Characters ? QString(c->limit, QChar(0x017C))
                                                                             : QString(c->limit, 'a');
            QSqlQuery q(t.db()->database());
            q.prepare(QStringLiteral("UPDATE %1 SET %2 = :v").arg(table, c->column));
            q.bindValue(":v", full);
            QVERIFY2(q.exec(), qPrintable(QStringLiteral("%1.%2: %3").arg(table, c->column, q.lastError().text())));
            q.bindValue(":v", full + QLatin1Char('x'));
            QVERIFY2(!q.exec(), qPrintable(QStringLiteral("%1.%2").arg(table, c->column)));
            QVERIFY2(ColumnLengths::refusal(q.lastError()).contains(QStringLiteral("„%1”").arg(ColumnLengths::label(*c))),
                     qPrintable(q.lastError().text()));
            QCOMPARE(t.scalar(QStringLiteral("SELECT %1 FROM %2").arg(c->column, table)), full);
        }
    }
    // Nothing else is taken for a value too long.
    QVERIFY(ColumnLengths::refusal(t.db()->query("SELECT nothing FROM nowhere").lastError()).isEmpty());
}

void TestDatabaseLayer::lettersRefusedByCharacterSet()
{
    // A letter that a database made in another character set refuses (latin1
    // takes no "ł") does not make a short name "too long".
    TestDatabase t;
    REQUIRE_DB(t);
    if (!TestDatabase::isMySql())
        QSKIP("SQLite takes every letter");
    QSqlQuery q(t.db()->database());
    QVERIFY2(t.exec("ALTER TABLE clients CONVERT TO CHARACTER SET latin1"), qPrintable(t.error()));
    QVERIFY(!q.exec(QStringLiteral("INSERT INTO clients (sSName) VALUES ('Łukasz')")));
    QCOMPARE(ColumnLengths::refusal(q.lastError()), QString());
}

void TestDatabaseLayer::schemaRace_data()
{
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("one after the other") << false;
    QTest::newRow("at once") << true;
}

void TestDatabaseLayer::schemaRace()
{
    // Two workstations, each a thread with its own connection, both found the
    // database empty and were told to create the structure: the second finds
    // it made and goes on.
    QFETCH(bool, atOnce);
    TestDatabase t(false);
    REQUIRE_DB(t);
    bool created[2] = {false, false};
    QString errors[2];
    QSemaphore checked, go[2];
    const auto workstation = [&](int n) {
        std::unique_ptr<DbWidget> db = t.openAnother();
        const bool empty = db->isEmptyDatabase();
        checked.release();
        go[n].acquire();
        created[n] = empty && db->createSchema();
        errors[n] = db->errorText;
    };
    std::unique_ptr<QThread> first(QThread::create(workstation, 0)), second(QThread::create(workstation, 1));
    first->start();
    second->start();
    checked.acquire(2);
    go[0].release();
    QVERIFY(atOnce || first->wait());
    go[1].release();
    QVERIFY(first->wait() && second->wait());
    QVERIFY2(created[0] && created[1], qPrintable(errors[0] + " / " + errors[1]));
    // Every seed row once.
    QCOMPARE(t.count("users"), 1);
    QCOMPARE(t.count("version"), 1);
    QCOMPARE(t.count("statusesconf"), 6);
    QCOMPARE(t.count("fieldsconf"), 16);
}

void TestDatabaseLayer::generatorFillsOnlyANewDatabase_data()
{
    QTest::addColumn<QString>("kept");
    for (const QString &table : ShopGenerator::recordTables())
        QTest::newRow(qPrintable(table)) << table;
}

void TestDatabaseLayer::generatorFillsOnlyANewDatabase()
{
    QFETCH(QString, kept);
    TestDatabase t;
    REQUIRE_DB(t);
    // The rows of every register and of users, "table count" each.
    const auto counts = [&t] {
        QStringList list;
        for (const QString &table : ShopGenerator::recordTables() + QStringList{QStringLiteral("users")})
            list << table + QLatin1Char(' ') + QString::number(t.count(table));
        return list;
    };
    // A new database holds its seed rows (users, statuses): it is filled,
    // templates too.
    ShopGenerator generator(t.db());
    QVERIFY2(generator.fill(ShopSize::forRepairs(30)), qPrintable(generator.error()));
    QVERIFY(t.count(QStringLiteral("templates")) > 0);
    // Rows left in any one register: refused, saying which, nothing written.
    for (const QString &table : ShopGenerator::recordTables()) {
        if (table != kept)
            QVERIFY(t.exec(QStringLiteral("DELETE FROM ") + table));
    }
    const QStringList before = counts();
    QVERIFY(!generator.fill(ShopSize::forRepairs(30)));
    QVERIFY2(generator.error().contains(QStringLiteral("zawiera już rekordy (tabela %1)").arg(kept)),
             qPrintable(generator.error()));
    QCOMPARE(counts(), before);
}

void TestDatabaseLayer::missingIndexesAreAddedAtStart()
{
    TestDatabase t;
    REQUIRE_DB(t);
    // A new database has every index the program knows of, and no other:
    // one made earlier gets them all back.
    QCOMPARE(missingIndexes(t.db()), QStringList());
    QStringList known;
    for (const DbIndexes::Index &index : DbIndexes::all(TestDatabase::engine()))
        known << index.name;
    QStringList made = rows(t.db(), TestDatabase::isMySql()
                                        ? "SELECT DISTINCT INDEX_NAME FROM information_schema.STATISTICS WHERE "
                                          "TABLE_SCHEMA = DATABASE() AND INDEX_NAME <> 'PRIMARY'"
                                        : "SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL");
    known.sort();
    made.sort();
    QCOMPARE(made, known);
    QVERIFY2(t.exec({"INSERT INTO clients (iId, sSName, sFName) VALUES (1, 'Nowak', 'Jan')",
                     "INSERT INTO repairs (iId, sNum, iClientId, sDefect) VALUES (1, '7/2026', 1, 'Nie działa')"}),
             qPrintable(t.error()));
    const QStringList before = rows(t.db(), "SELECT * FROM repairs") + rows(t.db(), "SELECT * FROM clients");
    QVERIFY2(dropIndexes(t, Dropped), qPrintable(t.error()));
    QCOMPARE(missingIndexes(t.db()), QStringList({"idx_repairs_sNum", "idx_repairs_sDefect", "idx_billing_iUser",
                                                  "idx_clients_sSName"}));

    MessageBoxRecorder boxes;
    Startup::checkDatabase(t.db());
    QCOMPARE(boxes.titles(), QStringList());
    QCOMPARE(missingIndexes(t.db()), QStringList());
    QCOMPARE(rows(t.db(), "SELECT * FROM repairs") + rows(t.db(), "SELECT * FROM clients"), before);
    // Added meanwhile by another workstation starting at the same time: no error.
    for (const DbIndexes::Index &index : DbIndexes::all(TestDatabase::engine())) {
        if (Dropped.contains(index.name))
            QVERIFY2(t.exec(DbIndexes::createStatements(index, TestDatabase::engine())), qPrintable(t.error()));
    }
    // A table that cannot take an index online or at all: its error, no
    // advice on rights, and the other tables get theirs.
    const bool mySql = TestDatabase::isMySql();
    QVERIFY2(dropIndexes(t, Dropped) && t.exec(mySql ? "ALTER TABLE repairs ENGINE=MyISAM" : "DROP TABLE notes"),
             qPrintable(t.error()));
    Startup::checkDatabase(t.db());
    QCOMPARE(boxes.count(), 1);
    QVERIFY2(boxes.last().text.contains(mySql ? "ALGORITHM=INPLACE" : "notes")
                 && !boxes.last().text.contains("(ALTER, INDEX)"),
             qPrintable(boxes.last().text));
    QCOMPARE(missingIndexes(t.db()), mySql ? QStringList({"idx_repairs_sNum", "idx_repairs_sDefect"})
                                           : QStringList({"idx_notes_iRepairId", "idx_notes_iAddDate"}));
}

void TestDatabaseLayer::withoutRightsToAddIndexesTheListsStillWork()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.exec({"INSERT INTO clients (iId, sSName) VALUES (1, 'Nowak')",
                     "INSERT INTO hardware (iId, sHName) VALUES (1, 'Laptop')",
                     "INSERT INTO repairs (iId, sNum, sDefect, iClientId, iHardwareId) VALUES "
                     "(1, 'B', 'b', 1, 1), (2, 'A', 'a', 1, 1)"}),
             qPrintable(t.error()));
    QVERIFY2(dropIndexes(t, Dropped), qPrintable(t.error()));

    // A user who may read and write rows but not change the structure: on
    // MariaDB by its privileges, on SQLite a file opened read-only.
    DbWidget limited;
    const QString user = QStringLiteral("ro_%1").arg(QCoreApplication::applicationPid());
    const QString database = t.db()->database().databaseName();
    if (TestDatabase::isMySql()) {
        QVERIFY2(t.exec({QStringLiteral("CREATE USER '%1'@'127.0.0.1' IDENTIFIED BY 'ro'").arg(user),
                         QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1.* TO '%2'@'127.0.0.1'")
                             .arg(database, user)}),
                 qPrintable(t.error()));
        QVERIFY2(limited.openMySql(database, TestDatabase::serverHost(), user, "ro", TestDatabase::serverPort(), false),
                 qPrintable(limited.errorText));
    } else {
        QVERIFY2(limited.openSqlite(database), qPrintable(limited.errorText));
        QSqlDatabase connection = limited.database();
        connection.close();
        connection.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QVERIFY(connection.open());
    }

    MessageBoxRecorder boxes;
    Startup::checkDatabase(&limited);
    Startup::checkDatabase(&limited); // as after a logout: said once
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().icon, QMessageBox::Warning);
    QVERIFY2(boxes.last().text.contains(QStringLiteral("wolno")), qPrintable(boxes.last().text));
    QCOMPARE(boxes.last().text.contains("(ALTER, INDEX)"), TestDatabase::isMySql()); // SQLite has no rights
    QCOMPARE(missingIndexes(&limited).size(), Dropped.size());

    // The lists work, sorted by columns without their indexes as well.
    for (const char *column : {"sNum", "sDefect"}) {
        Repair repairs(nullptr, &limited);
        repairs.setSort(repairs.fieldIndex(column), Qt::AscendingOrder);
        QVERIFY2(repairs.select(), column);
        QCOMPARE(repairs.rowCount(), 2);
        QCOMPARE(repairs.data(repairs.index(0, 0), Qt::EditRole).toInt(), 2);
    }
    limited.close();
    if (TestDatabase::isMySql())
        QVERIFY2(t.exec(QStringLiteral("DROP USER '%1'@'127.0.0.1'").arg(user)), qPrintable(t.error()));
}

void TestDatabaseLayer::indexesWaitNotForATransactionHeldElsewhere()
{
    // A transaction held elsewhere over the repairs (a backup): the index
    // waits a moment only and says why.
    TestDatabase t;
    REQUIRE_DB(t);
    if (!TestDatabase::isMySql())
        QSKIP("SQLite adds an index in a transaction of its own");
    const std::unique_ptr<DbWidget> other = t.openAnother();
    QVERIFY(dropIndexes(t, Dropped) && other->beginTransaction() && other->query("SELECT 1 FROM repairs").isActive());
    MessageBoxRecorder boxes;
    Startup::checkDatabase(t.db());
    QVERIFY2(boxes.count() == 1 && boxes.last().text.contains("Lock wait timeout"), qPrintable(boxes.last().text));
    QCOMPARE(t.scalar("SELECT @@SESSION.lock_wait_timeout"), t.scalar("SELECT @@GLOBAL.lock_wait_timeout"));
}

WARSZTAT_TEST_MAIN(TestDatabaseLayer)
#include "tst_database.moc"
