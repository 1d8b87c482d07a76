#include "search/searchfilterbuilder.h"
#include "search/searchwidget.h"
#include "searchfixture.h"
#include "testdatabase.h"
#include "testmain.h"
#include "userwidget.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>
#include <memory>

using namespace SearchRows;

namespace {

// Local midnights of 2026 in Warsaw (seconds since 1970 UTC): 29 March has 23
// hours, 25 October 25, 11 May 24.
constexpr qint64 March29 = 1774738800;
constexpr qint64 March30 = 1774821600;
constexpr qint64 October25 = 1792879200;
constexpr qint64 October26 = 1792969200;
constexpr qint64 May11 = 1778450400;
constexpr qint64 May12 = 1778536800;

const QDate DayMarch29(2026, 3, 29);
const QDate DayOctober25(2026, 10, 25);
const QDate DayMay11(2026, 5, 11);

// What a typed text becomes inside a literal on the engine under test.
QString literal(const QString &text)
{
    return DbWidget::escapeLike(text, TestDatabase::engine());
}

// Runs the search and gives the filter it set.
QString searched(SearchWidget *w)
{
    w->search();
    return w->model->filter();
}

// Runs the search and gives the number of rows it found.
int found(SearchWidget *w)
{
    w->search();
    return allRows(w->model);
}

// Checks a date range box and sets its bounds.
void setRange(QGroupBox *box, QDateEdit *from, QDateEdit *to, const QDate &first, const QDate &last)
{
    box->setChecked(true);
    from->setDate(first);
    to->setDate(last);
}

// Client 1 with hardware 2 and the given repairs.
bool seedRepairs(TestDatabase &t, const QStringList &repairs)
{
    return insert(t, ClientsInsert, {client(1, QStringLiteral("Nowak"))})
           && insert(t, HardwareInsert, {hardware(2, QStringLiteral("Laptop"), 1)})
           && insert(t, RepairsInsert, repairs);
}

#define VERIFY_NO_MODEL_ERROR(w) \
    QVERIFY2(!(w)->model->lastError().isValid(), qPrintable((w)->model->lastError().text()))

} // namespace
class TestSearchFilters : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SearchWidget> page(TestDatabase &t, SearchWidget::SearchVariant variant)
    {
        return searchPage(t, &m_user, variant, true);
    }
    UserWidget m_user{1, QStringLiteral("Administrator"), 0};

private Q_SLOTS:
    void idTexts_data();
    void idTexts();
    void dayBoundsFollowLocalMidnights_data();
    void dayBoundsFollowLocalMidnights();
    void builderJoinsAndEscapes();

    void repairFilterWithEveryInput();
    void repairFilterExamples();
    void repairIdsThatAreNoNumbers();
    void repairDateBoundsOnRows();
    void repairStatusGroups();
    void repairTextAndQuotesOnRows();
    void checkedBoxWithoutEntryFindsNothing();

    void billFilterTexts();
    void billDateBoundsOnRows();

    void clientFilterTexts();
    void clientRows();

    void hardwareFilterTexts();
    void hardwareRows();
    void templateFilterIgnoresHardwareInputs();

    void textFiltersOfEveryVariant_data();
    void textFiltersOfEveryVariant();

private:
    std::unique_ptr<TestDatabase> m_texts; // shared by the rows of textFiltersOfEveryVariant
};

void TestSearchFilters::idTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("displayNumber");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("id");

    QTest::newRow("plain") << "17" << false << true << "17";
    QTest::newRow("blanks around") << "  17 " << false << true << "17";
    QTest::newRow("display number") << "17/0312" << true << true << "17";
    QTest::newRow("display number, blank before slash") << "17 /0312" << true << true << "17";
    QTest::newRow("slash not cut for other ids") << "17/0312" << false << false << "";
    QTest::newRow("slash only") << "/x" << true << false << "";
    QTest::newRow("letters") << "abc" << false << false << "";
    QTest::newRow("number and text") << "12a" << false << false << "";
    QTest::newRow("fraction") << "1.5" << false << false << "";
    QTest::newRow("negative") << "-3" << false << false << "";
    QTest::newRow("inner blank") << "1 2" << false << false << "";
    QTest::newRow("quote") << "1'" << false << false << "";
    QTest::newRow("blanks only") << "   " << false << false << "";
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << false << false << "";
}

void TestSearchFilters::idTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, displayNumber);
    QFETCH(bool, ok);
    QFETCH(QString, id);

    bool parsed = !ok;
    QCOMPARE(SearchFilterBuilder::idText(text, displayNumber, &parsed), id);
    QCOMPARE(parsed, ok);

    SearchFilterBuilder filter(TestDatabase::engine());
    filter.addId(QStringLiteral("repairs.iId="), text, displayNumber);
    QCOMPARE(filter.text(), ok ? QStringLiteral("repairs.iId=") + id + QStringLiteral(" AND 1")
                               : QStringLiteral("0"));
}

void TestSearchFilters::dayBoundsFollowLocalMidnights_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<int>("hours");

    QTest::newRow("spring change") << DayMarch29 << March29 << March30 << 23;
    QTest::newRow("autumn change") << DayOctober25 << October25 << October26 << 25;
    QTest::newRow("ordinary day") << DayMay11 << May11 << May12 << 24;
    // Dates before 1970 stay numbers the database reads.
    QTest::newRow("before 1970") << QDate(1969, 12, 31) << qint64(-3600 * 25) << qint64(-3600) << 24;
}

void TestSearchFilters::dayBoundsFollowLocalMidnights()
{
    QFETCH(QDate, day);
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(int, hours);

    QCOMPARE(SearchFilterBuilder::dayStart(day), start);
    QCOMPARE(SearchFilterBuilder::dayEnd(day), end);
    QCOMPARE(end - start, qint64(hours) * 3600);
}

void TestSearchFilters::builderJoinsAndEscapes()
{
    SearchFilterBuilder mysql(DbWidget::MySQL);
    SearchFilterBuilder sqlite(DbWidget::SQLite);
    for (SearchFilterBuilder *f : {&mysql, &sqlite}) {
        f->addLike(QStringLiteral("clients.sSName LIKE '%"), QStringLiteral("O'Br\\en"));
        f->addLike(QStringLiteral("clients.sCity LIKE '%"), QString()); // empty: nothing
        f->addLike(QStringLiteral("clients.sPhone LIKE '%"), QStringLiteral(" ")); // not trimmed
    }
    QCOMPARE(mysql.text(), QStringLiteral("clients.sSName LIKE '%O''Br\\\\\\\\en%' AND "
                                          "clients.sPhone LIKE '% %' AND 1"));
    QCOMPARE(sqlite.text(), QStringLiteral("clients.sSName LIKE '%O''Br\\en%' AND "
                                           "clients.sPhone LIKE '% %' AND 1"));

    QCOMPARE(SearchFilterBuilder(DbWidget::SQLite).text(), QStringLiteral("1"));
    QCOMPARE(SearchFilterBuilder::anyOf(QStringLiteral("repairs.iStatus"), {1, 2}),
             QStringLiteral("repairs.iStatus IN (1,2)"));
    QCOMPARE(SearchFilterBuilder::anyOf(QStringLiteral("repairs.iStatus"), {}),
             QStringLiteral("0"));

    // A combo without a current entry, or with data that is no number.
    const QList<QPair<QVariant, QString>> values = {
        {QVariant(), QStringLiteral("0")},
        {QStringLiteral("1 OR 1"), QStringLiteral("0")},
        {QStringLiteral("-1"), QStringLiteral("repairs.iType=-1 AND 1")}};
    for (const auto &[value, text] : values) {
        SearchFilterBuilder filter(DbWidget::SQLite);
        filter.addValue(QStringLiteral("repairs.iType="), value);
        QCOMPARE(filter.text(), text);
    }
}

void TestSearchFilters::repairFilterWithEveryInput()
{
    TestDatabase t;
    REQUIRE_DB(t);
    auto w = page(t, SearchWidget::RepairsVariant);

    w->repairId->setText(QStringLiteral("17/0312"));
    setRange(w->addDateBox, w->fromAddDate, w->toAddDate, DayMarch29, DayMarch29);
    setRange(w->endDateBox, w->fromEndDate, w->toEndDate, DayOctober25, DayOctober25);
    w->repairStatus->setChecked(true);
    w->iStatus->setCurrentIndex(w->iStatus->findData(3));
    w->repairType->setChecked(true);
    w->iType->setCurrentIndex(w->iType->findData(QStringLiteral("1")));
    w->repairTechnican->setChecked(true);
    w->iTechnicanId->setCurrentIndex(0); // "Nieprzydzielony"
    w->repairClientId->setText(QStringLiteral(" 7 "));
    w->repairHardwareId->setText(QStringLiteral("8"));
    w->sOuterNo->setText(QStringLiteral("a'b\\c"));
    // Set after the single status box, which would uncheck them; a caller
    // setting both gets both conditions.
    w->repairStatusWaiting->setChecked(true);
    w->repairStatusClosed->setChecked(true);

    QCOMPARE(searched(w.get()),
             QStringLiteral("repairs.iId=17 AND "
                            "repairs.iStatus=3 AND "
                            "repairs.iType=1 AND repairs.iTechnicanId=0 AND repairs.iClientId = 7 AND "
                            "repairs.iHardwareId = 8 AND repairs.sOuterNo LIKE '%%5%' AND "
                            "repairs.iId IN (SELECT listed.iId FROM repairs listed WHERE listed.iAddDate >=%1 AND "
                            "listed.iAddDate < %2 AND listed.iEndDate >=%3 AND listed.iEndDate <%4 AND "
                            "listed.iStatus IN (2,3,4,5) AND 1) AND 1")
                 .arg(March29).arg(March30).arg(October25).arg(October26)
                 .arg(literal(QStringLiteral("a'b\\c"))));
    VERIFY_NO_MODEL_ERROR(w);
}

void TestSearchFilters::repairFilterExamples()
{
    TestDatabase t;
    REQUIRE_DB(t);
    auto w = page(t, SearchWidget::RepairsVariant);

    QCOMPARE(searched(w.get()), QStringLiteral("1"));

    // Open statuses of the seeds: 0 and 1, in their order.
    w->repairId->setText(QStringLiteral("17"));
    w->repairStatusOpen->setChecked(true);
    QCOMPARE(searched(w.get()),
             QStringLiteral("repairs.iId=17 AND repairs.iId IN (SELECT listed.iId FROM repairs listed WHERE listed.iStatus IN (0,1) AND 1) AND 1"));

    // The first entries: no repair kind, no technician.
    w->repairId->clear();
    w->repairStatusOpen->setChecked(false);
    w->repairType->setChecked(true);
    w->iType->setCurrentIndex(0);
    w->repairTechnican->setChecked(true);
    w->iTechnicanId->setCurrentIndex(0);
    QCOMPARE(searched(w.get()), QStringLiteral("repairs.iType=-1 AND repairs.iTechnicanId=0 AND 1"));
}

void TestSearchFilters::repairIdsThatAreNoNumbers()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(seedRepairs(t, {repair(17, 1, 2), repair(18, 1, 2)}));
    auto w = page(t, SearchWidget::RepairsVariant);

    w->repairId->setText(QStringLiteral("17/0312"));
    QCOMPARE(found(w.get()), 1);

    for (QLineEdit *edit : {w->repairId, w->repairClientId, w->repairHardwareId}) {
        for (const QString &text : {QStringLiteral("abc"), QStringLiteral("/x"), QStringLiteral("1 OR 1=1")}) {
            w->repairId->clear();
            w->repairClientId->setText(QStringLiteral("1")); // matches both rows on its own
            w->repairHardwareId->clear();
            edit->setText(text);
            QCOMPARE(searched(w.get()), QStringLiteral("0"));
            QCOMPARE(allRows(w->model), 0);
        }
    }
    // Blanks around a client number are dropped; the repairs of the client.
    w->repairId->clear();
    w->repairHardwareId->clear();
    w->repairClientId->setText(QStringLiteral(" 1 "));
    QCOMPARE(searched(w.get()), QStringLiteral("repairs.iClientId = 1 AND 1"));
    QCOMPARE(allRows(w->model), 2);
}

void TestSearchFilters::repairDateBoundsOnRows()
{
    TestDatabase t;
    REQUIRE_DB(t);
    // Around the spring change (a 23-hour day) and the autumn one (25 hours).
    QVERIFY(seedRepairs(t,
                        {repair(1, 1, 2, at(DayMarch29.addDays(-1), QTime(23, 59, 59))),
                         repair(2, 1, 2, at(DayMarch29)),
                         repair(3, 1, 2, at(DayMarch29, QTime(23, 59, 59))),
                         repair(4, 1, 2, at(DayMarch29.addDays(1))),
                         repair(5, 1, 2, at(DayMarch29.addDays(1), QTime(0, 30))),
                         repair(6, 1, 2, 0, 0, QString(), at(DayOctober25, QTime(23, 30))),
                         repair(7, 1, 2, 0, 0, QString(), at(DayOctober25.addDays(1))),
                         repair(8, 1, 2, 0, 0, QString(), at(DayOctober25))}));
    auto w = page(t, SearchWidget::RepairsVariant);

    setRange(w->addDateBox, w->fromAddDate, w->toAddDate, DayMarch29, DayMarch29);
    QCOMPARE(found(w.get()), 2); // 2 and 3: not 00:00 of the next day, nor 00:30

    w->addDateBox->setChecked(false);
    setRange(w->endDateBox, w->fromEndDate, w->toEndDate, DayOctober25, DayOctober25);
    QCOMPARE(found(w.get()), 2); // 6 (the 25th hour) and 8

    // From later than to: nothing.
    w->fromEndDate->setDate(DayOctober25.addDays(1));
    QCOMPARE(found(w.get()), 0);
}

void TestSearchFilters::repairStatusGroups()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(seedRepairs(t, {repair(1, 1, 2, 0, 0), repair(2, 1, 2, 0, 1), repair(3, 1, 2, 0, 2),
                            repair(4, 1, 2, 0, 4), repair(5, 1, 2, 0, 5)}));

    {
        auto w = page(t, SearchWidget::RepairsVariant);
        w->repairStatusOpen->setChecked(true);
        w->repairStatusClosed->setChecked(true);
        QCOMPARE(searched(w.get()),
                 QStringLiteral("repairs.iId IN (SELECT listed.iId FROM repairs listed WHERE listed.iStatus IN (0,1,4,5))"));
        QCOMPARE(allRows(w->model), 4);
        // Sorted by another column, the same repairs are chosen by conditions
        // on the rows (which that column's index serves, or, sorted by the
        // client's name, the status index), by a header click or a search;
        // sorted by id, by id again.
        const QString byKey = w->model->filter();
        const QString onRows = QStringLiteral("repairs.iStatus IN (0,1,4,5) AND 1");
        const QString besideSort = QStringLiteral("(repairs.iStatus + 0) IN (0,1,4,5) AND 1");
        QHeaderView *header = w->searchTable->horizontalHeader();
        header->setSortIndicator(w->model->fieldIndex(QStringLiteral("iAddDate")), Qt::DescendingOrder);
        QCOMPARE(w->model->filter(), besideSort);
        QCOMPARE(searched(w.get()), besideSort);
        QCOMPARE(allRows(w->model), 4);
        int client = 0;
        while (!w->model->relation(client).isValid())
            ++client;
        header->setSortIndicator(client, Qt::AscendingOrder);
        QCOMPARE(w->model->filter(), onRows);
        QCOMPARE(allRows(w->model), 4);
        header->setSortIndicator(w->model->fieldIndex(QStringLiteral("iId")), Qt::AscendingOrder);
        QCOMPARE(w->model->filter(), byKey);
        QCOMPARE(ids(w->model), (QList<int>{1, 2, 4, 5}));
    }

    // No status of the closed group configured: "Zamknięte" finds nothing,
    // and with "Otwarte" beside it the open ones only.
    QVERIFY(t.exec(QStringLiteral("DELETE FROM statusesconf WHERE iGroup = 3")));
    auto w = page(t, SearchWidget::RepairsVariant);
    w->repairStatusClosed->setChecked(true);
    QCOMPARE(searched(w.get()), QStringLiteral("repairs.iId IN (SELECT listed.iId FROM repairs listed WHERE 0 AND 1) AND 1"));
    QCOMPARE(allRows(w->model), 0);

    w->repairStatusOpen->setChecked(true);
    QCOMPARE(searched(w.get()), QStringLiteral("repairs.iId IN (SELECT listed.iId FROM repairs listed WHERE listed.iStatus IN (0,1))"));
    QCOMPARE(allRows(w->model), 2);

    // Status 6 takes the place of status 1 in the open group's order, which
    // hides status 1 from the sorted dictionary: both still count as open.
    QVERIFY(t.exec(QStringLiteral("INSERT INTO statusesconf (iId, iStatusId, iGroup, sDescription, "
                                  "sColor, iOrder) VALUES (20, 6, 1, 'Druga', '#ffffff', 2)")));
    QVERIFY(insert(t, RepairsInsert, {repair(6, 1, 2, 0, 6)}));
    auto shadowed = page(t, SearchWidget::RepairsVariant);
    shadowed->repairStatusOpen->setChecked(true);
    QCOMPARE(searched(shadowed.get()),
             QStringLiteral("repairs.iId IN (SELECT listed.iId FROM repairs listed WHERE listed.iStatus IN (0,6,1))"));
    QCOMPARE(allRows(shadowed->model), 3);
}

void TestSearchFilters::repairTextAndQuotesOnRows()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(seedRepairs(t, {repair(1, 1, 2, 0, 0, QStringLiteral("ZL'12/2026")),
                            repair(2, 1, 2, 0, 0, QStringLiteral("ZL-13")),
                            repair(3, 1, 2, 0, 0, QStringLiteral("RMA 77"))}));
    auto w = page(t, SearchWidget::RepairsVariant);

    w->sOuterNo->setText(QStringLiteral("'1"));
    QCOMPARE(searched(w.get()), QStringLiteral("repairs.sOuterNo LIKE '%''1%' AND 1"));
    QCOMPARE(allRows(w->model), 1);

    // Wildcards typed by staff stay wildcards.
    w->sOuterNo->setText(QStringLiteral("L_13"));
    QCOMPARE(found(w.get()), 1);
    w->sOuterNo->setText(QStringLiteral("%"));
    QCOMPARE(found(w.get()), 3);
    // A NUL pasted into the text is dropped, not the end of the statement.
    w->sOuterNo->setText(QStringLiteral("ZL") + QChar(0) + QStringLiteral("-13"));
    QCOMPARE(searched(w.get()), QStringLiteral("repairs.sOuterNo LIKE '%ZL-13%' AND 1"));
    QCOMPARE(found(w.get()), 1);

    // Text that would close the literal early keeps the statement whole.
    for (const QString &text : {QStringLiteral("x\\"), QStringLiteral("\\' OR 1=1 OR '"),
                                QStringLiteral("' OR '1'='1")}) {
        w->sOuterNo->setText(text);
        QCOMPARE(searched(w.get()),
                 QStringLiteral("repairs.sOuterNo LIKE '%") + literal(text) + QStringLiteral("%' AND 1"));
        VERIFY_NO_MODEL_ERROR(w);
        QCOMPARE(allRows(w->model), 0);
    }
}

void TestSearchFilters::checkedBoxWithoutEntryFindsNothing()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(seedRepairs(t, {repair(1, 1, 2)}));

    auto repairs = page(t, SearchWidget::RepairsVariant);
    repairs->iStatus->clear();
    repairs->repairStatus->setChecked(true);
    QCOMPARE(searched(repairs.get()), QStringLiteral("0"));
    QCOMPARE(allRows(repairs->model), 0);

    auto hardwarePage = page(t, SearchWidget::HardwareVariant);
    hardwarePage->iHType->clear();
    hardwarePage->iHTypeBox->setChecked(true);
    QCOMPARE(searched(hardwarePage.get()), QStringLiteral("0"));
    hardwarePage->iHTypeBox->setChecked(false);
    hardwarePage->iStoreStatus->clear();
    hardwarePage->iStoreStatusBox->setChecked(true);
    QCOMPARE(searched(hardwarePage.get()), QStringLiteral("0"));
}

void TestSearchFilters::billFilterTexts()
{
    TestDatabase t;
    REQUIRE_DB(t);
    auto w = page(t, SearchWidget::BillsVariant);

    QCOMPARE(searched(w.get()), QStringLiteral("1"));

    w->billClientId->setText(QStringLiteral("5"));
    w->billStatusBox->setChecked(true);
    w->billStatus->setCurrentIndex(w->billStatus->findText(QStringLiteral("Rozliczony")));
    QCOMPARE(searched(w.get()), QStringLiteral("billing.iClientId=5 AND billing.iStatus=1 AND 1"));

    w->billHardwareId->setText(QStringLiteral(" 9"));
    w->billRepairId->setText(QStringLiteral("17/0312"));
    setRange(w->billDateBox, w->billFromDate, w->billToDate, DayMarch29, DayOctober25);
    w->billStatus->setCurrentIndex(w->billStatus->findText(QStringLiteral("Nierozliczony")));
    QCOMPARE(searched(w.get()),
             QStringLiteral("billing.iClientId=5 AND billing.iHardwareId=9 AND billing.iRepairId=17 "
                            "AND billing.iDate >= %1 AND billing.iDate <= %2 AND billing.iStatus=0 AND 1")
                 .arg(March29).arg(October26));

    // The display number is cut only in the repair number.
    w->billHardwareId->setText(QStringLiteral("9/1"));
    QCOMPARE(searched(w.get()), QStringLiteral("0"));
    w->billHardwareId->clear();
    w->billClientId->setText(QStringLiteral("abc"));
    QCOMPARE(searched(w.get()), QStringLiteral("0"));
}

void TestSearchFilters::billDateBoundsOnRows()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(insert(t, BillsInsert,
                   {bill(1, 1, 1, 1, March29 - 1), bill(2, 1, 1, 1, March29),
                    bill(3, 1, 1, 1, March30), bill(4, 1, 1, 1, March30 + 1),
                    bill(5, 2, 2, 2, March29 + 3600, 1)}));
    auto w = page(t, SearchWidget::BillsVariant);

    setRange(w->billDateBox, w->billFromDate, w->billToDate, DayMarch29, DayMarch29);
    QCOMPARE(found(w.get()), 3); // 2, 5 and 3 stamped at the next midnight

    w->billStatusBox->setChecked(true);
    w->billStatus->setCurrentIndex(w->billStatus->findData(QStringLiteral("1")));
    QCOMPARE(found(w.get()), 1);

    // From-date the day after to-date: only the bills of that midnight.
    w->billStatusBox->setChecked(false);
    w->billFromDate->setDate(DayMarch29.addDays(1));
    QCOMPARE(found(w.get()), 1);
}

void TestSearchFilters::clientFilterTexts()
{
    TestDatabase t;
    REQUIRE_DB(t);
    auto w = page(t, SearchWidget::ClientsVariant);

    QCOMPARE(searched(w.get()), QStringLiteral("1"));

    w->sSName->setText(QStringLiteral("Kowal"));
    w->sCity->setText(QStringLiteral("Kra"));
    QCOMPARE(searched(w.get()),
             QStringLiteral("clients.sSName LIKE '%Kowal%' AND clients.sCity LIKE '%Kra%' AND 1"));

    // Every input, in the page's order; the number trimmed, texts as typed.
    const QList<QPair<QLineEdit *, QString>> inputs = {
        {w->clientId, QStringLiteral(" 12 ")}, {w->sSName, QStringLiteral("O'Neil")},
        {w->sFName, QStringLiteral("a")},      {w->sCompany, QStringLiteral("b")},
        {w->sNIP, QStringLiteral("c")},        {w->sStreet, QStringLiteral("d")},
        {w->sAddrBuild, QStringLiteral("e")},  {w->sAddrLoc, QStringLiteral("f")},
        {w->sCity, QStringLiteral(" g ")},     {w->sPostal, QStringLiteral("h")},
        {w->sEmail, QStringLiteral("i\\j")},   {w->sEmail2, QStringLiteral("k")},
        {w->sPhone, QStringLiteral("l")},      {w->sPhone2, QStringLiteral("m")}};
    for (const auto &input : inputs)
        input.first->setText(input.second);
    QCOMPARE(searched(w.get()),
             QStringLiteral("clients.iId=12 AND clients.sSName LIKE '%O''Neil%' AND "
                            "clients.sFName LIKE '%a%' AND clients.sCompany LIKE '%b%' AND "
                            "clients.sNIP LIKE '%c%' AND clients.sStreet LIKE '%d%' AND "
                            "clients.sAddrBuild LIKE '%e%' AND clients.sAddrLoc LIKE '%f%' AND "
                            "clients.sCity LIKE '% g %' AND clients.sPostal LIKE '%h%' AND "
                            "clients.sEmail LIKE '%%1%' AND clients.sEmail2 LIKE '%k%' AND "
                            "clients.sPhone LIKE '%l%' AND clients.sPhone2 LIKE '%m%' AND 1")
                 .arg(literal(QStringLiteral("i\\j"))));
    VERIFY_NO_MODEL_ERROR(w);

    w->clientId->setText(QStringLiteral("12.0"));
    QCOMPARE(searched(w.get()), QStringLiteral("0"));
}

void TestSearchFilters::clientRows()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(insert(t, ClientsInsert,
                   {client(1, QStringLiteral("O'Brien"), QStringLiteral("Kraków")),
                    client(2, QStringLiteral("Kowalski"), QStringLiteral("Kraków")),
                    client(3, QStringLiteral("Nowak"), QStringLiteral("Nowy Sącz"), QStringLiteral("600 100 200")),
                    client(4, QStringLiteral("Kowalczyk"), QStringLiteral("Tarnów"))}));
    auto w = page(t, SearchWidget::ClientsVariant);

    w->sSName->setText(QStringLiteral("'"));
    QCOMPARE(found(w.get()), 1);

    w->sSName->setText(QStringLiteral("owal"));
    QCOMPARE(found(w.get()), 2);
    w->sCity->setText(QStringLiteral("Krak"));
    QCOMPARE(found(w.get()), 1);

    // Blanks are part of the pattern.
    w->sSName->clear();
    w->sCity->setText(QStringLiteral(" "));
    QCOMPARE(found(w.get()), 1);

    w->sCity->clear();
    w->clientId->setText(QStringLiteral(" 4"));
    QCOMPARE(found(w.get()), 1);
    w->clientId->setText(QStringLiteral("4x"));
    QCOMPARE(found(w.get()), 0);
}

void TestSearchFilters::hardwareFilterTexts()
{
    TestDatabase t;
    REQUIRE_DB(t);
    auto w = page(t, SearchWidget::HardwareVariant);

    QCOMPARE(searched(w.get()), QStringLiteral("1"));

    w->hardwareId->setText(QStringLiteral("3"));
    w->sHName->setText(QStringLiteral("Lap'top"));
    w->sField1->setText(QStringLiteral("Dell"));
    w->sField3->setText(QStringLiteral("SN 1"));
    w->iHTypeBox->setChecked(true);
    w->iHType->setCurrentIndex(w->iHType->findData(11));
    setRange(w->iFieldDateBox, w->fromDate, w->toDate, DayMarch29, DayOctober25);
    w->iStoreStatusBox->setChecked(true);
    w->iStoreStatus->setCurrentIndex(w->iStoreStatus->findData(5));
    w->iOwner->setText(QStringLiteral("44 "));
    QCOMPARE(searched(w.get()),
             QStringLiteral("hardware.iId=3 AND hardware.sHName LIKE '%Lap''top%' AND "
                            "hardware.sField1 LIKE '%Dell%' AND hardware.sField3 LIKE '%SN 1%' AND "
                            "hardware.iHType = 11 AND hardware.iFieldDate >= %1 AND "
                            "hardware.iFieldDate <= %2 AND hardware.iStoreStatus=5 AND "
                            "hardware.iOwner = 44 AND 1")
                 .arg(March29).arg(October25));
    VERIFY_NO_MODEL_ERROR(w);

    // The fourteen generic fields in number order.
    w->hardwareId->clear();
    w->sHName->clear();
    w->iHTypeBox->setChecked(false);
    w->iFieldDateBox->setChecked(false);
    w->iStoreStatusBox->setChecked(false);
    w->iOwner->clear();
    const QList<QLineEdit *> fields = {w->sField1, w->sField2, w->sField3, w->sField4, w->sField5,
                                       w->sField6, w->sField7, w->sField8, w->sField9, w->sField10,
                                       w->sField11, w->sField12, w->sField13, w->sField14};
    QStringList expected;
    for (int i = 0; i < fields.size(); ++i) {
        fields[i]->setText(QString::number(i + 1));
        expected << QStringLiteral("hardware.sField%1 LIKE '%%1%'").arg(i + 1);
    }
    expected << QStringLiteral("1");
    QCOMPARE(searched(w.get()), expected.join(QStringLiteral(" AND ")));

    w->iOwner->setText(QStringLiteral("x"));
    QCOMPARE(searched(w.get()), QStringLiteral("0"));
}

void TestSearchFilters::hardwareRows()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(insert(t, ClientsInsert, {client(1, QStringLiteral("Nowak")), client(2, QStringLiteral("Lis"))}));
    QVERIFY(insert(t, HardwareInsert,
                   {hardware(1, QStringLiteral("Latitude"), 1, 0, 1, QStringLiteral("AB-123"), at(DayMarch29)),
                    hardware(2, QStringLiteral("Inspiron"), 1, 1, 5, QStringLiteral("XAB-9"), at(DayMarch29, QTime(12, 0))),
                    hardware(3, QStringLiteral("ThinkPad"), 2, 0, 1, QStringLiteral("CD-1"), at(DayOctober25))}));
    auto w = page(t, SearchWidget::HardwareVariant);

    w->sField3->setText(QStringLiteral("AB"));
    QCOMPARE(found(w.get()), 2);

    w->iOwner->setText(QStringLiteral("1"));
    w->iHTypeBox->setChecked(true);
    w->iHType->setCurrentIndex(w->iHType->findData(0));
    QCOMPARE(found(w.get()), 1);

    // Date fields hold day starts: a range of one day finds that start only.
    w->sField3->clear();
    w->iOwner->clear();
    w->iHTypeBox->setChecked(false);
    setRange(w->iFieldDateBox, w->fromDate, w->toDate, DayMarch29, DayMarch29);
    QCOMPARE(found(w.get()), 1);
    w->toDate->setDate(DayOctober25);
    QCOMPARE(found(w.get()), 3);
    w->fromDate->setDate(DayOctober25.addDays(1));
    QCOMPARE(found(w.get()), 0);
}

void TestSearchFilters::templateFilterIgnoresHardwareInputs()
{
    TestDatabase t;
    REQUIRE_DB(t);
    auto w = page(t, SearchWidget::TemplatesVariant);

    QCOMPARE(searched(w.get()), QStringLiteral("1"));

    // Hidden inputs, written by a scan, take no part.
    w->hardwareId->setText(QStringLiteral("5"));
    w->iOwner->setText(QStringLiteral("abc"));
    w->iStoreStatusBox->setChecked(true);
    w->sHName->setText(QStringLiteral("Szablon'1"));
    w->sField14->setText(QStringLiteral("x"));
    w->iHTypeBox->setChecked(true);
    w->iHType->setCurrentIndex(w->iHType->findData(2));
    setRange(w->iFieldDateBox, w->fromDate, w->toDate, DayMay11, DayMay11);
    QCOMPARE(searched(w.get()),
             QStringLiteral("templates.sHName LIKE '%Szablon''1%' AND templates.sField14 LIKE '%x%' AND "
                            "templates.iHType = 2 AND templates.iFieldDate >= %1 AND "
                            "templates.iFieldDate <= %1 AND 1")
                 .arg(May11));
    VERIFY_NO_MODEL_ERROR(w);
}

// Stored in every text column that a filter searches, record n holding the
// text at n - 1.
static const QStringList StoredTexts = {"C:\\temp", "back\\", "O'Brien", "100%",
                                       "a_b",      "it\\'s", "Łukasz Wiśniewski", "ŻÓŁW",
                                       "600\u00A0100 Київ Чӑв"};

void TestSearchFilters::textFiltersOfEveryVariant_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("ids");

    QTest::newRow("path") << "C:\\temp" << QList<int>{1};
    QTest::newRow("trailing backslash") << "back\\" << QList<int>{2};
    QTest::newRow("quote") << "O'Brien" << QList<int>{3};
    QTest::newRow("percent") << "100%" << QList<int>{4, 9};
    QTest::newRow("underscore") << "a_b" << QList<int>{5};
    QTest::newRow("backslash alone") << "\\" << QList<int>{1, 2, 6};
    QTest::newRow("backslash before letter") << "C:\\t" << QList<int>{1};
    QTest::newRow("letter case") << "c:\\T" << QList<int>{1};
    QTest::newRow("backslash quote") << "\\'" << QList<int>{6};
    QTest::newRow("quote alone") << "'" << QList<int>{3, 6};
    QTest::newRow("two backslashes") << "\\\\" << QList<int>{};
    QTest::newRow("percent alone") << "%" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("underscore alone") << "_" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("backslash, then anything") << "\\%" << QList<int>{1, 2, 6};
    QTest::newRow("any one, then backslash") << "_\\" << QList<int>{1, 2, 6};
    QTest::newRow("letter, then any one") << "a_" << QList<int>{2, 5, 7};
    QTest::newRow("closing the literal") << "' OR '1'='1" << QList<int>{};
    // Polish (and Ukrainian) letters of any case, never equal to their base
    // letters.
    QTest::newRow("ł for Ł") << "łukasz" << QList<int>{7};
    QTest::newRow("Ś for ś") << "WIŚNIEWSKI" << QList<int>{7};
    QTest::newRow("ż, ó, ł for Ż, Ó, Ł") << "żółw" << QList<int>{8};
    QTest::newRow("Ó and Ł inside") << "óŁ" << QList<int>{8};
    QTest::newRow("base letters") << "lukasz" << QList<int>{};
    QTest::newRow("base letter inside") << "wisn" << QList<int>{};
    QTest::newRow("і for ї") << "КИІВ" << QList<int>{};
    QTest::newRow("а for ӑ") << "ЧАВ" << QList<int>{};
    // A no-break or thin space (pasted from a web page) is a space.
    QTest::newRow("space for a no-break one") << "600 100" << QList<int>{9};
    QTest::newRow("thin space for a space") << "sz\u2009W" << QList<int>{7};
}

void TestSearchFilters::textFiltersOfEveryVariant()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, ids);

    if (!m_texts) {
        m_texts = std::make_unique<TestDatabase>();
        QStringList clients, hardwareRows, templates, repairs, fields;
        for (int id = 1; id <= StoredTexts.size(); ++id) {
            const QString text = quoted(StoredTexts.at(id - 1));
            const QString texts = QStringList(14, text).join(", ");
            clients << QStringLiteral("(%1, %2)").arg(id).arg(texts);
            hardwareRows << QStringLiteral("(%1, %2, 0, 1, 0, '', %3, 0, '', 1)").arg(id).arg(text, texts);
            templates << QStringLiteral("(%1, %2, 0, %3, 0, '')").arg(id).arg(text, texts);
            repairs << repair(id, 1, 1, 0, 0, StoredTexts.at(id - 1));
        }
        for (int i = 1; i <= 14; ++i)
            fields << QStringLiteral("sField%1").arg(i);
        QVERIFY(m_texts->ok() && insert(*m_texts, ClientsInsert, clients)
                && insert(*m_texts, HardwareInsert, hardwareRows)
                && insert(*m_texts, RepairsInsert, repairs)
                && insert(*m_texts, "INSERT INTO templates (iId, sHName, iHType, " + fields.join(", ")
                                        + ", iFieldDate, sFieldLong) VALUES ", templates));
    }
    REQUIRE_DB(*m_texts);

    for (const auto variant : {SearchWidget::RepairsVariant, SearchWidget::ClientsVariant,
                               SearchWidget::HardwareVariant, SearchWidget::TemplatesVariant}) {
        auto w = page(*m_texts, variant);
        QWidget *filterPage = variant == SearchWidget::RepairsVariant   ? w->repairSearchPage
                              : variant == SearchWidget::ClientsVariant ? w->clientSearchPage
                                                                        : w->hardwareSearchPage;
        // Every text input of the page: those the filter compares with LIKE.
        const QList<QLineEdit *> inputs =
            filterPage->findChildren<QLineEdit *>(QRegularExpression(QStringLiteral("^s")));
        QCOMPARE(inputs.size(), variant == SearchWidget::RepairsVariant   ? 1
                                : variant == SearchWidget::ClientsVariant ? 13
                                                                          : 15);
        for (QLineEdit *input : std::as_const(inputs)) {
            for (QLineEdit *other : std::as_const(inputs))
                other->setText(other == input ? typed : QString());
            w->search();
            VERIFY_NO_MODEL_ERROR(w);
            QList<int> listed;
            for (int row = 0; row < allRows(w->model); ++row)
                listed << w->model->record(row).value(QStringLiteral("iId")).toInt();
            std::sort(listed.begin(), listed.end());
            QVERIFY2(listed == ids, qPrintable(input->objectName() + QStringLiteral(" of variant ")
                                               + QString::number(variant)));
        }
    }
}

WARSZTAT_TEST_MAIN(TestSearchFilters)
#include "tst_searchfilters.moc"
