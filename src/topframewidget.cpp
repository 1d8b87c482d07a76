#include "topframewidget.h"

#include "db/dbwidget.h"
#include "plaintext.h"
#include "records/recordmodel.h"
#include "userwidget.h"

#include <QTimer>

TopFrameWidget::TopFrameWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::topFrameWidget),
      m_timer(new QTimer(this))
{
    ui->setupUi(this);
    PlainText::show(ui->userLabel, user ? user->name : QString());
    ui->openCountLabel->setText(countText(-1));
    ui->waitingCountLabel->setText(countText(-1));
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
    // A count always gives a row: none means no answer.
    return RecordModel::readInt(db, QStringLiteral("SELECT COUNT(repairs.iId) FROM repairs LEFT JOIN statusesconf "
                                                   "ON repairs.iStatus = statusesconf.iStatusId "
                                                   "WHERE statusesconf.iGroup = %1")
                                        .arg(group));
}

QString TopFrameWidget::countText(int count)
{
    return count >= 0 ? QString::number(count) : QStringLiteral("–");
}

void TopFrameWidget::reload()
{
    // A lost connection is no empty workshop: a count that cannot be read
    // leaves the last one read on show (the dash before any was read).
    const auto update = [this](int group, int &count, QLabel *label) {
        const int read = repairsInGroup(db, group);
        if (read < 0)
            return;
        count = read;
        label->setText(countText(read));
    };
    update(1, m_open, ui->openCountLabel);
    update(2, m_waiting, ui->waitingCountLabel);
}
