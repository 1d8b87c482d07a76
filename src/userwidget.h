#pragma once

#include <QString>

// The logged-in user.
class UserWidget
{
public:
    UserWidget(int id, const QString &name, int level)
        : id(id), name(name), level(level) {}

    // Levels up to this one take in repairs and change their status and
    // progress; higher ones look at them and write notes.
    static constexpr int RepairsMaxLevel = 5;
    static bool mayEditRepairs(const UserWidget *user) { return user && user->level <= RepairsMaxLevel; }

    int id;
    QString name;
    int level; // 0 is the administrator, up to 7 the most restricted
};
