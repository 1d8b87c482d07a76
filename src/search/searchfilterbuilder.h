#pragma once

#include "db/dbwidget.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// Builds the condition text of a search filter from plain values: one
// condition per filter input in use, in the order they are added, joined
// with " AND " and closed by "1", so the text is never empty. An input that
// cannot match anything (a record number that is not a number, a checked box
// without a current entry) turns the whole filter into "0".
class SearchFilterBuilder
{
public:
    explicit SearchFilterBuilder(DbWidget::DbType engine);

    // Appends a ready condition.
    void add(const QString &condition);
    // A record number typed by staff: when the text is not empty, the prefix
    // directly followed by the number; with displayNumber the text is cut at
    // its first "/" first, so a displayed repair number "17/0312" gives 17.
    void addId(const QString &prefix, const QString &text, bool displayNumber = false);
    // Typed text searched anywhere in a column: the prefix (ending in
    // "LIKE '%"), the text made safe for the literal, and "%'". A NUL in the
    // text is dropped; empty text adds nothing; the text is not trimmed.
    void addLike(const QString &prefix, const QString &text);
    // A range as two conditions: the lower prefix directly followed by the
    // lower bound, then the upper prefix and the upper bound (seconds).
    void addRange(const QString &lowerPrefix, qint64 lower, const QString &upperPrefix,
                  qint64 upper);
    // The item data of a combo box's current entry; an invalid or empty value
    // (no current entry) makes the filter match nothing.
    void addValue(const QString &prefix, const QVariant &value);
    // The filter matches no row whatever else it holds.
    void matchNothing();

    // The conditions joined with " AND " and closed by "1", or "0".
    QString text() const;

    // The text of a record number, trimmed (and cut at the first "/" with
    // displayNumber); ok is false unless it is made of the digits 0-9 only.
    static QString idText(const QString &text, bool displayNumber, bool *ok);
    // Local midnight at the start of the day, in seconds since 1970 UTC.
    static qint64 dayStart(const QDate &date);
    // Local midnight at the start of the next day: the exclusive end of the
    // day, which is not dayStart + 86400 on a daylight-saving change.
    static qint64 dayEnd(const QDate &date);
    // "column IN (id1,id2,...)", one range of an index on the column per id;
    // "0" when there is no id.
    static QString anyOf(const QString &column, const QList<int> &ids);
    // The filter that narrows a register to the values a sub-search found:
    // "column = value" for each distinct value in first-seen order, joined
    // with " OR " and closed by "0" (so no value gives "0"). Beyond
    // chainLimit distinct values the same rows are chosen by
    // "column IN (v1,v2,...)", since the databases limit the nesting of an
    // OR chain (SQLite at 1000).
    static QString anyEqual(const QString &column, const QStringList &values,
                            int chainLimit = SubSearchChainLimit);

    static constexpr int SubSearchChainLimit = 500;

private:
    DbWidget::DbType m_engine;
    QStringList m_conditions;
    bool m_nothing = false;
};
