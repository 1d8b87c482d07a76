#include "records/refusedsave.h"

#include "messagebox.h"
#include "records/recordmodel.h"

#include <QObject>
#include <QSqlError>

bool explainRefusedSave(const RecordModel *model, const QString &what)
{
    switch (model->refusal()) {
    case RecordModel::Refusal::Deleted:
        MessageBox::recordDeleted(what, QObject::tr("Zmiany nie zostały zapisane."));
        return false;
    case RecordModel::Refusal::ChangedElsewhere:
        return MessageBox::changedElsewhere(model->changedElsewhere());
    default:
        MessageBox::saveFailed(model->lastError());
        return false;
    }
}
