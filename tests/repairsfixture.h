#pragma once

// Shared ground of the repairs page tests: a database with client 7 and
// device 34 of every repair, repair 12 among them, and helpers that find the
// pages of a repairs start page.

#include "repairs/repairdetailswidget.h"
#include "searchfixture.h"

#include <QDateTime>
#include <QStackedWidget>

namespace RepairsRows {

using namespace SearchRows;

// Status ids of the seeded dictionary, one per group.
constexpr int Open = 1;
constexpr int Waiting = 2;
constexpr int Closed = 5;

inline qint64 now()
{
    return QDateTime::currentSecsSinceEpoch();
}

inline bool fill(TestDatabase &t, const QStringList &repairs,
                 const QString &surname = QStringLiteral("Nowak"))
{
    return insert(t, ClientsInsert, {client(7, surname)})
        && insert(t, HardwareInsert, {hardware(34, QStringLiteral("Laptop"), 7)})
        && (repairs.isEmpty() || insert(t, RepairsInsert, repairs));
}

inline QString note(int id, int repairId, qint64 when, int severity, const QString &text, int user = 1)
{
    return QStringLiteral("(%1, %2, %3, %4, %5, %6)")
        .arg(id).arg(repairId).arg(when).arg(severity).arg(quoted(text)).arg(user);
}

// The repair pages that a widget holds (closed pages go once events run).
inline int repairPages(QWidget *w)
{
    return int(w->findChildren<RepairDetailsWidget *>().size());
}

} // namespace RepairsRows
