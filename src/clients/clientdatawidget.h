#pragma once

#include <QWidget>

#include "widgetbase.h"

class Client;
class QDataWidgetMapper;

namespace Ui {
class clientDataWidget;
}

// The client's data: one client's record to view and edit, and the SMS and
// e-mail to that client. It works on row 0 of a client model that its owner
// has filtered to the one client; nothing reaches the database before "Zapisz".
class ClientDataWidget : public QWidget, public WidgetBase
{
    Q_OBJECT

public:
    ClientDataWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                     Client *model);
    ~ClientDataWidget() override;

    // The widget values into the model's row, then the row into the
    // database; false when the database refused it.
    bool saveData();
    void setEditable(bool editable);

public slots:
    // Reads the record anew and shows it.
    void loadData();

private slots:
    void editFunctionButton();
    void send();

private:
    void setDataMapping();

    Ui::clientDataWidget *ui;
    Client *model;
    QDataWidgetMapper *mapper;
};
