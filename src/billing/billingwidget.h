#pragma once

#include <QHash>
#include <QSqlError>
#include <QWidget>

#include "formin.h"
#include "widgetbase.h"

class Bill;
class Client;

namespace Ui {
class billingWidget;
}

// A client's bills, newest first, one panel each, and the small form that
// adds a new unsettled bill for the client.
class BillingWidget : public QWidget, public WidgetBase, public FormIn
{
    Q_OBJECT

public:
    // Lists the bills of clientId. client is the page's model of that client:
    // while it holds no row (the client is not stored) no bill can be added.
    // Nothing is listed before loadBills().
    BillingWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                  Client *client, int clientId);
    ~BillingWidget() override;

    // Marks the amounts of the new bill that are not usable: the gross
    // amount is required, and any amount typed must hold a number.
    bool validateForm() override;

    Ui::billingWidget *ui;
    Bill *bills;
    int clientId;

public slots:
    // Reads the client's bills anew and rebuilds their panels.
    void loadBills();

private slots:
    void openNewBill();
    void saveBill();
    void closeNewBill();

private:
    QWidget *billPanel(int row);
    void fillRepairsAndHardware();
    // The display numbers of the repairs and the names of the devices that
    // the client's bills name, by id. Gives why they could not be read,
    // invalid when they were.
    QSqlError readLinkedNames();

    Client *client;
    QHash<int, QString> repairNumbers;
    QHash<int, QString> deviceNames;
};
