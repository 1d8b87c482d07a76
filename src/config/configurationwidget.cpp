#include "config/configurationwidget.h"
#include "ui_configurationWidget.h"

#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "dictionaries/numberingconfig.h"
#include "dictionaries/repairstatusesconfig.h"
#include "dictionaries/templatesconfig.h"
#include "mainwindow.h"
#include "printouts/tagsbarsconfig.h"
#include "userwidget.h"

#include <QIcon>

ConfigurationWidget::ConfigurationWidget(QWidget *parent, DbWidget *db, UserWidget *user,
                                         Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::configurationWidget)
{
    ui->setupUi(this);
    if (!isAllowed(user)) {
        ui->tabWidget->hide();
        return;
    }

    QTabWidget *tabs = ui->tabWidget;
    tabs->addTab(new RepairStatusesConfig(tabs, db, user, settings),
                 QIcon(QStringLiteral(":/general/statuses.png")), tr("Statusy napraw"));
    tabs->addTab(new HardwareStatusesConfig(tabs, db, user, settings),
                 QIcon(QStringLiteral(":/general/computer.png")), tr("Statusy sprzętu"));
    tabs->addTab(new HardwareTypesConfig(tabs, db, user, settings),
                 QIcon(QStringLiteral(":/general/hwtype.png")), tr("Typy sprzętu"));
    tabs->addTab(new NumberingConfig(tabs, db, user, settings),
                 QIcon(QStringLiteral(":/general/numbering.png")), tr("Numeracja napraw"));
    tabs->addTab(new TemplatesConfig(tabs, db, user, settings),
                 QIcon(QStringLiteral(":/mainMenu/hard.png")), tr("Szablony sprzętu"));
    tabs->addTab(new TagsBarsConfig(tabs, db, user, settings),
                 QIcon(QStringLiteral(":/general/tag.png")), tr("Etykiety i kody kreskowe"));
    tabs->setCurrentIndex(0);
}

ConfigurationWidget::~ConfigurationWidget()
{
    delete ui;
}

bool ConfigurationWidget::isAllowed(const UserWidget *user)
{
    return user && MainWindow::mayConfigure(user->level);
}
