#include "settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// True when QSettings reads value otherwise than it stands: a backslash
// other than the "\\" and "\"" it writes itself, a quote other than around
// the whole value, a comma or semicolon outside quotes.
bool readOtherwise(QStringView value)
{
    const bool quoted = value.startsWith(QLatin1Char('"'));
    for (qsizetype i = quoted ? 1 : 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\')) {
            if (i + 1 == value.size() || (value.at(i + 1) != QLatin1Char('\\') && value.at(i + 1) != QLatin1Char('"')))
                return true;
            ++i;
        } else if (c == QLatin1Char('"')) {
            return !quoted || i + 1 != value.size();
        } else if (!quoted && (c == QLatin1Char(',') || c == QLatin1Char(';'))) {
            return true;
        }
    }
    // A quote that is not closed.
    return quoted;
}

} // namespace

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

const QStringList Settings::HandWrittenGroups{QStringLiteral("email"), QStringLiteral("sms")};

QString Settings::rewriteProblem(QSettings *store, const QStringList &groups)
{
    for (const QString &group : groups) {
        const QString problem = CheckedGroup(store, group).writtenOtherwise();
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

CheckedGroup::CheckedGroup(QSettings *store, const QString &group) : m_store(store), m_group(group)
{
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    // The registry and property lists have no such syntax.
    if (store->format() == QSettings::NativeFormat)
        return;
#endif
    // What was set but not yet written goes to the file first.
    store->sync();
    QFile file(store->fileName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    // The text after "=" of each key of the group's sections, the last line
    // of a key counting, as in QSettings.
    bool inGroup = false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype end = trimmed.indexOf(QLatin1Char(']'));
            inGroup = end > 0 && rawKey(trimmed.mid(1, end - 1)) == rawKey(group);
        } else if (inGroup && equals > 0) {
            m_written.insert(rawKey(trimmed.left(equals)), trimmed.mid(equals + 1).trimmed());
        }
    }
}

QString CheckedGroup::rawKey(const QString &name)
{
    // Keys and groups of INI files are told apart regardless of case on Windows.
#ifdef Q_OS_WIN
    return name.trimmed().toLower();
#else
    return name.trimmed();
#endif
}

QVariant CheckedGroup::value(const QString &key, const QVariant &defaultValue)
{
    if (!m_problem.isEmpty())
        return QVariant();
    if (readOtherwise(m_written.value(rawKey(key)))) {
        m_problem = misread(key);
        return QVariant();
    }
    return m_store->value(m_group + QLatin1Char('/') + key, defaultValue);
}

QString CheckedGroup::misread(const QString &key) const
{
    return QCoreApplication::translate(
               "Settings",
               "W pliku %1 (grupa [%2], klucz %3) wartość zawiera znak \\ lub \" albo "
               "przecinek lub średnik bez cudzysłowu, więc program odczytałby ją inaczej, niż ją zapisano. "
               "Ujmij wartość w cudzysłów, a w niej każdy \\ napisz jako \\\\, a \" jako \\\" "
               "(w ścieżce zamiast \\ można pisać /).")
        .arg(QDir::toNativeSeparators(m_store->fileName()), m_group, key);
}

QVariant CheckedGroup::label(const QString &key, const QVariant &defaultValue) const
{
    if (readOtherwise(m_written.value(rawKey(key))))
        return defaultValue;
    return m_store->value(m_group + QLatin1Char('/') + key, defaultValue);
}

QString CheckedGroup::writtenOtherwise() const
{
    for (auto it = m_written.cbegin(); it != m_written.cend(); ++it) {
        if (readOtherwise(it.value()))
            return misread(it.key());
    }
    return QString();
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
