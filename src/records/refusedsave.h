#pragma once

#include "messagebox.h"
#include "records/recordmodel.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class DbWidget;
class QWidget;

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

// Before a save of the one record model is filtered to: true when its row is
// there to take what was typed. Otherwise tells the user that it could not be
// read or that it (what, e.g. "Ten klient") was deleted on another
// workstation; nothing is written.
bool rowToSave(const RecordModel *model, const QString &what);

// After model read the one record it is filtered to: true when its row is
// there. Otherwise tells the user that it could not be read (unread, e.g.
// "Nie udało się odczytać danych klienta.") or that it (what, e.g. "Ten
// klient") was deleted on another workstation.
bool recordRead(const RecordModel *model, const QString &unread, const QString &what);

// A record that a save writes to or refers to, named as the user knows it.
struct HeldRecord
{
    QString table;
    int id;
    QString name; // e.g. "Ten klient"
    MessageBox::Gender gender = MessageBox::Gender::Masculine;
    QString key = QStringLiteral("iId"); // the column that holds id
};

// Inside an open transaction: every record of held still there, locked
// against deletion until the transaction ends. False when one is not; *gone
// then names the one deleted (it stays null when one could not be read).
bool holdRecords(DbWidget *db, const QList<HeldRecord> &held, const HeldRecord **gone);
// Holds every row of a dictionary table until the transaction ends (MySQL;
// SQLite holds the whole file already): for a save that rewrites rows of it
// in an order of its own, which would otherwise deadlock with a save that
// holds one entry of it (a scan taking every row in the order of iId).
bool holdTable(DbWidget *db, const QString &table);

// After a save that stored nothing: saveUncertain() (deletionUncertain()
// for a deletion) when its COMMIT lost the answer, so that it may have been
// stored all the same, otherwise saveFailed() with the database's reason.
void reportFailedSave(DbWidget *db, QWidget *parent = nullptr, bool deleting = false);

// Runs work in one transaction once every record of held is found there,
// locked against deletion until the end. True when committed. Otherwise the
// user is told: a record deleted on another workstation is named, with
// outcome (e.g. "Zmiany nie zostały zapisane."), and copied to *gone when
// given; anything else is a failed save.
bool saveHoldingRecords(DbWidget *db, const QList<HeldRecord> &held, const QString &outcome,
                        const std::function<bool()> &work, QWidget *parent = nullptr,
                        HeldRecord *gone = nullptr);

// The edit of a dictionary entry (a status, a hardware type), run by edit in
// one transaction: whether it was written, or unset when it was refused as
// the entry was deleted (missing() says so) or changed at another
// workstation (changed names it).
std::optional<bool> saveEntryEdit(DbWidget *db, const std::function<RecordModel::Refusal()> &edit,
                                  const std::function<void()> &missing, const QString &changed);
// After a dictionary page's save (written unset when nothing was written):
// tells the user how it went; true when the edit box is to close on the
// list as stored, false for a failed edit or addition that surely stored
// nothing (its box stays open with what was typed).
bool closesAfterEntrySave(DbWidget *db, std::optional<bool> written, bool deleting);
// "Usuń" on a dictionary page: save() runs with *action "delete". Refused
// before its question (the entry gone or in use), the deletion leaves the
// page as it was, an open edit box included, and the box keeps its own
// action: its "Zapisz" saves what it shows rather than trying the deletion
// again.
void saveDeletion(QString *action, const QWidget *editBox, const std::function<void()> &save);
