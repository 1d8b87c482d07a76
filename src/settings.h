#pragma once

#include <QHash>
#include <QSettings>
#include <QString>
#include <QVariant>

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

    // The groups of the native store that staff write by hand: the e-mail
    // and SMS accounts.
    static const QStringList HandWrittenGroups;
    // QSettings writes the whole file back as it read it: a hand-written
    // value of groups that it reads otherwise would be stored changed (a
    // password cut at its ";"), and then no longer be refused. Tells, in
    // Polish, which key to mend first; empty when store can be written.
    static QString rewriteProblem(QSettings *store, const QStringList &groups);
};

// Reads the keys of one group of a settings store. A value written by hand in
// the store's file with a backslash, a quote, or a comma or semicolon outside
// quotes is read by the INI syntax as something else than was written (an
// escape, a list, a comment): it is not used, and problem() then tells staff,
// in Polish, which file, group and key to mend and how.
class CheckedGroup
{
public:
    CheckedGroup(QSettings *store, const QString &group);

    // The key's value; invalid once this or an earlier key of the group was
    // found written so.
    QVariant value(const QString &key, const QVariant &defaultValue = QVariant());
    QVariant value(const char *key, const QVariant &defaultValue = QVariant())
    {
        return value(QLatin1String(key), defaultValue);
    }
    // A value that only names something (a description): defaultValue when
    // it is written so, without a problem.
    QVariant label(const QString &key, const QVariant &defaultValue = QVariant()) const;
    const QString &problem() const { return m_problem; }
    // Some key of the group is written so that QSettings reads it otherwise:
    // a file QSettings writes back would keep what it read. Says, in Polish,
    // how to mend such a key; empty when there is none.
    QString writtenOtherwise() const;

private:
    static QString rawKey(const QString &name);
    // Tells staff how to write key so that it is read as written.
    QString misread(const QString &key) const;

    QSettings *m_store;
    QString m_group;
    QString m_problem;
    QHash<QString, QString> m_written; // key: the text after "=" in the file
};
