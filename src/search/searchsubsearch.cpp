#include "search/searchwidget.h"

#include "records/recordmodel.h"

// Sub-search: the rows that the filter of another register finds become the
// filter of the page's own model, as one condition
// "column IN (SELECT value FROM <the other register> WHERE <its filter>)",
// so the database reads the other register once and the shown list is paged
// like any other. Where the page's statement already joins the row searched
// (the client of a repair or of a device), its filter is put on that joined
// row instead: the list is then read in its own order and stops after a
// page, instead of first collecting every id the other register holds.

namespace {

// How the rows of one register narrow another.
struct SubSearchRule
{
    SearchWidget::SearchVariant variant;    // the page's own register
    SearchWidget::SearchVariant subVariant; // the register searched
    const char *column;                     // the linking column of variant
    const char *value;                      // the stored value of a row of subVariant
    bool skipEmpty; // rows whose value is empty add no condition
    // The relation column of variant that joins the searched client row
    // itself; null where the page does not join it.
    const char *joined = nullptr;
};

const SubSearchRule Rules[] = {
    {SearchWidget::RepairsVariant, SearchWidget::ClientsVariant, "repairs.iClientId", "clients.iId", false, "iClientId"},
    {SearchWidget::RepairsVariant, SearchWidget::HardwareVariant, "repairs.iHardwareId", "hardware.iId", false},
    {SearchWidget::RepairsVariant, SearchWidget::BillsVariant, "repairs.iId", "billing.iRepairId", true},
    {SearchWidget::ClientsVariant, SearchWidget::RepairsVariant, "clients.iId", "repairs.iClientId", false},
    {SearchWidget::ClientsVariant, SearchWidget::HardwareVariant, "clients.iId", "hardware.iOwner", false},
    {SearchWidget::ClientsVariant, SearchWidget::BillsVariant, "clients.iId", "billing.iClientId", true},
    {SearchWidget::HardwareVariant, SearchWidget::RepairsVariant, "hardware.iId", "repairs.iHardwareId", false},
    {SearchWidget::HardwareVariant, SearchWidget::ClientsVariant, "hardware.iOwner", "clients.iId", false, "iOwner"},
    {SearchWidget::HardwareVariant, SearchWidget::BillsVariant, "hardware.iId", "billing.iHardwareId", true},
    {SearchWidget::BillsVariant, SearchWidget::RepairsVariant, "billing.iRepairId", "repairs.iId", false},
    {SearchWidget::BillsVariant, SearchWidget::ClientsVariant, "billing.iClientId", "clients.iId", false},
    {SearchWidget::BillsVariant, SearchWidget::HardwareVariant, "billing.iHardwareId", "hardware.iId", false},
};

} // namespace

QString SearchWidget::subSearchFilter() const
{
    auto *source = qobject_cast<RecordModel *>(subModel);
    if (!source)
        return QStringLiteral("0");
    for (const SubSearchRule &rule : Rules) {
        if (rule.variant != variant || rule.subVariant != subVariant)
            continue;
        // Clients have no joins of their own: the filter holds on the
        // joined row exactly when the client is among the rows found.
        auto *own = qobject_cast<RecordModel *>(model);
        const QString alias = rule.joined && own ? own->joinedAlias(QLatin1String(rule.joined)) : QString();
        if (!alias.isEmpty())
            return clientFilter(alias);
        const QString value = QLatin1String(rule.value);
        QString values = source->valuesStatement(value);
        // An empty link (no value, or an empty text in an old database)
        // names no record.
        if (rule.skipEmpty)
            values += (source->filter().isEmpty() ? QLatin1String(" WHERE ") : QLatin1String(" AND "))
                      + value + QLatin1String(" IS NOT NULL AND CAST(") + value
                      + QLatin1String(" AS CHAR) <> ''");
        return QLatin1String(rule.column) + QLatin1String(" IN (") + values + QLatin1Char(')');
    }
    return QStringLiteral("0");
}

void SearchWidget::selectSearchModelFromSubSearchModel()
{
    model->setFilter(subSearchFilter());
    model->select();
}
