#include "db/dbindexes.h"

#include "messagebox.h"

#include <QCoreApplication>
#include <QHash>
#include <QProgressDialog>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DbIndexes", text);
}

struct TableIndexes
{
    const char *table;
    QStringList columns; // one index each; "a, b" is an index of two columns
    QStringList texts;   // long texts: indexed on SQLite only
};

QStringList genericFields()
{
    QStringList fields;
    for (int i = 1; i <= 14; ++i)
        fields << QStringLiteral("sField%1").arg(i);
    return fields << QStringLiteral("iFieldDate");
}

QList<DbIndexes::Index> build(DbWidget::DbType type)
{
    // The foreign keys first, then the sortable columns of each register.
    const QList<TableIndexes> tables = {
        {"repairs",
         {"iClientId", "iHardwareId", "iStatus, iAddDate", "iStatus, iEndDate", "iStatus, iClientId", "iAddDate", "iEndDate", "sNum", "iType", "sCost",
          "sMCost", "sOuterNo", "iStatus", "iProgress", "iSubmitterId", "iTechnicanId"},
         {"sDefect", "sSolution", "sComment"}},
        {"notes", {"iRepairId", "iAddDate"}, {}},
        {"billing",
         {"iClientId", "iRepairId", "iHardwareId", "iDate", "iAddDate", "sPriceNet", "sPriceGross",
          "sPriceParts", "sPriceLabor", "sPriceOuter", "iStatus", "iUser"},
         {"sDescription"}},
        {"hardware",
         QStringList{"iOwner", "iHType", "iStoreStatus", "sHName", "iReceivedDate"} + genericFields(),
         {"sStoreComment", "sFieldLong"}},
        {"templates", QStringList{"sHName", "iHType"} + genericFields(), {"sFieldLong"}},
        {"clients",
         {"sSName", "sFName", "sCompany", "sNIP", "sStreet", "sAddrBuild", "sAddrLoc", "sCity", "sPostal",
          "sEmail", "sEmail2", "sPhone", "sPhone2"},
         {"sDescription"}},
        {"users", {"sUser"}, {}},
        {"settings", {"sGroup, sKey"}, {}},
        {"docsources", {"iRepairId"}, {}},
    };
    QList<DbIndexes::Index> indexes;
    for (const TableIndexes &t : tables) {
        QStringList columns = t.columns;
        if (type == DbWidget::SQLite)
            columns += t.texts;
        const QString table = QString::fromLatin1(t.table);
        for (const QString &c : columns) {
            indexes.append({DbIndexes::indexName(table, c), table, c, QString()});
        }
        if (type == DbWidget::MySQL) {
            for (const QString &c : t.texts)
                indexes.append({DbIndexes::indexName(table, c), table, DbIndexes::sortColumn(c), c});
        }
    }
    return indexes;
}

// Indexes present on the connection a DbWidget opened last: read once for
// each connection opened, refreshed by missing().
struct Present
{
    quint64 openSerial = 0;
    QSet<QString> names;
};

// Whether an index could not be added for a reason of its own table: the
// table missing, a column of another type in a database made earlier, an
// engine that cannot add it online (SQLite: any error of the statement).
bool concernsItsTable(const QSqlError &error, DbWidget::DbType type)
{
    static const QStringList mySql{QStringLiteral("1054"), QStringLiteral("1071"), QStringLiteral("1072"),
                                   QStringLiteral("1146"), QStringLiteral("1170"), QStringLiteral("1845"),
                                   QStringLiteral("1846")};
    const QString code = error.nativeErrorCode();
    return type == DbWidget::MySQL ? mySql.contains(code) : code == QLatin1String("1");
}

QHash<const DbWidget *, Present> &presentCache()
{
    static QHash<const DbWidget *, Present> cache;
    return cache;
}

} // namespace

namespace DbIndexes {

const QList<Index> &all(DbWidget::DbType type)
{
    static const QList<Index> mySql = build(DbWidget::MySQL);
    static const QList<Index> sqlite = build(DbWidget::SQLite);
    return type == DbWidget::MySQL ? mySql : sqlite;
}

QString indexName(const QString &table, const QString &columns)
{
    QString joined = columns;
    joined.remove(QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char('_'));
    return QStringLiteral("idx_%1_%2").arg(table, joined);
}

QString sortColumn(const QString &column)
{
    return column + QLatin1String("Sort");
}

QString textSortIndex(const QString &table, const QString &column)
{
    for (const Index &index : all(DbWidget::MySQL)) {
        if (index.sortedText == column && index.table == table)
            return index.name;
    }
    return QString();
}

QStringList createStatements(const Index &index, DbWidget::DbType type)
{
    if (type != DbWidget::MySQL)
        return {QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)").arg(index.name, index.table, index.columns)};
    QStringList statements;
    // MariaDB adds a virtual column online only in a statement of its own.
    if (!index.sortedText.isEmpty())
        statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS %2 VARCHAR(255) AS (LEFT(%3, 255)) "
                                     "VIRTUAL INVISIBLE, ALGORITHM=INPLACE, LOCK=NONE")
                          .arg(index.table, index.columns, index.sortedText);
    // Another workstation starting at the same time may add it first.
    return statements << QStringLiteral("ALTER TABLE %1 ADD INDEX IF NOT EXISTS %2 (%3), ALGORITHM=INPLACE, LOCK=NONE")
                             .arg(index.table, index.name, index.columns);
}

QStringList newSchemaStatements(DbWidget::DbType type)
{
    QStringList statements;
    if (type != DbWidget::MySQL) {
        for (const Index &index : all(type))
            statements += createStatements(index, type);
        return statements;
    }
    // Tables nobody uses yet: one statement a table, which MariaDB runs
    // several times faster than one an index.
    QStringList tables;
    QHash<QString, QStringList> parts;
    for (const Index &index : all(type)) {
        if (!parts.contains(index.table))
            tables << index.table;
        QStringList &table = parts[index.table];
        if (!index.sortedText.isEmpty())
            table.prepend(QStringLiteral("ADD COLUMN %1 VARCHAR(255) AS (LEFT(%2, 255)) VIRTUAL INVISIBLE")
                              .arg(index.columns, index.sortedText));
        table << QStringLiteral("ADD INDEX %1 (%2)").arg(index.name, index.columns);
    }
    for (const QString &table : tables)
        statements << QStringLiteral("ALTER TABLE %1 ").arg(table) + parts.value(table).join(QLatin1String(", "));
    return statements;
}

bool hasIndex(DbWidget *db, const QString &name)
{
    if (!db)
        return false;
    if (presentCache().value(db).openSerial != db->openSerial)
        missing(db);
    const Present present = presentCache().value(db);
    return present.openSerial == db->openSerial && present.names.contains(name.toLower());
}

QList<Index> missing(DbWidget *db)
{
    QSqlQuery q = db->query(db->dbType == DbWidget::MySQL
                                ? QStringLiteral("SELECT DISTINCT INDEX_NAME FROM information_schema.STATISTICS "
                                                 "WHERE TABLE_SCHEMA = DATABASE()")
                                : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'"));
    // A list that cannot be read (the server lost) names nothing missing.
    if (!q.isActive())
        return {};
    QSet<QString> present;
    while (q.next())
        present.insert(q.value(0).toString().toLower());
    presentCache().insert(db, {db->openSerial, present});
    QList<Index> absent;
    for (const Index &index : all(db->dbType)) {
        if (!present.contains(index.name.toLower()))
            absent << index;
    }
    return absent;
}

bool addMissing(DbWidget *db, QWidget *parent)
{
    const QList<Index> absent = missing(db);
    if (absent.isEmpty())
        return true;
    // Nothing can be added to a database that cannot be written, which the
    // user has been told already.
    if (!db->readOnlyReason.isEmpty())
        return false;
    QProgressDialog progress(tr("Przygotowywanie bazy danych do szybkiego wyszukiwania..."), QString(), 0,
                             int(absent.size()), parent);
    progress.setWindowTitle(tr("Aktualizacja bazy danych"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    // Even online, an index waits for a moment alone with its table at its
    // start and end, and meanwhile every other statement on the table waits
    // behind it: a transaction held open elsewhere (a backup, a long report)
    // would stop the lists of every workstation until the read timeout gave
    // this connection up. The wait is kept short instead; the index is tried
    // again at the next start.
    const bool mySql = db->dbType == DbWidget::MySQL;
    if (mySql)
        QSqlQuery(db->database()).exec(QStringLiteral("SET SESSION lock_wait_timeout = 2"));
    // A statement may fail without an error of its own (a connection that
    // could not be opened again).
    std::optional<QSqlError> error;
    // One table that cannot take its index keeps none of the others' out;
    // any other failure (rights, the connection, a busy database) would
    // meet every index after it as well.
    bool stop = false;
    for (int i = 0; i < absent.size() && !stop; ++i) {
        progress.setLabelText(tr("Przygotowywanie bazy danych do szybkiego wyszukiwania.\n"
                                 "Tworzenie indeksu %1 z %2 (tabela %3)...")
                                  .arg(i + 1)
                                  .arg(absent.size())
                                  .arg(absent.at(i).table));
        for (const QString &statement : createStatements(absent.at(i), db->dbType)) {
            QSqlQuery q(db->database());
            if (q.exec(statement))
                continue;
            if (!error)
                error = q.lastError();
            stop = !concernsItsTable(q.lastError(), db->dbType);
            break;
        }
        progress.setValue(i + 1);
    }
    progress.close();
    if (mySql)
        QSqlQuery(db->database()).exec(QStringLiteral("SET SESSION lock_wait_timeout = DEFAULT"));
    // The sort columns added are columns of their tables from now on.
    db->forgetSchema();
    missing(db);
    if (!error)
        return true;
    // Said once a run for each database, not at every logout.
    static QSet<QString> warned;
    const QString where = db->location();
    if (warned.contains(where))
        return false;
    warned.insert(where);
    QString text = tr("Nie udało się dodać do bazy danych indeksów, których wymaga ta wersja programu. "
                      "Program działa dalej, ale listy (sortowanie i przewijanie) mogą się wczytywać wolno.");
    // Only a refusal for want of rights is mended by another user. A server
    // error of another kind is shown as it is.
    static const QStringList privilegeErrors{QStringLiteral("1044"), QStringLiteral("1045"), QStringLiteral("1142"),
                                             QStringLiteral("1143"), QStringLiteral("1227")};
    if (mySql && privilegeErrors.contains(error->nativeErrorCode()))
        text += QStringLiteral("\n\n")
            + tr("Należy uruchomić program raz jako użytkownik bazy danych z prawem zmiany jej struktury "
                 "(ALTER, INDEX).");
    const QString reason = error->isValid() ? error->text() : db->errorText;
    MessageBox::warning(tr("Brak indeksów bazy danych"),
                        text + QStringLiteral("\n\n") + tr("Błąd bazy danych: %1").arg(reason));
    return false;
}

} // namespace DbIndexes
