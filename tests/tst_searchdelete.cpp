#include "messageboxrecorder.h"
#include "search/searchwidget.h"
#include "searchfixture.h"
#include "testdatabase.h"
#include "testmain.h"
#include "userwidget.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRelationalTableModel>
#include <memory>

using namespace SearchRows;

namespace {

// The ids left in a table, ascending, as one text: "1,2,3".
QString ids(TestDatabase &t, const QString &table)
{
    QStringList list;
    QSqlQuery q = t.db()->query(QStringLiteral("SELECT iId FROM %1 ORDER BY iId").arg(table));
    while (q.next())
        list << q.value(0).toString();
    return list.join(QLatin1Char(','));
}

// Every table a deletion may touch.
QStringList snapshot(TestDatabase &t)
{
    QStringList state;
    for (const QString &table : {QStringLiteral("clients"), QStringLiteral("hardware"),
                                 QStringLiteral("repairs"), QStringLiteral("notes"),
                                 QStringLiteral("billing")})
        state << table + QLatin1Char('=') + ids(t, table);
    return state;
}

// Two clients, each owning one piece of hardware; repair 101 is of client
// 1's hardware but names client 2, repair 103 is client 1's on client 2's
// hardware. Each repair has notes (id = repair id * 10 + n) and one bill;
// bill 204 is of repair 101 and names no hardware.
bool seed(TestDatabase &t)
{
    return insert(t, ClientsInsert, {client(1, QStringLiteral("Nowak")), client(2, QStringLiteral("Lis"))})
           && insert(t, HardwareInsert,
                     {hardware(10, QStringLiteral("Laptop"), 1), hardware(11, QStringLiteral("PC"), 2)})
           && insert(t, RepairsInsert,
                     {repair(100, 1, 10), repair(101, 2, 10), repair(102, 2, 11), repair(103, 1, 11)})
           && insert(t, NotesInsert,
                     {note(1000, 100), note(1001, 100), note(1010, 101), note(1020, 102),
                      note(1030, 103)})
           && insert(t, BillsInsert,
                     {bill(200, 1, 100, 10), bill(201, 2, 101, 10), bill(202, 2, 102, 11),
                      bill(203, 1, 103, 11), bill(204, 2, 101, -1)});
}

const QString RepairQuestion =
    QStringLiteral("Naprawa i wszystkie powiązane elementy zostaną usunięte !");
const QString ClientQuestion = QStringLiteral(
    "Wszystkie dane klienta, powiązany sprzęt, naprawy i rozliczenia zostaną bezpowrotnie usunięte !");

} // namespace

class TestSearchDelete : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SearchWidget> page(TestDatabase &t, SearchWidget::SearchVariant variant,
                                       UserWidget *user = nullptr)
    {
        auto w = searchPage(t, user ? user : &m_admin, variant, false);
        w->search();
        return w;
    }
    // Deletes the record of the given id as a click on "Usuń" would.
    static void remove(SearchWidget *w, int id)
    {
        w->selectedId = id;
        w->deleteButton->setEnabled(true);
        w->deleteButton->click();
    }
    UserWidget m_admin{1, QStringLiteral("Administrator"), 0};

private Q_SLOTS:
    void deletions_data();
    void deletions();
    void nothingChanges_data();
    void nothingChanges();
    void failureLeavesEveryTable_data();
    void failureLeavesEveryTable();
    void clientWithManyHardwareRecords();
};

void TestSearchDelete::deletions_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("emitted");

    const QStringList withoutRepair100{"clients=1,2,3", "hardware=10,11", "repairs=101,102,103",
                                       "notes=1010,1020,1030", "billing=201,202,203,204"};
    QTest::newRow("repair") << 0 << 0 << 100 << "Usunięcie naprawy nr 100" << RepairQuestion
                            << withoutRepair100 << 1;
    // The lowest level that may delete.
    QTest::newRow("repair, level 3") << 0 << 3 << 100 << "Usunięcie naprawy nr 100" << RepairQuestion
                                     << withoutRepair100 << 1;
    // The client's own repairs with their notes and bills, the client's
    // hardware; repair 101 of that hardware names client 2 and stays with
    // its notes and bills.
    QTest::newRow("client")
        << 1 << 0 << 1 << "Usunięcie klienta nr 1" << ClientQuestion
        << QStringList{"clients=2,3", "hardware=11", "repairs=101,102", "notes=1010,1020",
                       "billing=201,202,204"}
        << 1;
    QTest::newRow("hardware")
        << 2 << 0 << 10 << "Usunięcie sprzętu nr 10"
        << "Zostanie usunięty sprzęt oraz powiązana z nim naprawa, notatki i rozliczenia !"
        << QStringList{"clients=1,2,3", "hardware=11", "repairs=102,103", "notes=1020,1030",
                       "billing=202,203"}
        << 1;
    QTest::newRow("bill")
        << 3 << 0 << 202 << "Usunięcie rozliczenia nr 202" << "Rozliczenie zostanie bezpowrotnie usunięte !"
        << QStringList{"clients=1,2,3", "hardware=10,11", "repairs=100,101,102,103",
                       "notes=1000,1001,1010,1020,1030", "billing=200,201,203,204"}
        << 0;
    // A client without repairs, hardware or bills.
    QTest::newRow("client without anything")
        << 1 << 0 << 3 << "Usunięcie klienta nr 3" << ClientQuestion
        << QStringList{"clients=1,2", "hardware=10,11", "repairs=100,101,102,103",
                       "notes=1000,1001,1010,1020,1030", "billing=200,201,202,203,204"}
        << 1;
}

void TestSearchDelete::deletions()
{
    QFETCH(int, variant);
    QFETCH(int, level);
    QFETCH(int, id);
    QFETCH(QString, title);
    QFETCH(QString, question);
    QFETCH(QStringList, after);
    QFETCH(int, emitted);

    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(seed(t));
    QVERIFY(insert(t, ClientsInsert, {client(3, QStringLiteral("Wilk"))}));
    UserWidget user(2, QStringLiteral("Serwis"), level);
    auto w = page(t, SearchWidget::SearchVariant(variant), &user);
    const int shown = w->model->rowCount();
    QSignalSpy spy(w.get(), &SearchWidget::dbItemsCountChanged);

    MessageBoxRecorder rec;
    remove(w.get(), id);
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().icon, QMessageBox::Question);
    QCOMPARE(rec.last().title, title);
    QCOMPARE(rec.last().text, question);
    QCOMPARE(rec.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);

    QCOMPARE(snapshot(t), after);
    QCOMPARE(spy.count(), emitted);
    // The list was read again.
    QCOMPARE(w->model->rowCount(), shown - 1);
}

void TestSearchDelete::nothingChanges_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("decline");
    QTest::addColumn<int>("icon");   // of the one box shown; -1: no box
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("question declined")
        << 1 << 0 << 1 << true << int(QMessageBox::Question) << "Usunięcie klienta nr 1" << ClientQuestion;
    QTest::newRow("nothing selected")
        << 0 << 0 << -1 << false << int(QMessageBox::Information) << "Błąd !"
        << "Nie wybrano żadnego elementu !";
    QTest::newRow("templates") << 4 << 0 << 10 << false << -1 << "" << "";
    // The button is hidden from these users; the slot refuses all the same,
    // with or without a row selected.
    const QString refused =
        QStringLiteral("Usuwanie danych jest dostępne tylko dla użytkowników o poziomie dostępu od 0 do 3.");
    QTest::newRow("level 4, row selected")
        << 0 << 4 << 100 << false << int(QMessageBox::Warning) << "Brak uprawnień" << refused;
    QTest::newRow("level 7, nothing selected")
        << 0 << 7 << -1 << false << int(QMessageBox::Warning) << "Brak uprawnień" << refused;
}

void TestSearchDelete::nothingChanges()
{
    QFETCH(int, variant);
    QFETCH(int, level);
    QFETCH(int, id);
    QFETCH(bool, decline);
    QFETCH(int, icon);
    QFETCH(QString, title);
    QFETCH(QString, text);

    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(seed(t));
    const QStringList before = snapshot(t);
    UserWidget user(2, QStringLiteral("Serwis"), level);
    auto w = page(t, SearchWidget::SearchVariant(variant), &user);
    QSignalSpy spy(w.get(), &SearchWidget::dbItemsCountChanged);

    MessageBoxRecorder rec;
    if (decline)
        rec.answerCancel();
    w->selectedId = id;
    QVERIFY(QMetaObject::invokeMethod(w.get(), "deleteSelected"));
    QCOMPARE(rec.count(), icon < 0 ? 0 : 1);
    if (icon >= 0) {
        QCOMPARE(int(rec.last().icon), icon);
        QCOMPARE(rec.last().title, title);
        QCOMPARE(rec.last().text, text);
    }
    QCOMPARE(snapshot(t), before);
    QCOMPARE(spy.count(), 0);
}

void TestSearchDelete::failureLeavesEveryTable_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("missing");

    // The table of a statement after the first is gone, so the first ones
    // have run when the failure comes.
    QTest::newRow("repair, notes missing") << 0 << 100 << "notes";
    QTest::newRow("repair, billing missing") << 0 << 100 << "billing";
    QTest::newRow("client, billing missing") << 1 << 1 << "billing";
    QTest::newRow("hardware, billing missing") << 2 << 10 << "billing";
    QTest::newRow("bill, billing missing") << 3 << 200 << "billing";
}

void TestSearchDelete::failureLeavesEveryTable()
{
    QFETCH(int, variant);
    QFETCH(int, id);
    QFETCH(QString, missing);

    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(seed(t));
    const QStringList before = snapshot(t);
    auto w = searchPage(t, &m_admin, variant, false);
    QVERIFY(t.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %1_away").arg(missing)));
    QSignalSpy spy(w.get(), &SearchWidget::dbItemsCountChanged);

    MessageBoxRecorder rec;
    remove(w.get(), id);
    QCOMPARE(rec.count(), 2);
    QCOMPARE(rec.last().icon, QMessageBox::Critical);
    QCOMPARE(rec.last().title, QStringLiteral("Błąd usuwania"));
    QVERIFY(rec.last().text.contains(QStringLiteral("Żadne dane nie zostały zmienione.")));
    QCOMPARE(spy.count(), 0);

    QVERIFY(t.exec(QStringLiteral("ALTER TABLE %1_away RENAME TO %1").arg(missing)));
    QCOMPARE(snapshot(t), before);

    // The connection is usable afterwards: the same deletion now succeeds.
    rec.clear();
    remove(w.get(), id);
    QCOMPARE(rec.count(), 1);
    QCOMPARE(spy.count(), variant == SearchWidget::BillsVariant ? 0 : 1);
    QVERIFY(snapshot(t) != before);
}

void TestSearchDelete::clientWithManyHardwareRecords()
{
    TestDatabase t;
    REQUIRE_DB(t);
    const int count = 3000;
    QStringList hardwareRows, repairRows, noteRows, billRows;
    for (int i = 1; i <= count; ++i) {
        hardwareRows << hardware(i, QStringLiteral("PC"), i % 2 ? 1 : 2);
        // Every third repair names client 1; the others, client 2's, stay
        // whoever owns the hardware.
        const int owner = i % 3 ? 2 : 1;
        repairRows << repair(i, owner, i);
        noteRows << note(i, i);
        billRows << bill(i, owner, i, i);
    }
    QVERIFY(insert(t, ClientsInsert, {client(1, QStringLiteral("Nowak")), client(2, QStringLiteral("Lis"))}));
    QVERIFY(insert(t, HardwareInsert, hardwareRows));
    QVERIFY(insert(t, RepairsInsert, repairRows));
    QVERIFY(insert(t, NotesInsert, noteRows));
    QVERIFY(insert(t, BillsInsert, billRows));

    auto w = page(t, SearchWidget::ClientsVariant);
    MessageBoxRecorder rec;
    QElapsedTimer timer;
    timer.start();
    remove(w.get(), 1);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));

    QCOMPARE(ids(t, QStringLiteral("clients")), QStringLiteral("2"));
    // Half of the hardware is left, two thirds of the rest: client 2's.
    for (const auto &[table, left, ofClient1] : QList<std::tuple<QString, int, QString>>{
             {"hardware", count / 2, "iOwner = 1"}, {"repairs", count * 2 / 3, "iClientId = 1"},
             {"notes", count * 2 / 3, "iRepairId % 3 = 0"}, {"billing", count * 2 / 3, "iClientId = 1"}}) {
        QCOMPARE(t.count(table), left);
        QCOMPARE(t.count(table, ofClient1), 0);
    }
}

WARSZTAT_TEST_MAIN(TestSearchDelete)
#include "tst_searchdelete.moc"
