#include "appversion.h"
#include "db/dbwidget.h"
#include "infodialog.h"
#include "loginwidget.h"
#include "mainwindow.h"
#include "messageboxrecorder.h"
#include "settings.h"
#include "testdatabase.h"
#include "testmain.h"
#include "topframewidget.h"
#include "userwidget.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void invalidIniEndsTheProgram_data();
    void invalidIniEndsTheProgram();
    void startsOnLoginWithMenuDisabled();
    void loginEnablesMenuAndHeader();
    void restrictedUserSeesNoAdministration();
    void menuReplacesThePage();
    void exitAsksFirst();
    void logoutReturnsToLogin();
    void emptyDatabaseCreatedOnConsent();
    void emptyDatabaseLeftOnRefusal();
    void otherSchemaVersionReported();
    void unreachableServerStillShowsLogin();
    void headerCountsOpenAndWaiting();

private:
    // A temporary directory with config.ini naming the database as default.
    struct Config
    {
        QTemporaryDir dir;
        explicit Config(const TestDatabase &t)
        {
            QSettings ini(dir.filePath("config.ini"), QSettings::IniFormat);
            t.writeIni(&ini, 1, "Baza testowa");
            ini.setValue("config/defaultdb", 1);
        }
    };
    static QToolButton *button(MainWindow &w, const char *name)
    {
        return w.findChild<QToolButton *>(name);
    }
    static bool menuEnabled(MainWindow &w)
    {
        return w.findChild<QFrame *>("menuFrame")->isEnabled();
    }
    static void login(MainWindow &w, const QString &password = QString())
    {
        auto *page = qobject_cast<LoginWidget *>(w.currentPage());
        QVERIFY(page);
        page->findChild<QLineEdit *>("passwordEdit")->setText(password);
        QTest::mouseClick(page->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
    }
};

void TestMainWindow::invalidIniEndsTheProgram_data()
{
    // What config.ini holds: nothing at all (no file), or the text written.
    QTest::addColumn<bool>("file");
    QTest::addColumn<bool>("connection");
    QTest::addColumn<QString>("defaultDb");
    QTest::newRow("no file") << false << false << QString();
    QTest::newRow("empty file") << true << false << QString();
    QTest::newRow("no defaultdb") << true << true << QString();
    QTest::newRow("defaultdb not a number") << true << true << "pierwsza";
}

void TestMainWindow::invalidIniEndsTheProgram()
{
    QFETCH(bool, file);
    QFETCH(bool, connection);
    QFETCH(QString, defaultDb);
    TestDatabase t;
    REQUIRE_DB(t);
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    if (connection) {
        QSettings ini(path, QSettings::IniFormat);
        t.writeIni(&ini, 1);
        ini.setValue("config/lastlogin", "Administrator");
        if (!defaultDb.isEmpty())
            ini.setValue("config/defaultdb", defaultDb);
    } else if (file) {
        QFile empty(path);
        QVERIFY(empty.open(QIODevice::WriteOnly));
    }
    const auto contents = [&path] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    };
    const QByteArray before = contents();

    MessageBoxRecorder rec;
    MainWindow w(qApp, dir.path());
    w.show();
    QVERIFY(w.windowTitle().contains(appVersion));
    // The message stands in the page area, not in a window of its own.
    auto *dialog = w.currentPage()->findChild<InfoDialog *>();
    QVERIFY(dialog);
    QVERIFY(!dialog->isWindow());
    QCOMPARE(dialog->type(), InfoDialog::Error);
    QCOMPARE(dialog->text(),
             QStringLiteral("Nie znaleziono pliku konfiguracyjnego baz danych bądź jest niepoprawny !"));
    QVERIFY(!menuEnabled(w));
    QVERIFY(!w.db()->isOpen());
    QCOMPARE(rec.count(), 0);
    // Its button ends the program.
    QTest::mouseClick(dialog->findChild<QPushButton *>("closeButton"), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    // Nothing written next to the program.
    QCOMPARE(contents(), before);
}

void TestMainWindow::startsOnLoginWithMenuDisabled()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c(t);
    MessageBoxRecorder rec;
    MainWindow w(qApp, c.dir.path());
    QCOMPARE(rec.count(), 0);
    QCOMPARE(w.windowTitle(), QStringLiteral("Warsztat 1.23"));
    QCOMPARE(QApplication::font().pointSize(), 10);
    QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    QVERIFY(w.db()->isOpen());
    QCOMPARE(w.db()->description, QStringLiteral("Baza testowa"));
    auto *page = qobject_cast<LoginWidget *>(w.currentPage());
    QVERIFY(page);
    QCOMPARE(page->findChild<QComboBox *>("databaseBox")->currentText(), QStringLiteral("Baza testowa"));
    QVERIFY(!menuEnabled(w));
    QVERIFY(!w.findChild<QFrame *>("topFrameArea")->isEnabled());
    QVERIFY(!w.topFrame());
    QVERIFY(!w.user());
    QVERIFY(button(w, "statsButton")->isHidden());
}

void TestMainWindow::loginEnablesMenuAndHeader()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c(t);
    MainWindow w(qApp, c.dir.path());
    login(w);
    QVERIFY(w.user());
    QCOMPARE(w.user()->id, 1);
    QCOMPARE(w.user()->name, QStringLiteral("Administrator"));
    QCOMPARE(w.user()->level, 0);
    QVERIFY(menuEnabled(w));
    QVERIFY(w.findChild<QFrame *>("topFrameArea")->isEnabled());
    QVERIFY(w.topFrame());
    QCOMPARE(w.topFrame()->findChild<QLabel *>("userLabel")->text(), QStringLiteral("Administrator"));
    QVERIFY(!button(w, "statsButton")->isHidden());
    QVERIFY(!button(w, "configButton")->isHidden());
    QVERIFY(w.currentPage());
    QVERIFY(!qobject_cast<LoginWidget *>(w.currentPage()));
    QSettings ini(c.dir.filePath("config.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value("config/lastlogin").toString(), QStringLiteral("Administrator"));
}

void TestMainWindow::restrictedUserSeesNoAdministration()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.addUser(2, "Ewa", "x", 1), qPrintable(t.error()));
    Config c(t);
    MainWindow w(qApp, c.dir.path());
    auto *page = qobject_cast<LoginWidget *>(w.currentPage());
    QVERIFY(page);
    auto *users = page->findChild<QComboBox *>("userBox");
    users->setCurrentIndex(users->findText("Ewa"));
    login(w, "zle");
    QVERIFY(!w.user());
    QVERIFY(!menuEnabled(w));
    QCOMPARE(w.currentPage(), page);
    login(w, "x");
    QCOMPARE(w.user()->level, 1);
    QVERIFY(menuEnabled(w));
    QVERIFY(button(w, "statsButton")->isHidden());
    QVERIFY(button(w, "configButton")->isHidden());
    QVERIFY(!button(w, "repairsButton")->isHidden());
}

void TestMainWindow::menuReplacesThePage()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c(t);
    MainWindow w(qApp, c.dir.path());
    w.show();
    login(w);
    const char *buttons[] = {"clientsButton", "hardwareButton", "billingButton", "statsButton",
                             "configButton", "repairsButton", "repairsButton"};
    for (const char *name : buttons) {
        QPointer<QWidget> before = w.currentPage();
        QTest::mouseClick(button(w, name), Qt::LeftButton);
        QVERIFY2(w.currentPage() && w.currentPage() != before.data(), name);
        QVERIFY(w.currentPage()->isVisible());
        // The old page goes once control is back in the event loop.
        QTRY_VERIFY(before.isNull());
    }
}

void TestMainWindow::exitAsksFirst()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c(t);
    MainWindow w(qApp, c.dir.path());
    w.show();
    login(w);
    MessageBoxRecorder rec;
    rec.answerCancel();
    QTest::mouseClick(button(w, "exitButton"), Qt::LeftButton);
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().text, QStringLiteral("Czy na pewno chcesz zakończyć pracę programu ?"));
    QVERIFY(rec.last().buttons & QMessageBox::Cancel);
    QVERIFY(w.isVisible());
    QVERIFY(w.user());
    QTest::mouseClick(button(w, "exitButton"), Qt::LeftButton);
    QCOMPARE(rec.count(), 2);
    QVERIFY(!w.isVisible());
}

void TestMainWindow::logoutReturnsToLogin()
{
    TestDatabase t;
    REQUIRE_DB(t);
    TestDatabase other;
    REQUIRE_DB(other);
    QVERIFY2(other.addUser(2, "Inna", "", 0), qPrintable(other.error()));
    Config c(t);
    {
        QSettings ini(c.dir.filePath("config.ini"), QSettings::IniFormat);
        other.writeIni(&ini, 2, "Druga baza");
    }
    MainWindow w(qApp, c.dir.path());
    // Logged in on the second database...
    auto *page = qobject_cast<LoginWidget *>(w.currentPage());
    QVERIFY(page);
    page->findChild<QComboBox *>("databaseBox")->setCurrentIndex(1);
    auto *users = page->findChild<QComboBox *>("userBox");
    users->setCurrentIndex(users->findText("Inna"));
    login(w);
    QCOMPARE(w.user()->name, QStringLiteral("Inna"));
    QCOMPARE(w.db()->description, QStringLiteral("Druga baza"));
    QTest::mouseClick(button(w, "clientsButton"), Qt::LeftButton);
    QPointer<QWidget> oldPage = w.currentPage();
    QPointer<TopFrameWidget> oldHeader = w.topFrame();

    QTest::mouseClick(button(w, "logoutButton"), Qt::LeftButton);
    QVERIFY(oldPage.isNull());
    QVERIFY(oldHeader.isNull());
    QVERIFY(!w.topFrame());
    QVERIFY(!w.user());
    QVERIFY(!menuEnabled(w));
    QVERIFY(button(w, "statsButton")->isHidden());
    // ...the default database is open again.
    QCOMPARE(w.db()->description, QStringLiteral("Baza testowa"));
    page = qobject_cast<LoginWidget *>(w.currentPage());
    QVERIFY(page);
    QCOMPARE(page->findChild<QComboBox *>("databaseBox")->currentIndex(), 0);
    QCOMPARE(page->findChild<QComboBox *>("userBox")->count(), 1);
    // The last login (Inna) is not in this database: the first user it is.
    QCOMPARE(page->findChild<QComboBox *>("userBox")->currentText(), QStringLiteral("Administrator"));
    login(w);
    QCOMPARE(w.user()->name, QStringLiteral("Administrator"));
    QVERIFY(menuEnabled(w));
}

void TestMainWindow::emptyDatabaseCreatedOnConsent()
{
    TestDatabase t(false);
    REQUIRE_DB(t);
    Config c(t);
    MessageBoxRecorder rec;
    MainWindow w(qApp, c.dir.path());
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().icon, QMessageBox::Question);
    QCOMPARE(rec.last().title, QStringLiteral("Wykryto pustą bazę danych"));
    QVERIFY(rec.last().text.contains("Wykryto pustą bazę danych"));
    QVERIFY(rec.last().text.contains("Czy utworzyć strukturę bazy danych ?"));
    QVERIFY(!t.db()->isEmptyDatabase());
    QCOMPARE(t.count("users"), 1);
    QCOMPARE(t.count("statusesconf") > 0, true);
    QCOMPARE(w.db()->schemaVersion, appVersion);
    login(w);
    QCOMPARE(w.user()->name, QStringLiteral("Administrator"));
}

void TestMainWindow::emptyDatabaseLeftOnRefusal()
{
    TestDatabase t(false);
    REQUIRE_DB(t);
    Config c(t);
    MessageBoxRecorder rec;
    rec.answerCancel();
    MainWindow w(qApp, c.dir.path());
    QCOMPARE(rec.count(), 1);
    QVERIFY(t.db()->isEmptyDatabase());
    QVERIFY(!t.db()->query("SELECT iId FROM version").isActive());
    QVERIFY(!t.db()->query("SELECT iId FROM statusesconf").isActive());
    auto *page = qobject_cast<LoginWidget *>(w.currentPage());
    QVERIFY(page);
    QCOMPARE(page->findChild<QComboBox *>("userBox")->count(), 0);
    QVERIFY(!page->findChild<QPushButton *>("loginButton")->isEnabled());
    QVERIFY(!menuEnabled(w));
}

void TestMainWindow::otherSchemaVersionReported()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(t.exec("UPDATE version SET sVersion = '1.20'"));
    Config c(t);
    MessageBoxRecorder rec;
    MainWindow w(qApp, c.dir.path());
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().icon, QMessageBox::Warning);
    QCOMPARE(rec.last().text,
             QStringLiteral("Wersja bazy danych (1.20) różni się od wersji programu (1.23)."));
    QCOMPARE(t.scalar("SELECT sVersion FROM version"), QStringLiteral("1.20"));
    QVERIFY(qobject_cast<LoginWidget *>(w.currentPage()));
}

void TestMainWindow::unreachableServerStillShowsLogin()
{
    QTemporaryDir dir;
    {
        QSettings ini(dir.filePath("config.ini"), QSettings::IniFormat);
        ini.setValue("config/defaultdb", 3);
        ini.setValue("db_3/engine", "MySQL");
        ini.setValue("db_3/description", "Serwer w biurze");
        ini.setValue("db_3/database", "warsztat");
        ini.setValue("db_3/hostname", "127.0.0.1");
        ini.setValue("db_3/port", 1);
        ini.setValue("db_3/username", "nikt");
    }
    MessageBoxRecorder rec;
    MainWindow w(qApp, dir.path());
    QCOMPARE(rec.count(), 0);
    auto *dialog = w.findChild<InfoDialog *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isWindow());
    QCOMPARE(dialog->type(), InfoDialog::Error);
    QVERIFY(dialog->text().startsWith("Nie można połączyć się z bazą danych !\n\n"));
    QVERIFY(dialog->text().size() > QString("Nie można połączyć się z bazą danych !\n\n").size());
    auto *page = qobject_cast<LoginWidget *>(w.currentPage());
    QVERIFY(page);
    QCOMPARE(page->findChild<QComboBox *>("userBox")->count(), 0);
    QCOMPARE(page->findChild<QComboBox *>("databaseBox")->currentText(), QStringLiteral("Serwer w biurze"));
    QVERIFY(!menuEnabled(w));
}

void TestMainWindow::headerCountsOpenAndWaiting()
{
    TestDatabase t;
    REQUIRE_DB(t);
    const QString open = t.scalar("SELECT iStatusId FROM statusesconf WHERE iGroup = 1 ORDER BY iOrder");
    const QString waiting = t.scalar("SELECT iStatusId FROM statusesconf WHERE iGroup = 2 ORDER BY iOrder");
    const QString closed = t.scalar("SELECT iStatusId FROM statusesconf WHERE iGroup = 3 ORDER BY iOrder");
    QVERIFY(!open.isEmpty() && !waiting.isEmpty() && !closed.isEmpty());
    UserWidget user(1, "Administrator", 0);
    TopFrameWidget header(nullptr, t.db(), &user, nullptr);
    QCOMPARE(header.reloadTimer()->interval(), 900000);
    QVERIFY(header.reloadTimer()->isActive());
    QCOMPARE(header.findChild<QLabel *>("openCountLabel")->text(), QStringLiteral("0"));
    QCOMPARE(header.findChild<QLabel *>("waitingCountLabel")->text(), QStringLiteral("0"));

    QStringList inserts;
    const QStringList statuses = {open, open, open, waiting, waiting, closed, "999"};
    for (const QString &status : statuses)
        inserts << "INSERT INTO repairs (sNum, iAddDate, iEndDate, iType, sCost, sDefect, sComment, "
                   "sOuterNo, iStatus, iClientId, iHardwareId, iSubmitterId, iTechnicanId) "
                   "VALUES ('', 0, 0, 0, '', 'usterka', '', '', " + status + ", 0, 0, 1, 0)";
    QVERIFY2(t.exec(inserts), qPrintable(t.error()));
    // Counted only on request.
    QCOMPARE(header.openCount(), 0);
    header.reload();
    QCOMPARE(header.openCount(), 3);
    QCOMPARE(header.waitingCount(), 2);
    QCOMPARE(header.findChild<QLabel *>("openCountLabel")->text(), QStringLiteral("3"));
    QCOMPARE(header.findChild<QLabel *>("waitingCountLabel")->text(), QStringLiteral("2"));
    QCOMPARE(TopFrameWidget::repairsInGroup(t.db(), 3), 1);

    // The timer reloads as well.
    QVERIFY(t.exec("UPDATE repairs SET iStatus = " + waiting + " WHERE iStatus = " + closed));
    header.reloadTimer()->setInterval(10);
    QTRY_COMPARE(header.waitingCount(), 3);
    QCOMPARE(header.openCount(), 3);

    // A statement that fails counts as nothing.
    QVERIFY(t.exec("DROP TABLE statusesconf"));
    header.reload();
    QCOMPARE(header.openCount(), 0);
    QCOMPARE(header.waitingCount(), 0);
}

WARSZTAT_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
