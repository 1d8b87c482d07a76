#include "dictionaries/fieldsconfig.h"
#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "dictionaries/repairstatusesconfig.h"
#include "records/bill.h"
#include "records/client.h"
#include "records/hardware.h"
#include "records/repair.h"
#include "records/template.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>

#include <algorithm>
#include <memory>

// EXEC(t, sql) or EXEC(t, {sql, ...}).
#define EXEC(t, ...) QVERIFY2((t).exec(__VA_ARGS__), qPrintable((t).error()))
// The helpers below describe the first mismatch they find, or give "".
#define VERIFY_NONE(problem)                                                                       \
    do {                                                                                           \
        const QString found = (problem);                                                           \
        QVERIFY2(found.isEmpty(), qPrintable(found));                                              \
    } while (false)

namespace {
// 2024-03-04 23:30 UTC: already 5 March in Warsaw.
const qint64 March5 = 1709595000;
// 2023-12-31 23:30 UTC: already 1 January 2024 in Warsaw.
const qint64 NewYear = 1704065400;
const qint64 June15 = 1718445600;

// A text typed into a form that SQL literals would mangle.
const QString Tricky = QStringLiteral("O'Brien \\ Zażółć gęślą jaźń");

const Qt::ItemFlags ViewFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;

QString clientSql(int id, const QString &surname)
{
    return QStringLiteral("INSERT INTO clients (iId, sFName, sSName, sCompany, sNIP, sStreet, sAddrBuild, "
                          "sAddrLoc, sCity, sPostal, sEmail, sEmail2, sPhone, sPhone2, sDescription) "
                          "VALUES (%1, 'Jan', '%2', '', '', '', '', '', '', '', '', '', '', '', '')")
        .arg(id).arg(surname);
}

QString hardwareSql(int id, const QString &name, int type, int status, qint64 received, qint64 fieldDate,
                    int owner)
{
    QString fields;
    for (int i = 1; i <= 14; ++i)
        fields += QStringLiteral("'f%1', ").arg(i);
    return QStringLiteral("INSERT INTO hardware (iId, sHName, iHType, iStoreStatus, iReceivedDate, "
                          "sStoreComment, sField1, sField2, sField3, sField4, sField5, sField6, sField7, "
                          "sField8, sField9, sField10, sField11, sField12, sField13, sField14, iFieldDate, "
                          "sFieldLong, iOwner) VALUES (%1, '%2', %3, %4, %5, '', %6%7, 'długi', %8)")
        .arg(id).arg(name).arg(type).arg(status).arg(received).arg(fields).arg(fieldDate).arg(owner);
}

QString templateSql(int id, const QString &name, int type, qint64 fieldDate)
{
    QString fields;
    for (int i = 1; i <= 14; ++i)
        fields += QStringLiteral("'t%1', ").arg(i);
    return QStringLiteral("INSERT INTO templates (iId, sHName, iHType, sField1, sField2, sField3, sField4, "
                          "sField5, sField6, sField7, sField8, sField9, sField10, sField11, sField12, "
                          "sField13, sField14, iFieldDate, sFieldLong) VALUES (%1, '%2', %3, %4%5, '')")
        .arg(id).arg(name).arg(type).arg(fields).arg(fieldDate);
}

QString repairSql(int id, const QString &num, qint64 added, qint64 end, int type, int status,
                  const QString &progress, int client, int hardware, int submitter, int technican)
{
    return QStringLiteral("INSERT INTO repairs (iId, sNum, iAddDate, iEndDate, iType, sCost, sMCost, "
                          "sDefect, sSolution, sComment, sOuterNo, iStatus, iProgress, iClientId, "
                          "iHardwareId, iSubmitterId, iTechnicanId) VALUES (%1, '%2', %3, %4, %5, '100', "
                          "'20', 'Nie działa', '', '', 'Z-1', %6, %7, %8, %9, %10, %11)")
        .arg(id).arg(num).arg(added).arg(end).arg(type).arg(status).arg(progress)
        .arg(client).arg(hardware).arg(submitter).arg(technican);
}

QString billSql(int id, int repair, int hardware, int status, qint64 date, int user)
{
    return QStringLiteral("INSERT INTO billing (iId, iAddDate, iClientId, iRepairId, iHardwareId, "
                          "sPriceNet, sPriceGross, sPriceParts, sPriceLabor, sPriceOuter, sDescription, "
                          "iStatus, iDate, iUser) VALUES (%1, %2, 1, %3, %4, '100', '123', '50', '50', '0', "
                          "'Faktura', %5, %6, %7)")
        .arg(id).arg(March5).arg(repair).arg(hardware).arg(status).arg(date).arg(user);
}

// The model row whose iId is id, -1 when it is not listed.
int rowOf(const QAbstractItemModel &model, int id)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.data(model.index(row, 0), Qt::EditRole).toInt() == id)
            return row;
    }
    return -1;
}

QString text(const QSqlTableModel &model, int row, const QString &column, int role = Qt::DisplayRole)
{
    return model.data(model.index(row, model.fieldIndex(column)), role).toString();
}

// A cell by column number (the relation columns are renamed on selection).
QString cell(const QAbstractItemModel &model, int row, int column, int role = Qt::DisplayRole)
{
    return model.data(model.index(row, column), role).toString();
}

bool selectWhere(QSqlTableModel &model, const QString &filter)
{
    model.setFilter(filter);
    return model.select();
}

using Texts = QList<QPair<QString, QString>>;

// Compares the texts of the named columns of the row with the id (in the
// edit role: the stored values that widget mappers edit).
QString textsMismatch(const QSqlTableModel &model, int id, const Texts &expected, int role = Qt::DisplayRole)
{
    const int row = rowOf(model, id);
    if (row < 0)
        return QStringLiteral("%1 not listed").arg(id);
    for (const auto &e : expected) {
        const QString actual = text(model, row, e.first, role);
        if (actual != e.second)
            return QStringLiteral("row %1, %2: \"%3\" instead of \"%4\"").arg(row).arg(e.first, actual, e.second);
    }
    return QString();
}

QStringList headers(const QAbstractItemModel &model)
{
    QStringList list;
    for (int c = 0; c < model.columnCount(); ++c)
        list << model.headerData(c, Qt::Horizontal).toString();
    return list;
}

// Empty when every cell of the row with the id has a solid background of
// the colour, or none at all when the colour is empty.
QString rowColourMismatch(const QAbstractItemModel &model, int id, const QString &colour = QString())
{
    const int row = rowOf(model, id);
    if (row < 0)
        return QStringLiteral("%1 not listed").arg(id);
    for (int c = 0; c < model.columnCount(); ++c) {
        const QVariant v = model.data(model.index(row, c), Qt::BackgroundRole);
        if (colour.isEmpty()) {
            if (v.isValid())
                return QStringLiteral("row %1 column %2 has a background").arg(row).arg(c);
            continue;
        }
        const QBrush brush = v.value<QBrush>();
        if (!v.canConvert<QBrush>() || brush.style() != Qt::SolidPattern
            || brush.color().name() != colour)
            return QStringLiteral("row %1 column %2: %3 instead of %4")
                .arg(row).arg(c).arg(brush.color().name(), colour);
    }
    return QString();
}

QString flagsMismatch(const QAbstractItemModel &model)
{
    if (model.flags(QModelIndex()) != ViewFlags)
        return QStringLiteral("invalid index");
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int c = 0; c < model.columnCount(); ++c) {
            if (model.flags(model.index(row, c)) != ViewFlags)
                return QStringLiteral("row %1 column %2").arg(row).arg(c);
        }
    }
    return QString();
}

// QAbstractItemModelTester, reporting into a list. The models answer
// flags() of the root with "selectable and enabled" like every other index,
// which the tester's convention for the root does not expect; that one
// remark is not counted.
QStringList modelTestFailures;
int rootFlagRemarks = 0;
QtMessageHandler previousHandler = nullptr;

void collectModelTest(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("FAIL!"))
        || (context.category && qstrcmp(context.category, "qt.modeltest") == 0)) {
        if (message.contains(QLatin1String("flags == Qt::ItemIsDropEnabled")))
            ++rootFlagRemarks;
        else
            modelTestFailures << message;
        return;
    }
    previousHandler(type, context, message);
}

// With reselect false the tester starts on the rows already selected (it
// runs all its checks on a reset before it takes the reset as finished, so
// a model that reads more rows on those checks would be blamed for it).
QString modelTesterFailures(QSqlTableModel *model, bool reselect = true)
{
    modelTestFailures.clear();
    rootFlagRemarks = 0;
    previousHandler = qInstallMessageHandler(collectModelTest);
    {
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Warning);
        if (reselect)
            model->select();
        while (model->canFetchMore())
            model->fetchMore();
    }
    qInstallMessageHandler(previousHandler);
    if (rootFlagRemarks == 0) // the tester's output did not reach the handler
        modelTestFailures << QStringLiteral("no report of the tester was seen");
    return modelTestFailures.join(QLatin1Char('\n'));
}

std::unique_ptr<QSqlTableModel> makeModel(const QString &kind, DbWidget *db)
{
    if (kind == QLatin1String("Repair"))
        return std::make_unique<Repair>(nullptr, db);
    if (kind == QLatin1String("Client"))
        return std::make_unique<Client>(nullptr, db);
    if (kind == QLatin1String("Hardware"))
        return std::make_unique<Hardware>(nullptr, db);
    if (kind == QLatin1String("Template"))
        return std::make_unique<Template>(nullptr, db);
    return std::make_unique<Bill>(nullptr, db);
}

const QStringList ModelKinds = {"Repair", "Client", "Hardware", "Template", "Bill"};

// The repairs of the display tests, with the client, hardware, user and
// statuses they name.
bool fillRepairs(TestDatabase &t)
{
    return t.exec({
        clientSql(1, QStringLiteral("Kowalski")),
        hardwareSql(1, QStringLiteral("Laptop Dell"), 0, 1, 0, 0, 1),
        "INSERT INTO users (iId, sUser, sPassword, iLevel, bActive) VALUES (2, 'Jan Nieaktywny', '', 1, 0)",
        "INSERT INTO statusesconf (iId, iStatusId, iGroup, sDescription, sColor, iOrder) VALUES "
        "(7, 6, 2, 'Czarny', '#000000', 3), (8, 7, 2, 'Pusty', '', 4), (9, 8, 2, 'Zły', 'zielonkawy', 5), "
        "(10, 9, 1, 'Czerwony', 'red', 3)",
        repairSql(12, "", March5, 0, -1, 1, "40", 1, 1, 1, 0),
        repairSql(13, "0503/JK", March5, NewYear, 1, 99, "0", 1, 1, 2, 77),
        repairSql(14, "X", June15, June15, 7, 6, "-5", 1, 1, 1, 1),
        repairSql(15, "Y", June15, June15, 3, 7, "NULL", 1, 1, 1, 1),
        repairSql(16, "Z", June15, June15, 0, 8, "100", 1, 1, 1, 1),
        repairSql(17, "W", June15, June15, 2, 9, "100", 1, 1, 1, 1),
    });
}

// Rows of every register, each listed by its model.
bool fillAll(TestDatabase &t)
{
    return fillRepairs(t)
        && t.exec({templateSql(1, QStringLiteral("Szablon"), 11, March5), billSql(1, -1, -1, 0, 0, 1),
                   billSql(2, 12, 1, 1, June15, 1)});
}

// Rows of every register with ties in the sorted columns (surnames with an
// apostrophe, a backslash or a NUL among them), empty (NULL) material costs
// and costs with a NUL, and repairs whose hardware row is gone (one of them
// the only repair of its client).
bool fillForPaging(TestDatabase &t)
{
    QStringList statements;
    for (int i = 1; i <= 8; ++i) {
        // A page may end on a name that needs escaping in the next page's statement.
        statements << clientSql(i, i % 3 == 1 ? DbWidget::escapeLike(Tricky, TestDatabase::engine())
                                              : QStringLiteral("Nowak"))
                   << hardwareSql(i, i % 3 ? QStringLiteral("PC") : QStringLiteral("Laptop"), 0, 1, 0, 0,
                                  1 + i % 3);
    }
    for (int i = 1; i <= 11; ++i)
        statements << repairSql(i, "", March5 + (i % 3) * 86400, 0, 0, 1, "0", 1 + i % 3, 1 + i % 3, 1, 0);
    // Repairs whose device is gone (hardware 99), not listed.
    statements << repairSql(12, "", March5, 0, 0, 1, "0", 1, 99, 1, 0)
               << repairSql(13, "", March5, 0, 0, 1, "0", 2, 99, 1, 0)
               << repairSql(23, "", March5, 0, 0, 1, "0", 5, 99, 1, 0);
    // Repairs of clients that come later by name.
    for (int i = 14; i <= 22; ++i)
        statements << repairSql(i, "", March5, 0, 0, 1, "0", 6 + i % 3, 1 + i % 3, 1, 0);
    statements
               << "UPDATE repairs SET sMCost = NULL WHERE iId IN (4, 8, 9)"
               << "UPDATE repairs SET sMCost = '5' WHERE iId IN (1, 5, 10)";
    for (int i = 1; i <= 8; ++i) {
        statements << billSql(i, i, 1, i % 2, 0, 1 + i % 3)
                   << templateSql(i, i % 2 ? QStringLiteral("A") : QStringLiteral("B"), 0, 0);
    }
    // Settling users with a tie in their names; clients that come first by
    // name and have no repairs nor hardware, more than a few batches of them;
    // a client without a surname (NULL where the engine allows it).
    statements << "INSERT INTO users (iId, sUser, sPassword, iLevel, bActive) VALUES "
                  "(2, 'Ewa', '', 1, 1), (3, 'Administrator', '', 1, 1)";
    for (int i = 101; i <= 170; ++i)
        statements << clientSql(i, QStringLiteral("Adamski"));
    statements << QStringLiteral("UPDATE clients SET sSName = %1 WHERE iId = 3")
                      .arg(TestDatabase::isMySql() ? "''" : "NULL");
    if (!t.exec(statements))
        return false;
    // Sort values holding a NUL, bound as no statement text could hold them.
    const QString nul(QChar(0));
    QSqlQuery q(t.db()->database());
    for (const auto &[sql, value] : {std::pair{"UPDATE clients SET sSName = ? WHERE iId IN (2, 6)", "Nowak" + nul},
                                     std::pair{"UPDATE repairs SET sMCost = ? WHERE iId IN (2, 3)", "5" + nul + "x"}}) {
        q.prepare(QString::fromLatin1(sql));
        q.addBindValue(value);
        if (!q.exec())
            return false;
    }
    return true;
}

// dbInsert of each model: the table, its columns in the order the values
// are bound, and whether texts beyond them are ignored (else refused).
struct InsertCase
{
    const char *model;
    int (*insert)(DbWidget *, const QStringList &);
    QString table;
    QStringList columns;
    bool surplusIgnored;
};

QStringList genericFields()
{
    QStringList list;
    for (int i = 1; i <= 14; ++i)
        list << QStringLiteral("sField%1").arg(i);
    return list << "iFieldDate" << "sFieldLong";
}

const QList<InsertCase> &insertCases()
{
    static const QList<InsertCase> cases = {
        {"Repair", &Repair::dbInsert, "repairs",
         {"sNum", "iAddDate", "iEndDate", "iType", "sCost", "sDefect", "sComment", "sOuterNo", "iStatus",
          "iClientId", "iHardwareId", "iSubmitterId", "iTechnicanId"},
         false},
        {"Client", &Client::dbInsert, "clients",
         {"sFName", "sSName", "sCompany", "sNIP", "sStreet", "sAddrBuild", "sAddrLoc", "sCity", "sPostal",
          "sEmail", "sEmail2", "sPhone", "sPhone2", "sDescription"},
         true},
        // The type comes after the store comment, not in the table's order.
        {"Hardware", &Hardware::dbInsert, "hardware",
         QStringList{"sHName", "iStoreStatus", "iReceivedDate", "sStoreComment", "iHType"} + genericFields()
             + QStringList{"iOwner"},
         true},
        {"Template", &Template::dbInsert, "templates", QStringList{"sHName", "iHType"} + genericFields(), true},
        {"Bill", &Bill::dbInsert, "billing",
         {"iAddDate", "iClientId", "iRepairId", "iHardwareId", "sPriceNet", "sPriceGross", "sPriceParts",
          "sPriceLabor", "sPriceOuter", "sDescription", "iStatus", "iDate", "iUser"},
         false},
    };
    return cases;
}

// A distinct value for each column: a number for the integer columns, a text
// with an apostrophe, a backslash and a Polish letter for the others.
QStringList insertValues(const QStringList &columns)
{
    QStringList values;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).startsWith('i'))
            values << QString::number(March5 + i);
        else
            values << QStringLiteral("ż'\\%1").arg(i);
    }
    return values;
}

// Empty when the row id holds the values in the columns.
QString storedMismatch(TestDatabase &t, const QString &table, int id, const QStringList &columns,
                       const QStringList &values)
{
    for (int i = 0; i < columns.size(); ++i) {
        const QString stored =
            t.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE iId = %3").arg(columns.at(i), table).arg(id));
        if (stored != values.at(i))
            return QStringLiteral("%1: \"%2\" instead of \"%3\"").arg(columns.at(i), stored, values.at(i));
    }
    return QString();
}
} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headersBeforeAndAfterSelect_data();
    void headersBeforeAndAfterSelect();
    void staticListsAndNames();
    void inserts_data();
    void inserts();
    void modelTesterAndFlagsOverEveryModel();
    void pagedListsFollowTheWholeStatement_data();
    void pagedListsFollowTheWholeStatement();
    void rowMovedElsewhereWhileScrollingIsListedOnce_data();
    void rowMovedElsewhereWhileScrollingIsListedOnce();

    void repairDisplayTexts();
    void repairRowColours();
    void repairRowsWithoutClientOrHardwareAreNotListed();
    void repairReaders();

    void clientModel();

    void hardwareColumnsFollowFieldLabels();
    void hardwareDisplayTextsAndColours();
    void hardwareReaders();

    void templateColumnsAndSetupFields();
    void templateDisplayTexts();

    void billDisplayTextsAndColours();
    void billUpdateUser();
};

void TestRecords::headersBeforeAndAfterSelect_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Repair") << "Repair"
                            << QStringList{"ID", "Numer naprawy", "Data dodania", "Ukończenie", "Rodzaj",
                                           "Koszt naprawy", "Koszt materiałów", "Opis uszkodzenia",
                                           "Opis naprawy", "Komentarz", "Numer zewnętrzny", "Status", "Postęp",
                                           "Klient", "Sprzęt", "Wprowadzający", "Obsługujący"};
    QTest::newRow("Client") << "Client"
                            << QStringList{"ID", "Imię", "Nazwisko", "Firma", "NIP", "Ulica", "Nr budynku",
                                           "Nr lokalu", "Miasto", "Kod", "E-mail", "E-mail 2", "Telefon",
                                           "Telefon 2", "Opis"};
    // The seeded field labels: sField1 to sField4, iFieldDate and sFieldLong.
    QTest::newRow("Hardware") << "Hardware"
                              << QStringList{"ID", "Nazwa", "Rodzaj", "Status magazyn", "Data wydania",
                                             "Magazyn komentarz", "Producent", "Model", "Numer seryjny",
                                             "Wyposażenie", "Data zakupu", "Uwagi", "Właściciel"};
    QTest::newRow("Template") << "Template"
                              << QStringList{"ID", "Nazwa", "Typ sprzętu", "Producent", "Model",
                                             "Numer seryjny", "Wyposażenie", "Data zakupu", "Uwagi"};
    QTest::newRow("Bill") << "Bill"
                          << QStringList{"ID", "Data dodania", "Nr klienta", "Nr naprawy", "Nr sprzętu",
                                         "Kwota netto", "Kwota brutto", "Koszt części", "Koszt pracy",
                                         "Koszt zewnętrzny", "Opis", "Status", "Data rozliczenia", "Rozliczył"};
}

void TestRecords::headersBeforeAndAfterSelect()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, expected);
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(fillAll(t), qPrintable(t.error()));
    const auto model = makeModel(kind, t.db());
    QCOMPARE(headers(*model), expected);
    QCOMPARE(model->rowCount(), 0); // the owner selects
    QVERIFY(model->select());
    QVERIFY(model->rowCount() > 0);
    QCOMPARE(headers(*model), expected);
}

void TestRecords::staticListsAndNames()
{
    QCOMPARE(Repair::Types[0], QStringList({"", "Niegwarancyjna", "Gwarancyjna", "Pogwarancyjna", "Umowa"}));
    QCOMPARE(Repair::Types[1], QStringList({"-1", "0", "1", "2", "3"}));
    const QList<QPair<int, QString>> types = {
        {-1, ""}, {0, "Niegwarancyjna"}, {3, "Umowa"}, {4, "Błąd typu !"}, {-2, "Błąd typu !"}};
    for (const auto &type : types)
        QCOMPARE(Repair::getTypeById(type.first), type.second);

    QCOMPARE(Bill::Statuses[0], QStringList({"Nierozliczony", "Rozliczony"}));
    QCOMPARE(Bill::Statuses[1], QStringList({"0", "1"}));
    const QList<QPair<int, QString>> statuses = {{0, "Nierozliczony"}, {1, "Rozliczony"}, {2, "Rozliczony"},
                                                 {3, "Błąd statusu !"}, {-1, "Błąd statusu !"}};
    for (const auto &status : statuses)
        QCOMPARE(Bill::getStatusById(status.first), status.second);
}

void TestRecords::inserts_data()
{
    QTest::addColumn<int>("n");
    for (int n = 0; n < insertCases().size(); ++n)
        QTest::newRow(insertCases().at(n).model) << n;
}

void TestRecords::inserts()
{
    QFETCH(int, n);
    const InsertCase &c = insertCases().at(n);
    TestDatabase t;
    REQUIRE_DB(t);
    const QStringList values = insertValues(c.columns);

    // Too few values: refused before the database is touched.
    QCOMPARE(c.insert(t.db(), values.mid(0, values.size() - 1)), -1);
    QCOMPARE(c.insert(t.db(), QStringList()), -1);
    QCOMPARE(t.count(c.table), 0);

    // Every value is bound to its own column and stored unchanged.
    const int id = c.insert(t.db(), values);
    QVERIFY(id > 0);
    VERIFY_NONE(storedMismatch(t, c.table, id, c.columns, values));

    // A null text is stored as an empty text, not as NULL (which MySQL's
    // NOT NULL columns refuse).
    const int text = int(std::find_if(c.columns.cbegin(), c.columns.cend(),
                                      [](const QString &column) { return column.startsWith('s'); })
                         - c.columns.cbegin());
    QStringList blank = values;
    blank[text] = QString();
    const int second = c.insert(t.db(), blank);
    QVERIFY(second > id);
    QCOMPARE(t.count(c.table, QStringLiteral("iId = %1 AND %2 = ''").arg(second).arg(c.columns.at(text))), 1);

    // Texts beyond the columns: ignored by some models, refused by others.
    const int third = c.insert(t.db(), values + QStringList{"nadmiar"});
    if (c.surplusIgnored) {
        QVERIFY(third > second);
        VERIFY_NONE(storedMismatch(t, c.table, third, c.columns, values));
        QCOMPARE(t.count(c.table), 3);
    } else {
        QCOMPARE(third, -1);
        QCOMPARE(t.count(c.table), 2);
    }

    // A failed execution is reported as -1.
    EXEC(t, "DROP TABLE " + c.table);
    QCOMPARE(c.insert(t.db(), values), -1);
}

void TestRecords::modelTesterAndFlagsOverEveryModel()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(fillAll(t), qPrintable(t.error()));
    for (const QString &kind : ModelKinds) {
        const auto model = makeModel(kind, t.db());
        const QString failures = modelTesterFailures(model.get());
        QVERIFY2(failures.isEmpty(), qPrintable(kind + ": " + failures));
        QVERIFY2(model->rowCount() > 0, qPrintable(kind));
        // No view may edit a cell, nor drag one.
        const QString flags = flagsMismatch(*model);
        QVERIFY2(flags.isEmpty(), qPrintable(kind + ": " + flags));
    }
}

void TestRecords::pagedListsFollowTheWholeStatement_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("sortColumn");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("whole");
    QTest::addColumn<QString>("filter");

    const QString repairs = "SELECT r.iId FROM repairs r JOIN clients c ON r.iClientId = c.iId "
                            "JOIN hardware h ON r.iHardwareId = h.iId ORDER BY ";
    const int asc = Qt::AscendingOrder, desc = Qt::DescendingOrder;
    QTest::newRow("repairs unsorted") << "Repair" << "" << asc << repairs + "r.iId" << QString();
    QTest::newRow("repairs by id, descending") << "Repair" << "iId" << desc << repairs + "r.iId DESC" << QString();
    QTest::newRow("repairs by date, descending")
        << "Repair" << "iAddDate" << desc << repairs + "r.iAddDate DESC, r.iId DESC" << QString();
    // Relation sorts break ties by the related row's id, then by the row's.
    QTest::newRow("repairs by client name") << "Repair" << "iClientId" << asc << repairs + "c.sSName, c.iId, r.iId" << QString();
    QTest::newRow("repairs by hardware name, descending")
        << "Repair" << "iHardwareId" << desc << repairs + "h.sHName DESC, h.iId DESC, r.iId DESC" << QString();
    // Empty (NULL) values come first in ascending order, last in descending.
    QTest::newRow("repairs by material cost") << "Repair" << "sMCost" << asc << repairs + "r.sMCost, r.iId" << QString();
    QTest::newRow("repairs by material cost, descending")
        << "Repair" << "sMCost" << desc << repairs + "r.sMCost DESC, r.iId DESC" << QString();
    QTest::newRow("clients by surname, descending")
        << "Client" << "sSName" << desc << "SELECT iId FROM clients ORDER BY sSName DESC, iId DESC" << QString();
    QTest::newRow("hardware by owner")
        << "Hardware" << "iOwner" << asc
        << "SELECT h.iId FROM hardware h JOIN clients c ON h.iOwner = c.iId ORDER BY c.sSName, c.iId, h.iId" << QString();
    QTest::newRow("bills by status")
        << "Bill" << "iStatus" << asc
        << "SELECT b.iId FROM billing b JOIN users u ON b.iUser = u.iId ORDER BY b.iStatus, b.iId" << QString();
    QTest::newRow("templates by name, descending")
        << "Template" << "sHName" << desc << "SELECT iId FROM templates ORDER BY sHName DESC, iId DESC" << QString();
    QTest::newRow("repairs by client name, descending")
        << "Repair" << "iClientId" << desc << repairs + "c.sSName DESC, c.iId DESC, r.iId DESC" << QString();
    QTest::newRow("repairs by hardware name")
        << "Repair" << "iHardwareId" << asc << repairs + "h.sHName, h.iId, r.iId" << QString();
    QTest::newRow("hardware by owner, descending")
        << "Hardware" << "iOwner" << desc
        << "SELECT h.iId FROM hardware h JOIN clients c ON h.iOwner = c.iId ORDER BY c.sSName DESC, c.iId DESC, h.iId DESC" << QString();
    // Long texts, which MariaDB sorts by their indexed first characters;
    // the comments are all empty.
    QTest::newRow("repairs by defect, descending")
        << "Repair" << "sDefect" << desc << repairs + "r.sDefect DESC, r.iId DESC" << QString();
    QTest::newRow("repairs by comment") << "Repair" << "sComment" << asc << repairs + "r.sComment, r.iId" << QString();
    const QString bills = "SELECT b.iId FROM billing b JOIN users u ON b.iUser = u.iId ";
    QTest::newRow("bills by settling user") << "Bill" << "iUser" << asc << bills + "ORDER BY u.sUser, u.iId, b.iId" << QString();
    QTest::newRow("bills by settling user, descending")
        << "Bill" << "iUser" << desc << bills + "ORDER BY u.sUser DESC, u.iId DESC, b.iId DESC" << QString();
    // A filter that leaves rows out: the batches of related rows come back
    // short and the rest is read in one statement.
    QTest::newRow("repairs by client name, filtered")
        << "Repair" << "iClientId" << asc
        << "SELECT r.iId FROM repairs r JOIN clients c ON r.iClientId = c.iId JOIN hardware h ON "
           "r.iHardwareId = h.iId WHERE r.iId NOT IN (2, 5) ORDER BY c.sSName, c.iId, r.iId"
        << "repairs.iId NOT IN (2, 5)";
    // A filter that keeps under four pages of rows: they are read at once
    // and sorted, with no batches of clients.
    QTest::newRow("repairs by client name, few rows kept")
        << "Repair" << "iClientId" << desc
        << repairs.chopped(9) + "WHERE r.iId <= 10 ORDER BY c.sSName DESC, c.iId DESC, r.iId DESC"
        << "repairs.iId <= 10";
    // The same with the filter on another relation, and past a second
    // repair whose device is gone.
    QTest::newRow("repairs by client name, filtered by device")
        << "Repair" << "iClientId" << asc
        << "SELECT r.iId FROM repairs r JOIN clients c ON r.iClientId = c.iId JOIN hardware h ON "
           "r.iHardwareId = h.iId WHERE h.sHName = 'PC' ORDER BY c.sSName, c.iId, r.iId"
        << "relTblAl_14.sHName = 'PC'";
    // A filter that keeps many rows of few related rows (the first clients
    // in the order have none): the related rows that the kept
    // rows name are walked in order and their rows read by key, past the
    // repairs whose device is gone.
    QTest::newRow("repairs by client name, walking the clients kept")
        << "Repair" << "iClientId" << asc
        << repairs.chopped(9) + "WHERE r.iClientId NOT IN (1, 3) AND r.sOuterNo NOT LIKE '%1%3%' "
                                "ORDER BY c.sSName, c.iId, r.iId"
        << "repairs.iClientId NOT IN (1, 3) AND repairs.sOuterNo NOT LIKE '%1%3%'";
    QTest::newRow("repairs by client name, walking the clients kept, descending")
        << "Repair" << "iClientId" << desc
        << repairs.chopped(9) + "WHERE r.iClientId NOT IN (1, 4, 7) ORDER BY c.sSName DESC, c.iId DESC, r.iId DESC"
        << "repairs.iClientId NOT IN (1, 4, 7)";
    // Rows of any of two clients, a page of each client's rows read by key,
    // with repairs whose device is gone among client 5's (see keyedRows).
    const QString keyed = repairs.chopped(9) + "WHERE r.iClientId IN (4, 5) ORDER BY r.iId";
    QTest::newRow("repairs keyed by client") << "Repair" << "" << asc << keyed << "keyed";
    QTest::newRow("repairs keyed by client, descending") << "Repair" << "iId" << desc << keyed + " DESC" << "keyed";
    QTest::newRow("bills by settling user, filtered, descending")
        << "Bill" << "iUser" << desc << bills + "WHERE b.iId <> 4 ORDER BY u.sUser DESC, u.iId DESC, b.iId DESC"
        << "billing.iId <> 4";
}

void TestRecords::pagedListsFollowTheWholeStatement()
{
    QFETCH(QString, kind);
    QFETCH(QString, sortColumn);
    QFETCH(int, order);
    QFETCH(QString, whole);
    QFETCH(QString, filter);

    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(fillForPaging(t), qPrintable(t.error()));
    if (filter == QLatin1String("keyed")) {
        // Client 4's repairs lie between client 5's, some of whose devices
        // are gone (hardware 99), near either end.
        QStringList keyedRows;
        for (const auto &[id, client, hardware] : {std::tuple{24, 5, 1}, {25, 5, 99}, {26, 5, 1}, {27, 5, 1}, {30, 4, 1},
                                                   {31, 4, 1}, {32, 4, 1}, {33, 4, 1}, {37, 5, 1}, {38, 5, 1},
                                                   {39, 5, 99}, {40, 5, 1}})
            keyedRows << repairSql(id, "", March5, 0, 0, 1, "0", client, hardware, 1, 0);
        QVERIFY2(t.exec(keyedRows), qPrintable(t.error()));
    }
    QList<int> expected;
    QSqlQuery all(t.db()->database());
    QVERIFY2(all.exec(whole), qPrintable(all.lastError().text()));
    while (all.next())
        expected << all.value(0).toInt();
    QVERIFY(expected.size() > 6);

    const auto model = makeModel(kind, t.db());
    auto *paged = qobject_cast<RecordModel *>(model.get());
    QVERIFY(paged);
    paged->setPageSize(3);
    if (!sortColumn.isEmpty())
        model->setSort(model->fieldIndex(sortColumn), Qt::SortOrder(order));
    model->setFilter(filter == QLatin1String("keyed") ? paged->keyedFilter("iClientId", {4, 5}) : filter);

    // The first page alone, then page after page up to the end.
    QVERIFY2(model->select(), qPrintable(model->lastError().text()));
    QCOMPARE(model->rowCount(), 3);
    QVERIFY(model->canFetchMore());
    // The next page of a walk reads its related rows by key.
    if (QByteArray(QTest::currentDataTag()).contains("walking"))
        QVERIFY(paged->nextPageStatement().contains(QRegularExpression("repairs\\.iClientId IN \\(\\d")));
    if (filter == QLatin1String("keyed"))
        QVERIFY(paged->nextPageStatement().contains(QLatin1String("UNION ALL")));
    if (QByteArray(QTest::currentDataTag()).contains("few rows"))
        QVERIFY(!paged->firstPageStatement().contains(QLatin1String("sSName <=")));
    const QString failures = modelTesterFailures(model.get(), false);
    QVERIFY2(failures.isEmpty(), qPrintable(failures));
    QVERIFY(!model->canFetchMore());
    QList<int> listed;
    for (int row = 0; row < model->rowCount(); ++row)
        listed << model->data(model->index(row, 0), Qt::EditRole).toInt();
    QCOMPARE(listed, expected);
    // A row of a later page reads as a whole record.
    QCOMPARE(paged->record(model->rowCount() - 1).value(0).toInt(), expected.last());
}

void TestRecords::rowMovedElsewhereWhileScrollingIsListedOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("sortColumn");
    QTest::addColumn<QString>("move");
    QTest::addColumn<int>("listed");
    // Rows of the first page (or their related row) moved past the last; the
    // clients' whole first page comes again as a whole page.
    QTest::newRow("clients by surname") << "Client" << "sSName" << "UPDATE clients SET sSName = 'Zzz' WHERE iId IN (3, 101, 102)" << 78;
    QTest::newRow("repairs by client name") << "Repair" << "iClientId" << "UPDATE clients SET sSName = 'Zzz' WHERE iId = 3" << 20;
}

void TestRecords::rowMovedElsewhereWhileScrollingIsListedOnce()
{
    QFETCH(QString, kind);
    QFETCH(QString, sortColumn);
    QFETCH(QString, move);
    QFETCH(int, listed);
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(fillForPaging(t), qPrintable(t.error()));
    const auto model = makeModel(kind, t.db());
    qobject_cast<RecordModel *>(model.get())->setPageSize(3);
    model->setSort(model->fieldIndex(sortColumn), Qt::AscendingOrder);
    QVERIFY(model->select());
    // Moved by another workstation while the first page is on screen; a
    // view reads on only as rows come in.
    QCOMPARE(t.openAnother()->query(move).lastError().text(), QString());
    while (model->canFetchMore()) {
        const int rows = model->rowCount();
        model->fetchMore();
        QVERIFY(model->rowCount() > rows || !model->canFetchMore());
    }
    QSet<int> ids;
    for (int row = 0; row < model->rowCount(); ++row)
        ids << model->data(model->index(row, 0), Qt::EditRole).toInt();
    // Each row once, none left out.
    QCOMPARE(model->rowCount(), listed);
    QCOMPARE(ids.size(), listed);
}

void TestRecords::repairDisplayTexts()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(fillRepairs(t));
    Repair model(nullptr, t.db());
    QVERIFY(selectWhere(model, "repairs.iId>0"));
    QCOMPARE(model.rowCount(), 6);
    const QList<int> keysBefore = RepairStatusesConfig::Statuses.keys();

    VERIFY_NONE(textsMismatch(model, 12, {
        {"sNum", "12/0503"},
        {"iAddDate", "05/03/2024"},
        {"iEndDate", "01/01/1970"},
        {"iType", ""},
        {"iStatus", "[Otwarta] Naprawa rozpoczęta"},
        {"iProgress", "40 %"},
        {"iSubmitterId", "Administrator"},
        {"iTechnicanId", "Nieprzydzielony"},
        {"sCost", "100"},
        {"sDefect", "Nie działa"},
    }));
    // The relation columns show the related names.
    QCOMPARE(cell(model, rowOf(model, 12), 13), QStringLiteral("Kowalski"));
    QCOMPARE(cell(model, rowOf(model, 12), 14), QStringLiteral("Laptop Dell"));

    VERIFY_NONE(textsMismatch(model, 13, {
        {"sNum", "13/0503/JK"},
        {"iEndDate", "01/01/2024"},
        {"iType", "Gwarancyjna"},
        {"iStatus", "Nieznany status !"},
        {"iProgress", ""},
        {"iSubmitterId", "Jan Nieaktywny"},
        {"iTechnicanId", "Usunięty"},
    }));

    // Negative, NULL and 100 % progress.
    VERIFY_NONE(textsMismatch(model, 14, {{"iType", "Błąd typu !"}, {"iProgress", ""}}));
    VERIFY_NONE(textsMismatch(model, 15, {{"iType", "Umowa"}, {"iProgress", ""}}));
    VERIFY_NONE(textsMismatch(model, 16, {{"iProgress", "100 %"}}));

    // The edit role keeps the stored values for widget mappers.
    VERIFY_NONE(textsMismatch(model, 12, {{"iType", "-1"}, {"iAddDate", QString::number(March5)}, {"sNum", ""}},
                              Qt::EditRole));
    VERIFY_NONE(textsMismatch(model, 13, {{"iStatus", "99"}, {"iTechnicanId", "77"}}, Qt::EditRole));

    // Unknown status ids are looked up without growing the shared dictionary.
    QCOMPARE(RepairStatusesConfig::Statuses.keys(), keysBefore);
    QVERIFY(!RepairStatusesConfig::Statuses.contains(99));
}

void TestRecords::repairRowColours()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(fillRepairs(t));
    Repair model(nullptr, t.db());
    QVERIFY(selectWhere(model, "repairs.iId>0"));
    const QList<QPair<int, QString>> expected = {
        {12, "#afff9f"}, // configured colour
        {13, "#ffffff"}, // status missing from the dictionary
        {14, "#ffffff"}, // configured black
        {15, "#ffffff"}, // empty colour text
        {16, "#ffffff"}, // unreadable colour text
        {17, "#ff0000"}, // a colour name
    };
    for (const auto &e : expected)
        VERIFY_NONE(rowColourMismatch(model, e.first, e.second));

    // A reload of the dictionary recolours the rows at the next repaint.
    EXEC(t, "UPDATE statusesconf SET sColor = '#123456' WHERE iStatusId = 1");
    RepairStatusesConfig::getStatuses(t.db());
    VERIFY_NONE(rowColourMismatch(model, 12, "#123456"));

    // With an empty dictionary every row reads "Nieznany status !" on white.
    EXEC(t, "DELETE FROM statusesconf");
    Repair empty(nullptr, t.db());
    QVERIFY(selectWhere(empty, "repairs.iId=12"));
    VERIFY_NONE(textsMismatch(empty, 12, {{"iStatus", "Nieznany status !"}}));
    VERIFY_NONE(rowColourMismatch(empty, 12, "#ffffff"));
    QVERIFY(RepairStatusesConfig::Statuses.isEmpty());
}

void TestRecords::repairRowsWithoutClientOrHardwareAreNotListed()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(fillRepairs(t));
    EXEC(t, {repairSql(20, "", March5, 0, 0, 1, "0", 99, 1, 1, 0), repairSql(21, "", March5, 0, 0, 1, "0", 1, 99, 1, 0)});
    Repair model(nullptr, t.db());
    QVERIFY(selectWhere(model, "repairs.iId>=12"));
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(rowOf(model, 20), -1);
    QCOMPARE(rowOf(model, 21), -1);

    // Removing the client of a listed repair drops it at the next selection.
    EXEC(t, {clientSql(2, "Nowak"), "UPDATE repairs SET iClientId = 2 WHERE iId = 12"});
    QVERIFY(model.select());
    QVERIFY(rowOf(model, 12) >= 0);
    EXEC(t, "DELETE FROM clients WHERE iId = 2");
    QVERIFY(model.select());
    QCOMPARE(rowOf(model, 12), -1);
}

void TestRecords::repairReaders()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY(fillRepairs(t));
    EXEC(t, {clientSql(5, "Nowak"), hardwareSql(6, "Drukarka HP", 14, 1, 0, 0, 5),
             repairSql(30, "", March5, 0, 0, 1, "0", 5, 6, 1, 0)});
    Repair model(nullptr, t.db());
    QVERIFY(selectWhere(model, "repairs.iId=30"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.getClientId(0), 5);
    QCOMPARE(model.getHardwareId(0), 6);
    QCOMPARE(model.getClientId(1), -1);
    QCOMPARE(model.getHardwareId(-1), -1);
    // The record vanished from the table after the selection.
    EXEC(t, "DELETE FROM repairs WHERE iId = 30");
    QCOMPARE(model.getClientId(0), -1);

    QCOMPARE(Repair::getProgress(t.db(), 12), 40);
    QCOMPARE(Repair::getProgress(t.db(), 15), 0); // NULL progress
    QCOMPARE(Repair::getProgress(t.db(), 999), -1);
    // The same value again still counts as stored; a missing repair does not.
    QCOMPARE(QList<bool>({Repair::updateProgress(t.db(), 12, 75), Repair::updateProgress(t.db(), 12, 75),
                          Repair::updateProgress(t.db(), 999, 75)}),
             QList<bool>({true, true, false}));
    QCOMPARE(Repair::getProgress(t.db(), 12), 75);
    QCOMPARE(t.scalar("SELECT iProgress FROM repairs WHERE iId = 13").toInt(), 0);

    // Users are named as the model read them when it was built.
    QCOMPARE(model.getUserById(1), QStringLiteral("Administrator"));
    QCOMPARE(model.getUserById(0), QStringLiteral("Nieprzydzielony"));
    QCOMPARE(model.getUserById(3), QStringLiteral("Usunięty"));
    // (MySQL gives a new key for an inserted 0, so the row is renumbered.)
    EXEC(t, "INSERT INTO users (iId, sUser, sPassword, iLevel, bActive) VALUES (9, 'Zerowy', '', 1, 1)");
    QCOMPARE(model.getUserById(9), QStringLiteral("Usunięty"));
    EXEC(t, "UPDATE users SET iId = 0 WHERE iId = 9");
    Repair fresh(nullptr, t.db());
    QCOMPARE(fresh.getUserById(0), QStringLiteral("Zerowy"));
}

void TestRecords::clientModel()
{
    TestDatabase t;
    REQUIRE_DB(t);
    EXEC(t, clientSql(1, "Kowalski"));
    Client model(nullptr, t.db());
    QStringList values;
    for (int i = 0; i < 14; ++i)
        values << QStringLiteral("v%1").arg(i);
    values[1] = Tricky;
    const int id = Client::dbInsert(t.db(), values);
    QVERIFY(id > 1);
    QVERIFY(selectWhere(model, QStringLiteral("clients.iId=%1").arg(id)));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(text(model, 0, "sSName"), Tricky);
    QCOMPARE(model.record(0).value(QStringLiteral("sEMail")).toString(), QStringLiteral("v9"));
    // Every role of every column is the stored value.
    for (int c = 0; c < model.columnCount(); ++c) {
        const QModelIndex index = model.index(0, c);
        QCOMPARE(model.data(index), model.QSqlRelationalTableModel::data(index));
        QCOMPARE(model.data(index, Qt::EditRole), model.QSqlRelationalTableModel::data(index, Qt::EditRole));
    }
    VERIFY_NONE(rowColourMismatch(model, id));

    // A save of two rows refused at the second (deleted elsewhere) keeps the
    // first written; tried again, only the second is refused, as deleted.
    model.setEditStrategy(QSqlTableModel::OnManualSubmit);
    QVERIFY(selectWhere(model, QStringLiteral("clients.iId IN (1, %1)").arg(id)));
    const int surname = model.fieldIndex("sSName");
    QVERIFY(model.setData(model.index(0, surname), QStringLiteral("Kowalska")));
    QVERIFY(model.setData(model.index(1, surname), QStringLiteral("Nowakowa")));
    EXEC(t, QStringLiteral("DELETE FROM clients WHERE iId = %1").arg(id));
    for (int attempt = 0; attempt < 2; ++attempt) {
        QVERIFY(!model.submitAll());
        QCOMPARE(model.refusal(), RecordModel::Refusal::Deleted);
    }
    QCOMPARE(t.scalar("SELECT sSName FROM clients WHERE iId = 1"), QStringLiteral("Kowalska"));

    // Stored, though the rows cannot be read again: the filter overflows an
    // integer once the surname is written.
    QVERIFY(selectWhere(model, QStringLiteral("clients.iId = 1 AND ABS(CASE WHEN clients.sSName = 'Lis' "
                                              "THEN -clients.iId - 9223372036854775807 ELSE 0 END) >= 0")));
    QSignalSpy readFailed(&model, &RecordModel::readFailed);
    QVERIFY(model.setData(model.index(0, surname), QStringLiteral("Lis")));
    QVERIFY(model.submitAll());
    QCOMPARE(readFailed.count(), 1);
    QCOMPARE(t.scalar("SELECT sSName FROM clients WHERE iId = 1"), QStringLiteral("Lis"));

    // Read NULL (MariaDB keeps '' instead) and made '' elsewhere: empty to
    // the forms either way, so no change made there.
    EXEC(t, QStringLiteral("UPDATE clients SET sSName = %1 WHERE iId = 1").arg(TestDatabase::isMySql() ? "''" : "NULL"));
    QVERIFY(selectWhere(model, QStringLiteral("clients.iId = 1")));
    EXEC(t, "UPDATE clients SET sSName = '' WHERE iId = 1");
    QVERIFY(model.setData(model.index(0, surname), QStringLiteral("Wrona")));
    QVERIFY(model.submitAll());
    QCOMPARE(t.scalar("SELECT sSName FROM clients WHERE iId = 1"), QStringLiteral("Wrona"));
}

void TestRecords::hardwareColumnsFollowFieldLabels()
{
    TestDatabase t;
    REQUIRE_DB(t);
    EXEC(t, {"UPDATE fieldsconf SET sValue = sName", "UPDATE fieldsconf SET sValue = '' WHERE sName = 'sField3'"});
    {
        Hardware model(nullptr, t.db());
        QCOMPARE(model.columnCount(), 22);
        QCOMPARE(model.fieldIndex("sField3"), -1);
        QCOMPARE(model.fieldIndex("sField2"), 7);
        QCOMPARE(model.fieldIndex("sField4"), 8);
        QCOMPARE(model.fieldIndex("iOwner"), 21);
        QCOMPARE(model.headerData(8, Qt::Horizontal).toString(), QStringLiteral("sField4"));
        EXEC(t, {hardwareSql(1, "Laptop", 0, 1, 0, 0, 1), clientSql(1, "Kowalski")});
        QVERIFY(model.select());
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.columnCount(), 22);
        QCOMPARE(text(model, 0, "sField4"), QStringLiteral("f4"));
        QCOMPARE(cell(model, 0, 21), QStringLiteral("Kowalski"));
    }

    EXEC(t, "UPDATE fieldsconf SET sValue = ''");
    Hardware bare(nullptr, t.db());
    QStringList names;
    for (int c = 0; c < bare.columnCount(); ++c)
        names << bare.record().fieldName(c);
    QCOMPARE(names, QStringList({"iId", "sHName", "iHType", "iStoreStatus", "iReceivedDate", "sStoreComment",
                                 "iOwner"}));
}

void TestRecords::hardwareDisplayTextsAndColours()
{
    TestDatabase t;
    REQUIRE_DB(t);
    EXEC(t, {clientSql(1, "Kowalski"),
             "INSERT INTO hwstatusesconf (iId, iStatusId, iGroup, sDescription, sColor, iOrder) "
             "VALUES (8, 7, 2, 'Czarny', '#000000', 4)",
             hardwareSql(1, "Laptop Dell", 0, 1, 0, 0, 1), hardwareSql(2, "Coś", 99, 42, March5, NewYear, 1),
             hardwareSql(3, "Radio", 16, 7, June15, June15, 1), hardwareSql(4, "Bez właściciela", 0, 1, 0, 0, 99)});
    Hardware model(nullptr, t.db());
    QVERIFY(selectWhere(model, "hardware.iId>0"));
    QCOMPARE(model.rowCount(), 3); // the record without an owner is not listed
    QCOMPARE(rowOf(model, 4), -1);
    const QList<int> typesBefore = HardwareTypesConfig::Types.keys();
    const QList<int> statusesBefore = HardwareStatusesConfig::Statuses.keys();
    const int owner = model.columnCount() - 1;

    VERIFY_NONE(textsMismatch(model, 1, {
        {"iHType", "Laptop"},
        {"iStoreStatus", "[W serwisie] W serwisie"},
        {"iReceivedDate", "Niewydany"},
        {"iFieldDate", "01/01/1970"},
        {"sField1", "f1"},
    }));
    QCOMPARE(cell(model, rowOf(model, 1), owner), QStringLiteral("Kowalski"));
    VERIFY_NONE(rowColourMismatch(model, 1, "#95ff89"));

    VERIFY_NONE(textsMismatch(model, 2, {
        {"iHType", "Nieznany typ !"},
        {"iStoreStatus", "Nieznany status !"},
        {"iReceivedDate", "05/03/2024"},
        {"iFieldDate", "01/01/2024"},
    }));
    VERIFY_NONE(rowColourMismatch(model, 2, "#ffffff"));

    VERIFY_NONE(textsMismatch(model, 3, {{"iHType", "CB Radio"}, {"iStoreStatus", "[Poza serwisem] Czarny"}}));
    VERIFY_NONE(rowColourMismatch(model, 3, "#ffffff"));

    // Stored values in the edit role; the owner column holds the surname.
    VERIFY_NONE(textsMismatch(model, 2, {
        {"iHType", "99"},
        {"iStoreStatus", "42"},
        {"iReceivedDate", QString::number(March5)},
        {"iFieldDate", QString::number(NewYear)},
    }, Qt::EditRole));
    QCOMPARE(cell(model, rowOf(model, 2), owner, Qt::EditRole), QStringLiteral("Kowalski"));

    QCOMPARE(HardwareTypesConfig::Types.keys(), typesBefore);
    QCOMPARE(HardwareStatusesConfig::Statuses.keys(), statusesBefore);
    QVERIFY(!HardwareTypesConfig::Types.contains(99));
    QVERIFY(!HardwareStatusesConfig::Statuses.contains(42));
}

void TestRecords::hardwareReaders()
{
    TestDatabase t;
    REQUIRE_DB(t);
    EXEC(t, {clientSql(3, "Kowalski"), hardwareSql(1, "Laptop", 0, 1, 0, 0, 3)});
    Hardware model(nullptr, t.db());
    QVERIFY(selectWhere(model, "hardware.iId=1"));
    QCOMPARE(model.getOwnerId(0), 3);
    QCOMPARE(model.getOwnerId(1), -1);
    QCOMPARE(model.getOwnerId(-1), -1);
    EXEC(t, "DELETE FROM hardware WHERE iId = 1");
    QCOMPARE(model.getOwnerId(0), -1);
}

void TestRecords::templateColumnsAndSetupFields()
{
    TestDatabase t;
    REQUIRE_DB(t);
    EXEC(t, templateSql(1, "Szablon", 11, March5));
    Template model(nullptr, t.db());

    // The templates page keeps its list view while the labels change.
    QTableView view;
    view.setModel(&model);
    EXEC(t, "UPDATE fieldsconf SET sValue = '' WHERE sName = 'sFieldLong'");
    model.setupFields();
    QCOMPARE(model.fieldIndex("sFieldLong"), -1);
    QCOMPARE(model.columnCount(), 8);
    QCOMPARE(view.horizontalHeader()->count(), 8);
    QVERIFY(model.select());
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.columnCount(), 8);

    EXEC(t, {"UPDATE fieldsconf SET sValue = 'Notatki' WHERE sName = 'sFieldLong'",
             "UPDATE fieldsconf SET sValue = 'Kolor' WHERE sName = 'sField5'"});
    model.setupFields();
    QCOMPARE(model.rowCount(), 0); // dropped until selected again
    QCOMPARE(headers(model), QStringList({"ID", "Nazwa", "Typ sprzętu", "Producent", "Model", "Numer seryjny",
                                          "Wyposażenie", "Kolor", "Data zakupu", "Notatki"}));
    QCOMPARE(model.fieldIndex("sFieldLong"), 9);
    QCOMPARE(view.horizontalHeader()->count(), 10);
    QVERIFY(model.select());
    VERIFY_NONE(textsMismatch(model, 1, {{"sField5", "t5"}, {"sFieldLong", ""}}));
}

void TestRecords::templateDisplayTexts()
{
    TestDatabase t;
    REQUIRE_DB(t);
    EXEC(t, {templateSql(1, "Szablon", 11, March5), templateSql(2, "Inny", 99, 0)});
    Template model(nullptr, t.db());
    QVERIFY(selectWhere(model, "templates.iId>0"));
    QCOMPARE(model.rowCount(), 2);
    const QList<int> typesBefore = HardwareTypesConfig::Types.keys();

    // Short day and month names of the system locale; the date is local.
    const QLocale locale = QLocale::system();
    const auto day = [&locale](int weekday, int month, const char *rest) {
        return locale.dayName(weekday, QLocale::ShortFormat) + ' ' + locale.monthName(month, QLocale::ShortFormat)
            + QLatin1String(rest);
    };
    VERIFY_NONE(textsMismatch(model, 1, {{"sHName", "Szablon"}, {"iHType", "Telefon"}, {"iFieldDate", day(2, 3, " 5 2024")}}));
    VERIFY_NONE(textsMismatch(model, 2, {{"iHType", "Nieznany typ !"}, {"iFieldDate", day(4, 1, " 1 1970")}}));
    QVERIFY(!text(model, rowOf(model, 1), "iFieldDate").contains('/'));
    QCOMPARE(HardwareTypesConfig::Types.keys(), typesBefore);

    VERIFY_NONE(textsMismatch(model, 1, {{"iHType", "11"}, {"iFieldDate", QString::number(March5)}}, Qt::EditRole));
    VERIFY_NONE(rowColourMismatch(model, 1));
}

void TestRecords::billDisplayTextsAndColours()
{
    TestDatabase t;
    REQUIRE_DB(t);
    EXEC(t, {billSql(1, -1, -1, 0, 0, 1), billSql(2, 12, 7, 1, NewYear, 1), billSql(3, 12, -1, 2, June15, 1),
             billSql(4, 12, 7, 3, June15, 1), billSql(5, 12, 7, 1, June15, 99)});
    Bill model(nullptr, t.db());
    QVERIFY(selectWhere(model, "billing.iId>0"));
    QCOMPARE(model.rowCount(), 4); // the bill of a user that does not exist is not listed
    QCOMPARE(rowOf(model, 5), -1);
    QCOMPARE(model.fieldIndex("sUser"), 13);

    const int unsettled = 1, settled = 2, older = 3, broken = 4;
    VERIFY_NONE(textsMismatch(model, unsettled, {
        {"iAddDate", "05/03/2024"},
        {"iRepairId", "n/d"},
        {"iHardwareId", "n/d"},
        {"iStatus", "Nierozliczony"},
        {"iDate", "Nierozliczony"},
        {"sUser", "Nierozliczony"},
        {"sPriceGross", "123"},
    }));
    VERIFY_NONE(rowColourMismatch(model, unsettled, "#fff59f"));

    VERIFY_NONE(textsMismatch(model, settled, {
        {"iRepairId", "12"},
        {"iHardwareId", "7"},
        {"iStatus", "Rozliczony"},
        {"iDate", "01/01/2024"},
        {"sUser", "Administrator"},
    }));
    VERIFY_NONE(rowColourMismatch(model, settled, "#afff9f"));

    VERIFY_NONE(textsMismatch(model, older, {{"iStatus", "Rozliczony"}, {"sUser", "Administrator"}, {"iHardwareId", "n/d"}}));
    VERIFY_NONE(rowColourMismatch(model, older));

    VERIFY_NONE(textsMismatch(model, broken, {{"iStatus", "Błąd statusu !"}}));
    VERIFY_NONE(rowColourMismatch(model, broken));

    VERIFY_NONE(textsMismatch(model, unsettled, {{"iRepairId", "-1"}, {"iDate", "0"}}, Qt::EditRole));
    VERIFY_NONE(textsMismatch(model, settled, {{"iStatus", "1"}}, Qt::EditRole));
    QCOMPARE(model.record(0).value(QStringLiteral("iClientId")).toInt(), 1);
}

void TestRecords::billUpdateUser()
{
    TestDatabase t;
    REQUIRE_DB(t);
    EXEC(t, {billSql(1, -1, -1, 0, 0, 1), billSql(2, -1, -1, 0, 0, 1)});
    Bill::updateUser(t.db(), 1, 4);
    QCOMPARE(t.scalar("SELECT iUser FROM billing WHERE iId = 1").toInt(), 4);
    QCOMPARE(t.scalar("SELECT iUser FROM billing WHERE iId = 2").toInt(), 1);
}

WARSZTAT_TEST_MAIN(TestRecords)
#include "tst_records.moc"
