#include "dictionaries/dictionaryedit.h"

#include "db/dbwidget.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QSqlQuery>

DictionaryEdit::Outcome DictionaryEdit::update(DbWidget *db, const QString &table, int id,
                                               const QStringList &columns, const QVariantList &values,
                                               const QStringList &shownColumns, const QVariantList &shown)
{
    QStringList assignments;
    for (int i = 0; i < columns.size(); ++i)
        assignments << QStringLiteral("%1 = :value%2").arg(columns.at(i)).arg(i);
    // Equal also when both are NULL.
    const QString same = db->dbType == DbWidget::MySQL ? QStringLiteral(" <=> ") : QStringLiteral(" IS ");
    QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE iId = :iId").arg(table, assignments.join(QStringLiteral(", ")));
    for (int i = 0; i < shownColumns.size(); ++i)
        sql += QStringLiteral(" AND ") + shownColumns.at(i) + same + QStringLiteral(":shown%1").arg(i);

    QSqlQuery q(db->database());
    q.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(QStringLiteral(":value%1").arg(i), values.at(i));
    for (int i = 0; i < shown.size(); ++i)
        q.bindValue(QStringLiteral(":shown%1").arg(i), shown.at(i));
    q.bindValue(QStringLiteral(":iId"), id);
    if (!db->exec(q))
        return Outcome::Failed;
    if (q.numRowsAffected() > 0)
        return Outcome::Written;
    QSqlQuery row = db->query(QStringLiteral("SELECT iId FROM %1 WHERE iId = %2").arg(table).arg(id));
    if (!row.isActive())
        return Outcome::Failed;
    return row.next() ? Outcome::ChangedElsewhere : Outcome::Gone;
}

void DictionaryEdit::sayChangedElsewhere(const QString &changed)
{
    MessageBox::warning(QCoreApplication::translate("DictionaryEdit", "Zmiany na innym stanowisku"),
                        changed + QLatin1Char(' ')
                            + QCoreApplication::translate(
                                "DictionaryEdit", "Zmiany nie zostały zapisane, a lista została wczytana ponownie."));
}
