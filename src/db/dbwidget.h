#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <optional>

class QSettings;
class QSqlError;

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
    // the one open so far; a relative dbfile lies beside the INI file. Returns
    // false, with errorText set, when the group is missing, names no SQLite
    // file, or the connection cannot be opened.
    bool open(QSettings *ini, int number);
    // A file that is not an SQLite database, or one of another program, is
    // refused; a new or empty file is an empty database. A database in which
    // nothing can be written opens with readOnlyReason set.
    bool openSqlite(const QString &file, const QString &description = QString());
    // With ssl, a link the server does not encrypt is closed and refused.
    bool openMySql(const QString &database, const QString &hostname, const QString &username,
                   const QString &password, int port, bool ssl,
                   const QString &description = QString());
    void close();
    // True while a connection is in use, also one lost since (see query()).
    bool isOpen() const;

    // The connection, opened when it is not open.
    QSqlDatabase database();
    // Runs one statement at once; the caller inspects lastError() of the result.
    // Outside a transaction a statement that finds the server connection lost
    // is run once more on a new connection.
    QSqlQuery query(const QString &sql);
    // Runs a prepared statement, with the same second try as query(); q then
    // holds the statement that ran.
    bool exec(QSqlQuery &q);

    // A transaction on this connection (SQLite: holding the write lock from
    // the start). Inside it nothing is tried again: a connection lost there
    // fails the statement, and the work is given up whole. A COMMIT whose
    // answer went with the connection counts as done when the row that the
    // transaction inserted last is found on a new connection; without such
    // a row, or when it cannot be looked for, it counts as failed and
    // commitUncertain() tells that it may have been stored all the same.
    bool beginTransaction();
    bool commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const { return m_inTransaction; }
    // True when the last transaction's COMMIT lost its answer and whether it
    // was stored cannot be told; false again at the next beginTransaction().
    bool commitUncertain() const { return m_commitUncertain; }
    // After a deletion whose COMMIT lost its answer: true when the deleted
    // row (by iId) is gone, read on a new connection. A row still there
    // means nothing was deleted, unless the COMMIT waited the read timeout
    // out (the server may still be at it); then, as when the row cannot be
    // read, commitUncertain() stays true.
    bool deletionCommitted(const QString &table, qint64 id);
    // Whether table holds the row whose key column is id (a lost connection
    // opened again); nothing when that cannot be read. With lock, a MySQL
    // transaction holds the row against deletion until it ends.
    std::optional<bool> rowFound(const QString &table, qint64 id, bool lock = false,
                                 const QString &key = QStringLiteral("iId"));
    // The error of a failed read. A statement on a connection that is known
    // lost and could not be opened again fails without an error of its own.
    static QSqlError readFailure(const QSqlError &error);
    // Why the rows of q could not all be read; invalid when they were.
    static QSqlError readFailure(const QSqlQuery &q);

    // True when the error says the server connection is gone (a drop, a
    // restart, a timeout): the statement did not run to its end.
    static bool isConnectionLost(const QSqlError &error);
    // True while the server connection is lost: the last statement lost it,
    // or found it closed because no new one could be opened.
    bool connectionLost() const { return m_connectionLost; }
    // Runs attempt (again false). When it failed because the connection was
    // lost outside a transaction, sooner than the read timeout, opens a new
    // connection and, if it may repeat, runs it once more (again true);
    // error gives the error of the attempt just made.
    bool withReconnect(const std::function<bool(bool again)> &attempt,
                       const std::function<QSqlError()> &error, bool mayRepeat = true);
    // Whether a statement adds rows (which a second run would add again).
    static bool addsRows(const QString &sql);
    // Opens the MySQL connection again with the same parameters; false, with
    // errorText set, when the server cannot be reached. Once that failed, it
    // is not tried again before the program goes back to its event loop (the
    // next thing staff do): a host that does not answer makes each try wait
    // the connect timeout, and one action runs many statements.
    bool reopen();

    // Seconds a MySQL statement may wait for the server before the connection
    // is given up, and an open for the server to answer; apply from the next
    // open.
    int readTimeout = 30;
    int connectTimeout = 10;

    // Where the connection leads: host:port/database (the file on SQLite).
    QString location() const;

    // True when the database has no table `repairs` or `users`; false as
    // well when its list of tables cannot be read (the server lost).
    bool isEmptyDatabase();
    // Creates every table, its indexes and its seed rows from the schema
    // scripts.
    // Workstations that start on an empty database at once take turns: the
    // one that finds the structure made by another creates nothing and
    // succeeds. A creation that fails or is cut short leaves the database
    // empty, to be offered the structure again.
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
    // Why nothing can be written in the open database; empty when it can.
    QString readOnlyReason;
    // The error of the last insert or update of a register that the
    // database refused, for a message that names the field.
    QSqlError lastWriteError;
    // Tells the connections apart: a new number every time a connection is
    // opened (never reused in the process), 0 while none is open.
    quint64 openSerial = 0;

    // Forgets the tables' columns and keys read on this connection (after
    // the structure was created or changed).
    void forgetSchema();

private:
    bool finishOpen();
    // Opens the connection and sets up its session, as a new one.
    bool openSession(QSqlDatabase &db);
    // After a failed statement that ran for elapsedMs: true when the error
    // says the connection was lost outside a transaction, sooner than the read
    // timeout, and a new one is open for a second try.
    bool reconnectAfter(const QSqlError &error, qint64 elapsedMs);
    // Whether a statement that took elapsedMs waited (nearly) the read
    // timeout out: the server may still be at it.
    bool waitedOut(qint64 elapsedMs) const;
    // The connection of the server's own driver behind a MySQL connection.
    QString serverConnectionName() const;
    void prepareSqlite(const QSqlDatabase &db);
    // The MySQL connection options: timeouts, SSL when asked for.
    QString mySqlOptions() const;
    // What every new MySQL connection sets for its session.
    bool setUpSession();
    // Remembers whether a failed statement lost the connection, for the
    // next statement to open a new one first.
    void noteLost(const QSqlError &error);

    // Remembers the row a statement of the open transaction inserted.
    void noteInsert(const QSqlQuery &q);
    // After the answer to COMMIT was lost: whether the row inserted last is
    // there, read on a new connection. Sets m_commitUncertain when that
    // cannot be told.
    bool insertCommitted();

    bool m_inTransaction = false;
    bool m_commitUncertain = false;
    bool m_commitWaitedOut = false;
    bool m_connectionLost = false;
    // The table and iId of the row the open transaction inserted last.
    QString m_insertedTable;
    qint64 m_insertedId = 0;
    // A reopen failed in what the program is doing now (see reopen()).
    bool m_reopenFailed = false;
    // Why the file cannot be an SQLite database of the program; empty when
    // it can be.
    static QString sqliteFileProblem(const QString &file);
    // Whether an SQLite statement failed for another connection's lock on
    // the file, which held on beyond the busy timeout.
    static bool isSqliteBusy(const QSqlError &error);
    // "The file is not a database of the program", and why.
    static QString notOurDatabase(const QString &file, const QString &why);
    // Tries a write that is rolled back: why it failed, or empty.
    QString sqliteWriteProblem(const QString &file);
    // Why a statement failed with error for the file system: the file or its
    // folder, where the journal goes, kept from being written, or else what
    // SQLite said.
    static QString sqliteWriteFailure(const QString &file, const QSqlError &error);
    // Whether an SQLite statement failed for the file system (rights, the
    // journal, the disk) rather than for what the file holds.
    static bool isSqliteFileError(const QSqlError &error);
    // The statements of the engine's schema script with the column types of
    // the table of column lengths in place of its placeholders, then the
    // seed rows and the indexes; none, with errorText set, when a script
    // cannot be read.
    QStringList schemaStatements();
    // Creating the structure: one workstation at a time. Unlocking also
    // drops what SQLite has not committed.
    bool lockSchema();
    void unlockSchema();
    // Whether the database lacks table `repairs` or `users`; nothing, with
    // why in *why, when its list of tables cannot be read.
    std::optional<bool> readEmptiness(QString *why = nullptr);
    // Turns the schema statements to tables of staged names, followed by the
    // RENAME that puts them in place; returns the staged names.
    static QStringList stageTables(QStringList *statements);
};
