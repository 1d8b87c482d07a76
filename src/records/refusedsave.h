#pragma once

#include <QString>

class RecordModel;

// After a submitAll() of model that stored nothing, tells the user why: the
// record (what, e.g. "Ten klient") deleted on another workstation, fields of
// this save changed there since they were read, or the database refusing the
// write. True when the user chose to read the record again (the typed changes
// are dropped then); otherwise the typed values stay for another try.
bool explainRefusedSave(const RecordModel *model, const QString &what);
