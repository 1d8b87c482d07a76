#pragma once

#include <QString>

class DbWidget;

// The shop's identity as documents and labels print it. It is kept
// database-wide, so that every workstation of the shop prints the same: rows
// of the table settings in group "shop".
namespace ShopIdentity {

// The shop's name (key "name"), empty when none is stored or it cannot be
// read.
QString name(DbWidget *db);

} // namespace ShopIdentity
