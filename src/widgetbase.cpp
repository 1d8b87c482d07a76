#include "widgetbase.h"

WidgetBase::WidgetBase(DbWidget *db, UserWidget *user, Settings *settings)
    : db(db), user(user), settings(settings), query(new QSqlQuery())
{
}

WidgetBase::~WidgetBase()
{
    delete query;
}
