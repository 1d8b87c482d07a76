#include "configtesthelpers.h"
#include "db/dbwidget.h"
#include "infodialog.h"
#include "loginwidget.h"
#include "messageboxrecorder.h"
#include "settings.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passwordMatching();
    void emptyPasswordAsAdministrator();
    void hashedAndPlainPasswords();
    void levelOfUserAddedByHand_data();
    void levelOfUserAddedByHand();
    void wrongPasswordShowsNoticeForAWhile();
    void onlyActiveUsersListedByName();
    void userSwitchedOffAfterListing();
    void lastLoginPreselected();
    void otherDatabaseReloadsUsers();
    void emptyOtherDatabaseOffersSchema();
    void unreachableDatabaseReported();
    void handWrittenValueKeptAtLogin();

private:
    // Settings kept in a temporary directory.
    struct Config
    {
        QTemporaryDir dir;
        Settings settings{dir.path()};
        // Names t as connection 1, the default one.
        void setDefault(const TestDatabase &t)
        {
            t.writeIni(settings.ini, 1, "Pierwsza baza");
            settings.ini->setValue("config/defaultdb", 1);
        }
    };
    struct Page
    {
        std::unique_ptr<LoginWidget> widget;
        QComboBox *users = nullptr;
        QLineEdit *password = nullptr;
        QComboBox *databases = nullptr;
        QPushButton *button = nullptr;
        QLabel *notice = nullptr;
    };
    static Page makePage(DbWidget *db, Settings *settings);
    static bool selectUser(const Page &page, const QString &name);
};

TestLogin::Page TestLogin::makePage(DbWidget *db, Settings *settings)
{
    Page p;
    p.widget = std::make_unique<LoginWidget>(nullptr, db, settings);
    p.users = p.widget->findChild<QComboBox *>("userBox");
    p.password = p.widget->findChild<QLineEdit *>("passwordEdit");
    p.databases = p.widget->findChild<QComboBox *>("databaseBox");
    p.button = p.widget->findChild<QPushButton *>("loginButton");
    p.notice = p.widget->findChild<QLabel *>("noticeLabel");
    return p;
}

bool TestLogin::selectUser(const Page &page, const QString &name)
{
    const int index = page.users->findText(name);
    page.users->setCurrentIndex(index);
    return index >= 0;
}

void TestLogin::passwordMatching()
{
    QCOMPARE(LoginWidget::passwordHash(""), QStringLiteral("da39a3ee5e6b4b0d3255bfef95601890afd80709"));
    QCOMPARE(LoginWidget::passwordHash("abc"), QStringLiteral("a9993e364706816aba3e25717850c26c9cd0d89d"));
    QVERIFY(LoginWidget::passwordMatches("", ""));
    QVERIFY(LoginWidget::passwordMatches("tajne", "tajne"));
    QVERIFY(LoginWidget::passwordMatches(LoginWidget::passwordHash("zażółć"), "zażółć"));
    QVERIFY(!LoginWidget::passwordMatches("", "x"));
    QVERIFY(!LoginWidget::passwordMatches("tajne", "Tajne"));
    QVERIFY(!LoginWidget::passwordMatches("tajne", ""));
    // The hash is compared in lower case only.
    QVERIFY(!LoginWidget::passwordMatches(LoginWidget::passwordHash("abc").toUpper(), "abc"));
}

void TestLogin::emptyPasswordAsAdministrator()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c;
    c.setDefault(t);
    Page p = makePage(t.db(), &c.settings);
    QSignalSpy spy(p.widget.get(), &LoginWidget::loggedIn);
    QCOMPARE(p.users->currentText(), QStringLiteral("Administrator"));
    QVERIFY(p.password->text().isEmpty());
    QCOMPARE(p.password->echoMode(), QLineEdit::Password);
    QTest::mouseClick(p.button, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), QVariantList({1, "Administrator", 0}));
    QVERIFY(p.notice->isHidden());
    // Stored in the file, not only in memory.
    QSettings reread(c.settings.ini->fileName(), QSettings::IniFormat);
    QCOMPARE(reread.value("config/lastlogin").toString(), QStringLiteral("Administrator"));
}

void TestLogin::hashedAndPlainPasswords()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.addUser(2, "Ewa", LoginWidget::passwordHash("Sekret ąę'\\"), 3)
                 && t.addUser(3, "Jan", "zwykłe", 5),
             qPrintable(t.error()));
    Config c;
    Page p = makePage(t.db(), &c.settings);
    QSignalSpy spy(p.widget.get(), &LoginWidget::loggedIn);

    // The hash of the typed text matches (letters outside ASCII cannot be
    // sent as key clicks).
    QVERIFY(selectUser(p, "Ewa"));
    p.password->setText("Sekret ąę'\\");
    QTest::keyClick(p.password, Qt::Key_Return);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), QVariantList({2, "Ewa", 3}));

    // A plain stored password matches as typed, not by its hash.
    QVERIFY(selectUser(p, "Jan"));
    p.password->setText(LoginWidget::passwordHash("zwykłe"));
    QTest::mouseClick(p.button, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    p.password->setText("zwykłe");
    QTest::mouseClick(p.button, Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(1).toString(), QStringLiteral("Jan"));
    QCOMPARE(c.settings.ini->value("config/lastlogin").toString(), QStringLiteral("Jan"));
}

// Users are added with a database tool: a level that is missing or out of
// range logs in with the fewest rights, never as the administrator. One row
// per way there: a new database's default, a number out of range, no number.
void TestLogin::levelOfUserAddedByHand_data()
{
    QTest::addColumn<QString>("level"); // empty: not given
    QTest::newRow("not given") << "";
    QTest::newRow("below 0") << "-1";
    QTest::newRow("NULL") << "NULL";
}

void TestLogin::levelOfUserAddedByHand()
{
    QFETCH(QString, level);
    TestDatabase t;
    REQUIRE_DB(t);
    if (TestDatabase::isMySql() && level == "NULL")
        QSKIP("MariaDB stores only numbers in the column");
    QVERIFY(t.exec(level.isEmpty() ? "INSERT INTO users (sUser, sPassword, bActive) VALUES ('Praktykant', 'p', 1)"
                                   : "INSERT INTO users (sUser, sPassword, bActive, iLevel) VALUES ('Praktykant', 'p', 1, "
                                         + level + ")"));
    Config c;
    Page p = makePage(t.db(), &c.settings);
    QSignalSpy spy(p.widget.get(), &LoginWidget::loggedIn);
    QVERIFY(selectUser(p, "Praktykant"));
    QTest::keyClicks(p.password, "p");
    QTest::keyClick(p.password, Qt::Key_Return);
    QCOMPARE(spy.value(0).value(2).toInt(), 7);
}

void TestLogin::wrongPasswordShowsNoticeForAWhile()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c;
    c.settings.ini->setValue("config/lastlogin", "Ktoś");
    Page p = makePage(t.db(), &c.settings);
    QSignalSpy spy(p.widget.get(), &LoginWidget::loggedIn);

    QVERIFY(p.notice->isHidden());
    QTest::keyClicks(p.password, "' OR '1'='1");
    QTest::keyClick(p.password, Qt::Key_Enter);
    QCOMPARE(spy.count(), 0);
    QVERIFY(!p.notice->isHidden());
    QCOMPARE(p.notice->text(), QStringLiteral("Nieprawidłowe hasło !"));
    // Nothing written on a failure.
    QCOMPARE(c.settings.ini->value("config/lastlogin").toString(), QStringLiteral("Ktoś"));
    QTest::qWait(1000);
    QVERIFY(!p.notice->isHidden());
    // A second failure keeps the notice for its own full time.
    QTest::keyClick(p.password, Qt::Key_Enter);
    QTest::qWait(800);
    QVERIFY(!p.notice->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(p.notice->isHidden(), 3000);
    QCOMPARE(spy.count(), 0);
}

void TestLogin::onlyActiveUsersListedByName()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.addUser(2, "Zenon", "", 2) && t.addUser(3, "Adam", "", 2)
                 && t.addUser(4, "Basia", "", 2, false),
             qPrintable(t.error()));
    Config c;
    Page p = makePage(t.db(), &c.settings);
    QCOMPARE(itemTexts(*p.users), QStringList({"Adam", "Administrator", "Zenon"}));
    QCOMPARE(p.users->itemData(2).toInt(), 2);
    // Nothing preselected from the INI: the first user.
    QCOMPARE(p.users->currentIndex(), 0);
}

void TestLogin::userSwitchedOffAfterListing()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.addUser(2, "Ewa", "", 2), qPrintable(t.error()));
    Config c;
    Page p = makePage(t.db(), &c.settings);
    QSignalSpy spy(p.widget.get(), &LoginWidget::loggedIn);
    QVERIFY(selectUser(p, "Ewa"));
    QVERIFY(t.exec("UPDATE users SET bActive = 0 WHERE iId = 2"));
    QTest::mouseClick(p.button, Qt::LeftButton);
    QCOMPARE(spy.count(), 0);
    QVERIFY(!p.notice->isHidden());
    QCOMPARE(p.notice->text(), "To konto jest nieaktywne.");
    QCOMPARE(itemTexts(*p.users), QStringList{"Administrator"});
    QVERIFY(!c.settings.ini->contains("config/lastlogin"));
}

void TestLogin::lastLoginPreselected()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.addUser(2, "Ewa", "x", 2), qPrintable(t.error()));
    Config c;
    {
        Page p = makePage(t.db(), &c.settings);
        QCOMPARE(p.users->currentText(), QStringLiteral("Administrator"));
        QVERIFY(selectUser(p, "Ewa"));
        // A failed attempt as Ewa leaves no trace.
        QTest::mouseClick(p.button, Qt::LeftButton);
        QVERIFY(!c.settings.ini->contains("config/lastlogin"));
        p.password->setText("x");
        QTest::mouseClick(p.button, Qt::LeftButton);
        QCOMPARE(c.settings.ini->value("config/lastlogin").toString(), QStringLiteral("Ewa"));
    }
    QCOMPARE(makePage(t.db(), &c.settings).users->currentText(), QStringLiteral("Ewa"));
}

void TestLogin::otherDatabaseReloadsUsers()
{
    TestDatabase first;
    REQUIRE_DB(first);
    TestDatabase second;
    REQUIRE_DB(second);
    QVERIFY2(second.addUser(2, "Druga", "", 1), qPrintable(second.error()));
    Config c;
    c.setDefault(first);
    second.writeIni(c.settings.ini, 4, "Druga baza");
    DbWidget db;
    QVERIFY(db.open(c.settings.ini, 1));

    MessageBoxRecorder rec;
    Page p = makePage(&db, &c.settings);
    QCOMPARE(p.databases->count(), 2);
    QCOMPARE(p.databases->currentText(), QStringLiteral("Pierwsza baza"));
    QCOMPARE(p.users->count(), 1);

    p.databases->setCurrentIndex(1);
    QCOMPARE(db.description, QStringLiteral("Druga baza"));
    QCOMPARE(p.users->count(), 2);
    QVERIFY(selectUser(p, "Druga"));
    QSignalSpy spy(p.widget.get(), &LoginWidget::loggedIn);
    QTest::mouseClick(p.button, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("Druga"));
    QCOMPARE(rec.count(), 0);
}

void TestLogin::emptyOtherDatabaseOffersSchema()
{
    TestDatabase first;
    REQUIRE_DB(first);
    TestDatabase empty(false);
    REQUIRE_DB(empty);
    Config c;
    c.setDefault(first);
    empty.writeIni(c.settings.ini, 2, "Pusta baza");
    DbWidget db;
    QVERIFY(db.open(c.settings.ini, 1));
    Page p = makePage(&db, &c.settings);
    {
        MessageBoxRecorder rec;
        rec.answerCancel();
        p.databases->setCurrentIndex(1);
        QCOMPARE(rec.titles(), QStringList({"Wykryto pustą bazę danych", "Brak struktury bazy danych"}));
        QVERIFY(rec.boxes.first().text.contains("Wykryto pustą bazę danych"));
        QVERIFY(!p.notice->isHidden());
        QVERIFY(empty.db()->isEmptyDatabase());
        QCOMPARE(p.users->count(), 0);
        QVERIFY(!p.button->isEnabled());
    }
    {
        MessageBoxRecorder rec;
        p.databases->setCurrentIndex(0);
        QCOMPARE(rec.count(), 0);
        QCOMPARE(p.users->count(), 1);
        QVERIFY(p.button->isEnabled());
        QVERIFY(p.notice->isHidden());
        p.databases->setCurrentIndex(1);
        QCOMPARE(rec.count(), 1);
        QCOMPARE(p.users->count(), 1);
        QCOMPARE(empty.count("users"), 1);
    }
}

void TestLogin::unreachableDatabaseReported()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c;
    c.setDefault(t);
    TestDatabase::writeUnreachableIni(c.settings.ini, 2, "Nieosiągalna");
    DbWidget db;
    QVERIFY(db.open(c.settings.ini, 1));
    QWidget owner;
    Page p = makePage(&db, &c.settings);
    p.widget->setParent(&owner);
    p.databases->setCurrentIndex(1);
    auto *dialog = owner.findChild<InfoDialog *>();
    QVERIFY(dialog);
    QCOMPARE(dialog->type(), InfoDialog::Error);
    QVERIFY(dialog->isWindow());
    QVERIFY(dialog->text().startsWith("Nie można połączyć się z bazą danych !"));
    QCOMPARE(p.users->count(), 0);
}

// A login leaves a hand-written value of config.ini that the INI syntax
// reads otherwise as written, not as read (which would open another file).
void TestLogin::handWrittenValueKeptAtLogin()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Config c;
    c.setDefault(t);
    c.settings.ini->sync();
    QFile file(c.settings.ini->fileName());
    QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Append));
    file.write("\n[db_2]\nengine=SQLite\ndbfile=C:\\Serwis\\warsztat.db\n");
    const QByteArray written = file.seek(0) ? file.readAll() : QByteArray();
    file.close();
    c.settings.ini->sync();
    Page p = makePage(t.db(), &c.settings);
    QSignalSpy spy(p.widget.get(), &LoginWidget::loggedIn);
    QTest::mouseClick(p.button, Qt::LeftButton);
    QVERIFY(spy.count() == 1 && file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), written);
}

WARSZTAT_TEST_MAIN(TestLogin)
#include "tst_login.moc"
