#pragma once

#include <QStringList>
#include <QVariantList>

class DbWidget;

// The edit of one dictionary entry (a status, a hardware type) in the edit
// box of its configuration page. Other workstations may change or delete the
// entry while the box is open: the edit is written only over what the box
// was opened with, so that a later save does not silently undo an earlier
// one.
namespace DictionaryEdit {

enum class Outcome { Written, Failed, Gone, ChangedElsewhere };

// Sets the columns of row id of table to values, while the shownColumns still
// hold the shown values (NULL matching NULL). Gone when the row no longer
// exists, ChangedElsewhere when it holds other values.
Outcome update(DbWidget *db, const QString &table, int id, const QStringList &columns,
               const QVariantList &values, const QStringList &shownColumns, const QVariantList &shown);

// Tells staff that the entry was changed at another workstation and nothing
// was stored; changed is the sentence that names the entry.
void sayChangedElsewhere(const QString &changed);

} // namespace DictionaryEdit
