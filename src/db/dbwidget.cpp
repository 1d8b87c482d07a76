#include "db/dbwidget.h"

#include "appversion.h"
#include "db/sqlitelike.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSqlError>

namespace {
QAtomicInt connectionCounter;
}

DbWidget::DbWidget(QObject *parent)
    : QObject(parent),
      connectionName(QStringLiteral("warsztat_%1").arg(connectionCounter.fetchAndAddRelaxed(1) + 1)),
      programVersion(appVersion)
{
}

DbWidget::~DbWidget()
{
    close();
}

void DbWidget::close()
{
    schemaVersion.clear();
    m_inTransaction = false;
    m_connectionLost = false;
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

bool DbWidget::isOpen() const
{
    // A lost connection counts as open: the next statement opens it again.
    return QSqlDatabase::contains(connectionName)
        && (m_connectionLost || QSqlDatabase::database(connectionName, false).isOpen());
}

bool DbWidget::open(QSettings *ini, int number)
{
    // Whatever was open goes first: a failure must not leave the previous
    // database in use behind the error message.
    close();
    const QString group = QStringLiteral("db_%1").arg(number);
    if (!ini || !ini->childGroups().contains(group)) {
        errorText = tr("Brak konfiguracji połączenia z bazą danych.");
        return false;
    }
    ini->beginGroup(group);
    const QString engine = ini->value(QStringLiteral("engine")).toString();
    const QString desc = ini->value(QStringLiteral("description")).toString();
    bool ok = false;
    if (engine.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        const QString file = ini->value(QStringLiteral("dbfile")).toString();
        ini->endGroup();
        ok = openSqlite(file, desc);
    } else if (engine.compare(QLatin1String("MySQL"), Qt::CaseInsensitive) == 0) {
        const QString database = ini->value(QStringLiteral("database")).toString();
        const QString hostname = ini->value(QStringLiteral("hostname")).toString();
        const QString username = ini->value(QStringLiteral("username")).toString();
        const QString password = ini->value(QStringLiteral("password")).toString();
        const int port = ini->value(QStringLiteral("port"), 3306).toInt();
        const bool ssl = ini->value(QStringLiteral("ssl"), false).toBool();
        ini->endGroup();
        ok = openMySql(database, hostname, username, password, port, ssl, desc);
    } else {
        ini->endGroup();
        errorText = tr("Nieznany rodzaj bazy danych: %1").arg(engine);
    }
    return ok;
}

bool DbWidget::openSqlite(const QString &file, const QString &desc)
{
    close();
    dbType = SQLite;
    sslEnabled = false;
    description = desc;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(file);
    // Another workstation's write holds the file briefly: wait for it.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    return finishOpen();
}

bool DbWidget::openMySql(const QString &database, const QString &hostname,
                         const QString &username, const QString &password, int port, bool ssl,
                         const QString &desc)
{
    close();
    dbType = MySQL;
    sslEnabled = ssl;
    description = desc;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), connectionName);
    db.setDatabaseName(database);
    db.setHostName(hostname);
    db.setUserName(username);
    db.setPassword(password);
    if (port > 0)
        db.setPort(port);
    db.setConnectOptions(mySqlOptions());
    return finishOpen();
}

QString DbWidget::mySqlOptions() const
{
    // The driver does not reconnect by itself: it would run the rest of a
    // transaction on a new connection, each statement committed at once.
    // reconnectAfter() does it between operations. The timeouts turn a server
    // that stops answering into an error instead of a frozen window.
    const int timeout = qMax(1, readTimeout);
    QString options = QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=10;MYSQL_OPT_READ_TIMEOUT=%1;"
                                     "MYSQL_OPT_WRITE_TIMEOUT=%1")
                          .arg(timeout);
    options += QStringLiteral(";CLIENT_FOUND_ROWS=1"); // an UPDATE counts the rows it matched
    if (sslEnabled)
        options += QStringLiteral(";CLIENT_SSL=1");
    return options;
}

bool DbWidget::setUpSession()
{
    if (dbType == SQLite) {
        prepareSqlite(QSqlDatabase::database(connectionName, false));
        return true;
    }
    // Strict mode: a value that does not fit its column is refused, never
    // cut short without a word.
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    if (q.exec(QStringLiteral("SET NAMES utf8mb4"))
        && q.exec(QStringLiteral("SET SESSION sql_mode = TRIM(BOTH ',' FROM "
                                 "CONCAT(@@SESSION.sql_mode, ',STRICT_ALL_TABLES'))")))
        return true;
    errorText = q.lastError().text();
    return false;
}

bool DbWidget::reopen()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isValid())
        return false;
    db.close();
    m_inTransaction = false;
    m_connectionLost = !db.open();
    if (m_connectionLost) {
        errorText = db.lastError().text();
        return false;
    }
    m_connectionLost = !setUpSession();
    return !m_connectionLost;
}

bool DbWidget::isConnectionLost(const QSqlError &error)
{
    // Client errors: server gone away, connection lost during a statement
    // (or its timeout), lost while reading the reply. Server errors: shutting
    // down, this connection killed, idle too long.
    static const QStringList codes{QStringLiteral("2006"), QStringLiteral("2013"),
                                   QStringLiteral("2055"), QStringLiteral("1053"),
                                   QStringLiteral("1927"), QStringLiteral("4031")};
    return error.isValid() && codes.contains(error.nativeErrorCode());
}

void DbWidget::noteLost(const QSqlError &error)
{
    m_connectionLost = dbType == MySQL && isConnectionLost(error);
    // Closed at once: the statements prepared on it then go without a word
    // to a server that is not there.
    if (m_connectionLost)
        QSqlDatabase::database(connectionName, false).close();
}

bool DbWidget::reconnectAfter(const QSqlError &error, qint64 elapsedMs)
{
    noteLost(error);
    // Inside a transaction the work done so far went with the connection:
    // the statement is not tried again and the transaction fails whole. Nor
    // is one that waited (nearly) the read timeout out: the server may still
    // be at it, and the user has waited long enough.
    return m_connectionLost && !m_inTransaction && elapsedMs < qMax(1, readTimeout) * 900
        && reopen();
}

bool DbWidget::beginTransaction()
{
    // SQLite: take the write lock at once. A deferred transaction that reads
    // first would meet another workstation's writer with "database is locked"
    // at its first write instead of waiting for it.
    m_inTransaction = query(dbType == SQLite ? QStringLiteral("BEGIN IMMEDIATE")
                                             : QStringLiteral("START TRANSACTION"))
                          .isActive();
    return m_inTransaction;
}

bool DbWidget::commitTransaction()
{
    if (!m_inTransaction || !query(QStringLiteral("COMMIT")).isActive())
        return false;
    m_inTransaction = false;
    return true;
}

void DbWidget::rollbackTransaction()
{
    // A lost connection took the transaction with it: the server rolls it
    // back by itself.
    if (m_inTransaction && !m_connectionLost)
        query(QStringLiteral("ROLLBACK"));
    m_inTransaction = false;
}

bool DbWidget::finishOpen()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.open()) {
        errorText = db.lastError().text();
        return false;
    }
    errorText.clear();
    m_inTransaction = false;
    m_connectionLost = false;
    if (!setUpSession()) {
        db.close();
        return false;
    }
    schemaVersion = readSchemaVersion();
    return true;
}

void DbWidget::prepareSqlite(const QSqlDatabase &db)
{
    // Text filters must find the same rows as on a MySQL server, whatever
    // the case of Polish letters.
    if (!installSqliteLike(db))
        qWarning("The Unicode LIKE could not be installed on %s", qPrintable(db.databaseName()));
}

QSqlDatabase DbWidget::database()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    // Inside a transaction a lost connection stays lost: the transaction went
    // with it.
    if (db.isValid() && !m_inTransaction && (!db.isOpen() || m_connectionLost))
        reopen();
    return db;
}

QSqlQuery DbWidget::query(const QString &sql)
{
    QElapsedTimer timer;
    timer.start();
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(sql) && reconnectAfter(q.lastError(), timer.elapsed())) {
        q = QSqlQuery(database());
        q.setForwardOnly(true);
        if (!q.exec(sql))
            noteLost(q.lastError());
    }
    return q;
}

bool DbWidget::exec(QSqlQuery &q)
{
    QElapsedTimer timer;
    timer.start();
    if (q.exec())
        return true;
    if (!reconnectAfter(q.lastError(), timer.elapsed()))
        return false;
    // Prepared again on the new connection, with the values bound so far.
    const QVariantList values = q.boundValues();
    QSqlQuery again(database());
    again.setForwardOnly(q.isForwardOnly());
    if (again.prepare(q.lastQuery())) {
        for (int i = 0; i < values.size(); ++i)
            again.bindValue(i, values.at(i));
    }
    const bool ok = again.exec();
    if (!ok)
        noteLost(again.lastError());
    q = std::move(again);
    return ok;
}

bool DbWidget::isEmptyDatabase()
{
    const QSqlQuery repairs = query(QStringLiteral("SELECT iId FROM repairs LIMIT 1"));
    const QSqlQuery users = query(QStringLiteral("SELECT iId FROM users LIMIT 1"));
    return !repairs.isActive() || !users.isActive();
}

QStringList DbWidget::splitScript(const QString &script)
{
    QStringList statements;
    QString current;
    const QStringList lines = script.split('\n');
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))
            continue;
        if (!current.isEmpty())
            current += '\n';
        current += line;
        if (trimmed.endsWith(';')) {
            current = current.trimmed();
            current.chop(1);
            statements << current;
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

bool DbWidget::createSchema()
{
    const QString path = dbType == MySQL ? QStringLiteral(":/files/sql/mysql.sql")
                                         : QStringLiteral(":/files/sql/sqlite.sql");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errorText = tr("Nie można odczytać skryptu bazy danych.");
        return false;
    }
    const QStringList statements = splitScript(QString::fromUtf8(file.readAll()));
    QSqlDatabase db = database();
    // SQLite runs the whole script in one transaction (far faster, and a
    // half-made schema is never left behind); MySQL commits DDL implicitly.
    const bool transaction = dbType == SQLite && db.transaction();
    for (const QString &sql : statements) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            errorText = q.lastError().text();
            if (transaction)
                db.rollback();
            return false;
        }
    }
    if (transaction && !db.commit()) {
        errorText = db.lastError().text();
        return false;
    }
    schemaVersion = readSchemaVersion();
    return true;
}

QString DbWidget::readSchemaVersion()
{
    QSqlQuery q = query(QStringLiteral("SELECT sVersion FROM version ORDER BY iId DESC LIMIT 1"));
    if (q.first())
        return q.value(0).toString();
    return QString();
}

QString DbWidget::escapeLiteral(const QString &text) const
{
    return escapeLiteral(text, dbType);
}

QString DbWidget::escapeLiteral(const QString &text, DbType type)
{
    QString out = text;
    if (type == MySQL)
        out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

QString DbWidget::escapeLike(const QString &text) const
{
    return escapeLike(text, dbType);
}

QString DbWidget::escapeLike(const QString &text, DbType type)
{
    // First the pattern's own escape, then the literal's.
    QString pattern = text;
    if (type == MySQL)
        pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return escapeLiteral(pattern, type);
}
