#include "db/dbwidget.h"

#include "appversion.h"
#include "db/schemacachedriver.h"

#include <QAtomicInt>
#include <QFile>
#include <QSettings>
#include <QSqlError>

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
    return QSqlDatabase::contains(connectionName)
        && QSqlDatabase::database(connectionName, false).isOpen();
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
    QString options = QStringLiteral("MYSQL_OPT_RECONNECT=1");
    if (ssl)
        options += QStringLiteral(";CLIENT_SSL=1");
    db.setConnectOptions(options);
    return finishOpen();
}

bool DbWidget::finishOpen()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.open()) {
        errorText = db.lastError().text();
        return false;
    }
    errorText.clear();
    openSerial = openCounter.fetchAndAddRelaxed(1) + 1;
    if (dbType == MySQL)
        query(QStringLiteral("SET NAMES utf8mb4"));
    schemaVersion = readSchemaVersion();
    return true;
}

QSqlDatabase DbWidget::database()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.isValid() && !db.isOpen() && db.open())
        openSerial = openCounter.fetchAndAddRelaxed(1) + 1;
    return db;
}

QSqlQuery DbWidget::query(const QString &sql)
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.exec(sql);
    return q;
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
    if (auto *cache = qobject_cast<SchemaCacheDriver *>(db.driver()))
        cache->forgetSchema();
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
