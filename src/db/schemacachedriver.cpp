#include "db/schemacachedriver.h"

#include <QSqlError>
#include <QVariant>

SchemaCacheDriver::SchemaCacheDriver(QSqlDriver *server, QObject *parent) : QSqlDriver(parent), m_server(server)
{
}

bool SchemaCacheDriver::report(bool ok)
{
    setLastError(m_server->lastError());
    return ok;
}

bool SchemaCacheDriver::open(const QString &db, const QString &user, const QString &password, const QString &host,
                             int port, const QString &options)
{
    forgetSchema();
    const bool ok = m_server->open(db, user, password, host, port, options);
    setOpen(ok);
    setOpenError(!ok);
    return report(ok);
}

void SchemaCacheDriver::close()
{
    forgetSchema();
    m_server->close();
    setOpen(false);
    setOpenError(false);
}

bool SchemaCacheDriver::isOpen() const
{
    return m_server->isOpen();
}

bool SchemaCacheDriver::hasFeature(DriverFeature feature) const
{
    return m_server->hasFeature(feature);
}

QSqlResult *SchemaCacheDriver::createResult() const
{
    return m_server->createResult();
}

bool SchemaCacheDriver::beginTransaction()
{
    return report(m_server->beginTransaction());
}

bool SchemaCacheDriver::commitTransaction()
{
    return report(m_server->commitTransaction());
}

bool SchemaCacheDriver::rollbackTransaction()
{
    return report(m_server->rollbackTransaction());
}

QStringList SchemaCacheDriver::tables(QSql::TableType type) const
{
    return m_server->tables(type);
}

QSqlIndex SchemaCacheDriver::primaryIndex(const QString &tableName) const
{
    const auto known = m_keys.constFind(tableName);
    if (known != m_keys.constEnd())
        return *known;
    const QSqlIndex key = m_server->primaryIndex(tableName);
    if (!key.isEmpty())
        m_keys.insert(tableName, key);
    return key;
}

QSqlRecord SchemaCacheDriver::record(const QString &tableName) const
{
    const auto known = m_records.constFind(tableName);
    if (known != m_records.constEnd())
        return *known;
    const QSqlRecord columns = m_server->record(tableName);
    // A table that is not there (yet) is asked again.
    if (!columns.isEmpty())
        m_records.insert(tableName, columns);
    return columns;
}

QString SchemaCacheDriver::formatValue(const QSqlField &field, bool trimStrings) const
{
    return m_server->formatValue(field, trimStrings);
}

QString SchemaCacheDriver::escapeIdentifier(const QString &identifier, IdentifierType type) const
{
    return m_server->escapeIdentifier(identifier, type);
}

QString SchemaCacheDriver::sqlStatement(StatementType type, const QString &tableName, const QSqlRecord &rec,
                                        bool preparedStatement) const
{
    return m_server->sqlStatement(type, tableName, rec, preparedStatement);
}

bool SchemaCacheDriver::isIdentifierEscaped(const QString &identifier, IdentifierType type) const
{
    return m_server->isIdentifierEscaped(identifier, type);
}

QString SchemaCacheDriver::stripDelimiters(const QString &identifier, IdentifierType type) const
{
    return m_server->stripDelimiters(identifier, type);
}

int SchemaCacheDriver::maximumIdentifierLength(IdentifierType type) const
{
    return m_server->maximumIdentifierLength(type);
}

QVariant SchemaCacheDriver::handle() const
{
    return m_server->handle();
}

bool SchemaCacheDriver::cancelQuery()
{
    return m_server->cancelQuery();
}

void SchemaCacheDriver::forgetSchema()
{
    m_records.clear();
    m_keys.clear();
}
