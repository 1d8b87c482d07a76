#include "db/dbwidget.h"

#include "appversion.h"
#include "db/columnlengths.h"
#include "db/dbindexes.h"
#include "db/schemacachedriver.h"
#include "db/sqlitelike.h"
#include "settings.h"

#include <QAtomicInt>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlError>
#include <QtEndian>

#include <unistd.h>

namespace {
QAtomicInt connectionCounter;
QAtomicInteger<quint64> openCounter;
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
    readOnlyReason.clear();
    openSerial = 0;
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (QSqlDatabase::contains(serverConnectionName()))
        QSqlDatabase::removeDatabase(serverConnectionName());
}

QString DbWidget::serverConnectionName() const
{
    return connectionName + QStringLiteral("_server");
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
    // A value that the INI syntax would read otherwise than it was written
    // is not used: a changed file name would open another, empty database.
    CheckedGroup values(ini, group);
    const QString engine = values.value("engine").toString();
    // Only a name: one the INI syntax would change is left empty.
    const QString desc = values.label(QStringLiteral("description")).toString();
    const auto notGiven = [&group](const QString &what, const char *key) {
        return tr("Nie podano %1: w grupie [%2] pliku config.ini brak klucza %3 lub jest on pusty.")
            .arg(what, group, QLatin1String(key));
    };
    bool ok = false;
    if (engine.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        const QString file = values.value("dbfile").toString().trimmed();
        // An empty name would open an anonymous database that vanishes at exit
        // with the day's work.
        if (!values.problem().isEmpty())
            errorText = values.problem();
        else if (file.isEmpty())
            errorText = notGiven(tr("pliku bazy danych"), "dbfile");
        else // a relative name lies beside config.ini, wherever the program was started from
            ok = openSqlite(QFileInfo(ini->fileName()).absoluteDir().filePath(file), desc);
    } else if (engine.compare(QLatin1String("MySQL"), Qt::CaseInsensitive) == 0) {
        const QString database = values.value("database").toString();
        const QString hostname = values.value("hostname").toString();
        const QString username = values.value("username").toString();
        const QString password = values.value("password").toString();
        // Without a port the client library's usual one. It would take a
        // written 0 for that as well, and any other number modulo 65536:
        // another port.
        const QString portText = values.value("port").toString().trimmed();
        int port = 0;
        bool portOk = true;
        if (!portText.isEmpty()) {
            port = portText.toInt(&portOk);
            portOk = portOk && port >= 1 && port <= 65535;
        }
        const bool ssl = values.value("ssl", false).toBool();
        if (!values.problem().isEmpty())
            errorText = values.problem();
        // Without a database the connection reaches none of its tables: they
        // would look missing, and creating them would fail.
        else if (database.trimmed().isEmpty())
            errorText = notGiven(tr("nazwy bazy danych"), "database");
        else if (!portOk)
            errorText = tr("Nieprawidłowy port serwera: w grupie [%1] pliku config.ini klucz port ma wartość "
                           "„%2”, a powinien mieć liczbę od 1 do 65535.")
                            .arg(group, portText);
        else
            ok = openMySql(database, hostname, username, password, port, ssl, desc);
    } else {
        errorText = values.problem().isEmpty() ? tr("Nieznany rodzaj bazy danych: %1").arg(engine)
                                               : values.problem();
    }
    return ok;
}

bool DbWidget::openSqlite(const QString &file, const QString &desc)
{
    close();
    dbType = SQLite;
    sslEnabled = false;
    description = desc;
    if (file.trimmed().isEmpty()) {
        errorText = tr("Nie podano pliku bazy danych.");
        return false;
    }
    errorText = sqliteFileProblem(file);
    if (!errorText.isEmpty())
        return false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(file);
        // Another workstation's write holds the file briefly: wait for it.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    const auto cannotOpen = [this, &file](const QString &why) {
        errorText = tr("Nie można otworzyć pliku bazy danych %1.").arg(file) + QLatin1Char(' ') + why;
        return false;
    };
    if (!finishOpen())
        return cannotOpen(errorText);
    // SQLite reads the file only now: a damaged one fails here, and one of
    // another program has tables but none of ours.
    QSqlError failure;
    bool foreign = false;
    {
        QSqlQuery tables = query(QStringLiteral(
            "SELECT COUNT(*), SUM(name IN ('repairs', 'users', 'version')) FROM sqlite_master "
            "WHERE type = 'table'"));
        if (!tables.first())
            failure = tables.lastError();
        else
            foreign = tables.value(0).toInt() > 0 && tables.value(1).toInt() == 0;
    }
    // Another workstation holding the file longer than the wait above says
    // nothing of what the file is, nor does a journal left by a program
    // killed mid-save that cannot be played back for want of rights: the
    // open fails as such.
    if (isSqliteBusy(failure) || isSqliteFileError(failure)) {
        close();
        return cannotOpen(isSqliteBusy(failure) ? failure.databaseText() : sqliteWriteFailure(file, failure));
    }
    if (failure.isValid() || foreign) {
        close();
        errorText = notOurDatabase(file, foreign ? tr("zawiera tabele innego programu") : failure.databaseText());
        return false;
    }
    readOnlyReason = sqliteWriteProblem(file);
    return true;
}

bool DbWidget::isSqliteBusy(const QSqlError &error)
{
    // SQLITE_BUSY, SQLITE_LOCKED
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6");
}

bool DbWidget::isSqliteFileError(const QSqlError &error)
{
    // By the primary code under the extended one the driver gives:
    // SQLITE_PERM, SQLITE_NOMEM, SQLITE_READONLY, SQLITE_IOERR,
    // SQLITE_CANTOPEN, SQLITE_NOLFS.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == 3 || code == 7 || code == 8 || code == 10 || code == 14 || code == 22);
}

QString DbWidget::notOurDatabase(const QString &file, const QString &why)
{
    // Both filled in at once: a "%2" in the file's name stays as it is.
    return tr("Plik %1 nie jest bazą danych programu (%2).").arg(file, why);
}

QString DbWidget::sqliteFileProblem(const QString &file)
{
    const QFileInfo info(file);
    // A new file is made at the first write; a missing folder fails to open.
    if (!info.exists() || (info.isFile() && info.size() == 0))
        return QString();
    if (info.isDir())
        return notOurDatabase(file, tr("to folder"));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return tr("Nie można odczytać pliku bazy danych %1: %2").arg(file, f.errorString());
    // The 100-byte header of an SQLite file: its mark, the page size and,
    // when valid, the number of pages the file must hold.
    const QByteArray header = f.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return notOurDatabase(file, tr("to nie jest plik bazy SQLite"));
    const auto number = [&header](int offset) { return qFromBigEndian<quint32>(header.constData() + offset); };
    const quint16 sizeField = qFromBigEndian<quint16>(header.constData() + 16);
    const qint64 pageSize = sizeField == 1 ? 65536 : sizeField;
    const qint64 pages = number(28);
    if (number(24) == number(92) && pages > 0 && info.size() < pages * pageSize)
        return notOurDatabase(file, tr("plik jest ucięty: ma %1 bajtów z %2").arg(info.size()).arg(pages * pageSize));
    return QString();
}

QString DbWidget::sqliteWriteProblem(const QString &file)
{
    QSqlDatabase db = database();
    QSqlQuery q(db);
    // A table made and rolled back writes the journal next to the file and
    // the file itself, as every save does.
    bool written = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (written) {
        written = q.exec(QStringLiteral("CREATE TABLE warsztat_write_check (x INTEGER)"));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    }
    const QSqlError error = q.lastError();
    // Another workstation writing at this moment is no reason.
    if (written || isSqliteBusy(error))
        return QString();
    return sqliteWriteFailure(file, error);
}

QString DbWidget::sqliteWriteFailure(const QString &file, const QSqlError &error)
{
    const QFileInfo info(file);
    const QString folder = QDir::toNativeSeparators(info.absolutePath());
    if (info.exists() && ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK) != 0)
        return tr("plik %1 jest tylko do odczytu").arg(QDir::toNativeSeparators(file));
    if (::access(QFile::encodeName(info.absolutePath()).constData(), W_OK) != 0)
        return tr("folder %1 jest tylko do odczytu, a program zapisuje w nim dziennik zmian "
                  "bazy danych")
            .arg(folder);
    return error.databaseText();
}

bool DbWidget::openMySql(const QString &database, const QString &hostname,
                         const QString &username, const QString &password, int port, bool ssl,
                         const QString &desc)
{
    close();
    dbType = MySQL;
    sslEnabled = ssl;
    description = desc;
    // The server's own driver behind one that asks for a table's columns
    // and key once per connection.
    auto *driver = new SchemaCacheDriver(
        QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), serverConnectionName()).driver());
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, connectionName);
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
    QString options = QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%2;MYSQL_OPT_READ_TIMEOUT=%1;"
                                     "MYSQL_OPT_WRITE_TIMEOUT=%1")
                          .arg(timeout)
                          .arg(qMax(1, connectTimeout));
    options += QStringLiteral(";CLIENT_FOUND_ROWS=1"); // an UPDATE counts the rows it matched
    // The driver passes CLIENT_SSL over: it starts TLS only for one of its
    // SSL_ options, and an empty cipher list leaves the choice to the
    // client library. A server without TLS still gets a plain link from the
    // library: setUpSession() refuses that.
    if (sslEnabled)
        options += QStringLiteral(";CLIENT_SSL=1;SSL_CIPHER=");
    return options;
}

bool DbWidget::setUpSession()
{
    if (dbType == SQLite) {
        prepareSqlite(QSqlDatabase::database(connectionName, false));
        return true;
    }
    // Strict mode: a value that does not fit its column is refused, never
    // cut short without a word. A backslash escapes inside literals, as
    // escapeLiteral() and escapeLike() write them, also on a server set up
    // with NO_BACKSLASH_ESCAPES.
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    QSqlQuery q(db);
    if (sslEnabled) {
        // Staff are never told that a plain link is encrypted.
        if (!q.exec(QStringLiteral("SHOW SESSION STATUS LIKE 'Ssl_cipher'"))) {
            errorText = q.lastError().text();
            return false;
        }
        if (!q.next() || q.value(1).toString().isEmpty()) {
            errorText = tr("Połączenie z serwerem %1 miało być szyfrowane (ssl w config.ini), ale serwer nie "
                           "obsługuje szyfrowania.")
                            .arg(db.hostName());
            return false;
        }
    }
    if (q.exec(QStringLiteral("SET NAMES utf8mb4"))
        && q.exec(QStringLiteral("SET SESSION sql_mode = TRIM(BOTH ',' FROM REPLACE(CONCAT(',', "
                                 "@@SESSION.sql_mode, ',STRICT_ALL_TABLES,'), "
                                 "',NO_BACKSLASH_ESCAPES,', ','))")))
        return true;
    errorText = q.lastError().text();
    return false;
}

bool DbWidget::openSession(QSqlDatabase &db)
{
    m_inTransaction = false;
    if (!db.open()) {
        errorText = db.lastError().text();
        return false;
    }
    openSerial = openCounter.fetchAndAddRelaxed(1) + 1;
    if (setUpSession())
        return true;
    // Nothing goes over a session that is not as asked.
    db.close();
    return false;
}

bool DbWidget::reopen()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isValid())
        return false;
    db.close();
    if (m_reopenFailed) {
        m_connectionLost = true;
        return false;
    }
    m_connectionLost = !openSession(db);
    if (m_connectionLost) {
        m_reopenFailed = true;
        QMetaObject::invokeMethod(this, [this] { m_reopenFailed = false; }, Qt::QueuedConnection);
    }
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
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    // A statement on a connection that could not be opened again fails
    // without an error of its own: the connection is still lost.
    m_connectionLost = dbType == MySQL && (isConnectionLost(error) || (!error.isValid() && !db.isOpen()));
    // Closed at once: the statements prepared on it then go without a word
    // to a server that is not there.
    if (m_connectionLost)
        db.close();
}

bool DbWidget::reconnectAfter(const QSqlError &error, qint64 elapsedMs)
{
    noteLost(error);
    // Inside a transaction the work done so far went with the connection:
    // the statement is not tried again and the transaction fails whole. Nor
    // is one that waited (nearly) the read timeout out: the server may still
    // be at it, and the user has waited long enough.
    return m_connectionLost && !m_inTransaction && !waitedOut(elapsedMs) && reopen();
}

bool DbWidget::beginTransaction()
{
    // SQLite: take the write lock at once. A deferred transaction that reads
    // first would meet another workstation's writer with "database is locked"
    // at its first write instead of waiting for it.
    m_insertedTable.clear();
    m_commitUncertain = false;
    m_commitWaitedOut = false;
    m_inTransaction = query(dbType == SQLite ? QStringLiteral("BEGIN IMMEDIATE")
                                             : QStringLiteral("START TRANSACTION"))
                          .isActive();
    return m_inTransaction;
}

bool DbWidget::commitTransaction()
{
    if (!m_inTransaction)
        return false;
    QElapsedTimer timer;
    timer.start();
    const bool committed = query(QStringLiteral("COMMIT")).isActive();
    // Any other failure leaves the transaction to be rolled back.
    if (!committed && !m_connectionLost)
        return false;
    m_inTransaction = false;
    if (committed || insertCommitted())
        return true;
    // A COMMIT that waited the read timeout out may still be at work on the
    // server (held by a backup, say): its row not found yet tells nothing.
    m_commitWaitedOut = waitedOut(timer.elapsed());
    if (m_commitWaitedOut)
        m_commitUncertain = true;
    return false;
}

bool DbWidget::deletionCommitted(const QString &table, qint64 id)
{
    if (!m_commitUncertain)
        return false;
    const std::optional<bool> found = rowFound(table, id);
    if (!found)
        return false;
    if (!*found || !m_commitWaitedOut)
        m_commitUncertain = false;
    return !*found;
}

std::optional<bool> DbWidget::rowFound(const QString &table, qint64 id, bool lock, const QString &key)
{
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT %2 FROM %1 WHERE %2 = :id%3")
                  .arg(table, key, lock && dbType == MySQL ? QStringLiteral(" FOR UPDATE") : QString()));
    q.bindValue(QStringLiteral(":id"), id);
    // A connection dropped since the last statement is taken anew, as for
    // every other read.
    if (!exec(q))
        return std::nullopt;
    return q.next();
}

bool DbWidget::waitedOut(qint64 elapsedMs) const
{
    return elapsedMs >= qMax(1, readTimeout) * 900;
}

void DbWidget::noteInsert(const QSqlQuery &q)
{
    if (!m_inTransaction || q.numRowsAffected() <= 0)
        return;
    static const QRegularExpression insert(QStringLiteral("^\\s*INSERT\\s+(?:IGNORE\\s+)?(?:INTO\\s+)?(\\w+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = insert.match(q.lastQuery());
    bool ok = false;
    const qint64 id = q.lastInsertId().toLongLong(&ok);
    if (match.hasMatch() && ok && id > 0) {
        m_insertedTable = match.captured(1);
        m_insertedId = id;
    }
}

bool DbWidget::insertCommitted()
{
    // The server may have committed before the connection went, or not: the
    // transaction holds all of its rows or none, so one of them tells. A
    // transaction that inserted nothing only updated and deleted rows, by
    // conditions under which a second try changes nothing twice; still,
    // whether it was stored is not known, nor when the row cannot be looked
    // for.
    if (m_insertedTable.isEmpty()) {
        m_commitUncertain = true;
        return false;
    }
    const QString table = m_insertedTable;
    m_insertedTable.clear();
    const std::optional<bool> found = rowFound(table, m_insertedId);
    m_commitUncertain = !found;
    return found.value_or(false);
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
    errorText.clear();
    m_connectionLost = false;
    m_reopenFailed = false;
    if (!openSession(db)) {
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

void DbWidget::forgetSchema()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (auto *cache = qobject_cast<SchemaCacheDriver *>(db.driver()))
        cache->forgetSchema();
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

bool DbWidget::withReconnect(const std::function<bool(bool again)> &attempt,
                             const std::function<QSqlError()> &error, bool mayRepeat)
{
    QElapsedTimer timer;
    timer.start();
    if (attempt(false))
        return true;
    if (!mayRepeat) {
        noteLost(error());
        return false;
    }
    if (!reconnectAfter(error(), timer.elapsed()))
        return false;
    if (attempt(true))
        return true;
    noteLost(error());
    return false;
}

bool DbWidget::addsRows(const QString &sql)
{
    // A lost connection does not tell whether the server ran the statement:
    // run again, an insert would store its rows twice.
    const QString start = sql.trimmed().left(7);
    return start.startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive)
        || start.startsWith(QLatin1String("REPLACE"), Qt::CaseInsensitive);
}

QSqlQuery DbWidget::query(const QString &sql)
{
    QSqlQuery q;
    withReconnect(
        [&](bool) {
            q = QSqlQuery(database());
            q.setForwardOnly(true);
            return q.exec(sql);
        },
        [&] { return q.lastError(); }, !addsRows(sql));
    noteInsert(q);
    return q;
}

bool DbWidget::exec(QSqlQuery &q)
{
    const bool ran = withReconnect(
        [&](bool again) {
            if (again) {
                // Prepared again on the new connection, with the values bound so far.
                const QVariantList values = q.boundValues();
                QSqlQuery fresh(database());
                fresh.setForwardOnly(q.isForwardOnly());
                if (fresh.prepare(q.lastQuery())) {
                    for (int i = 0; i < values.size(); ++i)
                        fresh.bindValue(i, values.at(i));
                }
                q = std::move(fresh);
            }
            return q.exec();
        },
        [&] { return q.lastError(); }, !addsRows(q.lastQuery()));
    if (ran)
        noteInsert(q);
    return ran;
}

QString DbWidget::location() const
{
    const QSqlDatabase connection = QSqlDatabase::database(connectionName, false);
    return connection.hostName() + QLatin1Char(':') + QString::number(connection.port()) + QLatin1Char('/')
           + connection.databaseName();
}

bool DbWidget::isEmptyDatabase()
{
    return readEmptiness().value_or(false);
}

QSqlError DbWidget::readFailure(const QSqlError &error)
{
    if (error.isValid())
        return error;
    return QSqlError(QString(), tr("Brak połączenia z bazą danych."), QSqlError::ConnectionError);
}

QSqlError DbWidget::readFailure(const QSqlQuery &q)
{
    return q.isActive() && !q.lastError().isValid() ? QSqlError() : readFailure(q.lastError());
}

std::optional<bool> DbWidget::readEmptiness(QString *why)
{
    // Told by the tables the database lists: a statement that fails (a
    // server lost on the way) says nothing of its structure.
    QSqlQuery q = query(dbType == MySQL
                            ? QStringLiteral("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
                                             "DATABASE() AND TABLE_NAME IN ('repairs', 'users')")
                            : QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name "
                                             "IN ('repairs', 'users')"));
    if (!q.first()) {
        if (why)
            *why = readFailure(q.lastError()).text();
        return std::nullopt;
    }
    return q.value(0).toInt() < 2;
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

QStringList DbWidget::schemaStatements()
{
    QFile structure(dbType == MySQL ? QStringLiteral(":/files/sql/mysql.sql")
                                    : QStringLiteral(":/files/sql/sqlite.sql"));
    QFile seed(QStringLiteral(":/files/sql/seed.sql"));
    if (!structure.open(QIODevice::ReadOnly) || !seed.open(QIODevice::ReadOnly)) {
        errorText = tr("Nie można odczytać skryptu bazy danych.");
        return {};
    }
    QStringList statements = splitScript(QString::fromUtf8(structure.readAll()));
    for (QString &statement : statements) {
        if (!ColumnLengths::substitute(&statement, dbType, &errorText))
            return {};
    }
    statements += splitScript(QString::fromUtf8(seed.readAll()));
    return statements + DbIndexes::newSchemaStatements(dbType);
}

bool DbWidget::lockSchema()
{
    if (dbType == SQLite) {
        // The whole script in one transaction that takes the write lock at
        // once: a second workstation waits here until the first has
        // committed, and a half-made schema is never left behind.
        QSqlQuery q(database());
        if (q.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return true;
        errorText = q.lastError().text();
        return false;
    }
    // DDL commits at once on MySQL: a named lock of this database keeps a
    // second workstation waiting instead.
    QSqlQuery q = query(QStringLiteral(
        "SELECT GET_LOCK(CONCAT('warsztat_schema.', MD5(DATABASE())), 30)"));
    // 1 taken, 0 still held elsewhere after the wait; no answer or NULL
    // when the statement failed.
    const bool answered = q.first() && !q.isNull(0);
    if (answered && q.value(0).toInt() == 1)
        return true;
    errorText = answered ? tr("Inne stanowisko wciąż tworzy strukturę bazy danych. Spróbuj ponownie za chwilę.")
                         : readFailure(q.lastError()).text();
    return false;
}

void DbWidget::unlockSchema()
{
    if (dbType == SQLite)
        QSqlQuery(database()).exec(QStringLiteral("ROLLBACK"));
    else
        query(QStringLiteral("SELECT RELEASE_LOCK(CONCAT('warsztat_schema.', MD5(DATABASE())))"));
}

bool DbWidget::createSchema()
{
    QStringList statements = schemaStatements();
    if (statements.isEmpty())
        return false;
    if (!lockSchema())
        return false;
    // Another workstation may have made the structure while this one asked;
    // a check that could not be read makes nothing.
    QString why;
    const std::optional<bool> empty = readEmptiness(&why);
    if (!empty.value_or(false)) {
        unlockSchema();
        if (!empty) {
            errorText = why;
            return false;
        }
        schemaVersion = readSchemaVersion();
        return true;
    }
    // MySQL commits each statement at once: the tables are made under names
    // of their own and put in place by one RENAME, which the server does
    // whole or not at all. A creation cut short (the connection lost, the
    // program ended) thus never leaves tables that a later start takes for
    // the program's structure, or that keep it from being made again; a
    // failure leaves the database as it was, empty and offered again.
    const QStringList staged = dbType == MySQL ? stageTables(&statements) : QStringList();
    const QString dropStaged = QStringLiteral("DROP TABLE IF EXISTS ") + staged.join(QLatin1String(", "));
    // First what a creation cut short left. Only on the connection that
    // holds the lock: one opened again would not.
    if (!staged.isEmpty())
        statements.prepend(dropStaged);
    QSqlDatabase db = database();
    for (const QString &sql : std::as_const(statements)) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            errorText = q.lastError().text();
            // A connection lost took the lock with it: the tables staged are
            // left to the next creation, which may be another workstation's
            // at work already.
            if (!staged.isEmpty() && !isConnectionLost(q.lastError()))
                QSqlQuery(db).exec(dropStaged);
            unlockSchema();
            return false;
        }
    }
    forgetSchema();
    if (dbType == SQLite) {
        QSqlQuery commit(db);
        if (!commit.exec(QStringLiteral("COMMIT"))) {
            errorText = commit.lastError().text();
            unlockSchema();
            return false;
        }
    } else {
        unlockSchema();
    }
    schemaVersion = readSchemaVersion();
    return true;
}

QStringList DbWidget::stageTables(QStringList *statements)
{
    static const QRegularExpression table(QStringLiteral("^(\\s*(CREATE TABLE|INSERT INTO|ALTER TABLE)\\s+)(\\w+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList staged;
    QStringList renames;
    for (QString &statement : *statements) {
        const QRegularExpressionMatch m = table.match(statement);
        if (!m.hasMatch())
            continue;
        const QString name = QStringLiteral("warsztat_new_") + m.captured(3);
        if (m.captured(2).compare(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive) == 0) {
            staged << name;
            renames << name + QLatin1String(" TO ") + m.captured(3);
        }
        statement.replace(m.capturedStart(3), m.capturedLength(3), name);
    }
    if (!renames.isEmpty())
        *statements << QStringLiteral("RENAME TABLE ") + renames.join(QLatin1String(", "));
    return staged;
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
