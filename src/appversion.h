#pragma once

#include <QString>

// The program's version: shown in the window title and compared with the
// schema version stored in the database.
inline const QString appVersion = QStringLiteral("1.23");
