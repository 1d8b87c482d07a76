#include "topframewidget.h"

#include "db/dbwidget.h"
#include "plaintext.h"
#include "userwidget.h"

#include <QTimer>

TopFrameWidget::TopFrameWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::topFrameWidget),
      m_timer(new QTimer(this))
{
    ui->setupUi(this);
    PlainText::show(ui->userLabel, user ? user->name : QString());
    m_timer->setInterval(ReloadInterval);
    connect(m_timer, &QTimer::timeout, this, &TopFrameWidget::reload);
    m_timer->start();
    reload();
}

TopFrameWidget::~TopFrameWidget()
{
    delete ui;
}

int TopFrameWidget::repairsInGroup(DbWidget *db, int group)
{
    QSqlQuery q = db->query(QStringLiteral("SELECT COUNT(repairs.iId) FROM repairs LEFT JOIN statusesconf "
                                           "ON repairs.iStatus = statusesconf.iStatusId "
                                           "WHERE statusesconf.iGroup = %1")
                                .arg(group));
    return q.first() ? q.value(0).toInt() : 0;
}

void TopFrameWidget::reload()
{
    m_open = repairsInGroup(db, 1);
    m_waiting = repairsInGroup(db, 2);
    ui->openCountLabel->setText(QString::number(m_open));
    ui->waitingCountLabel->setText(QString::number(m_waiting));
}
