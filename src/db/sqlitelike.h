#pragma once

class QSqlDatabase;

// SQLite's own LIKE folds the case of ASCII letters only, so "łukasz" would
// not find "Łukasz". This replaces like(X,Y) and like(X,Y,Z) (the ESCAPE
// form) on one open SQLite connection with a comparison that reads texts the
// way a MySQL / MariaDB server with utf8mb4_polish_ci does: letters of any
// case are equal, other accented letters equal their base letter, while the
// Polish letters ą ć ę ł ń ó ś ź ż (and Cyrillic ones such as й and ї) stay letters
// of their own, and a no-break or thin space equals a space.
// Returns false when the connection is not an open SQLite one.
bool installSqliteLike(const QSqlDatabase &db);
