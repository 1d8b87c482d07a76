#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

class QSettings;

// The program's one open database connection: a SQLite file or a MySQL /
// MariaDB server, as one "db_N" group of config.ini describes it.
class DbWidget : public QObject
{
    Q_OBJECT
public:
    enum DbType { MySQL = 0, SQLite = 1 };

    explicit DbWidget(QObject *parent = nullptr);
    ~DbWidget() override;

    // Opens the connection of group "db_<number>" of the INI store, closing
    // the one open so far. Returns false, with errorText set, when the group
    // is missing or the connection cannot be opened.
    bool open(QSettings *ini, int number);
    bool openSqlite(const QString &file, const QString &description = QString());
    bool openMySql(const QString &database, const QString &hostname, const QString &username,
                   const QString &password, int port, bool ssl,
                   const QString &description = QString());
    void close();
    bool isOpen() const;

    // The connection, opened when it is not open.
    QSqlDatabase database();
    // Runs one statement at once; the caller inspects lastError() of the result.
    QSqlQuery query(const QString &sql);

    // True when the table `repairs` or `users` cannot be read.
    bool isEmptyDatabase();
    // Creates every table with its seed rows from the engine's schema script.
    bool createSchema();
    // The schema version stored in the database, empty when unreadable.
    QString readSchemaVersion();

    // Typed text made safe as the body of a quoted literal on this engine:
    // each "'" doubled and, on MySQL, where a backslash escapes inside
    // literals, each backslash doubled as well.
    QString escapeLiteral(const QString &text) const;
    static QString escapeLiteral(const QString &text, DbType type);
    // Typed text as the body of a quoted LIKE pattern: "%" and "_" stay
    // wildcards, every other character stands for itself. MySQL reads a
    // backslash as an escape twice, in the literal and again in the pattern,
    // so there each one is written four times.
    QString escapeLike(const QString &text) const;
    static QString escapeLike(const QString &text, DbType type);

    // Splits a schema script into its statements.
    static QStringList splitScript(const QString &script);

    QString connectionName;
    QString description;
    DbType dbType = SQLite;
    bool sslEnabled = false;
    QString programVersion;
    QString schemaVersion;
    QString errorText;
    // Tells the connections apart: a new number every time a connection is
    // opened (never reused in the process), 0 while none is open.
    quint64 openSerial = 0;

private:
    bool finishOpen();
    // The connection of the server's own driver behind a MySQL connection.
    QString serverConnectionName() const;
};
