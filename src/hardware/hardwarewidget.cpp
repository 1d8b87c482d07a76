#include "hardware/hardwarewidget.h"
#include "ui_hardwareWidget.h"

#include "config/shopidentity.h"
#include "db/columnlengths.h"
#include "db/dbtransaction.h"
#include "db/dbwidget.h"
#include "dictionaries/fieldsconfig.h"
#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "formin.h"
#include "messagebox.h"
#include "pagestack.h"
#include "plaintext.h"
#include "printouts/labelsettings.h"
#include "printouts/papersizes.h"
#include "printouts/printdialogs.h"
#include "records/client.h"
#include "records/hardware.h"
#include "records/refusedsave.h"
#include "search/searchwidget.h"
#include "settings.h"
#include "userwidget.h"

#include <QAbstractTextDocumentLayout>
#include <QDataWidgetMapper>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTemporaryFile>
#include <QTextFrame>
#include <QTextLayout>
#include <memory>

namespace {

// Users above this access level only look at the record.
constexpr int HighestEditingLevel = 6;
// Store statuses of this group mean the hardware went back to its owner.
constexpr int HandedBackGroup = 3;

const QString FieldDate = QStringLiteral("iFieldDate");
// The family of the Code 39 font registered at start-up.
const QString BarcodeFamily = QStringLiteral("Code 3 de 9");

QString customSizeText(const LabelSettings::Values &label)
{
    if (label.customSize() == LabelSettings::CustomSize::Defined)
        return HardwareWidget::tr("Zdefiniowany rozmiar papieru: %1 x %2")
            .arg(label.tagWidth)
            .arg(label.tagHeight);
    if (label.customSize() == LabelSettings::CustomSize::Missing)
        return HardwareWidget::tr("Własny rozmiar etykiety niezdefiniowany !");
    return HardwareWidget::tr("Niepoprawnie zdefiniowany własny rozmiar etykiety !");
}

// Sets the label's margins on the printer. A printer that cannot print as
// close to the edge gets its own minimum instead: it would refuse the
// margins otherwise. False when a margin is larger than the paper or the
// area left cannot hold one line of the label, which would print empty
// pages or a line spread over many.
bool setLabelMargins(QPrinter *printer, const LabelSettings::Values &label, const QFont &font)
{
    QPageLayout layout = printer->pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF least = layout.minimumMargins();
    const QMarginsF margins(qMax<qreal>(label.marginLeft, least.left()),
                            qMax<qreal>(label.marginTop, least.top()),
                            qMax<qreal>(label.marginRight, least.right()),
                            qMax<qreal>(label.marginBottom, least.bottom()));
    if (!printer->setPageMargins(margins, QPageLayout::Millimeter))
        return false;
    const QRectF area = printer->pageRect(QPrinter::DevicePixel);
    const QFontMetricsF metrics(font, printer);
    return area.height() >= metrics.height() && area.width() >= metrics.horizontalAdvance(QLatin1Char('W'));
}

// Puts the PDF written to draft in place of target, whole or not at all: a
// PDF cut short (a full disk) lacks its closing "%%EOF" line.
bool putPdf(const QString &draft, const QString &target)
{
    QFile written(draft);
    const QByteArray pdf = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    if (!pdf.trimmed().endsWith("%%EOF"))
        return false;
    QSaveFile file(target);
    return file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size() && file.commit();
}

// Whether the block holds a barcode and nothing else but blanks.
bool barcodeOnly(const QTextBlock &block)
{
    bool barcode = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.charFormat().font().family() == BarcodeFamily)
            barcode = true;
        else if (!fragment.text().trimmed().isEmpty())
            return false;
    }
    return barcode;
}

// A Code 39 barcode broken over two lines reads as nothing: the scanner
// finds no stop character at the end of the first. One wider than the
// label is printed smaller, so that it takes one line.
void fitBarcodes(QTextDocument *sheet)
{
    for (QTextBlock block = sheet->begin(); block.isValid(); block = block.next()) {
        // Each pass takes off what the code was found too wide by.
        for (int pass = 0; pass < 5; ++pass) {
            sheet->documentLayout()->blockBoundingRect(block); // lays the block out
            const QTextLayout *lines = block.layout();
            if (!lines || lines->lineCount() < 2 || !barcodeOnly(block))
                break;
            qreal natural = 0;
            for (int i = 0; i < lines->lineCount(); ++i)
                natural += lines->lineAt(i).naturalTextWidth();
            const qreal scale = 0.98 * lines->lineAt(0).width() / natural;
            // Read first: a change of format may join or split the fragments.
            QList<std::pair<QTextCursor, qreal>> sizes;
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const QFont font = fragment.charFormat().font();
                QTextCursor cursor(sheet);
                cursor.setPosition(fragment.position());
                cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
                sizes.append({cursor, font.pointSizeF() > 0 ? font.pointSizeF() : sheet->defaultFont().pointSizeF()});
            }
            for (auto &[cursor, points] : sizes) {
                QTextCharFormat smaller;
                smaller.setFontPointSize(points * scale);
                cursor.mergeCharFormat(smaller);
            }
        }
    }
}

} // namespace

HardwareWidget::HardwareWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                               int hardwareId, bool fromSearch)
    : QWidget(parent), WidgetBase(db, user, settings), hardwareId(hardwareId),
      ui(new Ui::hardwareWidget)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->backButton->setVisible(fromSearch);

    hardwareModel = new Hardware(this, db);
    hardwareModel->setEditStrategy(QSqlTableModel::OnRowChange);
    // Hardware without an owner, or whose owner was deleted, is still shown.
    hardwareModel->setJoinMode(QSqlRelationalTableModel::LeftJoin);
    ownerModel = new Client(this, db);
    ownerModel->setEditStrategy(QSqlTableModel::OnRowChange);
    mapper = new QDataWidgetMapper(this);

    repairsPage = new SearchWidget(this, db, user, settings, SearchWidget::RepairsVariant, false);
    // The list belongs to this hardware: the field is fixed, and a scan on the
    // list leaves it as it is.
    repairsPage->repairHardwareId->setText(QString::number(hardwareId));
    repairsPage->repairHardwareId->setReadOnly(true);
    repairsPage->repairHardwareId->setStyleSheet(FormIn::FormStyle3);
    ui->stackedWidget->addWidget(repairsPage);

    connect(repairsPage, &SearchWidget::showSelectedById, this, &HardwareWidget::showRepairDetails);
    connect(repairsPage, &SearchWidget::dbItemsCountChanged, this,
            &HardwareWidget::dbItemsCountChanged);
    for (QPushButton *button : {ui->paramsButton, ui->editButton, ui->saveButton, ui->repairsButton,
                                ui->printoutsButton})
        connect(button, &QPushButton::clicked, this, &HardwareWidget::changePage);
    connect(ui->saveButton, &QPushButton::clicked, this, &HardwareWidget::saveChanges);
    connect(ui->backButton, &QPushButton::clicked, this, &HardwareWidget::backToSearch);
    for (QPushButton *button : {ui->editOwnerButton, ui->saveEditOwnerButton, ui->cancelEditOwnerButton})
        connect(button, &QPushButton::clicked, this, &HardwareWidget::editOwner);
    connect(ui->additionalTextEdit, &QTextEdit::textChanged, this, &HardwareWidget::composeDocument);
    connect(ui->partsSpinBox, &QSpinBox::valueChanged, this, &HardwareWidget::composeDocument);
    connect(ui->printToPrinterButton, &QPushButton::clicked, this, &HardwareWidget::printDocument);
    connect(ui->printToPDFButton, &QPushButton::clicked, this, &HardwareWidget::printDocument);

    refillChoices();

    PaperSizes::fillComboBox(ui->paperSizeComboBox);
    connect(ui->paperSizeComboBox, &QComboBox::currentIndexChanged, this,
            &HardwareWidget::comboBoxIndex);
    const LabelSettings::Values label = LabelSettings::read(store());
    const int stored = ui->paperSizeComboBox->findData(label.tagSize);
    if (stored > 0)
        ui->paperSizeComboBox->setCurrentIndex(stored);
    if (ui->paperSizeComboBox->currentData().toInt() == PaperSizes::Custom) {
        ui->customSizeLabel->setText(customSizeText(label));
        ui->customSizeLabel->show();
    } else {
        ui->customSizeLabel->hide();
    }

    FieldsConfig::setupFields(ui->hardwareBox);
    if (!FieldsConfig::inUse(FieldDate))
        ui->iFieldDateLineEdit->hide();
    ColumnLengths::limitInputs(ui->hardwareBox, QStringLiteral("hardware"));
    ColumnLengths::limitInputs(ui->storeBox, QStringLiteral("hardware"));

    mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    mapper->setItemDelegate(ColumnLengths::storedTextDelegate(mapper));
    mapper->setModel(hardwareModel);
    mapper->addMapping(ui->sHName, hardwareModel->fieldIndex(QStringLiteral("sHName")));
    mapper->addMapping(ui->sStoreComment, hardwareModel->fieldIndex(QStringLiteral("sStoreComment")));
    QStringList fields;
    for (int i = 1; i <= 14; ++i)
        fields << QStringLiteral("sField%1").arg(i);
    fields << QStringLiteral("sFieldLong");
    for (const QString &field : fields) {
        if (FieldsConfig::inUse(field))
            mapper->addMapping(ui->hardwareBox->findChild<QWidget *>(field),
                               hardwareModel->fieldIndex(field));
    }

    setEditable(false);
    loadData(true);
    ui->editOwnerWidget->hide();
    ui->stackedWidget->setCurrentWidget(ui->paramsPage);
    sizeStackToCurrentPage(ui->stackedWidget);
}

HardwareWidget::~HardwareWidget()
{
    delete hardwareModel;
    delete ownerModel;
    delete mapper;
    delete ui;
}

QString HardwareWidget::labelCode(int hardwareId, int ownerId)
{
    return QStringLiteral("*0I%1I%2I*").arg(hardwareId).arg(ownerId);
}

QSettings *HardwareWidget::store() const
{
    return settings ? settings->native : nullptr;
}

bool HardwareWidget::mayEdit() const
{
    return !user || user->level <= HighestEditingLevel;
}

void HardwareWidget::setEditable(bool editable)
{
    FormIn::setTextInputsEditable(ui->hardwareBox, editable);
    FormIn::setTextInputsEditable(ui->storeBox, editable);
    if (FieldsConfig::inUse(FieldDate)) {
        ui->iFieldDate->setVisible(editable);
        ui->iFieldDateLineEdit->setVisible(!editable);
    }
    for (QWidget *w : {static_cast<QWidget *>(ui->iHType), static_cast<QWidget *>(ui->iStoreStatus),
                       static_cast<QWidget *>(ui->saveButton)})
        w->setVisible(editable);
    for (QWidget *w : {static_cast<QWidget *>(ui->iHTypeLabel),
                       static_cast<QWidget *>(ui->iStoreStatusLabel),
                       static_cast<QWidget *>(ui->iStoreTextLabel),
                       static_cast<QWidget *>(ui->editButton)})
        w->setVisible(!editable);
    // The owner editor is open to every level, in either mode.
    if (!mayEdit()) {
        for (QPushButton *button : {ui->editButton, ui->saveButton})
            button->setEnabled(false);
    }
}

void HardwareWidget::changePage()
{
    QObject *button = sender();
    QStackedWidget *stack = ui->stackedWidget;
    if (button == ui->paramsButton || button == ui->editButton || button == ui->saveButton) {
        if (stack->currentWidget() != ui->paramsPage)
            stack->setCurrentWidget(ui->paramsPage);
        if (button == ui->saveButton)
            return; // saveChanges() comes next
        // A device that could not be read is not edited.
        const bool read = loadData(true);
        setEditable(button == ui->editButton && mayEdit() && read);
    } else if (button == ui->repairsButton) {
        setEditable(false);
        repairsPage->search();
        stack->setCurrentWidget(repairsPage);
    } else if (button == ui->printoutsButton) {
        setEditable(false);
        stack->setCurrentWidget(ui->printoutsPage);
        composeDocument();
    }
}

bool HardwareWidget::loadData(bool full)
{
    hardwareModel->setFilter(QStringLiteral("hardware.iId=") + QString::number(hardwareId));
    hardwareModel->select();
    mapper->toFirst();
    // Missing when the page opens, the device was named by a record that
    // refers to it: the database is not consistent. Missing later, it was
    // deleted elsewhere.
    const bool read = hardwareModel->rowCount() > 0;
    if (!read && !loadedOnce && !hardwareModel->readError().isValid())
        MessageBox::warning(tr("Błąd ładowania danych"),
                            tr("Problem ze spójnością bazy danych, skontaktuj się z pomocą techniczną !"));
    else
        recordRead(hardwareModel, tr("Nie udało się odczytać danych sprzętu."), tr("Ten sprzęt"));
    loadedOnce = true;
    if (!full)
        return read;

    const QSqlRecord row = hardwareModel->record(0);
    const int type = row.value(QStringLiteral("iHType")).toInt();
    ui->iHType->setCurrentIndex(ui->iHType->findData(type));
    PlainText::show(ui->iHTypeLabel, HardwareTypesConfig::typeName(type));

    // Not a column of the model while the shop does not use the field.
    const qint64 seconds = row.value(FieldDate).toLongLong();
    const QDate date = QDateTime::fromSecsSinceEpoch(seconds).date();
    ui->iFieldDate->setDate(date);
    ui->iFieldDateLineEdit->setText(date.toString(QStringLiteral("dd/MM/yyyy")));
    loadedFieldDate = ui->iFieldDate->date();

    const int statusId = row.value(QStringLiteral("iStoreStatus")).toInt();
    ui->iStoreStatus->setCurrentIndex(ui->iStoreStatus->findData(statusId));
    const HardwareStatusesConfig::HardwareStatus status = offeredStatuses.value(statusId);
    PlainText::show(ui->iStoreTextLabel, status.name);
    ui->iStoreStatusLabel->setStyleSheet(
        QStringLiteral("border: 0px; border-radius: 10px; padding: 0 8px; \t\t\tbackground: ")
        + RecordModel::statusBrush(status.color).color().name());

    const qint64 received = row.value(QStringLiteral("iReceivedDate")).toLongLong();
    ui->iReceivedDate->setText(received == 0
                                   ? tr("Niewydany")
                                   : QDateTime::fromSecsSinceEpoch(received).toString(
                                       QStringLiteral("dd/MM/yyyy hh:mm")));

    showOwner();
    return read;
}

void HardwareWidget::showOwner()
{
    showOwnerOf(hardwareModel->getOwnerId(0));
}

void HardwareWidget::showOwnerOf(int owner)
{
    ownerId = owner;
    const QString id = QString::number(hardwareId);
    if (ownerId != 0) {
        ownerModel->setFilter(QStringLiteral("clients.iId=") + QString::number(ownerId));
        ownerModel->select();
        const QSqlRecord client = ownerModel->record(0);
        const QString surname = client.value(QStringLiteral("sSName")).toString();
        const QString company = client.value(QStringLiteral("sCompany")).toString();
        PlainText::show(ui->hardwareLabel, id + QStringLiteral(" / ") + surname);
        QString owner = surname + QLatin1Char(' ') + client.value(QStringLiteral("sFName")).toString();
        if (!company.isEmpty())
            owner += QLatin1Char('\n') + company;
        PlainText::show(ui->clientLabel, owner);
    } else {
        PlainText::show(ui->hardwareLabel, id + QStringLiteral(" / Nieprzydzielony"));
        PlainText::show(ui->clientLabel, QStringLiteral("Nieprzydzielony"));
    }
    ui->iOwner->setText(QString::number(ownerId));
}

void HardwareWidget::saveChanges()
{
    if (ui->sHName->text().isEmpty()) {
        ui->sHName->setStyleSheet(FormIn::FormStyle2);
        return;
    }
    if (!mayEdit())
        return;
    bool told = false;
    if (!writeRow(&told)) {
        // The typed values stay on the page, still editable, for another try;
        // or the record changed elsewhere is read again, when the user asks.
        if (!told && explainRefusedSave(hardwareModel, tr("Ten sprzęt")))
            loadData(true);
        return;
    }
    setEditable(false);
    loadData(true);
}

bool HardwareWidget::writeRow(bool *told)
{
    // A device found deleted by a read since "Edytuj" (or not read) has no
    // row to take what was typed.
    if (!rowToSave(hardwareModel, tr("Ten sprzęt"))) {
        *told = true;
        return false;
    }
    const auto write = [this](const QString &column, const QVariant &value) {
        hardwareModel->setData(hardwareModel->index(0, hardwareModel->fieldIndex(column)), value);
    };

    // Written only where they differ from what was read: a hand-back made
    // elsewhere since then stays as it is. A try refused before left its
    // values in the row: each save starts from the row as read.
    const QSqlRecord read = hardwareModel->record(0);
    for (const QString &column : {QStringLiteral("iStoreStatus"), QStringLiteral("iHType"),
                                  QStringLiteral("iReceivedDate"), FieldDate}) {
        if (hardwareModel->fieldIndex(column) >= 0)
            write(column, read.value(column));
    }
    const int oldStatus = read.value(QStringLiteral("iStoreStatus")).toInt();
    int newStatus = oldStatus;
    // A type or status newly chosen was listed before another workstation
    // could delete it: it is held until the row is stored.
    QList<HeldRecord> held;
    // A combo box without a current entry (a type or status no longer
    // listed) keeps what is stored.
    if (ui->iStoreStatus->currentIndex() >= 0) {
        newStatus = ui->iStoreStatus->currentData().toInt();
        write(QStringLiteral("iStoreStatus"), newStatus);
        if (newStatus != oldStatus)
            held << HeldRecord{QStringLiteral("hwstatusesconf"), newStatus, tr("Wybrany status sprzętu"),
                               MessageBox::Gender::Masculine, QStringLiteral("iStatusId")};
    }
    if (ui->iHType->currentIndex() >= 0) {
        const int type = ui->iHType->currentData().toInt();
        write(QStringLiteral("iHType"), type);
        // The type before the status, in the order the intake holds them.
        if (type != read.value(QStringLiteral("iHType")).toInt())
            held.prepend(HeldRecord{QStringLiteral("typesconf"), type, tr("Wybrany typ sprzętu"),
                                    MessageBox::Gender::Masculine, QStringLiteral("iTypeId")});
    }
    if (FieldsConfig::inUse(FieldDate) && ui->iFieldDate->date() != loadedFieldDate)
        write(FieldDate, QDateTime(ui->iFieldDate->date(), QTime(0, 0)).toSecsSinceEpoch());

    // The hand-back date follows a change of status only: a status this
    // workstation does not list (added elsewhere, or not read) has no known
    // group, and an unchanged one keeps the stored date. The groups are those
    // the box offers: the shared dictionary may have been read anew, or
    // failed to be, since the box was filled.
    if (newStatus != oldStatus) {
        const bool wasHandedBack = offeredStatuses.value(oldStatus).group == HandedBackGroup;
        const bool handedBack = offeredStatuses.value(newStatus).group == HandedBackGroup;
        if (handedBack && !wasHandedBack)
            write(QStringLiteral("iReceivedDate"), QDateTime::currentSecsSinceEpoch());
        else if (!handedBack)
            write(QStringLiteral("iReceivedDate"), 0);
    }

    // The mapper's submit writes the row already.
    const auto submit = [this] {
        mapper->submit();
        return hardwareModel->submitAll();
    };
    if (held.isEmpty())
        return submit();
    const HeldRecord *gone = nullptr;
    bool submitted = false;
    bool written = false;
    if (runInTransaction(db, [&] {
            if (!holdRecords(db, held, &gone))
                return false;
            submitted = true;
            return written = submit();
        }))
        return true;
    if (gone) {
        MessageBox::recordDeleted(gone->name, tr("Zmiany nie zostały zapisane."));
        refillChoices();
        *told = true;
    } else if (!submitted || written || hardwareModel->refusal() == RecordModel::Refusal::None) {
        // A try stopped before its write (a held record unreadable, no
        // transaction begun) leaves the model with an earlier try's refusal,
        // which is not this one's reason.
        // A row written but not committed was read back inside the
        // transaction and is not what is stored: read again, so that another
        // try writes the typed values anew, which stay on the page.
        if (written)
            rereadKeepingTyped();
        reportFailedSave(db);
        *told = true;
    }
    return false;
}

void HardwareWidget::rereadKeepingTyped()
{
    QList<QPair<QWidget *, QVariant>> typed;
    for (int c = 0; c < hardwareModel->columnCount(); ++c) {
        if (QWidget *widget = mapper->mappedWidgetAt(c))
            typed.append({widget, widget->property(mapper->mappedPropertyName(widget))});
    }
    hardwareModel->select();
    mapper->toFirst();
    for (const auto &[widget, value] : typed)
        widget->setProperty(mapper->mappedPropertyName(widget), value);
}

void HardwareWidget::refillChoices()
{
    const QVariant type = ui->iHType->currentData();
    const QVariant status = ui->iStoreStatus->currentData();
    ui->iHType->clear();
    HardwareTypesConfig::setupComboBox(db, ui->iHType);
    offeredStatuses = HardwareStatusesConfig::setupComboBox(db, ui->iStoreStatus);
    // An entry deleted elsewhere is left unchosen, to be picked anew.
    ui->iHType->setCurrentIndex(ui->iHType->findData(type));
    ui->iStoreStatus->setCurrentIndex(ui->iStoreStatus->findData(status));
}

void HardwareWidget::closeOwnerEditor()
{
    ui->editOwnerWidget->hide();
    ui->clientLabel->show();
}

void HardwareWidget::editOwner()
{
    QObject *button = sender();
    if (button == ui->editOwnerButton) {
        ui->editOwnerWidget->show();
        ui->clientLabel->hide();
    } else if (button == ui->saveEditOwnerButton) {
        static const QRegularExpression number(QStringLiteral("^\\d+$"));
        const QString typed = ui->iOwner->text().simplified();
        bool ok = false;
        const qint64 client = number.match(typed).hasMatch() ? typed.toLongLong(&ok) : 0;
        if (!ok)
            noSuchClient();
        else if (!changeOwner(QString::number(client)))
            return; // refused: the editor stays open with the typed number
        closeOwnerEditor();
        // What was typed into the page and not saved yet stays.
        if (ui->saveButton->isHidden())
            loadData(true);
        else
            showOwner();
    } else if (button == ui->cancelEditOwnerButton) {
        ui->iOwner->setText(QString::number(ownerId));
        closeOwnerEditor();
    }
}

void HardwareWidget::noSuchClient()
{
    MessageBox::warning(tr("Błąd !"), tr("Klient o tym numerze identyfikacyjnym nie istnieje  !"));
}

bool HardwareWidget::changeOwner(const QString &client)
{
    QSqlQuery q = db->query(QStringLiteral("SELECT sSName FROM clients WHERE iId = ") + client);
    if (!q.isActive()) {
        MessageBox::readFailed(tr("Nie udało się sprawdzić, czy klient o numerze %1 istnieje. "
                                  "Właściciel nie został zmieniony.")
                                   .arg(client),
                               q.lastError());
        return false;
    }
    if (!q.next()) {
        noSuchClient();
        return true;
    }
    // Done with the read before the question: an open statement would hold a
    // shared SQLite file against every other workstation's writes.
    const QString surname = q.value(0).toString();
    q.finish();
    if (!MessageBox::confirm(tr("Zmiana właściciela sprzętu"),
                             tr("Czy na pewno chcesz zmienić właściciela sprzętu ?")
                                 + QStringLiteral("\n\n") + tr("Nowym właścicielem będzie klient: ")
                                 + surname))
        return true;
    // The client may have gone while the question was open, and another
    // workstation may have given the device to someone else meanwhile.
    // A device whose row could not be read showed no owner to keep.
    // No owner reads as 0, also as NULL or '' that another tool leaves.
    const int shown = ownerId >= 0 ? ownerId : Hardware::storedOwner(db, hardwareId);
    const QSqlQuery update = db->query(
        QStringLiteral("UPDATE hardware SET iOwner = %1 WHERE iId = %2 AND %3 "
                       "AND EXISTS (SELECT 1 FROM clients WHERE iId = %1)")
            .arg(client)
            .arg(hardwareId)
            .arg(RecordModel::readsAs(db, QStringLiteral("iOwner"), shown)));
    if (!update.isActive()) {
        MessageBox::saveFailed();
        return false;
    }
    if (update.numRowsAffected() > 0)
        return true;
    const QString unchanged = tr("Właściciel nie został zmieniony.");
    using State = RecordModel::RowState;
    const State device = RecordModel::rowState(db, QStringLiteral("hardware"), hardwareId);
    const State owner = RecordModel::rowState(db, QStringLiteral("clients"), client.toInt());
    if (device == State::Missing)
        MessageBox::recordDeleted(tr("Ten sprzęt"), unchanged);
    else if (owner == State::Missing)
        MessageBox::recordDeleted(tr("Klient o numerze %1").arg(client), unchanged);
    else if (device != State::Present || owner != State::Present)
        MessageBox::saveFailed();
    else if (const int stored = Hardware::storedOwner(db, hardwareId); stored == client.toInt())
        return true; // the owner it had already
    else if (stored < 0)
        MessageBox::saveFailed();
    else {
        // Shown as it is now, with the number typed still in the editor.
        MessageBox::entryChangedElsewhere(tr("Właściciel sprzętu został zmieniony na innym stanowisku."), unchanged);
        const QString typed = ui->iOwner->text();
        showOwnerOf(stored);
        ui->iOwner->setText(typed);
    }
    return false;
}

void HardwareWidget::composeDocument()
{
    // Without the row the owner is unknown, and a label would mark the
    // hardware with a wrong code.
    const bool readable = ownerId >= 0;
    ui->printToPrinterButton->setEnabled(readable);
    ui->printToPDFButton->setEnabled(readable);
    if (!readable) {
        ui->printoutEdit->setPlainText(
            tr("Nie można odczytać danych sprzętu - etykieta nie została utworzona."));
        return;
    }

    const LabelSettings::Values options = LabelSettings::read(store());
    QString label = QStringLiteral("<table width='100%'><small>");
    label += QStringLiteral("<tr><td width='100%'>") + PlainText::markup(ShopIdentity::name(db))
        + QStringLiteral("</td></tr>");
    if (options.barcodePrint)
        label += QStringLiteral("<tr><td width='100%' align='left' style='font-size:")
            + LabelSettings::barcodeFontSize(options.barcodeSize)
            + QStringLiteral("; font-weight: 200;'><font face='") + BarcodeFamily + QStringLiteral("'>")
            + labelCode(hardwareId, ownerId) + QStringLiteral("</font></td></tr>");
    label += QStringLiteral("<tr><td width='100%'>")
        + PlainText::markup(ui->sHName->text() + QStringLiteral(" / ") + ui->hardwareLabel->text())
        + QStringLiteral("</td></tr>");
    if (!ui->additionalTextEdit->toPlainText().isEmpty())
        label += QStringLiteral("<tr><td width='100%'>")
            + ui->additionalTextEdit->toHtml() + QStringLiteral("</td></tr>");
    label += QStringLiteral("</small></table>");
    ui->printoutEdit->setHtml(label.repeated(ui->partsSpinBox->value()));
}

void HardwareWidget::printDocument()
{
    QObject *button = sender();
    const bool toPdf = button == ui->printToPDFButton;
    if (!toPdf && button != ui->printToPrinterButton)
        return;

    const LabelSettings::Values label = LabelSettings::read(store());
    const int paper = ui->paperSizeComboBox->currentData().toInt();
    if (paper == PaperSizes::Custom && label.customSize() == LabelSettings::CustomSize::Invalid) {
        MessageBox::warning(tr("Niepoprawny rozmiar etykiety"),
                            tr("Własny rozmiar etykiety ma zerową szerokość lub wysokość. Popraw go "
                               "w konfiguracji albo wybierz inny rozmiar papieru."));
        return;
    }

    QString fileName;
    if (toPdf) {
        fileName = PrintDialogs::saveFileName(tr("Zapisz jako PDF"), tr("Dokumenty PDF (*.pdf)"), this);
        if (fileName.isEmpty())
            return;
        if (!fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
            fileName += QLatin1String(".pdf");
            // The file dialog asked about the name as typed, not about this one.
            if (QFileInfo::exists(fileName)
                && !MessageBox::confirm(tr("Zapisz jako PDF"),
                                        tr("Plik %1 już istnieje. Czy go zastąpić ?")
                                            .arg(QDir::toNativeSeparators(fileName))))
                return;
        }
    }

    const auto notSaved = [&fileName] {
        MessageBox::warning(tr("Błąd drukowania"), tr("Nie udało się zapisać pliku %1.").arg(fileName));
    };
    QPrinter printer(QPrinter::ScreenResolution);
    // The PDF goes to a draft first, so that a file already there stays as
    // it was unless the new one was written whole.
    QTemporaryFile draft;
    if (toPdf) {
        if (!draft.open()) {
            notSaved();
            return;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(draft.fileName());
    }
    printer.setPageSize(label.pageSize(paper));
    const bool landscape = !ui->orientationH->isHidden() && ui->orientationH->isChecked();
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (!setLabelMargins(&printer, label, ui->printoutEdit->document()->defaultFont())) {
        MessageBox::warning(tr("Niepoprawne marginesy"),
                            tr("Marginesy etykiety nie mieszczą się na wybranym papierze. Popraw "
                               "je w konfiguracji albo wybierz większy papier."));
        return;
    }
    printer.setCopyCount(ui->countSpinBox->value());

    if (!toPdf && !PrintDialogs::print(&printer, tr("Wydruk odcinków"), this))
        return;
    printSheet(&printer);
    const bool printed = printer.printerState() != QPrinter::Error;
    if (toPdf && printed && putPdf(draft.fileName(), fileName))
        MessageBox::information(tr("Zapisano plik PDF"),
                                tr("Etykiety zapisano w pliku %1.")
                                    .arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath())));
    else if (toPdf)
        notSaved();
    else if (!printed || (!printer.outputFileName().isEmpty() && QFileInfo(printer.outputFileName()).size() == 0))
        MessageBox::warning(tr("Błąd drukowania"), tr("Nie udało się wydrukować etykiet."));
}

std::unique_ptr<QTextDocument> HardwareWidget::printedSheet(const QTextDocument *shown, QPrinter *printer)
{
    // Laid out for the printable area of the page: the toolkit would add its
    // own margins of 2 cm and page numbers to a document without a page
    // size, too much for a label.
    std::unique_ptr<QTextDocument> sheet(shown->clone());
    QTextFrameFormat frame = sheet->rootFrame()->frameFormat();
    frame.setMargin(0);
    sheet->rootFrame()->setFrameFormat(frame);
    sheet->setPageSize(printer->pageRect(QPrinter::DevicePixel).size());
    fitBarcodes(sheet.get());
    return sheet;
}

void HardwareWidget::printSheet(QPrinter *printer)
{
    const std::unique_ptr<QTextDocument> sheet = printedSheet(ui->printoutEdit->document(), printer);

    // A PDF file has no copy count of its own: each copy gets its pages.
    if (!printer->supportsMultipleCopies() && printer->copyCount() > 1) {
        const QTextDocumentFragment copy(sheet.get());
        QTextCursor end(sheet.get());
        end.movePosition(QTextCursor::End);
        QTextBlockFormat newPage;
        newPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        for (int i = 1; i < printer->copyCount(); ++i) {
            end.insertBlock(newPage);
            end.insertFragment(copy);
        }
        printer->setCopyCount(1);
    }
    sheet->print(printer);
}

void HardwareWidget::comboBoxIndex(int index)
{
    const bool custom = ui->paperSizeComboBox->itemData(index).toInt() == PaperSizes::Custom;
    const LabelSettings::Values label = LabelSettings::read(store());
    if (!custom || (label.widthStored && label.heightStored)) {
        ui->orientationH->setVisible(!custom);
        ui->orientationV->setVisible(!custom);
        ui->customSizeLabel->setText(customSizeText(label));
        ui->customSizeLabel->setVisible(custom);
        return;
    }
    MessageBox::warning(tr("Własny rozmiar etykiety niezdefiniowany !"),
                        tr("Nie zdefiniowano własnego rozmiaru etykiety / marginesów - możesz to "
                           "zrobić w konfiguracji. Przyjęto rozmiar A4."));
    ui->customSizeLabel->setText(tr("Własny rozmiar etykiety niezdefiniowany !"));
    ui->customSizeLabel->show();
}
