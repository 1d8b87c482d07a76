#pragma once

#include <QSettings>
#include <QString>

// Owner of the two settings stores: the INI file "config.ini" next to the
// program (database connections, default database, last login) and the
// user's native store (per-workstation options).
class Settings
{
public:
    // dirPath is the program's directory; a trailing "/" is added if missing.
    explicit Settings(const QString &dirPath);
    ~Settings();

    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    QSettings *ini = nullptr;
    QSettings *native = nullptr;
    QString dirPath;

    // True when the INI file can be read and names a default connection.
    bool iniValid() const;
    int defaultDb() const;

    // Numbers N of every "db_N" group of the INI file, ascending.
    QList<int> connectionNumbers() const;

    // A new handle on the user's native store, for code that is given no
    // Settings object; the caller owns it.
    static QSettings *openNative();

    // Tells staff where options missing from the native store are kept: the
    // store's file (or registry key), its group and the keys, in Polish.
    static QString whereKept(const QSettings &store, const QString &group, const QString &keys);
};
