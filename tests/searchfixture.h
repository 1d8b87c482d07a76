#pragma once

// Shared ground of the search page tests: rows of the registers (each
// function gives one parenthesised VALUES tuple for the matching INSERT
// prefix, so many rows go in with one multi-row statement; every text column
// gets a value, as MySQL declares them NOT NULL) and the page itself.

#include "db/dbtransaction.h"
#include "search/searchwidget.h"
#include "testdatabase.h"
#include "userwidget.h"

#include <QDate>
#include <QDateTime>
#include <QSqlRelationalTableModel>
#include <QStringList>
#include <QTime>
#include <algorithm>
#include <memory>

namespace SearchRows {

inline const QString ClientsInsert = QStringLiteral(
    "INSERT INTO clients (iId, sFName, sSName, sCompany, sNIP, sStreet, sAddrBuild, sAddrLoc, "
    "sCity, sPostal, sEmail, sEmail2, sPhone, sPhone2, sDescription) VALUES ");
inline const QString HardwareInsert = QStringLiteral(
    "INSERT INTO hardware (iId, sHName, iHType, iStoreStatus, iReceivedDate, sStoreComment, "
    "sField1, sField2, sField3, sField4, sField5, sField6, sField7, sField8, sField9, sField10, "
    "sField11, sField12, sField13, sField14, iFieldDate, sFieldLong, iOwner) VALUES ");
inline const QString RepairsInsert = QStringLiteral(
    "INSERT INTO repairs (iId, sNum, iAddDate, iEndDate, iType, sCost, sMCost, sDefect, "
    "sSolution, sComment, sOuterNo, iStatus, iProgress, iClientId, iHardwareId, iSubmitterId, "
    "iTechnicanId) VALUES ");
inline const QString NotesInsert = QStringLiteral(
    "INSERT INTO notes (iId, iRepairId, iAddDate, iSeverity, sNote, iUserId) VALUES ");
inline const QString BillsInsert = QStringLiteral(
    "INSERT INTO billing (iId, iAddDate, iClientId, iRepairId, iHardwareId, sPriceNet, "
    "sPriceGross, sPriceParts, sPriceLabor, sPriceOuter, sDescription, iStatus, iDate, iUser) "
    "VALUES ");

inline QString quoted(const QString &text)
{
    return QLatin1Char('\'') + DbWidget::escapeLiteral(text, TestDatabase::engine()) + QLatin1Char('\'');
}

// Seconds since 1970 of a local time.
inline qint64 at(const QDate &date, const QTime &time = QTime(0, 0))
{
    return QDateTime(date, time).toSecsSinceEpoch();
}

inline QString client(int id, const QString &surname, const QString &city = QString(),
                      const QString &phone = QString())
{
    return QStringLiteral("(%1, 'Jan', %2, '', '', '', '', '', %3, '', '', '', %4, '', '')")
        .arg(id).arg(quoted(surname), quoted(city), quoted(phone));
}

inline QString hardware(int id, const QString &name, int owner, int type = 0, int store = 1,
                        const QString &serial = QString(), qint64 fieldDate = 0)
{
    return QStringLiteral("(%1, %2, %3, %4, 0, '', 'Dell', '', %5, '', '', '', '', '', '', '', "
                          "'', '', '', '', %6, '', %7)")
        .arg(id).arg(quoted(name)).arg(type).arg(store).arg(quoted(serial)).arg(fieldDate).arg(owner);
}

inline QString repair(int id, int client, int hardware, qint64 addDate = 0, int status = 0,
                      const QString &outerNo = QString(), qint64 endDate = 0, int type = 0,
                      int technican = 0)
{
    return QStringLiteral("(%1, '0101', %2, %3, %4, '', '', 'usterka', '', '', %5, %6, 0, %7, "
                          "%8, 1, %9)")
        .arg(id).arg(addDate).arg(endDate).arg(type).arg(quoted(outerNo)).arg(status)
        .arg(client).arg(hardware).arg(technican);
}

inline QString note(int id, int repairId, qint64 addDate = 0, int severity = 1,
                    const QString &text = QStringLiteral("notatka"), int user = 1)
{
    return QStringLiteral("(%1, %2, %3, %4, %5, %6)")
        .arg(id).arg(repairId).arg(addDate).arg(severity).arg(quoted(text)).arg(user);
}

inline QString bill(int id, int client, int repair, int hardware, qint64 date = 0, int status = 0)
{
    return QStringLiteral("(%1, 0, %2, %3, %4, '10', '12', '0', '10', '0', '', %5, %6, 1)")
        .arg(id).arg(client).arg(repair).arg(hardware).arg(status).arg(date);
}

// Inserts the rows in statements of at most 500 rows, in one transaction.
inline bool insert(TestDatabase &t, const QString &prefix, const QStringList &rows)
{
    QStringList statements;
    for (int start = 0; start < rows.size(); start += 500)
        statements << prefix + rows.mid(start, 500).join(QLatin1String(", "));
    return runInTransaction(t.db(), [&] { return t.exec(statements); });
}

// A search page of the given register on the test database.
inline std::unique_ptr<SearchWidget> searchPage(TestDatabase &t, UserWidget *user, int variant,
                                                bool tools)
{
    return std::make_unique<SearchWidget>(nullptr, t.db(), user, nullptr,
                                          SearchWidget::SearchVariant(variant), tools);
}

// Every row of a model, fetched whole.
inline int allRows(QSqlRelationalTableModel *model)
{
    while (model->canFetchMore())
        model->fetchMore();
    return model->rowCount();
}

// The iId of every row of a model, fetched whole, in ascending order.
inline QList<int> ids(QSqlRelationalTableModel *model)
{
    allRows(model);
    QList<int> list;
    const int column = model->fieldIndex(QStringLiteral("iId"));
    for (int row = 0; row < model->rowCount(); ++row)
        list << model->data(model->index(row, column), Qt::EditRole).toInt();
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace SearchRows
