#pragma once

#include "records/recordmodel.h"

#include <QString>

// After a submitAll() of model that stored nothing, tells the user why: the
// record (what, e.g. "Ten klient") deleted on another workstation, fields of
// this save changed there since they were read, or the database refusing the
// write. True when the user chose to read the record again (the typed changes
// are dropped then); otherwise the typed values stay for another try.
bool explainRefusedSave(const RecordModel *model, const QString &what);
// The same after RecordModel::writeUnchanged(), from its refusal, the names
// of the fields changed elsewhere and the database's error.
bool explainRefusedSave(RecordModel::Refusal refusal, const QStringList &changedElsewhere,
                        const QSqlError &error, const QString &what);
