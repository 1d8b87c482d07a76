#include "settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

Settings::Settings(const QString &path)
    : dirPath(path.endsWith('/') ? path : path + '/')
{
    ini = new QSettings(dirPath + QStringLiteral("config.ini"), QSettings::IniFormat);
    native = openNative();
}

QSettings *Settings::openNative()
{
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                         QStringLiteral("Warsztat"), QStringLiteral("warsztat"));
}

QString Settings::whereKept(const QSettings &store, const QString &group, const QString &keys)
{
    return QCoreApplication::translate("Settings",
                                       "Program odczytuje je z ustawień użytkownika (%1), "
                                       "grupa \"%2\", klucze: %3.")
        .arg(QDir::toNativeSeparators(store.fileName()), group, keys);
}

Settings::~Settings()
{
    delete ini;
    delete native;
}

bool Settings::iniValid() const
{
    if (!QFileInfo(ini->fileName()).isReadable() || ini->status() != QSettings::NoError)
        return false;
    bool ok = false;
    ini->value(QStringLiteral("config/defaultdb")).toString().toInt(&ok);
    return ok;
}

int Settings::defaultDb() const
{
    return ini->value(QStringLiteral("config/defaultdb")).toInt();
}

QList<int> Settings::connectionNumbers() const
{
    QList<int> numbers;
    const QStringList groups = ini->childGroups();
    for (const QString &group : groups) {
        if (!group.startsWith(QLatin1String("db_")))
            continue;
        bool ok = false;
        const int n = group.mid(3).toInt(&ok);
        if (ok)
            numbers << n;
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}
