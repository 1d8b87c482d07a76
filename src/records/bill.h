#pragma once

#include "records/recordmodel.h"

#include <QStringList>

// The bills (table billing): dates, the status by name, the settling user's
// name (the column iUser shows users.sUser and is named sUser once selected)
// and the row in yellow while unsettled, green once settled.
//
// The owner sets a filter such as "billing.iId=4" and selects.
class Bill : public RecordModel
{
    Q_OBJECT
public:
    Bill(QObject *parent, DbWidget *db);
    ~Bill() override;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // "Nierozliczony" for 0, "Rozliczony" for 1 and 2 (2 being the settled
    // code of older databases), "Błąd statusu !" otherwise.
    static QString getStatusById(int code);
    // Inserts a bill from exactly 13 texts: iAddDate, iClientId, iRepairId,
    // iHardwareId, sPriceNet, sPriceGross, sPriceParts, sPriceLabor,
    // sPriceOuter, sDescription, iStatus, iDate, iUser. The new id, or -1.
    static int dbInsert(DbWidget *db, const QStringList &values);
    // Sets the user who settled a bill.
    static void updateUser(DbWidget *db, int billId, int userId);

    // Bill statuses: [0] names, [1] codes ("0" unsettled, "1" settled), in the
    // shape FormIn::comboboxSetup takes.
    static QStringList Statuses[2];

protected:
    void updateColumns() override;

private:
    int colAddDate = -1;
    int colRepair = -1;
    int colHardware = -1;
    int colStatus = -1;
    int colDate = -1;
    int colUser = -1; // the relation column, at the place of iUser
};
