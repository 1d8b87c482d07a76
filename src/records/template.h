#pragma once

#include "records/recordmodel.h"

#include <QStringList>

// The hardware templates (table templates): presets of a hardware record's
// name, type and generic fields. The generic fields whose label is empty are
// not columns of the model.
//
// The owner sets a filter such as "templates.iId=3" and selects.
class Template : public RecordModel
{
    Q_OBJECT
public:
    Template(QObject *parent, DbWidget *db);
    ~Template() override;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Reloads the field labels and the hardware types and sets the table, the
    // headers and the columns anew (rows are dropped: select again).
    void setupFields();

    // Inserts a template from at least 18 texts: sHName, iHType,
    // sField1..sField14, iFieldDate, sFieldLong (further texts are ignored).
    // The new id, or -1.
    static int dbInsert(DbWidget *db, const QStringList &values);
    // The columns that dbInsert() fills, in the order of its texts.
    static const QStringList &insertColumns();

protected:
    void updateColumns() override;

private:
    int colType = -1;
    int colFieldDate = -1;
};
