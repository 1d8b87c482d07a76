#pragma once

#include <QSqlQuery>

class DbWidget;
class UserWidget;
class Settings;

// Shared base of the pages, dialogs and document generators: keeps the three
// objects of the logged-in state (none owned, any may be null) and one
// reusable query.
class WidgetBase
{
public:
    WidgetBase(DbWidget *db, UserWidget *user, Settings *settings);
    virtual ~WidgetBase();

    DbWidget *db;
    UserWidget *user;
    Settings *settings;
    QSqlQuery *query;
};
