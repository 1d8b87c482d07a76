#pragma once

#include "widgetbase.h"

#include <QWidget>

namespace Ui {
class configurationWidget;
}

// The configuration page of the main window: the configuration pages of the
// dictionaries, the numbering, the hardware templates and the labels as tabs,
// in this order. Only the administrator (access level 0) may open it; for
// anybody else the page stays empty.
class ConfigurationWidget : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    ConfigurationWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~ConfigurationWidget() override;

    // Whether the user may see the configuration (and the menu button to it).
    static bool isAllowed(const UserWidget *user);

private:
    Ui::configurationWidget *ui;
};
