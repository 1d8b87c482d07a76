#include "search/searchwidget.h"

#include "db/dbwidget.h"
#include "dictionaries/repairstatusesconfig.h"
#include "records/recordmodel.h"
#include "search/searchfilterbuilder.h"

#include <QSqlRelationalTableModel>

// Filter builders of the filter pages. Each reads its own page afresh and sets
// the condition text as the filter of the given model (search() selects it,
// or, in a sub-search, takes the filter into the shown model's one); typed
// text goes into the statement only through SearchFilterBuilder, which makes
// it safe for its literal.

namespace {

void applyFilter(QSqlRelationalTableModel *model, const SearchFilterBuilder &filter)
{
    model->setFilter(filter.text());
}

// The part of the hardware page that hardware and templates share: the name,
// the fourteen generic fields, the type box and the date box, on the columns
// of the given table.
void addHardwareConditions(SearchFilterBuilder &filter, const Ui::searchWidget &form,
                           const QString &table)
{
    const QLineEdit *const fields[] = {
        form.sField1, form.sField2, form.sField3, form.sField4, form.sField5,
        form.sField6, form.sField7, form.sField8, form.sField9, form.sField10,
        form.sField11, form.sField12, form.sField13, form.sField14};

    filter.addLike(table + QLatin1String(".sHName LIKE '%"), form.sHName->text());
    for (int i = 0; i < 14; ++i)
        filter.addLike(table + QLatin1String(".sField") + QString::number(i + 1)
                           + QLatin1String(" LIKE '%"),
                       fields[i]->text());
    if (form.iHTypeBox->isChecked())
        filter.addValue(table + QLatin1String(".iHType = "), form.iHType->currentData());
    if (form.iFieldDateBox->isChecked()) {
        // Date fields hold the start of the chosen day, so both bounds are
        // day starts and both days are included.
        filter.addRange(table + QLatin1String(".iFieldDate >= "),
                        SearchFilterBuilder::dayStart(form.fromDate->date()),
                        table + QLatin1String(".iFieldDate <= "),
                        SearchFilterBuilder::dayStart(form.toDate->date()));
    }
}

} // namespace

void SearchWidget::repairSearch(QSqlRelationalTableModel *model)
{
    // Status groups: any status of the checked groups. A checked group
    // without a configured status matches nothing rather than everything.
    QList<int> groups;
    if (repairStatusOpen->isChecked())
        groups << 1;
    if (repairStatusWaiting->isChecked())
        groups << 2;
    if (repairStatusClosed->isChecked())
        groups << 3;
    statusGroupsUnread = !groups.isEmpty() && repairStatusesError.isValid();
    QList<int> statusIds;
    for (auto group = RepairStatusesConfig::SortedStatuses.cbegin();
         group != RepairStatusesConfig::SortedStatuses.cend(); ++group) {
        if (!groups.contains(group.key()))
            continue;
        for (const RepairStatusesConfig::RepairStatus &status : group.value())
            statusIds << status.statusId;
    }
    // A status that shares its group and place with another one is left
    // out of the sorted map, yet its repairs belong to the group too.
    for (const RepairStatusesConfig::RepairStatus &status : RepairStatusesConfig::Statuses) {
        if (groups.contains(status.group) && !statusIds.contains(status.statusId))
            statusIds << status.statusId;
    }

    // From the start of the from-day up to, not including, the start of the
    // day after the to-day, on the columns of a row name.
    const auto addEndDate = [&](SearchFilterBuilder &filter, const QString &row) {
        if (endDateBox->isChecked())
            filter.addRange(row + QLatin1String(".iEndDate >="), SearchFilterBuilder::dayStart(fromEndDate->date()),
                            row + QLatin1String(".iEndDate <"), SearchFilterBuilder::dayEnd(toEndDate->date()));
    };
    // The intake dates and the status groups, on the columns of a row name;
    // the status as written. The end dates go with them where the repairs
    // are chosen by their ids, so that the (iStatus, iEndDate) index finds
    // the repairs of a group past or near their term.
    const auto addIndexed = [&](SearchFilterBuilder &filter, const QString &row, const QString &status) {
        if (addDateBox->isChecked())
            filter.addRange(row + QLatin1String(".iAddDate >="), SearchFilterBuilder::dayStart(fromAddDate->date()),
                            row + QLatin1String(".iAddDate < "), SearchFilterBuilder::dayEnd(toAddDate->date()));
        if (row != QLatin1String("repairs"))
            addEndDate(filter, row);
        if (!groups.isEmpty())
            filter.add(SearchFilterBuilder::anyOf(status, statusIds));
    };
    enum Form { ByKey, OnRows, BesideSort };
    const auto build = [&](Form form) {
        const bool byIds = form == ByKey && (addDateBox->isChecked() || !groups.isEmpty());
        SearchFilterBuilder filter(db->dbType);
        filter.addId(QStringLiteral("repairs.iId="), repairId->text(), true);
        if (!byIds)
            addEndDate(filter, QStringLiteral("repairs"));
        if (repairStatus->isChecked())
            filter.addValue(QStringLiteral("repairs.iStatus="), iStatus->currentData());
        if (repairType->isChecked())
            filter.addValue(QStringLiteral("repairs.iType="), iType->currentData());
        if (repairTechnican->isChecked())
            filter.addValue(QStringLiteral("repairs.iTechnicanId="), iTechnicanId->currentData());
        filter.addId(QStringLiteral("repairs.iClientId = "), repairClientId->text());
        filter.addId(QStringLiteral("repairs.iHardwareId = "), repairHardwareId->text());
        filter.addLike(QStringLiteral("repairs.sOuterNo LIKE '%"), sOuterNo->text());
        if (form != ByKey) {
            // Beside a sort by another column of the register, both engines
            // would read the group through the status index and sort all of
            // it; as an expression the status leaves them the index of the
            // sort column.
            addIndexed(filter, QStringLiteral("repairs"),
                       form == BesideSort ? QStringLiteral("(repairs.iStatus + 0)") : QStringLiteral("repairs.iStatus"));
        } else if (byIds) {
            // The groups alone: a page of the repairs of each status, each
            // from the status index in the order of the ids.
            auto *paged = qobject_cast<RecordModel *>(model);
            if (paged && filter.text() == QLatin1String("1") && !addDateBox->isChecked() && !endDateBox->isChecked()
                && !statusIds.isEmpty())
                return paged->keyedFilter(QStringLiteral("iStatus"), statusIds);
            SearchFilterBuilder indexed(db->dbType);
            addIndexed(indexed, QStringLiteral("listed"), QStringLiteral("listed.iStatus"));
            filter.add(QStringLiteral("repairs.iId IN (SELECT listed.iId FROM repairs listed WHERE %1)")
                           .arg(indexed.text()));
        }
        return filter.text();
    };
    // Listed by id (as unsorted), the repairs of the dates and groups are
    // chosen by their ids from an index alone ((iStatus, iAddDate),
    // (iStatus, iEndDate) or iAddDate): the list walks those ids in its order and reads one page of
    // rows, where conditions on the rows would read and join every repair
    // they match before the first row. Sorted by another column of the
    // register, the list walks that column's index and keeps the rows that
    // match; sorted by a related name, the rows a filter keeps are read by
    // its index. A header click picks the form anew (sortChanging()).
    repairFilters = {build(ByKey), build(OnRows), build(BesideSort)};
    model->setFilter(model == this->model ? repairFilterFor(sortSection()) : repairFilters.byKey);
}

void SearchWidget::clientSearch(QSqlRelationalTableModel *model)
{
    model->setFilter(clientFilter(QStringLiteral("clients")));
}

QString SearchWidget::clientFilter(const QString &table) const
{
    SearchFilterBuilder filter(db->dbType);

    filter.addId(table + QLatin1String(".iId="), clientId->text());
    const QPair<const char *, QLineEdit *> texts[] = {
        {"sSName", sSName},   {"sFName", sFName},   {"sCompany", sCompany},
        {"sNIP", sNIP},       {"sStreet", sStreet}, {"sAddrBuild", sAddrBuild},
        {"sAddrLoc", sAddrLoc}, {"sCity", sCity},   {"sPostal", sPostal},
        {"sEmail", sEmail},   {"sEmail2", sEmail2}, {"sPhone", sPhone},
        {"sPhone2", sPhone2}};
    for (const auto &input : texts)
        filter.addLike(table + QLatin1Char('.') + QLatin1String(input.first)
                           + QLatin1String(" LIKE '%"),
                       input.second->text());
    return filter.text();
}

void SearchWidget::hardwareSearch(QSqlRelationalTableModel *model)
{
    SearchFilterBuilder filter(db->dbType);
    const QString table = QStringLiteral("hardware");

    filter.addId(QStringLiteral("hardware.iId="), hardwareId->text());
    addHardwareConditions(filter, *this, table);
    if (iStoreStatusBox->isChecked())
        filter.addValue(QStringLiteral("hardware.iStoreStatus="), iStoreStatus->currentData());
    filter.addId(QStringLiteral("hardware.iOwner = "), iOwner->text());

    applyFilter(model, filter);
}

void SearchWidget::billSearch(QSqlRelationalTableModel *model)
{
    SearchFilterBuilder filter(db->dbType);

    filter.addId(QStringLiteral("billing.iClientId="), billClientId->text());
    filter.addId(QStringLiteral("billing.iHardwareId="), billHardwareId->text());
    filter.addId(QStringLiteral("billing.iRepairId="), billRepairId->text(), true);
    // Both bounds inclusive: a bill stamped at the midnight after the to-day
    // is listed as well.
    if (billDateBox->isChecked())
        filter.addRange(QStringLiteral("billing.iDate >= "),
                        SearchFilterBuilder::dayStart(billFromDate->date()),
                        QStringLiteral("billing.iDate <= "),
                        SearchFilterBuilder::dayEnd(billToDate->date()));
    if (billStatusBox->isChecked())
        filter.addValue(QStringLiteral("billing.iStatus="), billStatus->currentData());

    applyFilter(model, filter);
}

void SearchWidget::templateSearch(QSqlRelationalTableModel *model)
{
    SearchFilterBuilder filter(db->dbType);
    addHardwareConditions(filter, *this, QStringLiteral("templates"));
    applyFilter(model, filter);
}
