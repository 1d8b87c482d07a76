#pragma once

#include <QString>

// The logged-in user.
class UserWidget
{
public:
    UserWidget(int id, const QString &name, int level)
        : id(id), name(name), level(level) {}

    int id;
    QString name;
    int level; // 0 is the administrator, up to 7 the most restricted
};
