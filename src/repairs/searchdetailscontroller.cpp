#include "repairs/searchdetailscontroller.h"

#include "clients/clientwidget.h"
#include "hardware/hardwarewidget.h"
#include "messagebox.h"
#include "pagestack.h"
#include "records/bill.h"
#include "records/recordmodel.h"
#include "repairs/detailpages.h"
#include "repairs/repairdetailswidget.h"

#include <QHBoxLayout>
#include <QSqlRecord>
#include <QStackedWidget>


SearchDetailsController::SearchDetailsController(QWidget *parent, DbWidget *db, UserWidget *user,
                                                 Settings *settings,
                                                 SearchWidget::SearchVariant variant)
    : QWidget(parent), WidgetBase(db, user, settings), m_variant(variant)
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_search = new SearchWidget(this, db, user, settings, variant, true);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack);
    m_stack->addWidget(m_search);
    m_stack->setCurrentWidget(m_search);
    sizeStackToCurrentPage(m_stack);
    connect(m_search, &SearchWidget::dbItemsCountChanged, this,
            &SearchDetailsController::dbItemsCountChanged);
    connect(m_search, &SearchWidget::showSelectedById, this, &SearchDetailsController::showDetails);
}

SearchDetailsController::~SearchDetailsController() = default;

ClientWidget *SearchDetailsController::clientPage() const
{
    return m_client;
}

HardwareWidget *SearchDetailsController::hardwarePage() const
{
    return m_hardware;
}

RepairDetailsWidget *SearchDetailsController::repairPage() const
{
    return m_repair;
}

void SearchDetailsController::showDetails(int id)
{
    const auto present = [this, id](const char *table) {
        return RecordModel::rowState(db, QLatin1String(table), id) == RecordModel::RowState::Present;
    };
    switch (m_variant) {
    case SearchWidget::ClientsVariant:
        if (chosenReadable(present("clients"), tr("wybranego klienta")))
            showClientDetails(id);
        break;
    case SearchWidget::HardwareVariant:
        if (chosenReadable(present("hardware"), tr("wybranego sprzętu")))
            showHardwareDetails(id);
        break;
    case SearchWidget::BillsVariant: {
        Bill bill(this, db);
        bill.setFilter(QStringLiteral("billing.iId=%1").arg(id));
        bill.select();
        if (chosenReadable(bill.rowCount() > 0, tr("wybranego rachunku")))
            showBillsDetails(bill.record(0).value(QStringLiteral("iClientId")).toInt());
        break;
    }
    default:
        break;
    }
}

bool SearchDetailsController::chosenReadable(bool readable, const QString &what)
{
    if (readable)
        return true;
    // Deleted by another workstation, or unreadable: the list stays, read
    // again, and no page of nothing opens.
    MessageBox::warning(tr("Błąd ładowania danych"),
                        tr("Nie można odczytać %1. Mógł zostać usunięty na innym stanowisku.").arg(what));
    m_search->search();
    return false;
}

void SearchDetailsController::showClientDetails(int clientId)
{
    auto *page = replaceDetailPage(m_stack, m_client,
                                   new ClientWidget(this, db, user, settings, clientId, true));
    connect(page, &ClientWidget::backToSearch, this, &SearchDetailsController::back);
    connect(page, &ClientWidget::showRepairDetails, this,
            &SearchDetailsController::showRepairDetails);
    connect(page, &ClientWidget::dbItemsCountChanged, this,
            &SearchDetailsController::dbItemsCountChanged);
    m_lastDetails = page;
}

void SearchDetailsController::showHardwareDetails(int hardwareId)
{
    auto *page = replaceDetailPage(
        m_stack, m_hardware, new HardwareWidget(this, db, user, settings, hardwareId, true));
    connect(page, &HardwareWidget::backToSearch, this, &SearchDetailsController::back);
    connect(page, &HardwareWidget::showClientDetails, this,
            &SearchDetailsController::showClientDetails);
    connect(page, &HardwareWidget::showRepairDetails, this,
            &SearchDetailsController::showRepairDetails);
    connect(page, &HardwareWidget::dbItemsCountChanged, this,
            &SearchDetailsController::dbItemsCountChanged);
    m_lastDetails = page;
}

void SearchDetailsController::showBillsDetails(int clientId)
{
    showClientDetails(clientId);
    m_client->showBilling();
}

void SearchDetailsController::showRepairDetails(int repairId)
{
    auto *page = replaceDetailPage(
        m_stack, m_repair, new RepairDetailsWidget(this, db, user, settings, repairId, true));
    connect(page, &RepairDetailsWidget::showClient, this,
            &SearchDetailsController::showClientDetails);
    connect(page, &RepairDetailsWidget::showHardware, this,
            &SearchDetailsController::showHardwareDetails);
    connect(page, &RepairDetailsWidget::backToSearch, this, &SearchDetailsController::back);
    connect(page, &RepairDetailsWidget::repairStatusChanged, this,
            &SearchDetailsController::dbItemsCountChanged);
}

void SearchDetailsController::back()
{
    QObject *from = sender();
    if (!from)
        return;
    if (from == m_client.data() || from == m_hardware.data()) {
        m_stack->setCurrentWidget(m_search);
        m_search->search();
    } else if (from == m_repair.data()) {
        if (m_lastDetails)
            m_stack->setCurrentWidget(m_lastDetails);
    }
}
