#include "appversion.h"
#include "db/dbwidget.h"
#include "infodialog.h"
#include "loginwidget.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "messageboxrecorder.h"
#include "repairs/repairswidget.h"
#include "settings.h"
#include "testdatabase.h"
#include "testmain.h"
#include "topframewidget.h"
#include "userwidget.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
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
    void loginEnablesMenuAndHeader_data();
    void loginEnablesMenuAndHeader();
    void menuReplacesThePage();
    void exitAsksFirst();
    void messageBoxButtonsInPolish();
    void logoutReturnsToLogin();
    void emptyDatabaseAsksForSchema_data();
    void emptyDatabaseAsksForSchema();
    void otherSchemaVersionReported();
    void unreachableServerStillShowsLogin();
    void headerCountsOpenAndWaiting();
    void repairsPageRelaysToHeader();
    void datePickersSpeakPolish();

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
        return w.findChild<QToolButton *>("repairsButton")->isEnabled();
    }
    static LoginWidget *loginPage(MainWindow &w)
    {
        return qobject_cast<LoginWidget *>(w.currentPage());
    }
    // A combo box of the login page.
    static QComboBox *box(MainWindow &w, const char *name)
    {
        return loginPage(w)->findChild<QComboBox *>(name);
    }
    static void selectUser(MainWindow &w, const QString &name)
    {
        QComboBox *users = box(w, "userBox");
        users->setCurrentIndex(users->findText(name));
    }
    static void login(MainWindow &w, const QString &password = QString())
    {
        auto *page = loginPage(w);
        QVERIFY(page);
        page->findChild<QLineEdit *>("passwordEdit")->setText(password);
        QTest::mouseClick(page->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
    }
    // Nothing of a session left: no user, header nor menu, the login page shown.
    static bool loggedOut(MainWindow &w)
    {
        return !w.user() && !w.topFrame() && !w.findChild<QFrame *>("topFrameArea")->isEnabled() && !menuEnabled(w)
            && button(w, "statsButton")->isHidden() && loginPage(w);
    }
    static QStringList counts(const TopFrameWidget &header)
    {
        return {header.findChild<QLabel *>("openCountLabel")->text(),
                header.findChild<QLabel *>("waitingCountLabel")->text()};
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
    QVERIFY(loggedOut(w));
    QCOMPARE(box(w, "databaseBox")->currentText(), QStringLiteral("Baza testowa"));
}

void TestMainWindow::loginEnablesMenuAndHeader_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("level");
    QTest::newRow("administrator") << 1 << "Administrator" << "" << 0;
    // Statistics and configuration are for level 0 only.
    QTest::newRow("restricted user") << 2 << "Ewa" << "x" << 1;
}

void TestMainWindow::loginEnablesMenuAndHeader()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(int, level);
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.addUser(2, "Ewa", "x", 1), qPrintable(t.error()));
    Config c(t);
    MainWindow w(qApp, c.dir.path());
    auto *page = loginPage(w);
    QVERIFY(page);
    selectUser(w, name);
    login(w, "zle");
    QVERIFY(loggedOut(w));
    QCOMPARE(w.currentPage(), page);

    login(w, password);
    QVERIFY(w.user());
    QCOMPARE(w.user()->id, id);
    QCOMPARE(w.user()->name, name);
    QCOMPARE(w.user()->level, level);
    QVERIFY(menuEnabled(w));
    QVERIFY(w.findChild<QFrame *>("topFrameArea")->isEnabled());
    QVERIFY(w.topFrame());
    QCOMPARE(w.topFrame()->findChild<QLabel *>("userLabel")->text(), name);
    QCOMPARE(button(w, "statsButton")->isHidden(), level > 0);
    QCOMPARE(button(w, "configButton")->isHidden(), level > 0);
    QVERIFY(!button(w, "repairsButton")->isHidden());
    QVERIFY(w.currentPage());
    QVERIFY(!loginPage(w));
    QSettings ini(c.dir.filePath("config.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value("config/lastlogin").toString(), name);
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

void TestMainWindow::messageBoxButtonsInPolish()
{
    QMessageBox box(QMessageBox::Question, "Zakończenie pracy", "?",
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    MessageBox::nameButtons(&box);
    QStringList names;
    for (auto which : {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::No})
        names << box.button(which)->text();
    QCOMPARE(names, (QStringList{"OK", "Anuluj", "Tak", "Nie"}));
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
    QVERIFY(loginPage(w));
    box(w, "databaseBox")->setCurrentIndex(1);
    selectUser(w, "Inna");
    login(w);
    QCOMPARE(w.user()->name, QStringLiteral("Inna"));
    QCOMPARE(w.db()->description, QStringLiteral("Druga baza"));
    QTest::mouseClick(button(w, "clientsButton"), Qt::LeftButton);
    QPointer<QWidget> oldPage = w.currentPage();
    QPointer<TopFrameWidget> oldHeader = w.topFrame();

    QTest::mouseClick(button(w, "logoutButton"), Qt::LeftButton);
    QVERIFY(oldPage.isNull());
    QVERIFY(oldHeader.isNull());
    QVERIFY(loggedOut(w));
    // ...the default database is open again.
    QCOMPARE(w.db()->description, QStringLiteral("Baza testowa"));
    QCOMPARE(box(w, "databaseBox")->currentIndex(), 0);
    QCOMPARE(box(w, "userBox")->count(), 1);
    // The last login (Inna) is not in this database: the first user it is.
    QCOMPARE(box(w, "userBox")->currentText(), QStringLiteral("Administrator"));
    login(w);
    QCOMPARE(w.user()->name, QStringLiteral("Administrator"));
    QVERIFY(menuEnabled(w));
}

void TestMainWindow::emptyDatabaseAsksForSchema_data()
{
    QTest::addColumn<bool>("consent");
    QTest::newRow("created on consent") << true;
    QTest::newRow("left on refusal") << false;
}

void TestMainWindow::emptyDatabaseAsksForSchema()
{
    QFETCH(bool, consent);
    TestDatabase t(false);
    REQUIRE_DB(t);
    Config c(t);
    MessageBoxRecorder rec;
    if (!consent)
        rec.answerCancel();
    MainWindow w(qApp, c.dir.path());
    // A refusal is followed by the word that the database has no structure.
    QCOMPARE(rec.count(), consent ? 1 : 2);
    QCOMPARE(rec.boxes.first().icon, QMessageBox::Question);
    QCOMPARE(rec.boxes.first().title, QStringLiteral("Wykryto pustą bazę danych"));
    QVERIFY(rec.boxes.first().text.contains("Wykryto pustą bazę danych"));
    QVERIFY(rec.boxes.first().text.contains("Czy utworzyć strukturę bazy danych ?"));
    QCOMPARE(t.db()->isEmptyDatabase(), !consent);
    if (consent) {
        QCOMPARE(t.count("users"), 1);
        QCOMPARE(t.count("statusesconf") > 0, true);
        QCOMPARE(w.db()->schemaVersion, appVersion);
        login(w);
        QCOMPARE(w.user()->name, QStringLiteral("Administrator"));
    } else {
        QVERIFY(!t.db()->query("SELECT iId FROM version").isActive());
        QVERIFY(!t.db()->query("SELECT iId FROM statusesconf").isActive());
        QVERIFY(loggedOut(w));
        QCOMPARE(box(w, "userBox")->count(), 0);
        QVERIFY(!loginPage(w)->findChild<QPushButton *>("loginButton")->isEnabled());
        QVERIFY(rec.last().text.contains("nie ma struktury programu"));
        QVERIFY(loginPage(w)->findChild<QLabel *>("noticeLabel")->isVisibleTo(&w));
        // "Zakończ" still ends the program.
        w.show();
        QTest::mouseClick(button(w, "exitButton"), Qt::LeftButton);
        QCOMPARE(rec.last().title, QStringLiteral("Zakończenie pracy"));
        QVERIFY(!w.isVisible());
    }
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
    QVERIFY(loginPage(w));
}

void TestMainWindow::unreachableServerStillShowsLogin()
{
    QTemporaryDir dir;
    {
        QSettings ini(dir.filePath("config.ini"), QSettings::IniFormat);
        ini.setValue("config/defaultdb", 3);
        TestDatabase::writeUnreachableIni(&ini, 3, "Serwer w biurze");
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
    QVERIFY(loggedOut(w));
    QCOMPARE(box(w, "userBox")->count(), 0);
    QCOMPARE(box(w, "databaseBox")->currentText(), QStringLiteral("Serwer w biurze"));
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
    QCOMPARE(counts(header), QStringList({"0", "0"}));

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
    QCOMPARE(counts(header), QStringList({"3", "2"}));
    QCOMPARE(TopFrameWidget::repairsInGroup(t.db(), 3), 1);

    // The timer reloads as well.
    QVERIFY(t.exec("UPDATE repairs SET iStatus = " + waiting + " WHERE iStatus = " + closed));
    header.reloadTimer()->setInterval(10);
    QTRY_COMPARE(header.waitingCount(), 3);
    QCOMPARE(header.openCount(), 3);

    // A statement that fails is no count: the last ones read stay.
    QVERIFY(t.exec("DROP TABLE statusesconf"));
    header.reload();
    QCOMPARE(header.openCount(), 3);
    QCOMPARE(header.waitingCount(), 3);
    QCOMPARE(counts(header), QStringList({"3", "3"}));
}

void TestMainWindow::repairsPageRelaysToHeader()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c(t);
    MainWindow w(qApp, c.dir.path());
    login(w);
    // The start page after login and on "Naprawy", built anew each time.
    QPointer<QWidget> first = qobject_cast<RepairsWidget *>(w.currentPage());
    QTest::mouseClick(button(w, "repairsButton"), Qt::LeftButton);
    auto *page = qobject_cast<RepairsWidget *>(w.currentPage());
    QVERIFY(first && page && page != first);
    QVERIFY(t.exec("INSERT INTO repairs (sNum, iAddDate, iEndDate, iType, sCost, sDefect, sComment, "
                   "sOuterNo, iStatus, iClientId, iHardwareId, iSubmitterId, iTechnicanId) "
                   "VALUES ('', 0, 0, 0, '', 'usterka', '', '', 0, 0, 0, 1, 0)"));
    QCOMPARE(w.topFrame()->openCount(), 0);
    emit page->repairsStatusChanged();
    QCOMPARE(w.topFrame()->openCount(), 1);
}

void TestMainWindow::datePickersSpeakPolish()
{
    // Set once at start-up, for every picker built afterwards.
    QTemporaryDir dir;
    MainWindow w(qApp, dir.path());
    QDateEdit edit(QDate(2026, 12, 7));
    edit.setDisplayFormat("dddd, d MMMM yyyy");
    QCOMPARE(edit.text(), QStringLiteral("poniedziałek, 7 grudnia 2026"));
    QCalendarWidget calendar;
    calendar.setSelectedDate(QDate(2026, 12, 7));
    calendar.show();
    QCOMPARE(calendar.findChild<QToolButton *>("qt_calendar_monthbutton")->text(),
             QStringLiteral("grudzień"));
}

WARSZTAT_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
