#pragma once

#include <functional>

class DbWidget;

// Runs work in one transaction on the connection of db: commits when work
// returns true, rolls everything back otherwise. True when committed.
bool runInTransaction(DbWidget *db, const std::function<bool()> &work);
