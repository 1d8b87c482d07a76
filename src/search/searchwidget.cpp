#include "search/searchwidget.h"

#include <QDate>
#include <QKeyEvent>
#include <QPointer>
#include <QSqlQuery>
#include <QSqlRelationalTableModel>
#include <QTimer>

#include <functional>

#include "db/dbwidget.h"
#include "dictionaries/fieldsconfig.h"
#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "dictionaries/repairstatusesconfig.h"
#include "dictionaries/technicians.h"
#include "formin.h"
#include "messagebox.h"
#include "plaintext.h"
#include "records/bill.h"
#include "records/client.h"
#include "records/hardware.h"
#include "records/recordmodel.h"
#include "records/repair.h"
#include "records/template.h"
#include "search/barcodedialog.h"
#include "search/searchheaderview.h"
#include "settings.h"
#include "userwidget.h"

namespace {

// Titles of the variants, in SearchVariant order.
const char *const Titles[] = {QT_TRANSLATE_NOOP("SearchWidget", "Naprawy"),
                              QT_TRANSLATE_NOOP("SearchWidget", "Klienci"),
                              QT_TRANSLATE_NOOP("SearchWidget", "Sprzęt"),
                              QT_TRANSLATE_NOOP("SearchWidget", "Rozliczenia"),
                              QT_TRANSLATE_NOOP("SearchWidget", "Szablon")};

// The filter page that shows the filters of a register.
QWidget *filterPageOf(SearchWidget *page, SearchWidget::SearchVariant kind)
{
    switch (kind) {
    case SearchWidget::RepairsVariant:
        return page->repairSearchPage;
    case SearchWidget::ClientsVariant:
        return page->clientSearchPage;
    case SearchWidget::BillsVariant:
        return page->billSearchPage;
    case SearchWidget::HardwareVariant:
    case SearchWidget::TemplatesVariant:
        break;
    }
    return page->hardwareSearchPage;
}

// The sub-search tool of a register; templates have none.
QToolButton *toolOf(SearchWidget *page, SearchWidget::SearchVariant kind)
{
    switch (kind) {
    case SearchWidget::RepairsVariant:
        return page->repairsTool;
    case SearchWidget::ClientsVariant:
        return page->clientsTool;
    case SearchWidget::HardwareVariant:
        return page->hardwareTool;
    case SearchWidget::BillsVariant:
        return page->billingTool;
    case SearchWidget::TemplatesVariant:
        break;
    }
    return nullptr;
}

} // namespace

SearchWidget::SearchWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                           SearchWidget::SearchVariant variant, bool subSearch)
    : QWidget(parent), WidgetBase(db, user, settings), variant(variant), model(nullptr),
      subModel(nullptr), refreshTimer(nullptr), selectedId(-1), subVariant(variant),
      subSearchActive(subSearch), withSubSearch(subSearch)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    toolsWidget->setVisible(subSearch);
    if (subSearch) {
        for (QToolButton *tool : {repairsTool, hardwareTool, clientsTool, billingTool})
            connect(tool, &QToolButton::clicked, this, &SearchWidget::changeSubVariant);
    }

    stackedWidget->setCurrentWidget(filterPageOf(this, variant));
    if (variant >= RepairsVariant && variant <= TemplatesVariant)
        searchWidgetTitle->setText(tr(Titles[variant]));
    if (QToolButton *tool = toolOf(this, variant))
        tool->setDown(true);
    if (variant == TemplatesVariant) {
        for (QWidget *w : {static_cast<QWidget *>(hardwareIdLabel), static_cast<QWidget *>(hardwareId),
                           static_cast<QWidget *>(ownerIdLabel), static_cast<QWidget *>(iOwner),
                           static_cast<QWidget *>(iStoreStatusBox), static_cast<QWidget *>(deleteButton)})
            w->hide();
    }
    model = createModel(variant);

    // Nothing is listed until the first search. The header goes in before
    // the model, so that a sorting table does not read the model at once.
    model->setFilter(QStringLiteral("0"));
    auto *header = new SearchHeaderView(searchTable, settings ? settings->native : nullptr, variant);
    header->setMinimumSectionSize(searchTable->horizontalHeader()->minimumSectionSize());
    // Connected before the table's own sorting, so that it runs first.
    connect(header, &QHeaderView::sortIndicatorChanged, this, &SearchWidget::sortChanging);
    searchTable->setHorizontalHeader(header);
    searchTable->setModel(model);
    header->setStretchLastSection(true);
    // A remembered sort order applies from the first search on; the model
    // sorts in SQL.
    const int sortSection = header->sortIndicatorSection();
    if (sortSection >= 0 && sortSection < model->columnCount())
        model->setSort(sortSection, header->sortIndicatorOrder());
    // Rows of one height: the registers are long, rows are never measured.
    searchTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    searchTable->verticalHeader()->setDefaultSectionSize(searchTable->fontMetrics().height() + 8);

    connect(searchButton, &QPushButton::clicked, this, &SearchWidget::search);
    connect(repairStatus, &QGroupBox::toggled, this, &SearchWidget::repairStatusToggled);
    for (QCheckBox *box : {repairStatusOpen, repairStatusWaiting, repairStatusClosed})
        connect(box, &QCheckBox::clicked, this, &SearchWidget::generalRepairStatusClicked);

    const QDate today = QDate::currentDate();
    for (QDateEdit *edit : {fromAddDate, toAddDate, fromEndDate, toEndDate, fromDate, toDate, billToDate})
        edit->setDate(today);
    billFromDate->setDate(today.addDays(-7));

    FormIn::comboboxSetup(iType, Repair::Types);
    FormIn::comboboxSetup(billStatus, Bill::Statuses);
    if (db) {
        // Only the boxes staff can reach, from what this workstation read
        // last: the search that lists the register reads them afresh.
        readDictionaries(reachableBoxes(), false);

        // The hardware filter page also serves sub-searches of the other
        // registers, whose models do not load the field labels.
        FieldsConfig::getFieldsDescription(db);
    } else {
        fillTechnicianBox(db, iTechnicanId);
    }
    FieldsConfig::setupFields(hardwareSearchPage);
    const QString dateLabel = FieldsConfig::Description.value(QStringLiteral("iFieldDate"));
    if (dateLabel.isEmpty())
        iFieldDateBox->hide();
    else
        iFieldDateBox->setTitle(PlainText::buttonText(dateLabel));

    connect(searchTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SearchWidget::idSelect);
    connect(model, &QAbstractItemModel::modelReset, this, &SearchWidget::selectionReset);
    if (auto *records = qobject_cast<RecordModel *>(model))
        connect(records, &RecordModel::readFailed, this, &SearchWidget::listReadFailed);
    connect(selectButton, &QPushButton::clicked, this, &SearchWidget::showSelected);
    connect(searchTable, &QTableView::doubleClicked, this, &SearchWidget::showSelected);
    connect(deleteButton, &QPushButton::clicked, this, &SearchWidget::deleteSelected);
    connect(barcodeButton, &QPushButton::clicked, this, &SearchWidget::showBarcodeDialog);
    connect(stackedWidget, &QStackedWidget::currentChanged, this, &SearchWidget::configureSize);

    refreshTimer = new QTimer(this);
    refreshTimer->setInterval(300000);
    connect(refreshTimer, &QTimer::timeout, this, &SearchWidget::search);
    refreshTimer->start();

    if (!user || user->level > 3)
        deleteButton->hide();

    configureSize();
}

SearchWidget::~SearchWidget()
{
    delete model;
}

QSqlRelationalTableModel *SearchWidget::createModel(SearchVariant kind)
{
    switch (kind) {
    case RepairsVariant:
        return new Repair(searchTable, db);
    case ClientsVariant:
        return new Client(searchTable, db);
    case HardwareVariant:
        return new Hardware(searchTable, db);
    case BillsVariant:
        return new Bill(searchTable, db);
    case TemplatesVariant:
        break;
    }
    return new Template(searchTable, db);
}

int SearchWidget::reachableBoxes() const
{
    return withSubSearch ? RepairStatusBox | TechnicianBox | HardwareTypeBox | StoreStatusBox : boxesOf(variant);
}

int SearchWidget::boxesOf(SearchVariant kind)
{
    switch (kind) {
    case RepairsVariant:
        return RepairStatusBox | TechnicianBox;
    case HardwareVariant:
        return HardwareTypeBox | StoreStatusBox;
    case TemplatesVariant:
        return HardwareTypeBox;
    case ClientsVariant:
    case BillsVariant:
        break;
    }
    return 0;
}

void SearchWidget::readDictionaries(int dictionaries, bool afresh)
{
    if (!db)
        return;
    if (dictionaries & RepairStatusBox)
        repairStatusesError = RepairStatusesConfig::getStatuses(db, afresh);
    if (dictionaries & HardwareTypeBox)
        HardwareTypesConfig::getTypes(db, afresh);
    if (dictionaries & StoreStatusBox)
        HardwareStatusesConfig::getStatuses(db, afresh);
    if (dictionaries & TechnicianBox)
        userNames(db, false, afresh);
    refillBoxes(dictionaries & reachableBoxes());
}

void SearchWidget::refillBoxes(int boxes)
{
    const auto refill = [&](DictionaryBox flag, QComboBox *box, bool empty,
                            const std::function<void(QComboBox *)> &fill) {
        if (!(boxes & flag) || empty)
            return;
        const bool chosen = box->currentIndex() >= 0;
        const QVariant id = box->currentData();
        box->clear();
        fill(box);
        // The first fill starts on the first entry.
        if (filledBoxes & flag)
            box->setCurrentIndex(chosen ? box->findData(id) : -1);
        filledBoxes |= flag;
    };
    refill(RepairStatusBox, iStatus, RepairStatusesConfig::SortedStatuses.isEmpty(), &RepairStatusesConfig::fillComboBox);
    refill(HardwareTypeBox, iHType, HardwareTypesConfig::Order.isEmpty(), &HardwareTypesConfig::fillComboBox);
    refill(StoreStatusBox, iStoreStatus, HardwareStatusesConfig::SortedStatuses.isEmpty(),
           &HardwareStatusesConfig::fillComboBox);
    refill(TechnicianBox, iTechnicanId, false, [this](QComboBox *box) { fillTechnicianBox(db, box, false); });
}

void SearchWidget::search()
{
    // What the list names and the status groups it filters by, as another
    // workstation may have changed them since this page was built.
    readDictionaries(boxesOf(variant) | (subVariant == RepairsVariant ? RepairStatusBox : 0));
    const bool mapBack = subSearchActive && subModel;
    QSqlRelationalTableModel *target = mapBack ? subModel : model;
    statusGroupsUnread = false;
    switch (subVariant) {
    case RepairsVariant:
        repairSearch(target);
        break;
    case ClientsVariant:
        clientSearch(target);
        break;
    case HardwareVariant:
        hardwareSearch(target);
        break;
    case BillsVariant:
        billSearch(target);
        break;
    case TemplatesVariant:
        templateSearch(target);
        break;
    }
    if (mapBack)
        selectSearchModelFromSubSearchModel();
    else
        model->select();
    // No status of the groups asked for is known: the empty list is no
    // answer, nor one chosen by the other register's rows.
    if (auto *records = qobject_cast<RecordModel *>(model); records && statusGroupsUnread)
        records->failRead(repairStatusesError);
    // The rows were read anew: whatever was selected is gone.
    selectionReset();
}

void SearchWidget::listReadFailed()
{
    // The notice on screen says it already (the refresh may run while it is open).
    if (readErrorShown)
        return;
    readErrorUnseen = true;
    // After the view's own handling of the rows, which may be what read them.
    if (isVisible())
        QMetaObject::invokeMethod(this, &SearchWidget::sayReadError, Qt::QueuedConnection);
}

void SearchWidget::sayReadError()
{
    if (!readErrorUnseen)
        return;
    readErrorUnseen = false;
    const auto *records = qobject_cast<const RecordModel *>(model);
    if (!records || !records->readError().isValid())
        return;
    // The page may be closed while the notice waits for staff.
    const QPointer<SearchWidget> alive(this);
    readErrorShown = true;
    MessageBox::listReadFailed(records->readError(), this);
    if (alive)
        readErrorShown = false;
}

void SearchWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The boxes offer what this workstation has read last, elsewhere too.
    if (!event->spontaneous())
        refillBoxes(reachableBoxes());
    if (readErrorUnseen)
        QMetaObject::invokeMethod(this, &SearchWidget::sayReadError, Qt::QueuedConnection);
}

int SearchWidget::sortSection() const
{
    if (const auto *records = qobject_cast<const RecordModel *>(model))
        return records->sortColumn();
    const QHeaderView *header = searchTable->horizontalHeader();
    return header->isSortIndicatorShown() ? header->sortIndicatorSection() : -1;
}

bool SearchWidget::listedByKey(int section) const
{
    return section < 0 || section == model->fieldIndex(QStringLiteral("iId"));
}

QString SearchWidget::repairFilterFor(int section) const
{
    if (listedByKey(section))
        return repairFilters.byKey;
    return model->relation(section).isValid() ? repairFilters.onRows : repairFilters.besideSort;
}

void SearchWidget::sortChanging(int section)
{
    const QString shown = model->filter();
    if (shown.isEmpty()
        || (shown != repairFilters.byKey && shown != repairFilters.onRows && shown != repairFilters.besideSort))
        return;
    model->setFilter(repairFilterFor(section));
}

void SearchWidget::changeSubVariant()
{
    auto *tool = qobject_cast<QToolButton *>(sender());
    if (!tool)
        return;
    const QList<QToolButton *> tools = toolsWidget->findChildren<QToolButton *>();
    for (QToolButton *button : tools)
        button->setDown(button == tool);

    for (SearchVariant kind : {RepairsVariant, ClientsVariant, HardwareVariant, BillsVariant}) {
        if (toolOf(this, kind) == tool)
            subVariant = kind;
    }
    subSearchActive = subVariant != variant;

    delete subModel;
    subModel = nullptr;

    stackedWidget->setCurrentWidget(filterPageOf(this, subVariant));
    if (subSearchActive)
        subModel = createModel(subVariant);

    model->setFilter(QStringLiteral("0"));
    model->select();
    selectionReset();
}

void SearchWidget::selectionReset()
{
    selectedId = -1;
    selectButton->setEnabled(false);
    deleteButton->setEnabled(false);
    if (searchTable->selectionModel() && searchTable->selectionModel()->hasSelection())
        searchTable->clearSelection();
}

void SearchWidget::idSelect(const QItemSelection &selected, const QItemSelection &deselected)
{
    Q_UNUSED(deselected);
    const QModelIndexList indexes = selected.indexes();
    if (indexes.isEmpty()) {
        selectionReset();
        return;
    }
    // Whole rows are selected, one at a time: any index gives the row.
    const QModelIndex idIndex = model->index(indexes.first().row(), model->fieldIndex(QStringLiteral("iId")));
    bool ok = false;
    const int id = model->data(idIndex, Qt::EditRole).toInt(&ok);
    if (!ok) {
        selectionReset();
        return;
    }
    selectedId = id;
    selectButton->setEnabled(true);
    deleteButton->setEnabled(true);
}

void SearchWidget::showSelected()
{
    if (selectedId >= 0)
        emit showSelectedById(selectedId);
}

void SearchWidget::repairStatusToggled(bool on)
{
    if (!on)
        return;
    for (QCheckBox *box : {repairStatusOpen, repairStatusWaiting, repairStatusClosed})
        box->setChecked(false);
}

void SearchWidget::generalRepairStatusClicked(bool on)
{
    if (on)
        repairStatus->setChecked(false);
}

void SearchWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return)
        searchButton->animateClick();
}

void SearchWidget::configureSize()
{
    const QString name = stackedWidget->currentWidget()->objectName().replace(
        QStringLiteral("SearchPage"), QStringLiteral("Widget"));
    const QWidget *panel = stackedWidget->findChild<QWidget *>(name);
    const int limit = panel ? qMax(panel->height() + 10, 180) : 280;
    stackedWidget->setMaximumHeight(limit);
    buttonsWidget->setMaximumHeight(limit);
}

void SearchWidget::showBarcodeDialog()
{
    auto *dialog = new BarcodeDialog();
    connect(dialog, &BarcodeDialog::scanned, this, &SearchWidget::readBarcode);
}

void SearchWidget::readBarcode(const QStringList &parts)
{
    // A printed code carries three numbers; anything shorter is a misread.
    if (parts.size() < 3)
        return;

    // A scan replaces every id filled in before, typed or scanned, so that
    // only the scanned record's ids choose the rows. A field the host page
    // made read-only is its fixed preset (the repairs of one client or one
    // device): a scan neither clears nor replaces it.
    const auto put = [](QLineEdit *edit, const QString &text) {
        if (!edit->isReadOnly())
            edit->setText(text);
    };
    for (QLineEdit *edit : {repairId, repairClientId, repairHardwareId, hardwareId, iOwner, clientId,
                            billClientId, billRepairId, billHardwareId})
        put(edit, QString());

    if (parts.at(0) == QLatin1String("0"))
        put(repairHardwareId, parts.at(1)); // a hardware label: no repair
    else
        put(repairId, parts.at(0));
    put(hardwareId, parts.at(1));
    put(clientId, parts.at(2));
    put(billClientId, parts.at(2));
    put(billHardwareId, parts.at(1));
    search();
}
