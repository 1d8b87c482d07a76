#include "dictionaries/statusesconfig.h"

#include "db/dbwidget.h"
#include "dictionaries/statusesconfigpage.h"
#include "records/recordmodel.h"
#include "reloadonshow.h"

#include <QColor>
#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QSqlError>
#include <QSqlQuery>

StatusesConfig::StatusesConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

bool StatusesConfig::moveStatus(int id, int group, int position)
{
    return page->moveStatus(id, group, position);
}

void StatusesConfig::showEvent(QShowEvent *event)
{
    if (reloadOnShow(event, page->editOpen()))
        page->load();
    QWidget::showEvent(event);
}

QSqlError StatusesConfig::loadStatuses(DbWidget *db, const QString &table, QString (*groupLabel)(int),
                                       QMap<int, Status> &statuses, QMap<int, QMap<int, Status>> &sorted)
{
    QMap<int, Status> byId;
    QMap<int, QMap<int, Status>> byGroup;
    QSqlError failed = DbWidget::readFailure(QSqlError());
    if (db) {
        QSqlQuery q = db->query(QStringLiteral(
            "SELECT iId, iStatusId, iGroup, sDescription, sColor, iOrder FROM %1").arg(table));
        while (q.next()) {
            Status s;
            s.id = q.value(0).toInt();
            s.statusId = q.value(1).toInt();
            s.group = q.value(2).toInt();
            s.description = q.value(3).toString();
            s.name = groupLabel(s.group) + QLatin1Char(' ') + s.description;
            s.color = q.value(4).toString();
            s.order = q.value(5).toInt();
            byId.insert(s.statusId, s); // a later row of the same status id wins
        }
        // A step that failed ends the rows early: none is kept.
        failed = DbWidget::readFailure(q);
        if (failed.isValid())
            byId.clear();
        // Ascending status id, so of two statuses in one slot the higher id wins.
        for (const Status &s : std::as_const(byId))
            byGroup[s.group].insert(s.order, s);
    }
    statuses = byId;
    sorted = byGroup;
    return failed;
}

void StatusesConfig::fillComboBox(const QMap<int, QMap<int, Status>> &sorted, QComboBox *combo)
{
    combo->clear();
    for (const QMap<int, Status> &group : sorted) {
        for (const Status &s : group) {
            QPixmap square(30, 30);
            square.fill(RecordModel::statusBrush(s.color).color());
            combo->addItem(QIcon(square), s.name, s.statusId);
        }
    }
}
