#pragma once

#include <QMap>
#include <QString>

class DbWidget;
class QComboBox;

// Appends "Nieprzydzielony" (data 0) and then every active user, in ascending
// order of user id, with the user's id as data; the users are read afresh,
// or without reread as this connection read them last.
void fillTechnicianBox(DbWidget *db, QComboBox *box, bool reread = true);

// The names of the users (only the active ones with activeOnly) by id, read
// once per connection, and again with reread (another workstation may have
// added or renamed one).
QMap<int, QString> userNames(DbWidget *db, bool activeOnly = false, bool reread = false);
