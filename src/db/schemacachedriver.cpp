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

namespace {

// What the server said of a table the first time; an empty answer (a table
// not there yet) is asked again.
template <typename Value, typename Ask>
Value remembered(QHash<QString, Value> &known, const QString &tableName, const Ask &ask)
{
    const auto found = known.constFind(tableName);
    if (found != known.constEnd())
        return *found;
    const Value value = ask();
    if (!value.isEmpty())
        known.insert(tableName, value);
    return value;
}

} // namespace

QSqlIndex SchemaCacheDriver::primaryIndex(const QString &tableName) const
{
    return remembered(m_keys, tableName, [&] { return m_server->primaryIndex(tableName); });
}

QSqlRecord SchemaCacheDriver::record(const QString &tableName) const
{
    return remembered(m_records, tableName, [&] { return m_server->record(tableName); });
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
