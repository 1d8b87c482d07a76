#pragma once

#include "records/recordmodel.h"

#include <QStringList>

// The hardware register (table hardware): the type and store status by name,
// the row in the colour of its store status, dates, and the owner's surname.
// The generic fields whose label is empty are not columns of the model.
//
// The owner sets a filter such as "hardware.iId=7" and selects.
class Hardware : public RecordModel
{
    Q_OBJECT
public:
    // Reloads the field labels, the hardware types and the hardware statuses.
    Hardware(QObject *parent, DbWidget *db);
    ~Hardware() override;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Inserts a hardware record from at least 22 texts: sHName, iStoreStatus,
    // iReceivedDate, sStoreComment, iHType, sField1..sField14, iFieldDate,
    // sFieldLong, iOwner (further texts are ignored). The new id, or -1.
    static int dbInsert(DbWidget *db, const QStringList &values);

    // The stored iOwner of the record in a row, -1 when there is none.
    int getOwnerId(int row) const;
    // The stored iOwner of a device, -1 when it is not there or cannot be read.
    static int storedOwner(DbWidget *db, int hardwareId);

protected:
    void updateColumns() override;

private:
    int colId = -1;
    int colType = -1;
    int colStatus = -1;
    int colReceived = -1;
    int colFieldDate = -1;
};
