#pragma once

#include "records/recordmodel.h"

#include <QMap>
#include <QString>
#include <QStringList>

// The register of repair orders (table repairs): dates, the display number,
// the repair kind, the status name and colour, the progress and user names
// as staff read them; the client and the hardware show by name.
//
// The owner sets a filter with columns qualified by the table name
// ("repairs.iId=12") and selects.
class Repair : public RecordModel
{
    Q_OBJECT
public:
    Repair(QObject *parent, DbWidget *db);
    ~Repair() override;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Takes the user names as this connection read them last (a search
    // reads them afresh first), then reads the rows.
    bool select() override;

    // Name of a user for the user columns: "Nieprzydzielony" for 0 and
    // "Usunięty" for an id the model's users do not hold.
    QString getUserById(int id) const;
    // The number staff read: the id, "/" and the stored number, or the day
    // and month of intake ("ddMM") when no number is stored.
    static QString displayNumber(const QVariant &id, const QString &number, const QVariant &addDate);
    // Name of a repair kind; "Błąd typu !" for a code that is not listed.
    static QString getTypeById(int code);
    // Stored progress of a repair, -1 when there is no such repair.
    static int getProgress(DbWidget *db, int repairId);
    // Stores the progress in percent; false when the update failed or found
    // no such repair.
    static bool updateProgress(DbWidget *db, int repairId, int progress);
    enum class Update { Written, ChangedElsewhere, Failed };
    // Writes the assignments (e.g. "iProgress = 70") to a repair that a
    // transaction holds, only while column still holds the value the page
    // shows (an empty one: while it is NULL or ''); ChangedElsewhere when another
    // workstation changed it meanwhile.
    static Update updateShown(DbWidget *db, int repairId, const QString &assignments,
                              const QString &column, const QVariant &shown);
    // Inserts a repair from exactly 13 texts: sNum, iAddDate, iEndDate, iType,
    // sCost, sDefect, sComment, sOuterNo, iStatus, iClientId, iHardwareId,
    // iSubmitterId, iTechnicanId. The new id, or -1.
    static int dbInsert(DbWidget *db, const QStringList &values);

    // The raw client / hardware id of the repair in a row, -1 when none.
    int getClientId(int row) const;
    int getHardwareId(int row) const;
    // The statement that reads them: column of the repair repairId.
    static QString idOfRowStatement(const QString &column, const QString &repairId);

    // Repair kinds: [0] names, [1] codes ("-1" none, "0".."3"), in the shape
    // FormIn::comboboxSetup takes.
    static QStringList Types[2];

protected:
    void updateColumns() override;

private:
    int readIdOfRow(const QString &column, int row) const;

    QMap<int, QString> users; // users.iId -> users.sUser as of the last select

    int colId = -1;
    int colNum = -1;
    int colAddDate = -1;
    int colEndDate = -1;
    int colType = -1;
    int colStatus = -1;
    int colProgress = -1;
    int colSubmitter = -1;
    int colTechnican = -1;
};
