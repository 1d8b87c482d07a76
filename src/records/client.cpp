#include "records/client.h"

Client::Client(QObject *parent, DbWidget *db) : RecordModel(parent, db)
{
    setTable(QStringLiteral("clients"));
    setHeaders({
        { QStringLiteral("iId"), QStringLiteral("ID") },
        { QStringLiteral("sFName"), tr("Imię") },
        { QStringLiteral("sSName"), tr("Nazwisko") },
        { QStringLiteral("sCompany"), tr("Firma") },
        { QStringLiteral("sNIP"), tr("NIP") },
        { QStringLiteral("sStreet"), tr("Ulica") },
        { QStringLiteral("sAddrBuild"), tr("Nr budynku") },
        { QStringLiteral("sAddrLoc"), tr("Nr lokalu") },
        { QStringLiteral("sCity"), tr("Miasto") },
        { QStringLiteral("sPostal"), tr("Kod") },
        { QStringLiteral("sEmail"), tr("E-mail") },
        { QStringLiteral("sEmail2"), tr("E-mail 2") },
        { QStringLiteral("sPhone"), tr("Telefon") },
        { QStringLiteral("sPhone2"), tr("Telefon 2") },
        { QStringLiteral("sDescription"), tr("Opis") },
    });
}

Client::~Client() = default;

int Client::dbInsert(DbWidget *db, const QStringList &values)
{
    if (values.size() <= 13)
        return -1;
    static const QStringList columns = {
        QStringLiteral("sFName"),     QStringLiteral("sSName"),   QStringLiteral("sCompany"),
        QStringLiteral("sNIP"),       QStringLiteral("sStreet"),  QStringLiteral("sAddrBuild"),
        QStringLiteral("sAddrLoc"),   QStringLiteral("sCity"),    QStringLiteral("sPostal"),
        QStringLiteral("sEmail"),     QStringLiteral("sEmail2"),  QStringLiteral("sPhone"),
        QStringLiteral("sPhone2"),    QStringLiteral("sDescription")
    };
    return insertRecord(db, QStringLiteral("clients"), columns, values);
}
