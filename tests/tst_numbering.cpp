#include "configtesthelpers.h"
#include "dictionaries/numberingconfig.h"
#include "messageboxrecorder.h"
#include "testdatabase.h"
#include "testmain.h"
#include "userwidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

const QDateTime March5(QDate(2013, 3, 5), QTime(9, 30));
const QDateTime June2012(QDate(2012, 6, 17), QTime(12, 0));
const QString SchemeRow = QStringLiteral("sGroup = 'db' AND sKey = 'numbering'");
const QString SchemeValue =
    QStringLiteral("SELECT sValue FROM settings WHERE sGroup = 'db' AND sKey = 'numbering'");

QString storeScheme(const QString &scheme)
{
    return QStringLiteral("INSERT INTO settings (sGroup, sKey, sValue, iUserId) "
                          "VALUES('db', 'numbering', '%1', 1)").arg(scheme);
}

QString insertRepair(int id = 0)
{
    return QStringLiteral("INSERT INTO repairs (%1sNum, iAddDate, iEndDate, iType, sCost, sMCost, "
                          "sDefect, sSolution, sComment, sOuterNo, iStatus, iProgress, iClientId, "
                          "iHardwareId, iSubmitterId, iTechnicanId) VALUES(%2'1', 0, 0, 0, '', '', "
                          "'', '', '', '', 0, 0, 1, 1, 1, 1)")
        .arg(id ? QStringLiteral("iId, ") : QString(), id ? QString::number(id) + ", " : QString());
}

} // namespace

class TestNumbering : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tokensAndDefaultScheme();
    void storedScheme();
    void initials_data();
    void initials();

    void pageLoadsAndPreviews();
    void pageReloadsWhenShownAndDeletesWhenClosed();
    void schemeRefusals();
    void schemeSaved();
    void schemeSaveFailureKeepsTheOldScheme();
    void schemeChangedElsewhere_data();
    void schemeChangedElsewhere();
    void nextKeyRefusals();
    void nextKeyAccepted_data();
    void nextKeyAccepted();
    void nextKeyFailureIsReported();
    void renderPage();

private:
    struct Page
    {
        explicit Page(DbWidget *db) : user(7, QStringLiteral("Jan Kowalski"), 0)
        {
            page = new NumberingConfig(nullptr, db, &user, nullptr);
            page->show();
        }
        ~Page() { delete page.data(); }
        QLineEdit *edit() const { return page->findChild<QLineEdit *>("numberingEdit"); }
        QLineEdit *nextId() const { return page->findChild<QLineEdit *>("nextIdEdit"); }
        QLabel *preview() const { return page->findChild<QLabel *>("numberingPrevLabel"); }
        QPushButton *saveScheme() const { return page->findChild<QPushButton *>("numberingSave"); }
        QPushButton *saveNextId() const { return page->findChild<QPushButton *>("nextIdSave"); }
        void typeScheme(const QString &scheme) const
        {
            edit()->clear();
            QTest::keyClicks(edit(), scheme);
        }
        void typeNextId(const QString &text) const
        {
            nextId()->clear();
            QTest::keyClicks(nextId(), text);
        }

        UserWidget user;
        QPointer<NumberingConfig> page;
    };
};

void TestNumbering::tokensAndDefaultScheme()
{
    TestDatabase t;
    REQUIRE_DB(t);
    UserWidget user(1, QStringLiteral("Jan Kowalski"), 0);

    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &user, March5, QString()),
             QStringLiteral("0503"));
    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &user, June2012,
                                                QStringLiteral("KOMP/{MONTH2}/{YEAR4}/ODDZ1")),
             QStringLiteral("KOMP/06/2012/ODDZ1"));
    QCOMPARE(NumberingConfig::generateNumbering(
                 t.db(), &user, March5,
                 QStringLiteral("{DAY1}.{DAY2}.{MONTH1}.{MONTH2}.{YEAR2}.{YEAR4}.{INITIALS}")),
             QStringLiteral("5.05.3.03.13.2013.JK"));
    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &user, March5,
                                                QStringLiteral("{DAY2}{DAY2}-{INITIALS}{INITIALS}")),
             QStringLiteral("0505-JKJK"));
    // Other case, unknown names and unbalanced braces stay as written.
    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &user, March5,
                                                QStringLiteral("{day2}/{ID}/{MONTH2/{YEAR4}}")),
             QStringLiteral("{day2}/{ID}/{MONTH2/2013}"));
    // Without a user there are no initials.
    QCOMPARE(NumberingConfig::generateNumbering(nullptr, nullptr, March5,
                                                QStringLiteral("{INITIALS}{MONTH1}")),
             QStringLiteral("3"));
}

void TestNumbering::storedScheme()
{
    TestDatabase t;
    REQUIRE_DB(t);
    UserWidget user(1, QStringLiteral("Łukasz Żak"), 0);

    QVERIFY(t.exec(storeScheme("{INITIALS}/{YEAR2}")));
    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &user, March5, QString()),
             QStringLiteral("ŁŻ/13"));
    // A given scheme wins over the stored one.
    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &user, March5, QStringLiteral("{DAY1}")),
             QStringLiteral("5"));

    QVERIFY(t.exec("UPDATE settings SET sValue = '' WHERE " + SchemeRow));
    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &user, March5, QString()), QString());

    QVERIFY(t.exec("DROP TABLE settings"));
    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &user, March5, QString()),
             QStringLiteral("0503"));
}

void TestNumbering::initials_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two words") << "Jan Kowalski" << "JK";
    QTest::newRow("one word") << "Administrator" << "A";
    QTest::newRow("hyphen") << "Anna Nowak-Kowalska" << "AN-K";
    QTest::newRow("polish capitals") << "Łukasz Żak" << "ŁŻ";
    QTest::newRow("polish inside words") << "Michał Świątek" << "MŚ";
    QTest::newRow("polish lower case") << "ścisły żółw ćma" << "ŚŻĆ";
    QTest::newRow("extra blanks and tab") << "  Jan \t Kowalski " << "JK";
    QTest::newRow("digits") << "Serwis 2" << "S2";
    QTest::newRow("empty") << "" << "";
}

void TestNumbering::initials()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(NumberingConfig::initials(name), expected);
    UserWidget user(1, name, 0);
    QCOMPARE(NumberingConfig::generateNumbering(nullptr, &user, March5,
                                                QStringLiteral("X{INITIALS}")),
             "X" + expected);
}

void TestNumbering::pageLoadsAndPreviews()
{
    TestDatabase t;
    REQUIRE_DB(t);
    const QString month = QDateTime::currentDateTime().toString("MM/yyyy");
    {
        Page p(t.db());
        QCOMPARE(p.edit()->text(), QStringLiteral("{DAY2}{MONTH2}"));
        QCOMPARE(p.preview()->text(),
                 "123/" + QDateTime::currentDateTime().toString("ddMM"));
        QVERIFY(!p.saveScheme()->isEnabled());
        QVERIFY(p.saveNextId()->isEnabled());
        QCOMPARE(p.page->findChild<QLabel *>("dbLabel")->text(),
                 "Aktualna baza danych dla której zostaną zastosowane ustawienia: "
                     + t.db()->description);

        p.typeScheme("KOMP/{MONTH2}/{YEAR4}/ODDZ1");
        QCOMPARE(p.preview()->text(), "123/KOMP/" + month + "/ODDZ1");
        QVERIFY(p.saveScheme()->isEnabled());

        // A blank scheme previews the stored one.
        p.typeScheme("   ");
        QCOMPARE(p.preview()->text(),
                 "123/" + QDateTime::currentDateTime().toString("ddMM"));
    }
    QVERIFY(t.exec({insertRepair(), insertRepair(57), storeScheme("KOMP/{MONTH2}/{YEAR4}/ODDZ1")}));
    Page p(t.db());
    QCOMPARE(p.edit()->text(), QStringLiteral("KOMP/{MONTH2}/{YEAR4}/ODDZ1"));
    QCOMPARE(p.preview()->text(), "57/KOMP/" + month + "/ODDZ1");
    QVERIFY(!p.saveScheme()->isEnabled());
}

void TestNumbering::pageReloadsWhenShownAndDeletesWhenClosed()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Page p(t.db());
    p.typeScheme("{YEAR4}");
    p.typeNextId("77");
    QVERIFY(p.saveScheme()->isEnabled());
    QVERIFY(t.exec(storeScheme("R/{INITIALS}")));
    // A scheme typed stays until it is saved (the second time, as the first
    // finds the one stored meanwhile): then the page shows again what is stored.
    MessageBoxRecorder rec;
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QCOMPARE(rec.last().title, QStringLiteral("Zmiany na innym stanowisku"));
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QCOMPARE(t.scalar(SchemeValue), QStringLiteral("{YEAR4}"));
    QVERIFY(t.exec({"DELETE FROM settings", storeScheme("R/{INITIALS}")}));
    p.page->hide();
    p.page->show();
    QCOMPARE(p.edit()->text(), QStringLiteral("R/{INITIALS}"));
    QCOMPARE(p.preview()->text(), QStringLiteral("123/R/JK"));
    QVERIFY(!p.saveScheme()->isEnabled());
    QCOMPARE(p.nextId()->text(), QStringLiteral("77"));
    // A stored scheme longer than a repair's number holds shows whole.
    QVERIFY(t.exec({"DELETE FROM settings", storeScheme(QString(300, 'K'))}));
    p.page->hide();
    p.page->show();
    QCOMPARE(p.edit()->text(), QString(300, 'K'));

    p.page->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(p.page.isNull());
}

void TestNumbering::schemeRefusals()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Page p(t.db());
    MessageBoxRecorder rec;

    p.typeScheme("  ");
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().icon, QMessageBox::Information);
    QCOMPARE(rec.last().title, QStringLiteral("Błąd schematu numeracji"));
    QCOMPARE(rec.last().text, QStringLiteral("Schemat numeracji nie może być pusty !"));

    for (const QString &scheme : {QStringLiteral("{ID}/{MONTH2}"), QStringLiteral("{day2}"),
                                  QStringLiteral("{MONTH2"), QStringLiteral("A}")}) {
        p.typeScheme(scheme);
        QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
        QCOMPARE(rec.last().text,
                 QStringLiteral("Schemat numeracji nie może zawierać niedomkniętych znaczników {} !"));
    }
    QCOMPARE(rec.count(), 5);
    // No longer scheme is taken than a repair's number holds.
    p.typeScheme(QString(256, QLatin1Char('K')));
    QCOMPARE(p.edit()->text(), QString(255, QLatin1Char('K')));

    p.typeScheme("{YEAR4}");
    rec.answerCancel();
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QCOMPARE(rec.count(), 6);
    QCOMPARE(rec.last().icon, QMessageBox::Question);
    QCOMPARE(rec.last().title, QStringLiteral("Czy na pewno zapisać ?"));
    QCOMPARE(rec.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(t.count("settings", SchemeRow), 0);
}

void TestNumbering::schemeSaved()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(t.exec(storeScheme("{DAY1}")));
    Page p(t.db());
    MessageBoxRecorder rec;

    p.typeScheme("  Serwis O'Brien\\{INITIALS}/{YEAR2}/%2%1  ");
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QCOMPARE(rec.titles(), QStringList{"Czy na pewno zapisać ?"});
    QCOMPARE(t.count("settings", SchemeRow), 1);
    QCOMPARE(t.scalar(SchemeValue), QStringLiteral("Serwis O'Brien\\{INITIALS}/{YEAR2}/%2%1"));
    QCOMPARE(t.scalar("SELECT iUserId FROM settings WHERE " + SchemeRow).toInt(), 7);
    QVERIFY(p.saveScheme()->isEnabled());

    UserWidget other(2, QStringLiteral("Ewa Nowak"), 0);
    QCOMPARE(NumberingConfig::generateNumbering(t.db(), &other, March5, QString()),
             QStringLiteral("Serwis O'Brien\\EN/13/%2%1"));
}

void TestNumbering::schemeSaveFailureKeepsTheOldScheme()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(t.exec(storeScheme("{DAY1}")));
    // The delete succeeds and the insert fails: the old row must stay.
    if (TestDatabase::isMySql())
        QVERIFY2(t.exec("CREATE TRIGGER noScheme BEFORE INSERT ON settings FOR EACH ROW "
                        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'blocked'"),
                 qPrintable(t.error()));
    else
        QVERIFY2(t.exec("CREATE TRIGGER noScheme BEFORE INSERT ON settings "
                        "BEGIN SELECT RAISE(ABORT, 'blocked'); END"),
                 qPrintable(t.error()));
    Page p(t.db());
    MessageBoxRecorder rec;
    p.typeScheme("{YEAR4}");
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QCOMPARE(rec.titles(), (QStringList{"Czy na pewno zapisać ?", "Błąd zapisu do bazy"}));
    QCOMPARE(t.scalar(SchemeValue), QStringLiteral("{DAY1}"));

    // Without the table at all.
    QVERIFY(t.exec("DROP TABLE settings"));
    rec.clear();
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QCOMPARE(rec.titles(), (QStringList{"Czy na pewno zapisać ?", "Błąd zapisu do bazy"}));
    QCOMPARE(rec.last().text,
             QStringLiteral("Nie udało się zapisać zmian.\n\nSprawdź konfigurację bazy danych bądź "
                            "skontaktuj się z pomocą techniczną."));

    // A scheme that cannot be read is not shown as the default.
    rec.clear();
    Page unread(t.db());
    QCOMPARE(rec.titles(), QStringList{"Błąd odczytu z bazy"});
    QVERIFY(unread.edit()->text().isEmpty());
    unread.typeScheme("{YEAR4}");
    QVERIFY(!unread.saveScheme()->isEnabled());
}

void TestNumbering::schemeChangedElsewhere_data()
{
    QTest::addColumn<QString>("before"); // the stored scheme the page reads; none when empty
    QTest::addColumn<QString>("meanwhile"); // another workstation's change while the question is open
    QTest::addColumn<QString>("after"); // the scheme it leaves stored
    QTest::newRow("other case") << "{DAY1}" << "UPDATE settings SET sValue = '{day1}' WHERE " + SchemeRow << "{day1}";
    QTest::newRow("stored where there was none") << QString() << storeScheme("R/{MONTH2}") << "R/{MONTH2}";
    QTest::newRow("removed") << "{DAY1}" << "DELETE FROM settings WHERE " + SchemeRow << QString();
}

void TestNumbering::schemeChangedElsewhere()
{
    QFETCH(QString, before);
    QFETCH(QString, meanwhile);
    QFETCH(QString, after);
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(before.isEmpty() || t.exec(storeScheme(before)));
    Page p(t.db());
    MessageBoxRecorder rec;
    rec.whileOpen = [&] { QVERIFY(t.openAnother()->query(meanwhile).isActive()); };
    p.typeScheme("{YEAR4}");
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QVERIFY(rec.last().text.startsWith("Schemat numeracji został zmieniony na innym stanowisku."));
    QCOMPARE(t.scalar(SchemeValue), after);
    QCOMPARE(p.edit()->text(), QStringLiteral("{YEAR4}"));
    // Saved again, it replaces the scheme now known.
    rec.clear();
    rec.whileOpen = nullptr;
    QTest::mouseClick(p.saveScheme(), Qt::LeftButton);
    QCOMPARE(rec.titles(), QStringList{"Czy na pewno zapisać ?"});
    QCOMPARE(t.scalar(SchemeValue), QStringLiteral("{YEAR4}"));
}

void TestNumbering::nextKeyRefusals()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(t.exec({insertRepair(), insertRepair(40)}));
    Page p(t.db());
    MessageBoxRecorder rec;

    for (const QString &text : {QString(), QStringLiteral("abc"), QStringLiteral("40"),
                                QStringLiteral("12"), QStringLiteral("-5")}) {
        rec.clear();
        p.typeNextId(text);
        QTest::mouseClick(p.saveNextId(), Qt::LeftButton);
        QCOMPARE(rec.count(), 1);
        QCOMPARE(rec.last().icon, QMessageBox::Information);
        QCOMPARE(rec.last().title, QStringLiteral("Niezgodność numeracji"));
        QCOMPARE(rec.last().text,
                 QStringLiteral("Kolejny numer identyfikacjny musi być większy od aktualnego !"));
    }

    rec.clear();
    rec.answerCancel();
    // Another workstation writes while the question is open.
    rec.whileOpen = [&] {
        QVERIFY(t.openAnother()->query("INSERT INTO settings (sGroup, sKey, sValue, iUserId) VALUES ('t', 't', 't', 2)").isActive());
    };
    p.typeNextId("100");
    QTest::mouseClick(p.saveNextId(), Qt::LeftButton);
    QCOMPARE(rec.titles(), QStringList{"Czy na pewno zapisać ?"});
    QCOMPARE(t.count("repairs"), 2);
    QVERIFY(t.exec(insertRepair()));
    QCOMPARE(t.scalar("SELECT MAX(iId) FROM repairs").toInt(), 41);

    // Another workstation takes in repairs past the key typed: said, not set.
    rec.clear();
    rec.whileOpen = [&] { QVERIFY(t.openAnother()->query(insertRepair(120)).isActive()); };
    QTest::mouseClick(p.saveNextId(), Qt::LeftButton);
    QCOMPARE(rec.titles(), (QStringList{"Czy na pewno zapisać ?", "Niezgodność numeracji"}));
    QCOMPARE(t.count("repairs"), 4);
}

void TestNumbering::nextKeyAccepted_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("next");
    QTest::newRow("far above the highest") << QList<int>{1, 40} << "100" << 100;
    QTest::newRow("one above the highest") << QList<int>{1} << "2" << 2;
    QTest::newRow("empty table") << QList<int>{} << "1" << 1;
}

void TestNumbering::nextKeyAccepted()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, typed);
    QFETCH(int, next);
    TestDatabase t;
    REQUIRE_DB(t);
    for (int key : keys)
        QVERIFY(t.exec(insertRepair(key)));
    Page p(t.db());
    MessageBoxRecorder rec;
    p.typeNextId(typed);
    QTest::mouseClick(p.saveNextId(), Qt::LeftButton);
    QCOMPARE(rec.titles(), QStringList{"Czy na pewno zapisać ?"});
    QCOMPARE(rec.last().text,
             QStringLiteral("Czy na pewno chcesz ustawić nowy kolejny numer identyfikacyjny ? "
                            "Zostanie on zapisy do bazy danych !"));
    // SQLite keeps a row holding only the key next - 1, so that the next key
    // follows it; when that is already the highest key nothing is stored.
    const int highest = keys.isEmpty() ? 0 : keys.last();
    const bool placeholder = !TestDatabase::isMySql() && next - 1 > highest;
    QCOMPARE(t.count("repairs"), keys.size() + (placeholder ? 1 : 0));
    if (placeholder)
        QCOMPARE(t.count("repairs", QStringLiteral("iId = %1 AND sNum IS NULL").arg(next - 1)), 1);
    QVERIFY(t.exec(insertRepair()));
    QCOMPARE(t.scalar("SELECT MAX(iId) FROM repairs").toInt(), next);
}

void TestNumbering::nextKeyFailureIsReported()
{
    TestDatabase t;
    REQUIRE_DB(t);
    Page p(t.db());
    MessageBoxRecorder rec;
    // The table goes on another workstation while the question is open.
    rec.whileOpen = [&] { QVERIFY(t.openAnother()->query("ALTER TABLE repairs RENAME TO repairs_away").isActive()); };
    p.typeNextId("500");
    QTest::mouseClick(p.saveNextId(), Qt::LeftButton);
    QCOMPARE(rec.titles(), (QStringList{"Czy na pewno zapisać ?", "Błąd zapisu do bazy"}));

    // The highest key unread is not taken for an empty table: nothing is asked or set.
    rec.clear();
    rec.whileOpen = nullptr;
    QTest::mouseClick(p.saveNextId(), Qt::LeftButton);
    QCOMPARE(rec.titles(), QStringList{"Błąd odczytu z bazy"});
}

void TestNumbering::renderPage()
{
    TestDatabase t;
    REQUIRE_DB(t);
    // The preview of a seven-digit repair reads whole in the page area of a
    // 1366-pixel screen.
    QVERIFY2(t.exec(insertRepair(9876543)), qPrintable(t.error()));
    Page p(t.db());
    p.page->resize(1200, p.page->sizeHint().height());
    p.typeScheme("KOMP/{DAY2}-{MONTH2}-{YEAR4}/{INITIALS}/ODDZ1");
    QVERIFY(p.preview()->text().startsWith("9876543/KOMP/"));
    QVERIFY(readsWhole(p.preview()));
    const QString out = qEnvironmentVariable("WARSZTAT_RENDER_DIR");
    if (!out.isEmpty())
        QVERIFY(p.page->grab().save(out + "/numberingConfig.png"));
    QVERIFY(p.page->sizeHint().width() >= 900);
}

WARSZTAT_TEST_MAIN(TestNumbering)
#include "tst_numbering.moc"
