#include "repairs/repairdetailswidget.h"
#include "ui_repairDetailsWidget.h"

#include "db/dbwidget.h"
#include "dictionaries/repairstatusesconfig.h"
#include "formin.h"
#include "infodialog.h"
#include "messagebox.h"
#include "notes/note.h"
#include "plaintext.h"
#include "records/refusedsave.h"
#include "records/repair.h"
#include "userwidget.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// The first row of a statement, or an empty record when there is none.
QSqlRecord firstRow(DbWidget *db, const QString &sql)
{
    QSqlQuery q = db->query(sql);
    return q.first() ? q.record() : QSqlRecord();
}

} // namespace

RepairDetailsWidget::RepairDetailsWidget(QWidget *parent, DbWidget *db, UserWidget *user,
                                         Settings *settings, int repairId, bool backEnabled)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::repairDetailsWidget),
      m_repairId(repairId)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->backButton->setEnabled(backEnabled);
    ui->backButton->setVisible(backEnabled);

    const QList<QWidget *> fields = {ui->sNum,  ui->iAddDate, ui->iEndDate, ui->iType, ui->statusName,
                                     ui->sCost, ui->sMCost, ui->sOuterNo, ui->sDefect, ui->sComment};
    for (QWidget *field : fields)
        field->setStyleSheet(FormIn::FormStyle3);
    for (int i = 0; i < Note::Severity[0].size(); ++i)
        ui->noteSeverity->addItem(Note::severityIcon(i), Note::Severity[0].at(i), i);

    connect(ui->backButton, &QPushButton::clicked, this, &RepairDetailsWidget::backToSearch);
    connect(ui->clientButton, &QPushButton::clicked, this, [this] { Q_EMIT showClient(m_clientId); });
    connect(ui->hardwareButton, &QPushButton::clicked, this,
            [this] { Q_EMIT showHardware(m_hardwareId); });
    connect(ui->changeStatusButton, &QPushButton::clicked, this, &RepairDetailsWidget::changeStatus);
    connect(ui->addNoteButton, &QPushButton::clicked, this, &RepairDetailsWidget::addNote);
    connect(ui->setProgressButton, &QPushButton::clicked, this, &RepairDetailsWidget::setProgress);
    connect(ui->iStatus, &QComboBox::currentIndexChanged, this, &RepairDetailsWidget::updateButtons);
    connect(ui->noteText, &QPlainTextEdit::textChanged, this, &RepairDetailsWidget::updateButtons);
    connect(ui->progressBox, &QSpinBox::valueChanged, this, &RepairDetailsWidget::updateButtons);

    readPage(); // nothing is picked yet
}

RepairDetailsWidget::~RepairDetailsWidget()
{
    delete ui;
}

void RepairDetailsWidget::load()
{
    reload(Picks::WhileStoredSame);
}

void RepairDetailsWidget::readPage()
{
    const bool repairRead = loadRepair();
    const bool notesRead = loadNotes();
    updateButtons();
    if (!repairRead || !notesRead)
        (new InfoDialog(nullptr, tr("Błąd ładowania danych !"), InfoDialog::Error))->show();
}

bool RepairDetailsWidget::loadRepair()
{
    // The statuses are read afresh first, so that the status shown, the
    // list to pick from and the group that closes a repair are those other
    // workstations have configured by now.
    m_offered = RepairStatusesConfig::setupComboBox(db, ui->iStatus);
    Repair repair(nullptr, db);
    // A repair whose client or device is gone still shows what it has.
    repair.setJoinMode(QSqlRelationalTableModel::LeftJoin);
    repair.setFilter(QStringLiteral("repairs.iId=%1").arg(m_repairId));
    repair.select();
    const bool found = repair.rowCount() == 1;
    m_found = found;
    // The model shows the numbers, dates, kind and status as staff read them.
    const auto shown = [&repair, found](const char *column) {
        return found ? repair.index(0, repair.fieldIndex(QLatin1String(column))).data().toString()
                     : QString();
    };
    const QSqlRecord stored = found ? repair.record(0) : QSqlRecord();
    m_status = found ? stored.value(QStringLiteral("iStatus")).toInt() : -1;
    m_clientId = found ? repair.getClientId(0) : -1;
    m_hardwareId = found ? repair.getHardwareId(0) : -1;

    PlainText::show(ui->titleLabel, tr("Naprawa nr") + QLatin1Char(' ') + shown("sNum"));
    ui->sNum->setText(shown("sNum"));
    ui->iAddDate->setText(found ? QDateTime::fromSecsSinceEpoch(
                                      stored.value(QStringLiteral("iAddDate")).toLongLong())
                                      .toString(QStringLiteral("dd/MM/yyyy hh:mm"))
                                : QString());
    ui->iEndDate->setText(shown("iEndDate"));
    ui->iType->setText(shown("iType"));
    ui->statusName->setText(shown("iStatus"));
    ui->sCost->setText(shown("sCost"));
    ui->sMCost->setText(shown("sMCost"));
    ui->sOuterNo->setText(shown("sOuterNo"));
    ui->sDefect->setPlainText(shown("sDefect"));
    ui->sComment->setPlainText(shown("sComment"));
    m_storedStatus = stored.value(QStringLiteral("iStatus"));
    m_storedProgress = stored.value(QStringLiteral("iProgress"));
    const int progress = qBound(0, m_storedProgress.toInt(), 100);
    ui->iProgress->setValue(progress);
    ui->progressBox->setValue(progress);

    ui->iStatus->setCurrentIndex(ui->iStatus->findData(m_status));

    const QSqlRecord client = firstRow(db, clientNameStatement(m_clientId));
    const QSqlRecord device = firstRow(db, deviceNameStatement(m_hardwareId));
    QString clientName = client.value(0).toString();
    if (!client.value(1).toString().isEmpty())
        clientName += QLatin1Char(' ') + client.value(1).toString();
    // A long name, or one of several lines, would widen the page past the
    // screen: the button shows it on one line, cut short, the tool tip the
    // whole of it.
    const auto showName = [](QPushButton *button, const QString &label, const QString &name) {
        button->setText(PlainText::buttonText(label + QStringLiteral(": ") + PlainText::firstLine(name.simplified(), 40)));
        button->setToolTip(PlainText::toolTip(name));
    };
    showName(ui->clientButton, tr("Klient"), clientName);
    showName(ui->hardwareButton, tr("Sprzęt"), device.value(0).toString());
    ui->clientButton->setEnabled(!client.isEmpty());
    ui->hardwareButton->setEnabled(!device.isEmpty());
    ui->notesGroup->setEnabled(found);
    return found && !client.isEmpty() && !device.isEmpty() && !m_offered.isEmpty();
}

QString RepairDetailsWidget::clientNameStatement(int clientId)
{
    return QStringLiteral("SELECT sSName, sFName FROM clients WHERE iId = %1").arg(clientId);
}

QString RepairDetailsWidget::deviceNameStatement(int hardwareId)
{
    return QStringLiteral("SELECT sHName FROM hardware WHERE iId = %1").arg(hardwareId);
}

QString RepairDetailsWidget::notesStatement(int repairId)
{
    return QStringLiteral("SELECT notes.iAddDate, notes.iSeverity, notes.sNote, users.sUser, notes.iUserId FROM notes "
                          "LEFT JOIN users ON notes.iUserId = users.iId WHERE notes.iRepairId = %1 "
                          "ORDER BY notes.iAddDate DESC, notes.iId DESC")
        .arg(repairId);
}

bool RepairDetailsWidget::loadNotes()
{
    ui->notesList->clear();
    QSqlQuery q = db->query(notesStatement(m_repairId));
    while (q.next()) {
        const QString note = Note::toPlainText(q.value(2).toString());
        // An author whose account is gone is named as the repair list names one.
        const QString author = q.value(3).isNull() && q.value(4).toInt() != 0 ? tr("Usunięty")
                                                                               : q.value(3).toString();
        auto *item = new QListWidgetItem(
            Note::severityIcon(q.value(1).toInt()),
            QDateTime::fromSecsSinceEpoch(q.value(0).toLongLong()).toString(QStringLiteral("dd/MM/yyyy hh:mm"))
                + QStringLiteral(" | ") + author + QLatin1Char('\n') + note);
        item->setToolTip(PlainText::toolTip(note));
        ui->notesList->addItem(item);
    }
    return q.isActive() && q.lastError().type() == QSqlError::NoError;
}

void RepairDetailsWidget::updateButtons()
{
    // Notes are open to every level; status and progress to those who may
    // take in repairs.
    const bool editable = m_found && UserWidget::mayEditRepairs(user);
    ui->iStatus->setEnabled(editable);
    ui->progressBox->setEnabled(editable);
    ui->changeStatusButton->setEnabled(editable && ui->iStatus->currentIndex() >= 0
                                       && ui->iStatus->currentData().toInt() != m_status);
    ui->addNoteButton->setEnabled(m_found && !ui->noteText->toPlainText().trimmed().isEmpty());
    ui->setProgressButton->setEnabled(editable && ui->progressBox->value() != ui->iProgress->value());
}

void RepairDetailsWidget::changeStatus()
{
    if (!m_found || ui->iStatus->currentIndex() < 0 || !UserWidget::mayEditRepairs(user))
        return;
    // The status as the box offers it: the shared dictionary may have been
    // read anew, or failed to be, since the box was filled.
    const int statusId = ui->iStatus->currentData().toInt();
    const RepairStatusesConfig::RepairStatus status = m_offered.value(statusId);
    if (!MessageBox::confirm(tr("Zmiana statusu"),
                             tr("Czy na pewno chcesz zmienić status naprawy na \"%1\" ?")
                                 .arg(status.description),
                             this))
        return;
    // The moment of closing replaces the planned completion date.
    const QString endDate = status.group == 3
        ? QStringLiteral(", iEndDate = %1").arg(QDateTime::currentSecsSinceEpoch())
        : QString();
    const int userId = user ? user->id : 0;
    // Written only over the status the page shows, and only while the status
    // picked is still there: the list was read before another workstation
    // could delete it.
    Repair::Update outcome = Repair::Update::Failed;
    HeldRecord gone;
    const bool saved = saveRepair(
        [&] {
            outcome = Repair::updateShown(db, m_repairId,
                                          QStringLiteral("iStatus = %1%2").arg(statusId).arg(endDate),
                                          QStringLiteral("iStatus"), m_storedStatus);
            if (outcome != Repair::Update::Written)
                return outcome == Repair::Update::ChangedElsewhere;
            return Note::add(db, m_repairId, 1,
                             tr("Zmiana statusu naprawy na") + QStringLiteral(" \"")
                                 + status.description.toHtmlEscaped() + QLatin1Char('"'),
                             userId);
        },
        {{QStringLiteral("statusesconf"), statusId, tr("Wybrany status"),
          MessageBox::Gender::Masculine, QStringLiteral("iStatusId")}},
        &gone);
    if (gone.table == QLatin1String("statusesconf")) {
        reload(Picks::Kept);
        return;
    }
    if (!saved)
        return;
    if (outcome == Repair::Update::ChangedElsewhere) {
        refuseChangedElsewhere(tr("Status"));
        return;
    }
    load();
    Q_EMIT repairStatusChanged();
}

void RepairDetailsWidget::addNote()
{
    const QString text = ui->noteText->toPlainText().trimmed();
    if (!m_found || text.isEmpty())
        return;
    // In a transaction of its own: a note whose save is reported failed
    // (the connection lost on the way) is not stored either.
    const int severity = ui->noteSeverity->currentIndex();
    if (!saveRepair([&] {
            return Note::add(db, m_repairId, severity, Note::fromPlainText(text), user ? user->id : 0);
        }))
        return;
    ui->noteText->clear();
    // Shown as stored: another workstation may have changed the repair.
    load();
}

void RepairDetailsWidget::setProgress()
{
    if (!m_found || !UserWidget::mayEditRepairs(user))
        return;
    const QString progress = QStringLiteral("iProgress = %1").arg(ui->progressBox->value());
    Repair::Update outcome = Repair::Update::Failed;
    if (!saveRepair([&] {
            outcome = Repair::updateShown(db, m_repairId, progress, QStringLiteral("iProgress"), m_storedProgress);
            return outcome != Repair::Update::Failed;
        }))
        return;
    if (outcome == Repair::Update::ChangedElsewhere) {
        refuseChangedElsewhere(tr("Postęp"));
        return;
    }
    load();
    Q_EMIT repairStatusChanged();
}

void RepairDetailsWidget::reload(Picks keep)
{
    const int status = m_status;
    const int progress = ui->iProgress->value();
    const QVariant pickedStatus = ui->iStatus->currentData();
    const int pickedProgress = ui->progressBox->value();
    readPage();
    if (keep == Picks::Dropped)
        return;
    const bool always = keep == Picks::Kept;
    // Found again by its id: the list is read anew and may have changed.
    const int index = ui->iStatus->findData(pickedStatus);
    if (pickedStatus.isValid() && index >= 0 && (always || m_status == status))
        ui->iStatus->setCurrentIndex(index);
    if (always || ui->iProgress->value() == progress)
        ui->progressBox->setValue(pickedProgress);
}

void RepairDetailsWidget::refuseChangedElsewhere(const QString &field)
{
    // Nothing was written; the pick stays for another try unless staff want
    // the repair read again.
    reload(MessageBox::changedElsewhere({field}, this) ? Picks::Dropped : Picks::Kept);
}

bool RepairDetailsWidget::saveRepair(const std::function<bool()> &work, const QList<HeldRecord> &also,
                                     HeldRecord *gone)
{
    // The repair after the status it is given, in the order an intake and a
    // bill hold theirs.
    return saveHoldingRecords(db,
                              also
                                  + QList<HeldRecord>{{QStringLiteral("repairs"), m_repairId, tr("Ta naprawa"),
                                                       MessageBox::Gender::Feminine}},
                              tr("Zmiany nie zostały zapisane."), work, this, gone);
}
