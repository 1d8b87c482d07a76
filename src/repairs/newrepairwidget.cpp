#include "repairs/newrepairwidget.h"

#include "db/columnlengths.h"
#include "db/dbtransaction.h"
#include "db/dbwidget.h"
#include "dictionaries/fieldsconfig.h"
#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "dictionaries/numberingconfig.h"
#include "dictionaries/repairstatusesconfig.h"
#include "dictionaries/technicians.h"
#include "messagebox.h"
#include "pagestack.h"
#include "plaintext.h"
#include "popupmenu.h"
#include "records/client.h"
#include "records/hardware.h"
#include "records/refusedsave.h"
#include "records/repair.h"
#include "records/template.h"
#include "search/searchwidget.h"
#include "ui_newRepairWidget.h"
#include "userwidget.h"

#include <QDateTime>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const char *const ClientColumns[] = {"sFName",  "sSName", "sCompany", "sNIP",   "sStreet",
                                     "sAddrBuild", "sAddrLoc", "sCity", "sPostal", "sEmail",
                                     "sEmail2", "sPhone", "sPhone2"};

QString seconds(const QDate &date)
{
    return QString::number(date.startOfDay().toSecsSinceEpoch());
}

// The data of the current entry as text; empty when there is none.
QString choice(const QComboBox *box)
{
    return box->currentIndex() < 0 ? QString() : box->currentData().toString();
}

// Row 0 of a register model filtered to one id into record; false, with the
// user told, when it cannot be read or is gone (named as for recordRead()).
template<typename Model>
bool readRecord(DbWidget *db, const QString &table, int id, const QString &unread, const QString &what,
                QSqlRecord *record)
{
    Model model(nullptr, db);
    model.setFilter(table + QStringLiteral(".iId=") + QString::number(id));
    model.select();
    *record = model.record(0);
    return recordRead(&model, unread.arg(id), what.arg(id));
}

// The question before a client or a device is stored without a repair.
bool confirmAlone(const QString &title, const QString &lead, const QString &name,
                  const QString &tail, const QString &question)
{
    return MessageBox::confirm(title, lead + QLatin1Char(' ') + name.trimmed() + QLatin1Char(' ')
                                          + tail + QStringLiteral("\n\n") + question);
}

} // namespace

NewRepairWidget::NewRepairWidget(QWidget *parent, DbWidget *db, UserWidget *user,
                                 Settings *settings)
    : QWidget(parent), FormIn(this), WidgetBase(db, user, settings), ui(new Ui::newRepairWidget)
{
    ui->setupUi(this);

    for (QPushButton *button : {ui->toHardwarePageButton1, ui->toClientPageButton,
                                ui->toRepairPageButton, ui->toHardwarePageButton2})
        connect(button, &QPushButton::clicked, this, &NewRepairWidget::switchPage);
    for (QPushButton *button :
         {ui->clientSearchButton, ui->hardwareSearchButton, ui->templateSearchButton})
        connect(button, &QPushButton::clicked, this, &NewRepairWidget::search);
    for (QPushButton *button :
         {ui->cancelClientSearchButton, ui->cancelHardwareSearchButton, ui->backButton})
        connect(button, &QPushButton::clicked, this, &NewRepairWidget::cancelSearch);
    connect(ui->iHType, &QComboBox::textActivated, this, &NewRepairWidget::changedHardwareType);
    connect(ui->addNewRepairButton, &QPushButton::clicked, this, &NewRepairWidget::addRepair);
    connect(ui->addHardwareButton, &QPushButton::clicked, this, &NewRepairWidget::addHardware);
    connect(ui->addClientButton, &QPushButton::clicked, this, &NewRepairWidget::addClient);
    // The surname is looked up on Return and each time the field is left,
    // changed or not (editingFinished would skip a leaving without a change).
    connect(ui->sSName, &QLineEdit::returnPressed, this, &NewRepairWidget::checkClient);
    ui->sSName->installEventFilter(this);

    ui->stackedWidget->setCurrentWidget(ui->clientPage);
    // A picker left behind in the stack does not widen the intake.
    sizeStackToCurrentPage(ui->stackedWidget);
    opened();
    ui->iFieldDate->setDate(QDate::currentDate());

    FormIn::comboboxSetup(ui->iType, Repair::Types);
    ui->iType->setCurrentIndex(0);
    if (db) {
        RepairStatusesConfig::setupComboBox(db, ui->iStatus);
        HardwareTypesConfig::setupComboBox(db, ui->iHType);
        HardwareStatusesConfig::setupComboBox(db, ui->iStoreStatus);
    }
    for (QComboBox *box : {ui->iStatus, ui->iHType, ui->iStoreStatus})
        box->setCurrentIndex(box->count() > 0 ? 0 : -1);

    fillTechnicianBox(db, ui->technicanBox);
    ui->technicanBox->setCurrentIndex(0);

    ui->cancelClientSearchButton->hide();
    ui->cancelHardwareSearchButton->hide();
    ui->backButton->hide();

    FieldsConfig::getFieldsDescription(db);
    FieldsConfig::setupFields(ui->newHardwareBox);
    limitInputs();
}

void NewRepairWidget::limitInputs()
{
    ColumnLengths::limitInputs(ui->newClientBox, QStringLiteral("clients"),
                               {{QStringLiteral("sClientDescription"), QStringLiteral("sDescription")}});
    ColumnLengths::limitInputs(ui->newHardwareBox, QStringLiteral("hardware"));
    ColumnLengths::limitInputs(ui->repairBox, QStringLiteral("repairs"),
                               {{QStringLiteral("sRepairDescription"), QStringLiteral("sDefect")}});
}

// The widgets that tell the state of one side (client or hardware) of the
// intake.
struct NewRepairWidget::Side
{
    QGroupBox *box;
    QLabel *label;
    QPushButton *cancel;
    QPushButton *add;
};

void NewRepairWidget::showSide(const Side &side, const QString &title, const QString &text,
                               bool editable, bool cancel, const QString &name)
{
    side.box->setTitle(title);
    side.box->setEnabled(editable);
    PlainText::show(side.label, name.isEmpty() ? text : text.arg(PlainText::firstLine(name.simplified(), 40)));
    side.label->setToolTip(name.isEmpty() ? QString() : PlainText::toolTip(name));
    side.cancel->setVisible(cancel);
    side.add->setEnabled(editable);
}

NewRepairWidget::~NewRepairWidget()
{
    delete ui;
}

void NewRepairWidget::opened()
{
    ui->iAddDate->setDateTime(QDateTime::currentDateTime());
    ui->iEndDate->setDate(QDate::currentDate().addDays(14));
}

void NewRepairWidget::resetFormStyles()
{
    FormIn::resetFormStyles();
    for (QComboBox *box : {ui->iHType, ui->iStoreStatus, ui->iStatus})
        box->setStyleSheet(QString());
}

bool NewRepairWidget::checkChoice(QComboBox *box)
{
    if (box->currentIndex() >= 0)
        return true;
    box->setStyleSheet(FormIn::FormStyle2);
    return false;
}

// Page flow

void NewRepairWidget::switchPage()
{
    const QObject *button = sender();
    if (button == ui->toHardwarePageButton1) {
        if (validateClientPage())
            ui->stackedWidget->setCurrentWidget(ui->hardwarePage);
    } else if (button == ui->toClientPageButton) {
        ui->stackedWidget->setCurrentWidget(ui->clientPage);
    } else if (button == ui->toRepairPageButton) {
        if (validateHardwarePage())
            ui->stackedWidget->setCurrentWidget(ui->repairPage);
    } else if (button == ui->toHardwarePageButton2) {
        ui->stackedWidget->setCurrentWidget(ui->hardwarePage);
    }
}

bool NewRepairWidget::validateClientPage()
{
    resetFormStyles();
    if (clientId != 0)
        return true;
    bool valid = true;
    for (QLineEdit *edit : {ui->sSName, ui->sPhone}) {
        if (edit->text().isEmpty()) {
            edit->setStyleSheet(FormIn::FormStyle2);
            valid = false;
        }
    }
    return valid;
}

bool NewRepairWidget::validateHardwarePage()
{
    resetFormStyles();
    if (hardwareId != 0)
        return true;

    bool valid = true;
    const auto require = [&valid, this](QWidget *input, bool empty) {
        // Fields that the shop does not use are hidden and never required.
        if (empty && input->isVisibleTo(ui->newHardwareBox)
            && FieldsConfig::Required.value(input->objectName())) {
            input->setStyleSheet(FormIn::FormStyle2);
            valid = false;
        }
    };
    if (ui->sHName->text().isEmpty()) {
        ui->sHName->setStyleSheet(FormIn::FormStyle2);
        valid = false;
    }
    const auto edits = ui->newHardwareBox->findChildren<QLineEdit *>();
    for (QLineEdit *edit : edits) {
        if (edit != ui->sHName)
            require(edit, edit->text().isEmpty());
    }
    require(ui->sFieldLong, ui->sFieldLong->toPlainText().isEmpty());
    require(ui->iFieldDate, ui->iFieldDate->text().isEmpty());
    // A device is stored with a type and a store status, never without.
    valid = checkChoice(ui->iHType) && valid;
    valid = checkChoice(ui->iStoreStatus) && valid;
    return valid;
}

bool NewRepairWidget::validateRepairPage()
{
    resetFormStyles();
    bool valid = true;
    if (ui->sRepairDescription->toPlainText().trimmed().isEmpty()) {
        ui->sRepairDescription->setStyleSheet(FormIn::FormStyle2);
        valid = false;
    }
    return checkChoice(ui->iStatus) && valid;
}

void NewRepairWidget::changedHardwareType(const QString &type)
{
    Q_UNUSED(type);
    resetFormStyles();
}

// Pickers

void NewRepairWidget::search()
{
    if (pickerWidget) {
        disconnect(pickerWidget, nullptr, this, nullptr);
        pickerWidget->close();
    }

    const QObject *button = sender();
    SearchWidget::SearchVariant variant = SearchWidget::ClientsVariant;
    if (button == ui->hardwareSearchButton)
        variant = SearchWidget::HardwareVariant;
    else if (button == ui->templateSearchButton)
        variant = SearchWidget::TemplatesVariant;

    auto *picker = new SearchWidget(ui->stackedWidget, db, user, settings, variant, false);
    pickerWidget = picker;
    switch (variant) {
    case SearchWidget::HardwareVariant:
        connect(picker, &SearchWidget::showSelectedById, this, &NewRepairWidget::selectHardware);
        if (clientId > 0) {
            picker->iOwner->setText(QString::number(clientId));
            picker->search();
        }
        break;
    case SearchWidget::TemplatesVariant:
        connect(picker, &SearchWidget::showSelectedById, this, &NewRepairWidget::selectTemplate);
        break;
    default:
        connect(picker, &SearchWidget::showSelectedById, this, &NewRepairWidget::selectClient);
        break;
    }

    ui->stackedWidget->addWidget(picker);
    ui->stackedWidget->setCurrentWidget(picker);
    ui->backButton->show();
    resetFormStyles();
}

void NewRepairWidget::cancelSearch()
{
    const QObject *button = sender();
    if (button == ui->cancelClientSearchButton) {
        releaseClient();
    } else if (button == ui->cancelHardwareSearchButton) {
        releaseHardware();
        if (ui->iHType->count() > 0)
            ui->iHType->setCurrentIndex(0);
        ui->iFieldDate->setDate(QDate::currentDate());
        ui->addTemplateCheckBox->show();
    } else if (button == ui->backButton) {
        const bool clients = !pickerWidget || pickerWidget->variant == SearchWidget::ClientsVariant;
        showPickingPage(clients ? ui->clientPage : ui->hardwarePage);
    }
}

// Client

void NewRepairWidget::holdClient(int id, bool picked)
{
    QSqlRecord record;
    const bool read = readRecord<Client>(db, QStringLiteral("clients"), id,
                                         tr("Nie udało się odczytać danych klienta (numer %1)."),
                                         tr("Wybrany klient (numer %1)"), &record);
    // A pick that could not be read is not taken; a client this page stored
    // keeps the fields as typed.
    if (!read && picked)
        return;
    clientId = id;
    // Marks of missing fields do not stay on fields filled from a record.
    resetFormStyles();
    if (read) {
        for (const char *column : ClientColumns) {
            if (auto *edit = ui->newClientBox->findChild<QLineEdit *>(QLatin1String(column)))
                ColumnLengths::showStored(edit, record.value(QLatin1String(column)).toString());
        }
        ui->sClientDescription->setPlainText(record.value(QStringLiteral("sDescription")).toString());
    }
    showSide(clientSide(), QStringLiteral("Istniejący klient"),
             QStringLiteral("Wybrany klient: ")
                 + (read ? record.value(QStringLiteral("sSName")).toString() : ui->sSName->text())
                 + QStringLiteral(", numer klienta: ") + QString::number(id),
             false, true);
}

void NewRepairWidget::releaseClient()
{
    clientId = 0;
    clearFormWidget(ui->newClientBox);
    limitInputs();
    showSide(clientSide(), QStringLiteral("Nowy klient"), QString(), true, false);
}

void NewRepairWidget::showPickingPage(QWidget *page)
{
    ui->stackedWidget->setCurrentWidget(page);
    ui->backButton->hide();
}

NewRepairWidget::Side NewRepairWidget::clientSide() const
{
    return {ui->newClientBox, ui->clientLabel, ui->cancelClientSearchButton, ui->addClientButton};
}

NewRepairWidget::Side NewRepairWidget::hardwareSide() const
{
    return {ui->newHardwareBox, ui->hardwareLabel, ui->cancelHardwareSearchButton, ui->addHardwareButton};
}

void NewRepairWidget::selectClient(int id)
{
    holdClient(id, true);
    showPickingPage(ui->clientPage);
}

bool NewRepairWidget::eventFilter(QObject *watched, QEvent *event)
{
    // Focus taken by a pop-up (the look-up's own menu) or by another window
    // is no leaving of the field, nor is the intake taken off the screen (the
    // main window showing another page, a log-out): a look-up would pop up
    // over what comes next and take the keys typed there.
    if (watched == ui->sSName && event->type() == QEvent::FocusOut && ui->sSName->isVisible()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            checkClient();
    }
    return QWidget::eventFilter(watched, event);
}

void NewRepairWidget::checkClient()
{
    if (!db || clientId != 0)
        return;
    // The typed text goes in as a value; "%" and "_" in it still match any
    // text. MySQL reads a backslash in a pattern as an escape.
    QString pattern = ui->sSName->text();
    if (db->dbType == DbWidget::MySQL)
        pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    QSqlQuery q(db->database());
    q.prepare(QStringLiteral("SELECT iId, sSName, sFName, sCompany FROM clients "
                             "WHERE clients.sSName LIKE :pattern ORDER BY iId DESC LIMIT 50"));
    q.bindValue(QStringLiteral(":pattern"), QLatin1Char('%') + pattern + QLatin1Char('%'));
    if (!db->exec(q) || !q.next())
        return;

    QMenu menu(this);
    const QIcon icon(QStringLiteral(":/mainMenu/clients.png"));
    do {
        QString text = q.value(0).toString() + QStringLiteral(", ") + q.value(1).toString();
        for (int column : {2, 3}) {
            const QString part = q.value(column).toString();
            if (!part.isEmpty())
                text += QStringLiteral(", ") + part;
        }
        QAction *entry = menu.addAction(icon, PlainText::buttonText(text));
        entry->setIconVisibleInMenu(true);
        entry->setData(q.value(0).toInt());
    } while (q.next());
    menu.addSeparator();
    menu.addAction(QIcon(QStringLiteral(":/general/prev.png")), tr("Anuluj"))->setData(-1);

    // Just below the surname field.
    const QAction *chosen =
        PopupMenu::exec(&menu, ui->sSName->mapToGlobal(QPoint(0, ui->sSName->height())));
    if (chosen && chosen->data().toInt() != -1)
        selectClient(chosen->data().toInt());
}

QStringList NewRepairWidget::clientValues() const
{
    QStringList values;
    for (const char *column : ClientColumns)
        values << ui->newClientBox->findChild<QLineEdit *>(QLatin1String(column))->text();
    values << ui->sClientDescription->toPlainText();
    return values;
}

int NewRepairWidget::clientOfSave()
{
    return clientId != 0 ? clientId : Client::dbInsert(db, clientValues());
}

void NewRepairWidget::addClient()
{
    if (!validateClientPage() || clientId != 0)
        return;
    if (!confirmAlone(tr("Dodawanie klienta"), tr("Zostanie tylko dodany klient"), ui->sSName->text(),
                      tr("bez dodawania sprzętu i naprawy."),
                      tr("Czy chcesz dodać tylko klienta bez dodawania sprzętu i naprawy ?")))
        return;
    const int id = Client::dbInsert(db, clientValues());
    if (id <= 0) {
        saveFailed(tr("Nie udało się dodać klienta."));
        return;
    }
    holdClient(id);
    emit clientAdded(id);
}

// Hardware and templates

void NewRepairWidget::fillHardwareFields(const QSqlRecord &record)
{
    resetFormStyles();
    ColumnLengths::showStored(ui->sHName, record.value(QStringLiteral("sHName")).toString());
    for (int i = 1; i <= 14; ++i) {
        const QString name = QStringLiteral("sField%1").arg(i);
        ColumnLengths::showStored(ui->newHardwareBox->findChild<QLineEdit *>(name),
                                  record.value(name).toString());
    }
    ui->sFieldLong->setPlainText(record.value(QStringLiteral("sFieldLong")).toString());
    const QString type = record.value(QStringLiteral("iHType")).toString();
    int current = -1;
    for (int i = 0; i < ui->iHType->count() && current < 0; ++i) {
        if (ui->iHType->itemData(i).toString() == type)
            current = i;
    }
    ui->iHType->setCurrentIndex(current);
    ui->iFieldDate->setDate(
        QDateTime::fromSecsSinceEpoch(record.value(QStringLiteral("iFieldDate")).toLongLong()).date());
}

void NewRepairWidget::holdHardware(int id, bool picked)
{
    QSqlRecord record;
    const bool read = readRecord<Hardware>(db, QStringLiteral("hardware"), id,
                                           tr("Nie udało się odczytać danych sprzętu (numer %1)."),
                                           tr("Wybrany sprzęt (numer %1)"), &record);
    // As for a client: a pick not read is not taken.
    if (!read && picked)
        return;
    hardwareId = id;
    if (read)
        fillHardwareFields(record);
    showSide(hardwareSide(), QStringLiteral("Istniejący sprzęt"),
             QStringLiteral("Wybrany sprzęt: %1, numer sprzętu: ") + QString::number(id), false, true,
             read ? record.value(QStringLiteral("sHName")).toString() : ui->sHName->text());
    ui->addTemplateCheckBox->hide();
}

void NewRepairWidget::releaseHardware()
{
    hardwareId = 0;
    clearFormWidget(ui->newHardwareBox);
    limitInputs();
    showSide(hardwareSide(), QStringLiteral("Nowy sprzęt"), QString(), true, false);
}

void NewRepairWidget::selectHardware(int id)
{
    holdHardware(id, true);
    showPickingPage(ui->hardwarePage);
}

void NewRepairWidget::selectTemplate(int id)
{
    QSqlRecord record;
    if (readRecord<Template>(db, QStringLiteral("templates"), id,
                             tr("Nie udało się odczytać wybranego szablonu (numer %1)."),
                             tr("Wybrany szablon (numer %1)"), &record)) {
        if (hardwareId > 0)
            releaseHardware();
        fillHardwareFields(record);
        showSide(hardwareSide(), QStringLiteral("Sprzęt z szablonu"),
                 QStringLiteral("Wczytany szablon: %1, numer: ") + QString::number(id), true, true,
                 record.value(QStringLiteral("sHName")).toString());
        ui->addTemplateCheckBox->hide();
    }
    showPickingPage(ui->hardwarePage);
}

QStringList NewRepairWidget::hardwareValues(int ownerId) const
{
    QStringList values{ui->sHName->text(), choice(ui->iStoreStatus), QStringLiteral("0"),
                       QString(), choice(ui->iHType)};
    for (int i = 1; i <= 14; ++i)
        values << ui->newHardwareBox->findChild<QLineEdit *>(QStringLiteral("sField%1").arg(i))->text();
    values << seconds(ui->iFieldDate->date()) << ui->sFieldLong->toPlainText()
           << QString::number(ownerId);
    return values;
}

bool NewRepairWidget::templateWanted() const
{
    return ui->addTemplateCheckBox->isChecked()
        && ui->addTemplateCheckBox->isVisibleTo(ui->hardwareMenu);
}

int NewRepairWidget::addTemplate()
{
    QStringList values{ui->sHName->text().trimmed(), choice(ui->iHType)};
    for (int i = 1; i <= 14; ++i)
        values << ui->newHardwareBox->findChild<QLineEdit *>(QStringLiteral("sField%1").arg(i))
                      ->text()
                      .trimmed();
    values << seconds(ui->iFieldDate->date()) << ui->sFieldLong->toPlainText();
    return Template::dbInsert(db, values);
}

void NewRepairWidget::addHardware()
{
    if (!validateHardwarePage() || hardwareId != 0)
        return;
    if (!confirmAlone(tr("Dodawanie sprzętu"), tr("Zostanie tylko dodany sprzęt"), ui->sHName->text(),
                      tr("bez tworzenia powiązanej naprawy !"),
                      tr("Czy chcesz dodać tylko sprzęt bez tworzenia powiązanej z nim naprawy ?")))
        return;

    int owner = -1;
    int id = -1;
    QString gone;
    const bool stored = runInTransaction(db, [&] {
        if (!heldRecordsExist(gone, false))
            return false;
        owner = clientOfSave();
        if (owner <= 0)
            return false;
        id = Hardware::dbInsert(db, hardwareValues(owner));
        return id > 0 && (!templateWanted() || addTemplate() > 0);
    });
    if (!stored) {
        saveFailed(tr("Nie udało się dodać sprzętu."), gone);
        return;
    }
    if (clientId == 0)
        holdClient(owner);
    holdHardware(id);
    emit hardwareAdded(id);
}

// Repair

void NewRepairWidget::addRepair()
{
    if (!validateRepairPage())
        return;
    // A type or store status that went with another workstation's deletion
    // is to be picked anew on the device page first.
    if (hardwareId == 0 && !validateHardwarePage()) {
        ui->stackedWidget->setCurrentWidget(ui->hardwarePage);
        return;
    }

    int client = -1;
    int device = -1;
    int repair = -1;
    QString gone;
    const bool stored = runInTransaction(db, [&] {
        // A device back in the shop takes the first status of group 1;
        // without such a status it keeps the one it has. The status is held
        // until the save ends, so that no workstation deletes it as unused
        // meanwhile, and it is held before the other records, in the order
        // every save takes them (heldRecordsExist()).
        QString set;
        if (hardwareId != 0) {
            QSqlQuery status = db->query(
                QStringLiteral("SELECT iStatusId FROM hwstatusesconf WHERE iGroup = 1 ORDER BY iOrder ASC LIMIT 1")
                + QLatin1String(db->dbType == DbWidget::MySQL ? " FOR UPDATE" : ""));
            if (!status.isActive())
                return false;
            if (status.next())
                set = QStringLiteral("iStoreStatus = %1, ").arg(status.value(0).toInt());
        }
        if (!heldRecordsExist(gone, true))
            return false;
        client = clientOfSave();
        if (client <= 0)
            return false;
        if (hardwareId == 0) {
            device = Hardware::dbInsert(db, hardwareValues(client));
            if (device <= 0 || (templateWanted() && addTemplate() <= 0))
                return false;
        } else {
            QSqlQuery update = db->query(QStringLiteral("UPDATE hardware SET %1iReceivedDate = 0 WHERE iId = %2")
                                             .arg(set)
                                             .arg(hardwareId));
            if (!update.isActive())
                return false;
            device = hardwareId;
        }

        const QDateTime addDate = ui->iAddDate->dateTime();
        bool schemeRead = false;
        const QString number = NumberingConfig::generateNumbering(db, user, addDate, QString(),
                                                                  &schemeRead);
        if (!schemeRead)
            return false;
        const QStringList values{
            number,
            QString::number(addDate.toSecsSinceEpoch()),
            seconds(ui->iEndDate->date()),
            choice(ui->iType),
            ui->sCost->text().trimmed(),
            ui->sRepairDescription->toPlainText().trimmed(),
            ui->sComment->toPlainText().trimmed(),
            ui->sOuterNo->text().trimmed(),
            choice(ui->iStatus),
            QString::number(client),
            QString::number(device),
            QString::number(user ? user->id : 0),
            choice(ui->technicanBox),
        };
        repair = Repair::dbInsert(db, values);
        return repair > 0;
    });
    if (!stored) {
        saveFailed(tr("Nie udało się dodać naprawy."), gone);
        return;
    }
    if (clientId == 0)
        holdClient(client);
    if (hardwareId == 0)
        holdHardware(device);
    emit repairAdded(repair);
}

bool NewRepairWidget::heldRecordsExist(QString &gone, bool repairStatus)
{
    // Every save holds what it needs in one order: the hardware type, the
    // hardware status, the repair status, the client, the device (as the
    // device page does). Two saves at two workstations then wait for each
    // other instead of each holding what the other waits for, which MariaDB
    // ends by failing one of them.
    QList<HeldRecord> held;
    // The boxes offer what was read before another workstation could delete it.
    if (hardwareId == 0)
        held << HeldRecord{QStringLiteral("typesconf"), choice(ui->iHType).toInt(), tr("Wybrany typ sprzętu"),
                           MessageBox::Gender::Masculine, QStringLiteral("iTypeId")}
             << HeldRecord{QStringLiteral("hwstatusesconf"), choice(ui->iStoreStatus).toInt(),
                           tr("Wybrany status sprzętu"), MessageBox::Gender::Masculine, QStringLiteral("iStatusId")};
    if (repairStatus)
        held.append({QStringLiteral("statusesconf"), choice(ui->iStatus).toInt(), tr("Wybrany status naprawy"),
                     MessageBox::Gender::Masculine, QStringLiteral("iStatusId")});
    if (clientId != 0)
        held.append({QStringLiteral("clients"), clientId, tr("Wybrany klient (numer %1)").arg(clientId)});
    if (hardwareId != 0)
        held.append({QStringLiteral("hardware"), hardwareId, tr("Wybrany sprzęt (numer %1)").arg(hardwareId)});
    const HeldRecord *missing = nullptr;
    const bool present = holdRecords(db, held, &missing);
    if (missing)
        gone = missing->name;
    return present;
}

void NewRepairWidget::saveFailed(const QString &what, const QString &gone)
{
    if (!gone.isEmpty()) {
        MessageBox::recordDeleted(gone, what + QLatin1Char(' ') + tr("Nic nie zostało zapisane."));
        reloadChoices();
        return;
    }
    if (db && db->commitUncertain()) {
        MessageBox::saveUncertain();
        return;
    }
    // A value too long for its column is named; anything else is a matter
    // of the connection.
    QString reason = ColumnLengths::refusal(db ? db->lastWriteError : QSqlError());
    if (reason.isEmpty())
        reason = tr("Sprawdź połączenie z bazą danych bądź skontaktuj się z pomocą techniczną.");
    MessageBox::warning(tr("Błąd zapisu do bazy"),
                        what + QLatin1Char(' ') + tr("Nic nie zostało zapisane.")
                            + QStringLiteral("\n\n") + reason);
}

void NewRepairWidget::reloadChoices()
{
    // Each box reads its dictionary afresh.
    for (QComboBox *box : {ui->iHType, ui->iStoreStatus, ui->iStatus}) {
        const QVariant picked = box->currentData();
        box->clear();
        if (box == ui->iHType)
            HardwareTypesConfig::setupComboBox(db, box);
        else if (box == ui->iStoreStatus)
            HardwareStatusesConfig::setupComboBox(db, box);
        else
            RepairStatusesConfig::setupComboBox(db, box);
        box->setCurrentIndex(picked.isValid() ? box->findData(picked) : -1);
        // An entry deleted elsewhere is to be picked anew.
        if (box == ui->iStatus || hardwareId == 0)
            checkChoice(box);
    }
}
