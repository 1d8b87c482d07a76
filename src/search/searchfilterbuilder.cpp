#include "search/searchfilterbuilder.h"

#include <QDateTime>
#include <QSet>

#include <utility>

SearchFilterBuilder::SearchFilterBuilder(DbWidget::DbType engine)
    : m_engine(engine)
{
}

void SearchFilterBuilder::add(const QString &condition)
{
    m_conditions << condition;
}

void SearchFilterBuilder::addId(const QString &prefix, const QString &text, bool displayNumber)
{
    if (text.isEmpty())
        return;
    bool ok = false;
    const QString id = idText(text, displayNumber, &ok);
    if (ok)
        add(prefix + id);
    else
        matchNothing();
}

void SearchFilterBuilder::addLike(const QString &prefix, const QString &text)
{
    // A NUL (pasted from elsewhere) would end the statement on SQLite; no
    // stored text is searched for it.
    const QString typed = QString(text).remove(QChar(0));
    if (!typed.isEmpty())
        add(prefix + DbWidget::escapeLike(typed, m_engine) + QLatin1String("%'"));
}

void SearchFilterBuilder::addRange(const QString &lowerPrefix, qint64 lower,
                                   const QString &upperPrefix, qint64 upper)
{
    add(lowerPrefix + QString::number(lower));
    add(upperPrefix + QString::number(upper));
}

void SearchFilterBuilder::addValue(const QString &prefix, const QVariant &value)
{
    // Item data comes from the dictionaries as numbers; anything else could
    // not be placed in the statement as a bare value.
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (ok)
        add(prefix + QString::number(number));
    else
        matchNothing();
}

void SearchFilterBuilder::matchNothing()
{
    m_nothing = true;
}

QString SearchFilterBuilder::text() const
{
    if (m_nothing)
        return QStringLiteral("0");
    return QStringList(m_conditions + QStringList{QStringLiteral("1")}).join(QLatin1String(" AND "));
}

QString SearchFilterBuilder::idText(const QString &text, bool displayNumber, bool *ok)
{
    QString id = text;
    if (displayNumber) {
        const int slash = id.indexOf(QLatin1Char('/'));
        if (slash >= 0)
            id.truncate(slash);
    }
    id = id.trimmed();
    bool digits = !id.isEmpty();
    for (const QChar c : std::as_const(id)) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            digits = false;
            break;
        }
    }
    if (ok)
        *ok = digits;
    return digits ? id : QString();
}

qint64 SearchFilterBuilder::dayStart(const QDate &date)
{
    return date.startOfDay().toSecsSinceEpoch();
}

qint64 SearchFilterBuilder::dayEnd(const QDate &date)
{
    return date.addDays(1).startOfDay().toSecsSinceEpoch();
}

QString SearchFilterBuilder::anyOf(const QString &column, const QList<int> &ids)
{
    if (ids.isEmpty())
        return QStringLiteral("0");
    QStringList values;
    values.reserve(ids.size());
    for (const int id : ids)
        values << QString::number(id);
    return column + QLatin1String(" IN (") + values.join(QLatin1Char(',')) + QLatin1Char(')');
}

QString SearchFilterBuilder::anyEqual(const QString &column, const QStringList &values,
                                      int chainLimit)
{
    QStringList distinct;
    QSet<QString> seen;
    for (const QString &value : values) {
        if (!seen.contains(value)) {
            seen.insert(value);
            distinct << value;
        }
    }
    if (distinct.size() > chainLimit)
        return column + QLatin1String(" IN (") + distinct.join(QLatin1Char(',')) + QLatin1Char(')');

    QStringList conditions;
    conditions.reserve(distinct.size() + 1);
    for (const QString &value : std::as_const(distinct))
        conditions << column + QLatin1String(" = ") + value;
    conditions << QStringLiteral("0");
    return conditions.join(QLatin1String(" OR "));
}
