#pragma once

class DbWidget;
class QComboBox;

// Appends "Nieprzydzielony" (data 0) and then every active user, in ascending
// order of user id, with the user's id as data.
void fillTechnicianBox(DbWidget *db, QComboBox *box);
