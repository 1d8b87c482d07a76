#include "testdatabase.h"

#include "dictionaries/dictionarycache.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QAtomicInt counter;

QString env(const char *name, const QString &fallback = QString())
{
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? fallback : QString::fromLocal8Bit(value);
}

struct ServerParams
{
    QString host = env("WARSZTAT_TEST_MYSQL_HOST", QStringLiteral("127.0.0.1"));
    int port = env("WARSZTAT_TEST_MYSQL_PORT").toInt();
    QString user = env("WARSZTAT_TEST_MYSQL_USER", QStringLiteral("warsztat"));
    QString password = env("WARSZTAT_TEST_MYSQL_PASSWORD", QStringLiteral("warsztat"));
};

// Runs one statement on the server without choosing a database.
bool adminExec(const QString &sql, QString *error)
{
    const ServerParams p;
    const QString name = QStringLiteral("test_admin_%1").arg(counter.fetchAndAddRelaxed(1));
    bool ok = false;
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), name);
        admin.setHostName(p.host);
        admin.setPort(p.port);
        admin.setUserName(p.user);
        admin.setPassword(p.password);
        if (!admin.open()) {
            *error = QStringLiteral("MariaDB test server not reachable on %1:%2: %3")
                         .arg(p.host).arg(p.port).arg(admin.lastError().text());
        } else {
            QSqlQuery q(admin);
            ok = q.exec(sql);
            if (!ok)
                *error = q.lastError().text();
            admin.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}
} // namespace

bool TestDatabase::isMySql()
{
    return env("WARSZTAT_TEST_ENGINE") == QLatin1String("mariadb");
}

DbWidget::DbType TestDatabase::engine()
{
    return isMySql() ? DbWidget::MySQL : DbWidget::SQLite;
}

TestDatabase::TestDatabase(bool withSchema) : m_db(std::make_unique<DbWidget>())
{
    if (isMySql()) {
        if (env("WARSZTAT_TEST_MYSQL_PORT").isEmpty()) {
            m_error = QStringLiteral("WARSZTAT_TEST_MYSQL_PORT is not set: run the tests through scripts/test");
            return;
        }
        m_name = QStringLiteral("wt_%1_%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(counter.fetchAndAddRelaxed(1));
        if (!adminExec(QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_polish_ci")
                           .arg(m_name), &m_error))
            return;
        const ServerParams p;
        if (!m_db->openMySql(m_name, p.host, p.user, p.password, p.port, false,
                             QStringLiteral("Testowa MariaDB"))) {
            m_error = m_db->errorText;
            return;
        }
    } else {
        if (!m_dir.isValid()) {
            m_error = QStringLiteral("cannot create a temporary directory");
            return;
        }
        m_name = m_dir.filePath(QStringLiteral("test.db"));
        if (!m_db->openSqlite(m_name, QStringLiteral("Testowa SQLite"))) {
            m_error = m_db->errorText;
            return;
        }
    }
    if (withSchema && !m_db->createSchema()) {
        m_error = QStringLiteral("schema: ") + m_db->errorText;
        return;
    }
    m_ok = true;
}

TestDatabase::~TestDatabase()
{
    m_db.reset();
    if (isMySql() && !m_name.isEmpty()) {
        QString ignored;
        adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_name), &ignored);
    }
}

void TestDatabase::writeIni(QSettings *ini, int number, const QString &description) const
{
    ini->beginGroup(QStringLiteral("db_%1").arg(number));
    ini->setValue(QStringLiteral("description"),
                  description.isEmpty() ? m_db->description : description);
    if (isMySql()) {
        const ServerParams p;
        ini->setValue(QStringLiteral("engine"), QStringLiteral("MySQL"));
        ini->setValue(QStringLiteral("database"), m_name);
        ini->setValue(QStringLiteral("hostname"), p.host);
        ini->setValue(QStringLiteral("username"), p.user);
        ini->setValue(QStringLiteral("password"), p.password);
        ini->setValue(QStringLiteral("port"), p.port);
        ini->setValue(QStringLiteral("ssl"), false);
    } else {
        ini->setValue(QStringLiteral("engine"), QStringLiteral("SQLite"));
        ini->setValue(QStringLiteral("dbfile"), m_name);
    }
    ini->endGroup();
}

void TestDatabase::writeUnreachableIni(QSettings *ini, int number, const QString &description)
{
    ini->beginGroup(QStringLiteral("db_%1").arg(number));
    ini->setValue(QStringLiteral("engine"), QStringLiteral("MySQL"));
    ini->setValue(QStringLiteral("description"), description);
    ini->setValue(QStringLiteral("database"), QStringLiteral("warsztat"));
    ini->setValue(QStringLiteral("hostname"), QStringLiteral("127.0.0.1"));
    ini->setValue(QStringLiteral("port"), 1);
    ini->setValue(QStringLiteral("username"), QStringLiteral("nikt"));
    ini->endGroup();
}

QString TestDatabase::serverHost()
{
    return ServerParams().host;
}

quint16 TestDatabase::serverPort()
{
    return quint16(ServerParams().port);
}

std::unique_ptr<DbWidget> TestDatabase::openAnother(quint16 port, int readTimeout) const
{
    auto other = std::make_unique<DbWidget>();
    other->readTimeout = readTimeout;
    other->connectTimeout = qMin(other->connectTimeout, readTimeout);
    if (isMySql()) {
        const ServerParams p;
        other->openMySql(m_name, p.host, p.user, p.password, port ? port : p.port, false,
                         m_db->description);
    } else {
        other->openSqlite(m_name, m_db->description);
    }
    return other;
}

bool TestDatabase::exec(const QStringList &statements)
{
    // A test's own statements stand for another workstation's changes: the
    // dictionaries are read again, as after a new connection.
    DictionaryCache::markAllChanged();
    for (const QString &sql : statements) {
        QSqlQuery q = m_db->query(sql);
        if (q.lastError().isValid()) {
            m_error = sql + QStringLiteral(": ") + q.lastError().text();
            return false;
        }
    }
    return true;
}

bool TestDatabase::addUser(int id, const QString &name, const QString &password, int level,
                           bool active)
{
    DictionaryCache::markAllChanged();
    QSqlQuery q(m_db->database());
    q.prepare(QStringLiteral("INSERT INTO users (iId, sUser, sPassword, iLevel, bActive) "
                             "VALUES (:iId, :sUser, :sPassword, :iLevel, :bActive)"));
    q.bindValue(QStringLiteral(":iId"), id);
    q.bindValue(QStringLiteral(":sUser"), name);
    q.bindValue(QStringLiteral(":sPassword"), password.isNull() ? QStringLiteral("") : password);
    q.bindValue(QStringLiteral(":iLevel"), level);
    q.bindValue(QStringLiteral(":bActive"), active ? 1 : 0);
    if (!q.exec()) {
        m_error = QStringLiteral("user ") + name + QStringLiteral(": ") + q.lastError().text();
        return false;
    }
    return true;
}

QString TestDatabase::scalar(const QString &sql) const
{
    QSqlQuery q = m_db->query(sql);
    return q.first() ? q.value(0).toString() : QString();
}

int TestDatabase::count(const QString &table, const QString &where) const
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + table;
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return scalar(sql).toInt();
}
