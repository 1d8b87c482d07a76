#include "records/refusedsave.h"

#include "db/dbtransaction.h"
#include "db/dbwidget.h"
#include "messagebox.h"

#include <QObject>
#include <QSqlError>
#include <QWidget>

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

bool rowToSave(const RecordModel *model, const QString &what)
{
    if (model->rowCount() > 0)
        return true;
    explainRefusedSave(model->readError().isValid() ? RecordModel::Refusal::Failed : RecordModel::Refusal::Deleted,
                       {}, model->readError(), what);
    return false;
}

bool recordRead(const RecordModel *model, const QString &unread, const QString &what)
{
    if (model->rowCount() > 0)
        return true;
    if (model->readError().isValid())
        MessageBox::readFailed(unread, model->readError());
    else
        MessageBox::recordDeleted(what, QObject::tr("Jego dane nie zostały wczytane."));
    return false;
}

bool holdRecords(DbWidget *db, const QList<HeldRecord> &held, const HeldRecord **gone)
{
    for (const HeldRecord &record : held) {
        const RecordModel::RowState state = RecordModel::rowState(db, record.table, record.id, true, record.key);
        if (state == RecordModel::RowState::Missing)
            *gone = &record;
        if (state != RecordModel::RowState::Present)
            return false;
    }
    return true;
}

bool holdTable(DbWidget *db, const QString &table)
{
    return db->dbType != DbWidget::MySQL
        || db->query(QStringLiteral("SELECT iId FROM %1 FOR UPDATE").arg(table)).isActive();
}

void reportFailedSave(DbWidget *db, QWidget *parent, bool deleting)
{
    if (db && db->commitUncertain() && deleting)
        MessageBox::deletionUncertain(parent);
    else if (db && db->commitUncertain())
        MessageBox::saveUncertain(parent);
    else
        MessageBox::saveFailed(db ? db->lastWriteError : QSqlError(), parent);
}

bool saveHoldingRecords(DbWidget *db, const QList<HeldRecord> &held, const QString &outcome,
                        const std::function<bool()> &work, QWidget *parent, HeldRecord *gone)
{
    const HeldRecord *missing = nullptr;
    const bool saved = runInTransaction(db, [&] { return holdRecords(db, held, &missing) && work(); });
    if (missing) {
        MessageBox::recordDeleted(missing->name, outcome, parent, missing->gender);
        if (gone)
            *gone = *missing;
    } else if (!saved) {
        reportFailedSave(db, parent);
    }
    return saved;
}

std::optional<bool> saveEntryEdit(DbWidget *db, const std::function<RecordModel::Refusal()> &edit,
                                  const std::function<void()> &missing, const QString &changed)
{
    auto refusal = RecordModel::Refusal::Failed;
    const bool ok = runInTransaction(db, [&] {
        refusal = edit();
        return refusal == RecordModel::Refusal::None;
    });
    if (refusal == RecordModel::Refusal::Deleted)
        missing();
    else if (refusal == RecordModel::Refusal::ChangedElsewhere)
        MessageBox::entryChangedElsewhere(changed);
    else
        return ok;
    return std::nullopt;
}

bool closesAfterEntrySave(DbWidget *db, std::optional<bool> written, bool deleting)
{
    if (written == true)
        MessageBox::saved();
    else if (written == false)
        reportFailedSave(db, nullptr, deleting);
    // One that may have been stored all the same closes as well.
    return written != false || deleting || db->commitUncertain();
}

void saveDeletion(QString *action, const QWidget *editBox, const std::function<void()> &save)
{
    const QString boxAction = *action;
    *action = QStringLiteral("delete");
    save();
    // A deletion that came as far as its question has closed the box.
    if (!editBox->isHidden() && *action == QLatin1String("delete"))
        *action = boxAction;
}
