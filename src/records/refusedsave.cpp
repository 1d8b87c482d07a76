#include "records/refusedsave.h"

#include "messagebox.h"

#include <QObject>
#include <QSqlError>

bool explainRefusedSave(const RecordModel *model, const QString &what)
{
    return explainRefusedSave(model->refusal(), model->changedElsewhere(), model->lastError(), what);
}

bool explainRefusedSave(RecordModel::Refusal refusal, const QStringList &changedElsewhere,
                        const QSqlError &error, const QString &what)
{
    switch (refusal) {
    case RecordModel::Refusal::Deleted:
        MessageBox::recordDeleted(what, QObject::tr("Zmiany nie zostały zapisane."));
        return false;
    case RecordModel::Refusal::ChangedElsewhere:
        return MessageBox::changedElsewhere(changedElsewhere);
    default:
        MessageBox::saveFailed(error);
        return false;
    }
}
