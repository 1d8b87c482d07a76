#include "search/searchwidget.h"

#include "search/searchfilterbuilder.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>

// Sub-search: the rows that the filter of another register found in subModel
// become the filter of the page's own model.

namespace {

// How the rows of one register narrow another.
struct SubSearchRule
{
    SearchWidget::SearchVariant variant;    // the page's own register
    SearchWidget::SearchVariant subVariant; // the register searched
    const char *column;                     // the linking column of variant
    const char *field;                      // the value read from a subModel row
    // When set, the value is not in the row itself (the model shows a name in
    // its place): it is the stored column lookupColumn of the row's record in
    // lookupTable, -1 when that record is gone.
    const char *lookupTable;
    const char *lookupColumn;
    bool skipEmpty; // rows whose value is empty add no condition
};

const SubSearchRule Rules[] = {
    {SearchWidget::RepairsVariant, SearchWidget::ClientsVariant, "repairs.iClientId", "iId", nullptr, nullptr, false},
    {SearchWidget::RepairsVariant, SearchWidget::HardwareVariant, "repairs.iHardwareId", "iId", nullptr, nullptr, false},
    {SearchWidget::RepairsVariant, SearchWidget::BillsVariant, "repairs.iId", "iRepairId", nullptr, nullptr, true},
    {SearchWidget::ClientsVariant, SearchWidget::RepairsVariant, "clients.iId", "iId", "repairs", "iClientId", false},
    {SearchWidget::ClientsVariant, SearchWidget::HardwareVariant, "clients.iId", "iId", "hardware", "iOwner", false},
    {SearchWidget::ClientsVariant, SearchWidget::BillsVariant, "clients.iId", "iClientId", nullptr, nullptr, true},
    {SearchWidget::HardwareVariant, SearchWidget::RepairsVariant, "hardware.iId", "iId", "repairs", "iHardwareId", false},
    {SearchWidget::HardwareVariant, SearchWidget::ClientsVariant, "hardware.iOwner", "iId", nullptr, nullptr, false},
    {SearchWidget::HardwareVariant, SearchWidget::BillsVariant, "hardware.iId", "iHardwareId", nullptr, nullptr, true},
    {SearchWidget::BillsVariant, SearchWidget::RepairsVariant, "billing.iRepairId", "iId", nullptr, nullptr, false},
    {SearchWidget::BillsVariant, SearchWidget::ClientsVariant, "billing.iClientId", "iId", nullptr, nullptr, false},
    {SearchWidget::BillsVariant, SearchWidget::HardwareVariant, "billing.iHardwareId", "iId", nullptr, nullptr, false},
};

// Ids per lookup statement.
constexpr int LookupChunk = 500;

// A stored number as it stands in a condition; a value that is no number
// names no record.
QString numberText(const QVariant &value)
{
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    return ok || value.isNull() ? QString::number(number) : QStringLiteral("-1");
}

// The values of every row of the sub-search, in the model's row order. The
// rows are read with the model's own statement on a forward-only query, so a
// long result is read whole, not only the part the model has fetched.
QStringList subSearchValues(QSqlRelationalTableModel *subModel, const SubSearchRule &rule)
{
    QStringList values;
    const QSqlQuery shown = subModel->query();
    if (!shown.isActive())
        return values;

    QSqlQuery rows(subModel->database());
    rows.setForwardOnly(true);
    if (!rows.exec(shown.lastQuery()))
        return values;
    const int field = rows.record().indexOf(QLatin1String(rule.field));
    if (field < 0)
        return values;
    while (rows.next()) {
        const QVariant value = rows.value(field);
        if (rule.skipEmpty && (rows.isNull(field) || value.toString().isEmpty()))
            continue;
        values << numberText(value);
    }
    if (!rule.lookupTable)
        return values;

    // The stored link of each record, read for many ids at a time.
    const QString table = QLatin1String(rule.lookupTable);
    const QString select = QLatin1String("SELECT ") + table + QLatin1String(".iId, ") + table
                           + QLatin1Char('.') + QLatin1String(rule.lookupColumn)
                           + QLatin1String(" FROM ") + table + QLatin1String(" WHERE ") + table
                           + QLatin1String(".iId IN (");
    QStringList ids = values;
    ids.removeDuplicates();
    QHash<QString, QString> links;
    for (int start = 0; start < ids.size(); start += LookupChunk) {
        QSqlQuery lookup(subModel->database());
        lookup.setForwardOnly(true);
        if (!lookup.exec(select + ids.mid(start, LookupChunk).join(QLatin1Char(',')) + QLatin1Char(')')))
            continue;
        while (lookup.next())
            links.insert(numberText(lookup.value(0)), numberText(lookup.value(1)));
    }
    for (QString &value : values)
        value = links.value(value, QStringLiteral("-1"));
    return values;
}

} // namespace

void SearchWidget::selectSearchModelFromSubSearchModel()
{
    QString filter = QStringLiteral("0");
    for (const SubSearchRule &rule : Rules) {
        if (rule.variant == variant && rule.subVariant == subVariant) {
            if (subModel)
                filter = SearchFilterBuilder::anyEqual(QLatin1String(rule.column),
                                                       subSearchValues(subModel, rule));
            break;
        }
    }
    model->setFilter(filter);
    model->select();
}
