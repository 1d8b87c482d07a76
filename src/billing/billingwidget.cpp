#include "billing/billingwidget.h"

#include "ui_billingWidget.h"

#include "db/columnlengths.h"
#include "db/dbwidget.h"
#include "messagebox.h"
#include "plaintext.h"
#include "records/bill.h"
#include "records/client.h"
#include "records/hardware.h"
#include "records/refusedsave.h"
#include "records/repair.h"
#include "userwidget.h"

#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// A bill without a repair or hardware holds this id there.
const QString NoRecord = QStringLiteral("-1");

// The characters of a repair or a device shown in the form's lists.
constexpr int ChoiceLength = 60;

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Adds a repair or a device to a list of the form: the first line of its
// text, cut short so that a long fault description or device name does not
// widen the form; the whole text as the item's tool tip.
void addChoice(QComboBox *box, const QString &text, const QString &id)
{
    box->addItem(PlainText::firstLine(text, ChoiceLength), id);
    box->setItemData(box->count() - 1, PlainText::toolTip(text), Qt::ToolTipRole);
}

} // namespace

BillingWidget::BillingWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                             Client *client, int clientId)
    : QWidget(parent), WidgetBase(db, user, settings), FormIn(nullptr), ui(new Ui::billingWidget),
      bills(new Bill(this, db)), clientId(clientId), client(client)
{
    ui->setupUi(this);
    formWidget = ui->newBillBox;
    ColumnLengths::limitInputs(ui->newBillBox, QStringLiteral("billing"));
    ui->newBillBox->hide();

    // A bill of a user removed since is listed all the same.
    bills->setJoinMode(QSqlRelationalTableModel::LeftJoin);
    bills->setFilter(QStringLiteral("billing.iClientId=") + QString::number(clientId));
    bills->setSort(bills->fieldIndex(QStringLiteral("iAddDate")), Qt::DescendingOrder);

    connect(ui->newBillButton, &QPushButton::clicked, this, &BillingWidget::openNewBill);
    connect(ui->saveBillButton, &QPushButton::clicked, this, &BillingWidget::saveBill);
    connect(ui->cancelBillButton, &QPushButton::clicked, this, &BillingWidget::closeNewBill);
}

BillingWidget::~BillingWidget()
{
    delete ui;
}

void BillingWidget::loadBills()
{
    ui->newBillButton->setEnabled(client ? client->rowCount() > 0 : clientId > 0);

    // Rebuilt out of sight: a list on show lays itself out again for each
    // panel taken away or added, which for a client of thousands of bills
    // froze the page for seconds.
    ui->billsList->hide();
    const auto panels = ui->billsList->findChildren<QWidget *>(QStringLiteral("billPanel"),
                                                              Qt::FindDirectChildrenOnly);
    qDeleteAll(panels);

    bills->select();
    while (bills->canFetchMore())
        bills->fetchMore();
    const QSqlError names = readLinkedNames();
    // Without the names a card would show its repair and device as deleted.
    const QSqlError failed = bills->readError().isValid() ? bills->readError() : names;
    const int count = bills->rowCount();
    ui->noBillsLabel->setVisible(count == 0 && !failed.isValid());
    // The panels go above the spacer that keeps them at the top.
    for (int row = 0; row < count; ++row)
        ui->billsLayout->insertWidget(row + 1, billPanel(row));
    ui->billsList->show();
    if (failed.isValid())
        MessageBox::listReadFailed(failed, this);
}

QWidget *BillingWidget::billPanel(int row)
{
    const auto cell = [this, row](const char *column) {
        return bills->data(bills->index(row, bills->fieldIndex(QLatin1String(column)))).toString();
    };

    auto *panel = new QFrame(ui->billsList);
    panel->setObjectName(QStringLiteral("billPanel"));
    panel->setProperty("billId", bills->record(row).value(QStringLiteral("iId")));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *grid = new QGridLayout(panel);

    QLabel *number = plainLabel(tr("Rachunek nr %1").arg(cell("iId")), panel);
    QFont bold = number->font();
    bold.setBold(true);
    number->setFont(bold);
    grid->addWidget(number, 0, 0);
    grid->addWidget(plainLabel(tr("Data: %1").arg(cell("iAddDate")), panel), 0, 1);
    // The repair's number and the device's name as staff picked them; the
    // id when the record is gone.
    const auto linked = [&cell](const QHash<int, QString> &names, const char *column) {
        const QString id = cell(column);
        return names.value(id.toInt(), id);
    };
    grid->addWidget(plainLabel(tr("Naprawa: %1").arg(linked(repairNumbers, "iRepairId")), panel), 0, 2);
    QLabel *device = plainLabel(tr("Sprzęt: %1").arg(linked(deviceNames, "iHardwareId")), panel);
    device->setWordWrap(true); // a long name does not push the status off the card
    grid->addWidget(device, 0, 3);

    const int statusColumn = bills->fieldIndex(QStringLiteral("iStatus"));
    QLabel *status = plainLabel(cell("iStatus"), panel);
    status->setObjectName(QStringLiteral("billStatus"));
    status->setAlignment(Qt::AlignCenter);
    const QColor colour =
        bills->data(bills->index(row, statusColumn), Qt::BackgroundRole).value<QBrush>().color();
    status->setStyleSheet(QStringLiteral("background: %1; padding: 2px 8px;").arg(colour.name()));
    grid->addWidget(status, 0, 4);

    const QList<QPair<QString, const char *>> amounts = {
        {tr("Netto: %1"), "sPriceNet"},         {tr("Brutto: %1"), "sPriceGross"},
        {tr("Części: %1"), "sPriceParts"},      {tr("Praca: %1"), "sPriceLabor"},
        {tr("Zewnętrzne: %1"), "sPriceOuter"}};
    for (int i = 0; i < amounts.size(); ++i)
        grid->addWidget(plainLabel(amounts.at(i).first.arg(cell(amounts.at(i).second)), panel), 1, i);

    const QString description = cell("sDescription");
    if (!description.isEmpty()) {
        QLabel *text = plainLabel(description, panel);
        text->setWordWrap(true);
        grid->addWidget(text, 2, 0, 1, amounts.size());
    }
    return panel;
}

QSqlError BillingWidget::readLinkedNames()
{
    repairNumbers.clear();
    deviceNames.clear();
    if (!db)
        return {};
    QSqlQuery q = db->query(
        QStringLiteral("SELECT repairs.iId, repairs.sNum, repairs.iAddDate, hardware.iId, "
                       "hardware.sHName FROM billing "
                       "LEFT JOIN repairs ON repairs.iId = billing.iRepairId "
                       "LEFT JOIN hardware ON hardware.iId = billing.iHardwareId "
                       "WHERE billing.iClientId = %1").arg(clientId));
    while (q.next()) {
        if (!q.isNull(0))
            repairNumbers.insert(q.value(0).toInt(),
                                 Repair::displayNumber(q.value(0), q.value(1).toString(), q.value(2)));
        if (!q.isNull(3))
            deviceNames.insert(q.value(3).toInt(), q.value(4).toString());
    }
    return DbWidget::readFailure(q);
}

void BillingWidget::openNewBill()
{
    clearForm();
    fillRepairsAndHardware();
    ui->newBillBox->show();
    ui->sPriceNet->setFocus();
}

void BillingWidget::fillRepairsAndHardware()
{
    ui->iRepairId->clear();
    ui->iHardwareId->clear();
    ui->iRepairId->addItem(tr("Brak"), NoRecord);
    ui->iHardwareId->addItem(tr("Brak"), NoRecord);

    Repair repairs(nullptr, db);
    repairs.setFilter(QStringLiteral("repairs.iClientId=") + QString::number(clientId));
    repairs.setSort(repairs.fieldIndex(QStringLiteral("iId")), Qt::DescendingOrder);
    repairs.select();
    while (repairs.canFetchMore())
        repairs.fetchMore();
    const int number = repairs.fieldIndex(QStringLiteral("sNum"));
    for (int row = 0; row < repairs.rowCount(); ++row) {
        const QSqlRecord record = repairs.record(row);
        addChoice(ui->iRepairId,
                  repairs.data(repairs.index(row, number)).toString() + QStringLiteral(" - ")
                      + record.value(QStringLiteral("sDefect")).toString(),
                  record.value(QStringLiteral("iId")).toString());
    }

    if (!db)
        return;
    QSqlQuery hardware = db->query(
        QStringLiteral("SELECT hardware.iId, hardware.sHName FROM hardware WHERE hardware.iOwner = %1 "
                       "ORDER BY hardware.iId DESC").arg(clientId));
    while (hardware.next())
        addChoice(ui->iHardwareId, hardware.value(0).toString() + QStringLiteral(": ") + hardware.value(1).toString(),
                  hardware.value(0).toString());
    // Lists short of the client's repairs or devices would have a bill
    // linked to none of them.
    const QSqlError failed = repairs.readError().isValid() ? repairs.readError() : hardware.lastError();
    if (failed.isValid())
        MessageBox::listReadFailed(failed, this);
}

bool BillingWidget::validateForm()
{
    resetFormStyles();
    static const QRegularExpression number(QStringLiteral("\\d"));
    bool valid = true;
    for (QLineEdit *amount : {ui->sPriceNet, ui->sPriceGross, ui->sPriceParts, ui->sPriceLabor,
                              ui->sPriceOuter}) {
        const QString text = amount->text().trimmed();
        const bool missing = amount == ui->sPriceGross && text.isEmpty();
        if (missing || (!text.isEmpty() && !text.contains(number))) {
            amount->setStyleSheet(FormStyle2);
            valid = false;
        }
    }
    return valid;
}

void BillingWidget::saveBill()
{
    if (!validateForm())
        return;
    const QStringList values = {
        QString::number(QDateTime::currentSecsSinceEpoch()),
        QString::number(clientId),
        ui->iRepairId->currentData().toString(),
        ui->iHardwareId->currentData().toString(),
        ui->sPriceNet->text().trimmed(),
        ui->sPriceGross->text().trimmed(),
        ui->sPriceParts->text().trimmed(),
        ui->sPriceLabor->text().trimmed(),
        ui->sPriceOuter->text().trimmed(),
        ui->sDescription->toPlainText(),
        Bill::Statuses[1].at(0), // unsettled
        QStringLiteral("0"),     // not settled yet
        QString::number(user ? user->id : 0)};
    // The client and the repair and device named must not go before the
    // bill is stored. A refused bill keeps the form open with what was typed.
    // They are held in the order a deletion takes them (client, device,
    // repair), so that the two wait for each other rather than deadlock.
    QList<HeldRecord> held = {{QStringLiteral("clients"), clientId, tr("Ten klient")}};
    if (values.at(3) != NoRecord)
        held.append({QStringLiteral("hardware"), values.at(3).toInt(), tr("Wybrany sprzęt")});
    if (values.at(2) != NoRecord)
        held.append({QStringLiteral("repairs"), values.at(2).toInt(), tr("Wybrana naprawa"),
                     MessageBox::Gender::Feminine});
    // The device held may have moved to another client since the list was
    // read: such a bill is not stored (an empty transaction is committed).
    bool moved = false;
    if (!saveHoldingRecords(db, held, tr("Rachunek nie został zapisany."), [&] {
            if (values.at(3) != NoRecord) {
                // The row is held by now: no owner read means a failed read.
                const int owner = Hardware::storedOwner(db, values.at(3).toInt());
                if (owner < 0)
                    return false;
                moved = owner != clientId;
            }
            return moved || Bill::dbInsert(db, values) >= 0;
        }, this))
        return;
    if (moved) {
        MessageBox::warning(tr("Sprzęt innego klienta"),
                            tr("Wybrany sprzęt ma już innego właściciela. Rachunek nie został zapisany."),
                            this);
        const QVariant repair = ui->iRepairId->currentData();
        fillRepairsAndHardware();
        ui->iRepairId->setCurrentIndex(qMax(0, ui->iRepairId->findData(repair)));
        return;
    }
    closeNewBill();
    loadBills();
}

void BillingWidget::closeNewBill()
{
    ui->newBillBox->hide();
}
