#include "repairs/repairswidget.h"
#include "ui_repairsWidget.h"

#include "clients/clientwidget.h"
#include "db/dbwidget.h"
#include "hardware/hardwarewidget.h"
#include "dictionaries/technicians.h"
#include "formin.h"
#include "messagebox.h"
#include "notes/note.h"
#include "pagestack.h"
#include "plaintext.h"
#include "records/repair.h"
#include "repairs/detailpages.h"
#include "repairs/newrepairwidget.h"
#include "repairs/repairdetailswidget.h"
#include "search/searchwidget.h"
#include "topframewidget.h"
#include "userwidget.h"

#include <QDate>
#include <QDateTime>
#include <QListWidgetItem>
#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTimer>

namespace {

// How long the quick search's marks stay.
constexpr int QuickSearchMarkMs = 2000;
// Text of the automatic notes of status changes, which the latest notes skip.
const QString StatusChangeNote = QStringLiteral("Zmiana statusu naprawy na");

// A row of the latest notes. Its texts are made when the list asks for them
// (a list of uniform rows asks only for the rows it shows), and the tool
// tip's client and device are read by the repair's key when it is first
// shown: the page lists thousands of notes, few of which are ever looked at.
// The icon and the repair id (Qt::UserRole) come from the fields as well, so
// that a row holds no list of values of its own.
class LatestNoteItem : public QListWidgetItem
{
public:
    LatestNoteItem(DbWidget *db, qint64 added, int severity, const QString &note, int repairId,
                   const QString &author)
        : m_db(db), m_added(added), m_severity(severity), m_note(note), m_repairId(repairId), m_author(author)
    {
    }

    QVariant data(int role) const override
    {
        if (role == Qt::DecorationRole)
            return Note::severityIcon(m_severity);
        if (role == Qt::UserRole)
            return m_repairId;
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            if (m_text.isNull()) {
                // One line of text under the heading, so that every row has
                // the same height.
                QString text = Note::toPlainText(m_note)
                                   .replace(QLatin1Char('\n'), QLatin1Char(' '))
                                   .replace(QLatin1Char('\r'), QLatin1Char(' '));
                if (text.size() > 80) {
                    // Not between the two halves of a character beyond 16 bits.
                    text = text.left(text.at(79).isHighSurrogate() ? 79 : 80) + QStringLiteral("...");
                }
                m_text = QDateTime::fromSecsSinceEpoch(m_added).toString(QStringLiteral("dd/MM/yy hh:mm"))
                         + QStringLiteral(" | ") + m_author + QLatin1Char('\n') + text;
            }
            return m_text;
        }
        if (role == Qt::ToolTipRole) {
            if (m_toolTip.isNull())
                m_toolTip = toolTip(m_db, m_repairId, m_note);
            return m_toolTip;
        }
        return QListWidgetItem::data(role);
    }

private:
    static QString toolTip(DbWidget *db, int repairId, const QString &note)
    {
        QString client, hardware;
        QSqlQuery q = db->query(QStringLiteral("SELECT repairs.iId, clients.sSName, clients.sFName, hardware.sHName "
                                               "FROM repairs LEFT JOIN clients ON repairs.iClientId = clients.iId "
                                               "LEFT JOIN hardware ON repairs.iHardwareId = hardware.iId "
                                               "WHERE repairs.iId = %1")
                                    .arg(repairId));
        if (q.next()) {
            client = q.value(1).toString();
            const QString firstName = q.value(2).toString();
            if (!firstName.isEmpty())
                client += QStringLiteral(", ") + firstName;
            hardware = q.value(3).toString();
        }
        return RepairsWidget::tr("Naprawa nr: <b>") + QString::number(repairId) + QStringLiteral("</b><br>")
               + RepairsWidget::tr("Klient: <b>") + PlainText::markup(client) + QStringLiteral("</b><br>")
               + RepairsWidget::tr("Sprzęt") + QStringLiteral(": <b>") + PlainText::markup(hardware)
               + QStringLiteral("</b><br><br>") + PlainText::markup(Note::toPlainText(note));
    }

    DbWidget *m_db;
    qint64 m_added;
    int m_severity;
    QString m_note;
    int m_repairId;
    QString m_author;
    mutable QString m_text;
    mutable QString m_toolTip;
};

} // namespace

RepairsWidget::RepairsWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::repairsWidget)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->repairsStack->setCurrentWidget(ui->startPage);
    // The search page and the detail pages are wider than the start page.
    sizeStackToCurrentPage(ui->repairsStack);

    connect(ui->newRepairButton, &QPushButton::clicked, this, &RepairsWidget::showNewRepairWidget);
    for (QPushButton *preset : {ui->searchGeneralButton, ui->searchLastButton, ui->searchActiveButton,
                                ui->searchToExpireButton, ui->searchExpiredButton})
        connect(preset, &QPushButton::clicked, this, &RepairsWidget::showRepairSearch);
    connect(ui->quickSearchByIdButton, &QPushButton::clicked, this, &RepairsWidget::quickSearchById);
    connect(ui->repairId, &QLineEdit::returnPressed, this, &RepairsWidget::quickSearchById);
    connect(ui->lastNotesPeriod, &QSpinBox::valueChanged, this, &RepairsWidget::loadLastNotes);
    connect(ui->lastNotesList, &QListWidget::itemDoubleClicked, this,
            &RepairsWidget::lastNotesRepairShortcut);

    loadCounters();
    ui->newRepairButton->setEnabled(UserWidget::mayEditRepairs(user));
    // The notice comes and goes without moving the rows below it.
    QSizePolicy policy = ui->quickSearchResultLabel->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui->quickSearchResultLabel->setSizePolicy(policy);
    ui->quickSearchResultLabel->hide();
    loadLastNotes(ui->lastNotesPeriod->value());
    QTimer::singleShot(0, ui->repairId, [edit = ui->repairId] {
        edit->setFocus();
        edit->setCursorPosition(0);
    });
}

RepairsWidget::~RepairsWidget()
{
    delete ui;
}

SearchWidget *RepairsWidget::repairsList()
{
    // Built on the first visit, as the intake: the start page opens without
    // it, and no hidden list repeats its search until staff open it.
    if (!searchPage) {
        searchPage = new SearchWidget(ui->repairsStack, db, user, settings, SearchWidget::RepairsVariant, true);
        ui->repairsStack->addWidget(searchPage);
        connect(searchPage, &SearchWidget::showSelectedById, this, &RepairsWidget::showRepairDetailsWidget);
        connect(searchPage, &SearchWidget::dbItemsCountChanged, this, &RepairsWidget::repairsStatusChanged);
    }
    return searchPage;
}

NewRepairWidget *RepairsWidget::createNewRepairPage()
{
    auto *page = new NewRepairWidget(ui->repairsStack, db, user, settings);
    page->setObjectName(QStringLiteral("newRepairPage"));
    // A new repair first reloads the header bar, then opens its page.
    connect(page, &NewRepairWidget::repairAdded, this, &RepairsWidget::repairsStatusChanged);
    connect(page, &NewRepairWidget::repairAdded, this, &RepairsWidget::showRepairDetailsWidget);
    connect(page, &NewRepairWidget::hardwareAdded, this, &RepairsWidget::showHardwareById);
    connect(page, &NewRepairWidget::clientAdded, this, &RepairsWidget::showClientById);
    return page;
}

QWidget *RepairsWidget::createClientPage(int clientId, bool fromSearch)
{
    auto *page = new ClientWidget(ui->repairsStack, db, user, settings, clientId, fromSearch);
    connect(page, &ClientWidget::backToSearch, this, &RepairsWidget::backFromDetails);
    connect(page, &ClientWidget::showRepairDetails, this, &RepairsWidget::showRepairDetailsWidget);
    connect(page, &ClientWidget::dbItemsCountChanged, this, &RepairsWidget::repairsStatusChanged);
    return page;
}

QWidget *RepairsWidget::createHardwarePage(int hardwareId, bool fromSearch)
{
    auto *page = new HardwareWidget(ui->repairsStack, db, user, settings, hardwareId, fromSearch);
    connect(page, &HardwareWidget::backToSearch, this, &RepairsWidget::backFromDetails);
    connect(page, &HardwareWidget::showRepairDetails, this, &RepairsWidget::showRepairDetailsWidget);
    connect(page, &HardwareWidget::dbItemsCountChanged, this, &RepairsWidget::repairsStatusChanged);
    return page;
}

void RepairsWidget::loadCounters()
{
    const int open = TopFrameWidget::repairsInGroup(db, 1);
    const int waiting = TopFrameWidget::repairsInGroup(db, 2);
    ui->activeCountLabel->setText(TopFrameWidget::countText(open));
    ui->waitingCountLabel->setText(TopFrameWidget::countText(waiting));
    // Without both counts there are no shares to show.
    const int all = open >= 0 && waiting >= 0 ? open + waiting : 0;
    ui->activeProgressBar->setValue(all > 0 ? open * 100 / all : 0);
    ui->waitingProgressBar->setValue(all > 0 ? waiting * 100 / all : 0);
}

void RepairsWidget::showNewRepairWidget()
{
    // Built on the first visit: most visits of the start page take no
    // repair in. Dated anew on every visit: the page may have stood open
    // overnight.
    if (!newRepairPage) {
        newRepairPage = createNewRepairPage();
        ui->repairsStack->addWidget(newRepairPage);
    }
    newRepairPage->opened();
    ui->repairsStack->setCurrentWidget(newRepairPage);
}

void RepairsWidget::showRepairDetailsWidget(int repairId)
{
    // Only a repair chosen in the search list has a way back: to the list.
    const bool fromList = sender() == searchPage;
    auto *page = new RepairDetailsWidget(ui->repairsStack, db, user, settings, repairId, fromList);
    connect(page, &RepairDetailsWidget::showClient, this, &RepairsWidget::showClientById);
    connect(page, &RepairDetailsWidget::showHardware, this, &RepairsWidget::showHardwareById);
    connect(page, &RepairDetailsWidget::backToSearch, this, &RepairsWidget::showRepairSearch);
    connect(page, &RepairDetailsWidget::repairStatusChanged, this, &RepairsWidget::repairsStatusChanged);
    replaceDetailPage(ui->repairsStack, repairPage, page);
}

void RepairsWidget::showClientById(int clientId)
{
    // A client just added through the intake has no way back.
    replaceDetailPage(ui->repairsStack, clientPage,
                      createClientPage(clientId, sender() != newRepairPage));
}

void RepairsWidget::showHardwareById(int hardwareId)
{
    replaceDetailPage(ui->repairsStack, hardwarePage,
                      createHardwarePage(hardwareId, sender() != newRepairPage));
}

void RepairsWidget::backFromDetails()
{
    // Back from a client or hardware page to the repair page that opened it,
    // which shows what was changed there.
    auto *page = qobject_cast<RepairDetailsWidget *>(repairPage.data());
    if (!page)
        return;
    ui->repairsStack->setCurrentWidget(page);
    page->load();
}

void RepairsWidget::showRepairSearch()
{
    ui->repairsStack->setCurrentWidget(repairsList());
    QObject *from = sender();
    const QDate today = QDate::currentDate();
    bool addDate = false;
    bool active = false;
    bool endDate = false;
    QDate fromEnd;
    QDate toEnd;
    if (from == ui->searchLastButton) {
        addDate = true;
    } else if (from == ui->searchActiveButton) {
        active = true;
    } else if (from == ui->searchToExpireButton) {
        active = endDate = true;
        fromEnd = today;
        toEnd = today.addDays(7);
    } else if (from == ui->searchExpiredButton) {
        active = endDate = true;
        fromEnd = today.addYears(-1);
        toEnd = today.addDays(-1);
    } else {
        // "Szukaj naprawy" and a repair page's way back: the list as it is.
        return;
    }

    // Every preset sets each filter that any preset uses, so that its list
    // does not depend on the preset pressed before it.
    SearchWidget *s = searchPage;
    if (s->stackedWidget->currentWidget() != s->repairSearchPage)
        s->repairsTool->click();
    s->addDateBox->setChecked(addDate);
    if (addDate) {
        s->fromAddDate->setDate(today.addDays(-14));
        s->toAddDate->setDate(today.addDays(1));
    }
    s->endDateBox->setChecked(endDate);
    if (endDate) {
        s->fromEndDate->setDate(fromEnd);
        s->toEndDate->setDate(toEnd);
    }
    s->repairStatus->setChecked(false);
    s->repairStatusOpen->setChecked(active);
    s->repairStatusWaiting->setChecked(active);
    s->repairStatusClosed->setChecked(false);
    s->search();
}

int RepairsWidget::repairIdFromText(const QString &text)
{
    // A scanned repair card: "*", repair id, "I", hardware id, "I", client
    // id, "I", "*"; then a display number: repair id, "/", stored number;
    // then a plain id with blanks around it.
    static const QRegularExpression card(QStringLiteral("([0-9]+)I([0-9]+)I([0-9]+)I"));
    static const QRegularExpression display(QStringLiteral("([0-9]+)/"));
    static const QRegularExpression plain(QStringLiteral("^\\s*([0-9]+)\\s*$"));
    QRegularExpressionMatch match = card.match(text);
    if (!match.hasMatch())
        match = display.match(text);
    if (!match.hasMatch())
        match = plain.match(text);
    bool ok = false;
    const int id = match.hasMatch() ? match.captured(1).toInt(&ok) : -1;
    return ok ? id : -1;
}

void RepairsWidget::quickSearchById()
{
    if (ui->repairId->text().isEmpty()) {
        ui->repairId->setStyleSheet(FormIn::FormStyle2);
        QTimer::singleShot(QuickSearchMarkMs, this, &RepairsWidget::quickSearchReset);
        return;
    }
    const int id = repairIdFromText(ui->repairId->text());
    QSqlError failed;
    if (id >= 0) {
        Repair model(this, db);
        // A repair whose client or device is gone is there all the same, and
        // its page shows what it has.
        model.setJoinMode(QSqlRelationalTableModel::LeftJoin);
        model.setFilter(QStringLiteral("repairs.iId=%1").arg(id));
        if (!model.select())
            failed = model.lastError();
        if (model.rowCount() == 1) {
            showRepairDetailsWidget(id);
            return;
        }
    }
    // The text stays to be seen, selected: the next scan or typing replaces
    // it rather than running on after it.
    ui->repairId->setFocus();
    ui->repairId->selectAll();
    if (failed.isValid()) {
        // Not known to be missing: the repair may well be there.
        MessageBox::readFailed(tr("Nie udało się sprawdzić, czy naprawa o tym numerze istnieje."), failed, this);
        return;
    }
    ui->quickSearchResultLabel->show();
    QTimer::singleShot(QuickSearchMarkMs, this, &RepairsWidget::quickSearchReset);
}

void RepairsWidget::quickSearchReset()
{
    ui->repairId->setStyleSheet(QString());
    ui->quickSearchResultLabel->hide();
}

QString RepairsWidget::lastNotesStatement(qint64 cutoff)
{
    return QStringLiteral("SELECT notes.iAddDate, notes.iSeverity, notes.sNote, notes.iRepairId, notes.iUserId "
                          "FROM notes WHERE notes.iAddDate >= %1 ORDER BY notes.iAddDate DESC")
        .arg(cutoff);
}

void RepairsWidget::loadLastNotes(int days)
{
    ui->lastNotesList->clear();
    // Afresh: an author may have been added or renamed at another workstation.
    const QMap<int, QString> authors = userNames(db, false, true);
    // Whole days back from now: 2 lists the notes of the last 48 hours.
    const qint64 cutoff = QDateTime::currentSecsSinceEpoch() - qint64(days) * 86400;
    *query = db->query(lastNotesStatement(cutoff));
    {
        // Thousands of rows go in while the list's model keeps quiet, and its
        // view is told once (reset) instead of once for every row.
        const QSignalBlocker quiet(ui->lastNotesList->model());
        while (query->next()) {
            const QString note = query->value(2).toString();
            if (note.contains(StatusChangeNote))
                continue;
            ui->lastNotesList->addItem(new LatestNoteItem(db, query->value(0).toLongLong(),
                                                          query->value(1).toInt(), note, query->value(3).toInt(),
                                                          authors.value(query->value(4).toInt())));
        }
    }
    ui->lastNotesList->reset();
}

void RepairsWidget::lastNotesRepairShortcut(QListWidgetItem *item)
{
    if (item)
        showRepairDetailsWidget(item->data(Qt::UserRole).toInt());
}
