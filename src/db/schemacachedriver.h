#pragma once

#include <QHash>
#include <QSqlDriver>
#include <QSqlIndex>
#include <QSqlRecord>

// The driver of a server connection as the program uses it: every call goes
// to the database's own driver, except that the columns and the primary key
// of a table are asked of the server once per connection. Qt's table models
// ask for both every time a model is given its table (five requests to the
// server per model), while the schema does not change under a running
// program.
class SchemaCacheDriver : public QSqlDriver
{
    Q_OBJECT
public:
    // server is the database's own driver, owned by its own connection; it
    // must outlive this driver.
    explicit SchemaCacheDriver(QSqlDriver *server, QObject *parent = nullptr);

    bool open(const QString &db, const QString &user, const QString &password, const QString &host, int port,
              const QString &options) override;
    void close() override;
    bool isOpen() const override;
    bool hasFeature(DriverFeature feature) const override;
    QSqlResult *createResult() const override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;
    QStringList tables(QSql::TableType type) const override;
    QSqlIndex primaryIndex(const QString &tableName) const override;
    QSqlRecord record(const QString &tableName) const override;
    QString formatValue(const QSqlField &field, bool trimStrings = false) const override;
    QString escapeIdentifier(const QString &identifier, IdentifierType type) const override;
    QString sqlStatement(StatementType type, const QString &tableName, const QSqlRecord &rec,
                         bool preparedStatement) const override;
    bool isIdentifierEscaped(const QString &identifier, IdentifierType type) const override;
    QString stripDelimiters(const QString &identifier, IdentifierType type) const override;
    int maximumIdentifierLength(IdentifierType type) const override;
    QVariant handle() const override;
    bool cancelQuery() override;

    // Forgets the tables read so far (after the schema was created or
    // changed).
    void forgetSchema();

private:
    // Takes the server driver's last error as this driver's; the result.
    bool report(bool ok);

    QSqlDriver *m_server;
    mutable QHash<QString, QSqlRecord> m_records;
    mutable QHash<QString, QSqlIndex> m_keys;
};
