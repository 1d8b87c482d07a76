#pragma once

#include <QMap>
#include <QString>

class DbWidget;
class QComboBox;

// Appends "Nieprzydzielony" (data 0) and then every active user, in ascending
// order of user id, with the user's id as data.
void fillTechnicianBox(DbWidget *db, QComboBox *box);

// The names of the users (only the active ones with activeOnly) by id, read
// once per connection.
QMap<int, QString> userNames(DbWidget *db, bool activeOnly = false);
