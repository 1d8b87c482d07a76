#include "clients/clientwidget.h"

#include "ui_clientWidget.h"

#include "billing/billingwidget.h"
#include "clients/clientdatawidget.h"
#include "formin.h"
#include "pagestack.h"
#include "plaintext.h"
#include "records/client.h"
#include "search/searchwidget.h"

#include <QSqlRecord>

ClientWidget::ClientWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                           int clientId, bool fromSearch)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::clientWidget),
      client(new Client(this, db)), clientId(clientId)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    client->setEditStrategy(QSqlTableModel::OnRowChange);
    client->setFilter(QStringLiteral("clients.iId=") + QString::number(clientId));
    client->select();
    updateHeader();
    // The data page re-reads the record after each save: the header follows.
    connect(client, &QAbstractItemModel::modelReset, this, &ClientWidget::updateHeader);

    ui->backButton->setVisible(fromSearch);

    dataPage = new ClientDataWidget(this, db, user, settings, client);
    ui->stackedWidget->addWidget(dataPage);

    repairsPage = new SearchWidget(this, db, user, settings, SearchWidget::RepairsVariant, false);
    repairsPage->repairClientId->setText(QString::number(clientId));
    // The list belongs to this client: its client filter is not for typing.
    repairsPage->repairClientId->setReadOnly(true);
    repairsPage->repairClientId->setStyleSheet(FormIn::FormStyle3);
    ui->stackedWidget->addWidget(repairsPage);
    connect(repairsPage, &SearchWidget::showSelectedById, this, &ClientWidget::showRepairDetails);
    connect(repairsPage, &SearchWidget::dbItemsCountChanged, this, &ClientWidget::dbItemsCountChanged);

    billingPage = new BillingWidget(this, db, user, settings, client, clientId);
    ui->stackedWidget->addWidget(billingPage);

    ui->stackedWidget->setCurrentWidget(dataPage);
    sizeStackToCurrentPage(ui->stackedWidget);

    connect(ui->backButton, &QPushButton::clicked, this, &ClientWidget::backToSearch);
    for (QPushButton *button : {ui->dataButton, ui->repairsButton, ui->billingButton})
        connect(button, &QPushButton::clicked, this, &ClientWidget::changePage);
}

ClientWidget::~ClientWidget()
{
    delete ui;
}

void ClientWidget::updateHeader()
{
    PlainText::show(ui->clientLabel, client->record(0).value(QStringLiteral("sSName")).toString()
                                         + QStringLiteral(", ") + QString::number(clientId));
}

void ClientWidget::changePage()
{
    QObject *button = sender();
    if (button == ui->dataButton) {
        ui->stackedWidget->setCurrentWidget(dataPage);
    } else if (button == ui->repairsButton) {
        ui->stackedWidget->setCurrentWidget(repairsPage);
        repairsPage->search();
    } else if (button == ui->billingButton) {
        showBilling();
    }
}

void ClientWidget::showBilling()
{
    ui->stackedWidget->setCurrentWidget(billingPage);
    billingPage->loadBills();
}
