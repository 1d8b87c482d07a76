#pragma once

#include "db/dbwidget.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class QSettings;

// A fresh database on the engine that ctest asks for (WARSZTAT_TEST_ENGINE:
// "sqlite" a temporary file, "mariadb" a new database on the private server
// that scripts/test started). It is dropped when the object goes.
class TestDatabase
{
public:
    // withSchema: create every table and seed row.
    explicit TestDatabase(bool withSchema = true);
    ~TestDatabase();

    static bool isMySql();
    static DbWidget::DbType engine();

    bool ok() const { return m_ok; }
    QString error() const { return m_error; }
    DbWidget *db() const { return m_db.get(); }

    // Writes group "db_<number>" describing this database into an INI store.
    void writeIni(QSettings *ini, int number, const QString &description = QString()) const;
    // Writes group "db_<number>" naming a MySQL server where nothing listens.
    static void writeUnreachableIni(QSettings *ini, int number, const QString &description);
    // Opens another connection to the same database; on MySQL through port
    // when one is given (a relay to the test server), with the given read
    // timeout in seconds.
    std::unique_ptr<DbWidget> openAnother(quint16 port = 0, int readTimeout = 30) const;
    // The host and the port of the MySQL test server.
    static QString serverHost();
    static quint16 serverPort();

    // Runs statements and fails loudly (returns false and fills error) on the
    // first that fails.
    bool exec(const QStringList &statements);
    bool exec(const QString &statement) { return exec(QStringList{statement}); }
    // Adds a row to `users`; the password is stored exactly as given.
    bool addUser(int id, const QString &name, const QString &password, int level, bool active = true);
    // First column of the first row of a query, as text.
    QString scalar(const QString &sql) const;
    int count(const QString &table, const QString &where = QString()) const;

private:
    bool m_ok = false;
    QString m_error;
    QString m_name;
    QTemporaryDir m_dir;
    std::unique_ptr<DbWidget> m_db;
};

// Fails the current test function when the database could not be prepared.
#define REQUIRE_DB(tdb) QVERIFY2((tdb).ok(), qPrintable((tdb).error()))
