#pragma once

#include <QWidget>

#include "widgetbase.h"

class BillingWidget;
class Client;
class ClientDataWidget;
class SearchWidget;

namespace Ui {
class clientWidget;
}

// The page of one client: a header with the surname and the id over three
// pages, the client's data, the client's repairs (a repairs search kept to
// this client) and the client's bills.
class ClientWidget : public QWidget, public WidgetBase
{
    Q_OBJECT

public:
    // fromSearch shows the button back to the search results.
    ClientWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings, int clientId,
                 bool fromSearch);
    ~ClientWidget() override;

    // Shows the bills page with the bills read anew.
    void showBilling();

    Ui::clientWidget *ui;
    Client *client;
    int clientId;
    ClientDataWidget *dataPage;
    SearchWidget *repairsPage;
    BillingWidget *billingPage;

signals:
    void backToSearch();
    void showRepairDetails(int repairId);
    void dbItemsCountChanged();

private slots:
    void changePage();
    // The header from the record as the model holds it now.
    void updateHeader();
};
