#include "repairs/repairswidget.h"
#include "ui_repairsWidget.h"

#include "clients/clientwidget.h"
#include "db/dbwidget.h"
#include "hardware/hardwarewidget.h"
#include "formin.h"
#include "notes/note.h"
#include "pagestack.h"
#include "records/repair.h"
#include "repairs/detailpages.h"
#include "repairs/newrepairwidget.h"
#include "repairs/repairdetailswidget.h"
#include "search/searchfilterbuilder.h"
#include "search/searchwidget.h"
#include "topframewidget.h"
#include "userwidget.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QListWidgetItem>
#include <QSet>
#include <QRegularExpression>
#include <QTimer>

namespace {

// How long the quick search's marks stay.
constexpr int QuickSearchMarkMs = 2000;
// Text of the automatic notes of status changes, which the latest notes skip.
const QString StatusChangeNote = QStringLiteral("Zmiana statusu naprawy na");

} // namespace

RepairsWidget::RepairsWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::repairsWidget)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->repairsStack->setCurrentWidget(ui->startPage);
    // The search page and the detail pages are wider than the start page.
    sizeStackToCurrentPage(ui->repairsStack);

    searchPage = new SearchWidget(ui->repairsStack, db, user, settings, SearchWidget::RepairsVariant, true);
    ui->repairsStack->addWidget(searchPage);
    connect(searchPage, &SearchWidget::showSelectedById, this, &RepairsWidget::showRepairDetailsWidget);
    connect(searchPage, &SearchWidget::dbItemsCountChanged, this, &RepairsWidget::repairsStatusChanged);

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
    ui->newRepairButton->setEnabled(user && user->level <= 5);
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
    return page;
}

QWidget *RepairsWidget::createHardwarePage(int hardwareId, bool fromSearch)
{
    auto *page = new HardwareWidget(ui->repairsStack, db, user, settings, hardwareId, fromSearch);
    connect(page, &HardwareWidget::backToSearch, this, &RepairsWidget::backFromDetails);
    connect(page, &HardwareWidget::showRepairDetails, this, &RepairsWidget::showRepairDetailsWidget);
    return page;
}

void RepairsWidget::loadCounters()
{
    const int open = TopFrameWidget::repairsInGroup(db, 1);
    const int waiting = TopFrameWidget::repairsInGroup(db, 2);
    ui->activeCountLabel->setText(QString::number(open));
    ui->waitingCountLabel->setText(QString::number(waiting));
    const int all = open + waiting;
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
    ui->repairsStack->setCurrentWidget(searchPage);
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
    bool found = false;
    if (id >= 0) {
        Repair model(this, db);
        model.setFilter(QStringLiteral("repairs.iId=%1").arg(id));
        model.select();
        found = model.rowCount() == 1;
    }
    if (found) {
        showRepairDetailsWidget(id);
    } else {
        ui->quickSearchResultLabel->show();
        QTimer::singleShot(QuickSearchMarkMs, this, &RepairsWidget::quickSearchReset);
    }
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

QString RepairsWidget::notedRepairsStatement(const QList<int> &repairIds)
{
    return QStringLiteral("SELECT repairs.iId, clients.sSName, clients.sFName, hardware.sHName FROM repairs "
                          "LEFT JOIN clients ON repairs.iClientId = clients.iId "
                          "LEFT JOIN hardware ON repairs.iHardwareId = hardware.iId WHERE ")
        + SearchFilterBuilder::anyOf(QStringLiteral("repairs.iId"), repairIds);
}

QString RepairsWidget::noteAuthorsStatement(const QList<int> &userIds)
{
    return QStringLiteral("SELECT users.iId, users.sUser FROM users WHERE ")
           + SearchFilterBuilder::anyOf(QStringLiteral("users.iId"), userIds);
}

void RepairsWidget::loadLastNotes(int days)
{
    ui->lastNotesList->clear();
    // Whole days back from now: 2 lists the notes of the last 48 hours.
    const qint64 cutoff = QDateTime::currentSecsSinceEpoch() - qint64(days) * 86400;
    struct Line
    {
        qint64 added;
        int severity;
        QString note;
        int repairId;
        int userId;
    };
    QVector<Line> lines;
    QSet<int> repairIds, userIds;
    *query = db->query(lastNotesStatement(cutoff));
    while (query->next()) {
        const QString note = query->value(2).toString();
        if (note.contains(StatusChangeNote))
            continue;
        lines.append({query->value(0).toLongLong(), query->value(1).toInt(), note, query->value(3).toInt(),
                      query->value(4).toInt()});
        repairIds.insert(lines.constLast().repairId);
        userIds.insert(lines.constLast().userId);
    }
    if (lines.isEmpty())
        return;

    // The tool tips' client and device and the authors: the few rows the
    // notes name, each read once by its key instead of joined to every note.
    struct Noted
    {
        QString client;
        QString hardware;
    };
    QHash<int, Noted> noted;
    *query = db->query(notedRepairsStatement(repairIds.values()));
    while (query->next()) {
        QString client = query->value(1).toString().toHtmlEscaped();
        const QString firstName = query->value(2).toString();
        if (!firstName.isEmpty())
            client += QStringLiteral(", ") + firstName.toHtmlEscaped();
        noted.insert(query->value(0).toInt(), {client, query->value(3).toString().toHtmlEscaped()});
    }
    QHash<int, QString> authors;
    *query = db->query(noteAuthorsStatement(userIds.values()));
    while (query->next())
        authors.insert(query->value(0).toInt(), query->value(1).toString());

    for (const Line &line : std::as_const(lines)) {
        // One line of text under the heading, so that every row has the
        // same height.
        QString text = Note::toPlainText(line.note).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (text.size() > 80)
            text = text.left(80) + QStringLiteral("...");
        auto *item = new QListWidgetItem(
            Note::severityIcon(line.severity),
            QDateTime::fromSecsSinceEpoch(line.added).toString(QStringLiteral("dd/MM/yy hh:mm"))
                + QStringLiteral(" | ") + authors.value(line.userId) + QLatin1Char('\n') + text);
        item->setData(Qt::UserRole, line.repairId);
        const Noted repair = noted.value(line.repairId);
        item->setToolTip(tr("Naprawa nr: <b>") + QString::number(line.repairId) + QStringLiteral("</b><br>")
                         + tr("Klient: <b>") + repair.client + QStringLiteral("</b><br>") + tr("Sprzęt")
                         + QStringLiteral(": <b>") + repair.hardware + QStringLiteral("</b><br><br>")
                         + line.note);
        ui->lastNotesList->addItem(item);
    }
}

void RepairsWidget::lastNotesRepairShortcut(QListWidgetItem *item)
{
    if (item)
        showRepairDetailsWidget(item->data(Qt::UserRole).toInt());
}
