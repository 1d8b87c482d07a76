#include "mainwindow.h"
#include "ui_mainWindow.h"

#include "appresources.h"
#include "appversion.h"
#include "config/configurationwidget.h"
#include "db/dbwidget.h"
#include "infodialog.h"
#include "loginwidget.h"
#include "messagebox.h"
#include "repairs/repairswidget.h"
#include "repairs/searchdetailscontroller.h"
#include "settings.h"
#include "startup.h"
#include "topframewidget.h"
#include "uiconventions.h"
#include "userwidget.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSplashScreen>
#include <QStyleFactory>

MainWindow::MainWindow(QApplication *app, QWidget *parent)
    : MainWindow(app, QCoreApplication::applicationDirPath(), parent)
{
}

MainWindow::MainWindow(QApplication *app, const QString &configDir, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::mainWindow)
{
    initAppResources();
    installUiConventions(app);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font = QApplication::font();
    font.setPointSize(10);
    QApplication::setFont(font);
    QFontDatabase::addApplicationFont(QStringLiteral(":/files/fonts/code39.ttf"));

    ui->setupUi(this);
    setWindowTitle(tr("Warsztat") + QLatin1Char(' ') + appVersion);

    connect(ui->repairsButton, &QToolButton::clicked, this, &MainWindow::showRepairsWidget);
    connect(ui->clientsButton, &QToolButton::clicked, this, &MainWindow::showSearchDetailsController);
    connect(ui->hardwareButton, &QToolButton::clicked, this, &MainWindow::showSearchDetailsController);
    connect(ui->billingButton, &QToolButton::clicked, this, &MainWindow::showSearchDetailsController);
    connect(ui->statsButton, &QToolButton::clicked, this, &MainWindow::showStatistics);
    connect(ui->configButton, &QToolButton::clicked, this, &MainWindow::showConfiguration);
    connect(ui->logoutButton, &QToolButton::clicked, this, &MainWindow::logout);
    connect(ui->exitButton, &QToolButton::clicked, this, &MainWindow::exitProgram);

    m_settings = std::make_unique<Settings>(configDir);
    m_db = std::make_unique<DbWidget>();
    setLoggedIn(false);
    startUp();
}

MainWindow::~MainWindow()
{
    // Pages and the header bar query the connection: they go before it.
    dropPages();
    delete ui;
    m_user.reset();
    m_db.reset();
}

void MainWindow::startUp()
{
    if (!m_settings->iniValid()) {
        // The message stands framed in the middle of the page area.
        auto *page = new QWidget(ui->pageArea);
        auto *layout = new QGridLayout(page);
        auto *frame = new QFrame(page);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
        auto *frameLayout = new QVBoxLayout(frame);
        auto *dialog = new InfoDialog(
            frame, tr("Nie znaleziono pliku konfiguracyjnego baz danych bądź jest niepoprawny !"),
            InfoDialog::Error);
        dialog->setMinimumWidth(440);
        frameLayout->addWidget(dialog);
        layout->addWidget(frame, 0, 0, Qt::AlignCenter);
        connect(dialog, &InfoDialog::closed, this, &QWidget::close);
        setPage(page);
        return;
    }
    bool opened = false;
    {
        QSplashScreen splash(QPixmap(QStringLiteral(":/mainForm/startuplogo.png")));
        splash.show();
        splash.showMessage(tr("Łączenie z bazą danych ..."), Qt::AlignHCenter | Qt::AlignBottom);
        QCoreApplication::processEvents();
        opened = Startup::connectDatabase(m_db.get(), m_settings->ini, m_settings->defaultDb(), this);
        splash.close();
    }
    if (opened)
        Startup::checkDatabase(m_db.get());
    showLoginPage();
}

void MainWindow::showLoginPage()
{
    auto *login = new LoginWidget(ui->pageArea, m_db.get(), m_settings.get());
    connect(login, &LoginWidget::loggedIn, this, &MainWindow::userLoggedIn);
    setPage(login);
}

void MainWindow::setLoggedIn(bool loggedIn)
{
    // "Zakończ" works without a user too, also when no one can log in.
    const auto buttons = ui->menuFrame->findChildren<QToolButton *>();
    for (QToolButton *button : buttons)
        button->setEnabled(loggedIn || button == ui->exitButton);
    ui->topFrameArea->setEnabled(loggedIn);
    const int level = m_user ? m_user->level : -1;
    ui->statsButton->setVisible(loggedIn && mayViewStatistics(level));
    ui->configButton->setVisible(loggedIn && mayConfigure(level));
}

void MainWindow::userLoggedIn(int id, const QString &name, int level)
{
    m_user = std::make_unique<UserWidget>(id, name, level);
    dropTopFrame();
    m_topFrame = new TopFrameWidget(ui->topFrameArea, m_db.get(), m_user.get(), m_settings.get());
    ui->topFrameLayout->addWidget(m_topFrame);
    setLoggedIn(true);
    showRepairsWidget();
}

void MainWindow::logout()
{
    // Everything that uses the connection goes before it is reopened; the
    // menu button that got here is no part of a page.
    dropPages();
    m_user.reset();
    setLoggedIn(false);
    Startup::openDatabase(m_db.get(), m_settings->ini, m_settings->defaultDb(), this);
    showLoginPage();
}

void MainWindow::exitProgram()
{
    if (MessageBox::confirm(tr("Zakończenie pracy"),
                            tr("Czy na pewno chcesz zakończyć pracę programu ?"), this))
        close();
}

void MainWindow::dropPages()
{
    for (const QPointer<QWidget> &page : std::as_const(m_retiredPages))
        delete page.data();
    m_retiredPages.clear();
    delete ui->pageArea->takeWidget();
    dropTopFrame();
}

void MainWindow::dropTopFrame()
{
    delete m_topFrame;
    m_topFrame = nullptr;
}

QWidget *MainWindow::currentPage() const
{
    return ui->pageArea->widget();
}

void MainWindow::setPage(QWidget *page)
{
    if (QWidget *old = ui->pageArea->takeWidget()) {
        // Kept as a hidden child until deleted, in case the window goes first.
        old->hide();
        old->setParent(this);
        old->deleteLater();
        m_retiredPages.removeAll(nullptr);
        m_retiredPages << old;
    }
    if (page) {
        ui->pageArea->setWidget(page);
        page->show();
    }
}

void MainWindow::showRepairsWidget()
{
    setPage(createRepairsPage());
}

void MainWindow::showSearchDetailsController()
{
    int variant = 2;
    if (sender() == ui->clientsButton)
        variant = 1;
    else if (sender() == ui->billingButton)
        variant = 3;
    setPage(createSearchDetailsPage(variant));
}

void MainWindow::showStatistics()
{
    setPage(createStatisticsPage());
}

void MainWindow::showConfiguration()
{
    setPage(createConfigurationPage());
}

QWidget *MainWindow::createRepairsPage()
{
    auto *page = new RepairsWidget(ui->pageArea, m_db.get(), m_user.get(), m_settings.get());
    if (m_topFrame)
        connect(page, &RepairsWidget::repairsStatusChanged, m_topFrame, &TopFrameWidget::reload);
    return page;
}

QWidget *MainWindow::createSearchDetailsPage(int variant)
{
    auto *page = new SearchDetailsController(ui->pageArea, m_db.get(), m_user.get(),
                                             m_settings.get(),
                                             static_cast<SearchWidget::SearchVariant>(variant));
    page->setObjectName(QStringLiteral("searchDetailsPage%1").arg(variant));
    if (m_topFrame)
        connect(page, &SearchDetailsController::dbItemsCountChanged, m_topFrame,
                &TopFrameWidget::reload);
    return page;
}

QWidget *MainWindow::createStatisticsPage()
{
    auto *page = new QLabel(tr("Statystyki nie są częścią tej wersji programu."), ui->pageArea);
    page->setObjectName(QStringLiteral("statisticsPage"));
    page->setAlignment(Qt::AlignCenter);
    return page;
}

QWidget *MainWindow::createConfigurationPage()
{
    auto *page = new ConfigurationWidget(ui->pageArea, m_db.get(), m_user.get(), m_settings.get());
    page->setObjectName(QStringLiteral("configurationPage"));
    return page;
}
