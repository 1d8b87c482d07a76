#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class DbWidget;
class LoginWidget;
class QApplication;
class Settings;
class TopFrameWidget;
class UserWidget;

namespace Ui {
class mainWindow;
}

// The program's window: the menu, the header bar and one page at a time in a
// scroll area. It opens the default database at start-up and hands the
// logged-in state to every page it builds.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Reads config.ini from the program's directory.
    explicit MainWindow(QApplication *app, QWidget *parent = nullptr);
    // Reads config.ini from configDir.
    MainWindow(QApplication *app, const QString &configDir, QWidget *parent = nullptr);
    ~MainWindow() override;

    QWidget *currentPage() const;
    TopFrameWidget *topFrame() const { return m_topFrame; }
    UserWidget *user() const { return m_user.get(); }
    DbWidget *db() const { return m_db.get(); }
    Settings *settings() const { return m_settings.get(); }

    // The configuration page is offered only to administrators.
    static bool mayConfigure(int level) { return level == 0; }
    static bool mayViewStatistics(int level) { return level == 0; }

public Q_SLOTS:
    void showRepairsWidget();
    void showSearchDetailsController();
    void showStatistics();
    void showConfiguration();
    void logout();
    void exitProgram();

private Q_SLOTS:
    void userLoggedIn(int id, const QString &name, int level);

private:
    void startUp();
    void showLoginPage();
    void setLoggedIn(bool loggedIn);
    // Puts page into the page area; the page shown so far is deleted later.
    void setPage(QWidget *page);
    void dropTopFrame();
    // Deletes at once the page, the pages waiting for deletion and the header
    // bar.
    void dropPages();

    // The pages behind the menu buttons, each built anew for every press.
    QWidget *createRepairsPage();
    QWidget *createSearchDetailsPage(int variant);
    QWidget *createStatisticsPage();
    QWidget *createConfigurationPage();

    Ui::mainWindow *ui;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<DbWidget> m_db;
    std::unique_ptr<UserWidget> m_user;
    TopFrameWidget *m_topFrame = nullptr;
    QList<QPointer<QWidget>> m_retiredPages;
};
