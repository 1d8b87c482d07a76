#pragma once

#include "records/recordmodel.h"

#include <QStringList>

// The client register (table clients); texts show as stored.
//
// The owner sets a filter such as "clients.iId=5" and selects.
class Client : public RecordModel
{
    Q_OBJECT
public:
    Client(QObject *parent, DbWidget *db);
    ~Client() override;

    // Inserts a client from at least 14 texts: sFName, sSName, sCompany, sNIP,
    // sStreet, sAddrBuild, sAddrLoc, sCity, sPostal, sEmail, sEmail2, sPhone,
    // sPhone2, sDescription (further texts are ignored). The new id, or -1.
    static int dbInsert(DbWidget *db, const QStringList &values);
};
