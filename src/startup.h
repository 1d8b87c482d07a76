#pragma once

class DbWidget;
class QSettings;
class QWidget;

// The checks that follow every opening of a configured database: at start-up,
// after logging out and when another database is chosen on the login page.
namespace Startup {

// Opens connection "db_<number>" of the INI store. A failure is reported in an
// error InfoDialog window owned by owner (when given). Returns whether the
// connection is open.
bool connectDatabase(DbWidget *db, QSettings *ini, int number, QWidget *owner);

// An opened database without the tables of the program is offered its
// schema; one made earlier gets the indexes it lacks; one whose schema
// version differs from the program's is reported.
void checkDatabase(DbWidget *db);

// connectDatabase() followed, on success, by checkDatabase().
bool openDatabase(DbWidget *db, QSettings *ini, int number, QWidget *owner);

// Asks whether to create the structure of an empty database and creates it on
// consent. Returns true when the database holds the program's tables
// afterwards.
bool offerSchema(DbWidget *db);

// Warns when the schema version of the database is not the program's.
void checkVersion(DbWidget *db);

} // namespace Startup
