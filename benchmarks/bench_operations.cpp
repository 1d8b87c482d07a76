// Timings of what staff do every day on a large database, through the
// program's own classes, each beside its own SQL (the same statements run
// directly through QSqlQuery) and the best statements known:
// searches of every register with a typical filter, the presets of the
// repairs start page, the start page itself, the quick search, a status
// change with its note, an intake saved, a client deleted with its repairs
// and notes, both sub-searches, and the repair, client and hardware pages
// (with the requests each page sends to a server).
//
//   QT_QPA_PLATFORM=offscreen TZ=Europe/Warsaw build/benchmarks/bench_operations
//
// The database is the one WARSZTAT_BENCH_INI names, or one generated here
// (see benchsupport.h).

#include "benchsupport.h"
#include "clients/clientwidget.h"
#include "db/dbwidget.h"
#include "hardware/hardwarewidget.h"
#include "messagebox.h"
#include "popupmenu.h"
#include "records/recordmodel.h"
#include "records/repair.h"
#include "repairs/newrepairwidget.h"
#include "repairs/repairdetailswidget.h"
#include "repairs/repairswidget.h"
#include "search/searchwidget.h"
#include "settings.h"
#include "testmain.h"
#include "userwidget.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace {

Bench::Shop *shop = nullptr;
DbWidget *db = nullptr;
UserWidget *admin = nullptr;
Settings *settings = nullptr;
std::vector<std::unique_ptr<QWidget>> pages;

template<typename W> W *keep(W *widget)
{
    pages.emplace_back(widget);
    widget->resize(1200, 800);
    return widget;
}

// A widget of root's own form by name: search pages inside root have fields
// of the same names.
template<typename W> W *own(QWidget *root, const char *name)
{
    for (W *found : root->findChildren<W *>(QLatin1String(name))) {
        QObject *up = found->parent();
        while (up && up != root && !qobject_cast<SearchWidget *>(up))
            up = up->parent();
        if (up == root)
            return found;
    }
    qFatal("no widget %s", name);
}

// The n-th of count ids spread over 1..count, a new one each run so that no
// run reads what the one before left in the cache.
int spread(int n, int count)
{
    return 1 + int((qint64(n) * 7919 + 4099) % count);
}

// Opens a page and paints the first screen of every list on it; the page's
// model statements go to statements.
double openPage(const std::function<QWidget *()> &make, QStringList *statements)
{
    std::unique_ptr<QWidget> page;
    const double ms = Bench::timed([&] {
        page.reset(make());
        page->resize(1200, 800);
        for (QAbstractItemModel *model : page->findChildren<QSqlQueryModel *>())
            Bench::paintFirstScreen(model);
    });
    *statements = Bench::modelStatements(page.get());
    return ms;
}

// A case whose runs each leave the statements their floor replays.
void addPageCase(const QString &name, const std::function<double(int, QStringList *)> &program,
                 const std::function<QStringList(int)> &extraFloor = {})
{
    auto runs = std::make_shared<std::vector<QStringList>>();
    auto programRun = std::make_shared<int>(0);
    auto floorRun = std::make_shared<int>(0);
    Bench::addCase(
        name,
        [=] {
            QStringList statements;
            const double ms = program((*programRun)++, &statements);
            runs->push_back(statements);
            return ms;
        },
        [=] {
            const int run = (*floorRun)++;
            QStringList statements = runs->at(size_t(run) % runs->size());
            if (extraFloor)
                statements += extraFloor(run);
            return Bench::readAll(db, statements);
        });
}

void searchCases()
{
    auto page = [](SearchWidget::SearchVariant variant) {
        return keep(new SearchWidget(nullptr, db, admin, settings, variant, true));
    };
    SearchWidget *clients = page(SearchWidget::ClientsVariant);
    clients->sSName->setText(QStringLiteral("owalsk"));
    Bench::addSearchCase(QStringLiteral("search: clients, surname fragment"), clients);

    SearchWidget *repairs = page(SearchWidget::RepairsVariant);
    repairs->repairId->setText(QString::number(shop->count(QStringLiteral("repairs")) / 2));
    Bench::addSearchCase(QStringLiteral("search: repairs, repair id"), repairs);

    SearchWidget *open = page(SearchWidget::RepairsVariant);
    open->repairStatusOpen->setChecked(true);
    open->addDateBox->setChecked(true);
    open->fromAddDate->setDate(QDate::currentDate().addYears(-1));
    open->toAddDate->setDate(QDate::currentDate());
    Bench::addSearchCase(QStringLiteral("search: repairs, open group, last year"), open, Bench::pageThenJoins);

    SearchWidget *hardware = page(SearchWidget::HardwareVariant);
    hardware->sHName->setText(QStringLiteral("ThinkPad"));
    Bench::addSearchCase(QStringLiteral("search: hardware, device name fragment"), hardware);

    SearchWidget *bills = page(SearchWidget::BillsVariant);
    bills->billClientId->setText(shop->scalar(QStringLiteral(
        "SELECT iClientId FROM billing GROUP BY iClientId ORDER BY COUNT(*) DESC, iClientId LIMIT 1")));
    Bench::addSearchCase(QStringLiteral("search: bills of one client"), bills);

    // Clients whose postal code has "-0": a tenth of them. The best floor is
    // the whole statement the program ran before, with the clients chosen
    // in a subquery, for comparison: the condition on the joined client row
    // that the program runs now is the best known.
    SearchWidget *sub = page(SearchWidget::RepairsVariant);
    sub->clientsTool->click();
    sub->sPostal->setText(QStringLiteral("-0"));
    const int ids = shop->count(QStringLiteral("clients"), QStringLiteral("sPostal LIKE '%-0%'"));
    Bench::addSearchCase(QStringLiteral("sub-search: repairs of %1 clients").arg(ids), sub);

    // The devices of the clients of one surname.
    SearchWidget *devices = page(SearchWidget::HardwareVariant);
    devices->clientsTool->click();
    devices->sSName->setText(QStringLiteral("Wójcik"));
    Bench::addSearchCase(QStringLiteral("sub-search: hardware of clients by surname"), devices);
}

// The presets of the repairs start page: each button fills the filters of the
// page's repairs list and searches.
void presetCases()
{
    RepairsWidget *start = keep(new RepairsWidget(nullptr, db, admin, settings));
    own<QPushButton>(start, "searchGeneralButton")->click();
    auto *list = start->findChild<SearchWidget *>();
    const QPair<const char *, const char *> presets[] = {{"searchLastButton", "Ostatnie naprawy"},
                                                         {"searchActiveButton", "Naprawy w trakcie"},
                                                         {"searchToExpireButton", "Naprawy wygasające"},
                                                         {"searchExpiredButton", "Naprawy po terminie"}};
    for (const auto &preset : presets) {
        const QString button = QLatin1String(preset.first);
        Bench::addSearchCase(QStringLiteral("preset: ") + QString::fromUtf8(preset.second), list,
                             Bench::pageThenJoins,
                             [=] { own<QPushButton>(start, qPrintable(button))->click(); });
    }
}

void startPageCases()
{
    const int period = RepairsWidget(nullptr, db, admin, settings).findChild<QSpinBox *>("lastNotesPeriod")->value();
    const QString counter = QStringLiteral(
        "SELECT COUNT(repairs.iId) FROM repairs LEFT JOIN statusesconf ON repairs.iStatus = "
        "statusesconf.iStatusId WHERE statusesconf.iGroup = %1");
    // The page's statement of the latest notes as it would run now.
    auto lastNotes = [period] {
        return RepairsWidget::lastNotesStatement(QDateTime::currentSecsSinceEpoch() - qint64(period) * 86400);
    };
    Bench::addCase(
        QStringLiteral("repairs start page: counters and last notes"),
        [] {
            std::unique_ptr<RepairsWidget> page;
            const double ms = Bench::timed([&] { page.reset(new RepairsWidget(nullptr, db, admin, settings)); });
            Bench::note(QStringLiteral("latest notes listed"),
                        QString::number(page->findChild<QListWidget *>("lastNotesList")->count()));
            return ms;
        },
        [=] { return Bench::readAll(db, {counter.arg(1), counter.arg(2), lastNotes()}); });
    // What the start page's time is held against: the latest notes alone.
    const Bench::Run lastNotesAlone = [=] { return Bench::readAll(db, {lastNotes()}); };
    Bench::addCase(QStringLiteral("the latest notes statement alone"), lastNotesAlone, lastNotesAlone);

    // The quick search opens the repair page of the id typed.
    RepairsWidget *start = keep(new RepairsWidget(nullptr, db, admin, settings));
    const int repairs = shop->count(QStringLiteral("repairs"));
    addPageCase(
        QStringLiteral("quick search of a repair id"),
        [=](int run, QStringList *statements) {
            own<QLineEdit>(start, "repairId")->setText(QString::number(spread(run, repairs)));
            const double ms = Bench::timed([&] {
                own<QPushButton>(start, "quickSearchByIdButton")->click();
                QWidget *shown = own<QStackedWidget>(start, "repairsStack")->currentWidget();
                for (QAbstractItemModel *model : shown->findChildren<QSqlQueryModel *>())
                    Bench::paintFirstScreen(model);
            });
            *statements = Bench::modelStatements(own<QStackedWidget>(start, "repairsStack")->currentWidget());
            return ms;
        },
        [=](int run) {
            return QStringList{QStringLiteral("SELECT * FROM repairs WHERE repairs.iId=%1").arg(spread(run, repairs))};
        });
}

// A page opened as a case; the requests it sends to a server are noted.
void addDetailPageCase(const QString &name, const std::function<QWidget *(int)> &make,
                       const std::function<QStringList(int)> &extraFloor = {})
{
    addPageCase(
        name,
        [=](int run, QStringList *statements) {
            double ms = 0;
            const int requests =
                Bench::roundTrips(db, [&] { ms = openPage([&] { return make(run); }, statements); });
            if (requests >= 0)
                Bench::note(QStringLiteral("requests to the server opening the ") + name,
                            QString::number(requests));
            return ms;
        },
        extraFloor);
}

// The statements of the repair page, which reads through a model of its own
// and plain statements: the repair, its client and device, its notes.
QStringList repairPageStatements(int repairId)
{
    Repair repair(nullptr, db);
    repair.setJoinMode(QSqlRelationalTableModel::LeftJoin);
    repair.setFilter(QStringLiteral("repairs.iId=%1").arg(repairId));
    // The page reads the keys of the repair's client and device by
    // themselves, then their names.
    const QString clientKey = Repair::idOfRowStatement(QStringLiteral("iClientId"), QString::number(repairId));
    const QString deviceKey = Repair::idOfRowStatement(QStringLiteral("iHardwareId"), QString::number(repairId));
    return {repair.firstPageStatement(),
            clientKey,
            deviceKey,
            RepairDetailsWidget::clientNameStatement(shop->scalar(clientKey).toInt()),
            RepairDetailsWidget::deviceNameStatement(shop->scalar(deviceKey).toInt()),
            RepairDetailsWidget::notesStatement(repairId)};
}

void detailPageCases()
{
    const int repairs = shop->count(QStringLiteral("repairs"));
    const int clients = shop->count(QStringLiteral("clients"));
    const int hardware = shop->count(QStringLiteral("hardware"));
    addDetailPageCase(
        QStringLiteral("repair page"),
        [=](int run) { return new RepairDetailsWidget(nullptr, db, admin, settings, spread(run, repairs), false); },
        [=](int run) { return repairPageStatements(spread(run, repairs)); });
    addDetailPageCase(QStringLiteral("client page"), [=](int run) {
        return new ClientWidget(nullptr, db, admin, settings, spread(run, clients), false);
    });
    addDetailPageCase(QStringLiteral("hardware page"), [=](int run) {
        return new HardwareWidget(nullptr, db, admin, settings, spread(run, hardware), false);
    });
}

// A status change on the repair page: the repair's status written and the
// note of the change added in one transaction, and the page read again.
void statusChangeCase()
{
    const int repair = shop->scalar(QStringLiteral("SELECT MAX(iId) FROM repairs")).toInt();
    auto *page = keep(new RepairDetailsWidget(nullptr, db, admin, settings, repair, false));
    auto *status = own<QComboBox>(page, "iStatus");
    auto floorRun = std::make_shared<int>(0);
    Bench::addCase(
        QStringLiteral("status change with its note"),
        [=] {
            // The next status in the list, so that every run changes it.
            status->setCurrentIndex((status->currentIndex() + 1) % status->count());
            return Bench::timed([&] { own<QPushButton>(page, "changeStatusButton")->click(); });
        },
        [=] {
            const int statusId = status->itemData((*floorRun)++ % status->count()).toInt();
            const QStringList pageAgain = repairPageStatements(repair);
            return Bench::timed([&] {
                QSqlDatabase base = db->database();
                base.transaction();
                db->query(QStringLiteral("UPDATE repairs SET iStatus = %1 WHERE repairs.iId = %2")
                              .arg(statusId)
                              .arg(repair));
                QSqlQuery note(base);
                note.prepare(QStringLiteral("INSERT INTO notes (iRepairId, iAddDate, iSeverity, sNote, iUserId) "
                                            "VALUES (?, ?, 1, ?, 1)"));
                note.addBindValue(repair);
                note.addBindValue(QDateTime::currentSecsSinceEpoch());
                note.addBindValue(QStringLiteral("Zmiana statusu naprawy na \"Pomiar\""));
                if (!note.exec())
                    qFatal("%s", qPrintable(note.lastError().text()));
                base.commit();
                Bench::readAll(db, pageAgain);
            });
        });
}

// The values an intake stores, typed on its pages in the program's run and
// bound to the same inserts in the floor's.
QString intakeName(const char *who, int run)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(who)).arg(run);
}

void intakeCase()
{
    auto programRun = std::make_shared<int>(0);
    auto floorRun = std::make_shared<int>(0);
    Bench::addCase(
        QStringLiteral("intake saved: new client, hardware, repair"),
        [=] {
            const QString name = intakeName("Pomiarowy", (*programRun)++);
            NewRepairWidget intake(nullptr, db, admin, settings);
            intake.opened();
            own<QLineEdit>(&intake, "sSName")->setText(name);
            own<QLineEdit>(&intake, "sFName")->setText(QStringLiteral("Zdzisław"));
            own<QLineEdit>(&intake, "sPhone")->setText(QStringLiteral("600100200"));
            own<QPushButton>(&intake, "toHardwarePageButton1")->click();
            own<QLineEdit>(&intake, "sHName")->setText(QStringLiteral("Laptop Dell"));
            own<QLineEdit>(&intake, "sField3")->setText(name);
            own<QComboBox>(&intake, "iStoreStatus")->setCurrentIndex(1);
            own<QPushButton>(&intake, "toRepairPageButton")->click();
            own<QPlainTextEdit>(&intake, "sRepairDescription")->setPlainText(QStringLiteral("Nie włącza się"));
            return Bench::timed([&] { own<QPushButton>(&intake, "addNewRepairButton")->click(); });
        },
        [=] {
            const QString name = intakeName("Podłogowy", (*floorRun)++);
            const qint64 now = QDateTime::currentSecsSinceEpoch();
            return Bench::timed([&] {
                QSqlDatabase base = db->database();
                base.transaction();
                QSqlQuery client(base);
                client.prepare(QStringLiteral(
                    "INSERT INTO clients (sFName, sSName, sCompany, sNIP, sStreet, sAddrBuild, sAddrLoc, sCity, "
                    "sPostal, sEmail, sEmail2, sPhone, sPhone2, sDescription) "
                    "VALUES (?, ?, '', '', '', '', '', '', '', '', '', ?, '', '')"));
                client.addBindValue(QStringLiteral("Zdzisław"));
                client.addBindValue(name);
                client.addBindValue(QStringLiteral("600100200"));
                client.exec();
                const QVariant clientId = client.lastInsertId();
                QSqlQuery device(base);
                device.prepare(QStringLiteral(
                    "INSERT INTO hardware (sHName, iHType, iStoreStatus, iReceivedDate, sStoreComment, sField1, "
                    "sField2, sField3, sField4, sField5, sField6, sField7, sField8, sField9, sField10, sField11, "
                    "sField12, sField13, sField14, iFieldDate, sFieldLong, iOwner) "
                    "VALUES (?, 0, 1, 0, '', '', '', ?, '', '', '', '', '', '', '', '', '', '', '', ?, '', ?)"));
                device.addBindValue(QStringLiteral("Laptop Dell"));
                device.addBindValue(name);
                device.addBindValue(now);
                device.addBindValue(clientId);
                device.exec();
                QSqlQuery repair(base);
                repair.prepare(QStringLiteral(
                    "INSERT INTO repairs (sNum, iAddDate, iEndDate, iType, sCost, sDefect, sComment, sOuterNo, "
                    "iStatus, iClientId, iHardwareId, iSubmitterId, iTechnicanId) "
                    "VALUES (?, ?, ?, -1, '', ?, '', '', 0, ?, ?, 1, 0)"));
                repair.addBindValue(QStringLiteral("0712"));
                repair.addBindValue(now);
                repair.addBindValue(now + 14 * 86400);
                repair.addBindValue(QStringLiteral("Nie włącza się"));
                repair.addBindValue(clientId);
                repair.addBindValue(device.lastInsertId());
                if (!repair.exec())
                    qFatal("%s", qPrintable(repair.lastError().text()));
                base.commit();
            });
        });
}

// A client with 2 devices, 20 repairs, 200 notes and 2 bills; its id.
int clientWithHistory()
{
    const int client = shop->scalar(QStringLiteral("SELECT MAX(iId) FROM clients")).toInt() + 1;
    const int device = shop->scalar(QStringLiteral("SELECT MAX(iId) FROM hardware")).toInt() + 1;
    const int firstRepair = shop->scalar(QStringLiteral("SELECT MAX(iId) FROM repairs")).toInt() + 1;
    QStringList statements{
        QStringLiteral("INSERT INTO clients (iId, sFName, sSName, sCompany, sNIP, sStreet, sAddrBuild, sAddrLoc, "
                       "sCity, sPostal, sEmail, sEmail2, sPhone, sPhone2, sDescription) VALUES "
                       "(%1, 'Jan', 'Usuwany', '', '', '', '', '', '', '', '', '', '', '', '')")
            .arg(client)};
    QStringList devices, repairs, notes, bills;
    for (int d = 0; d < 2; ++d)
        devices << QStringLiteral("(%1, 'Laptop', 0, 6, 0, '', '', '', '', '', '', '', '', '', '', '', '', '', '', "
                                  "'', 0, '', %2)")
                       .arg(device + d)
                       .arg(client);
    for (int r = 0; r < 20; ++r) {
        repairs << QStringLiteral("(%1, '0101', 0, 0, 0, '', '', 'usterka', '', '', '', 5, 100, %2, %3, 1, 1)")
                       .arg(firstRepair + r)
                       .arg(client)
                       .arg(device + r % 2);
        for (int n = 0; n < 10; ++n)
            notes << QStringLiteral("(%1, 0, 1, 'notatka', 1)").arg(firstRepair + r);
    }
    for (int b = 0; b < 2; ++b)
        bills << QStringLiteral("(0, %1, %2, %3, '100', '123', '50', '50', '0', 'Rachunek', 1, 0, 1)")
                     .arg(client)
                     .arg(firstRepair + b)
                     .arg(device + b);
    statements << QStringLiteral("INSERT INTO hardware (iId, sHName, iHType, iStoreStatus, iReceivedDate, "
                                 "sStoreComment, sField1, sField2, sField3, sField4, sField5, sField6, sField7, "
                                 "sField8, sField9, sField10, sField11, sField12, sField13, sField14, iFieldDate, "
                                 "sFieldLong, iOwner) VALUES ")
                      + devices.join(',')
               << QStringLiteral("INSERT INTO repairs (iId, sNum, iAddDate, iEndDate, iType, sCost, sMCost, "
                                 "sDefect, sSolution, sComment, sOuterNo, iStatus, iProgress, iClientId, "
                                 "iHardwareId, iSubmitterId, iTechnicanId) VALUES ")
                      + repairs.join(',')
               << QStringLiteral("INSERT INTO notes (iRepairId, iAddDate, iSeverity, sNote, iUserId) VALUES ")
                      + notes.join(',')
               << QStringLiteral("INSERT INTO billing (iAddDate, iClientId, iRepairId, iHardwareId, sPriceNet, "
                                 "sPriceGross, sPriceParts, sPriceLabor, sPriceOuter, sDescription, iStatus, "
                                 "iDate, iUser) VALUES ")
                      + bills.join(',');
    for (const QString &statement : std::as_const(statements)) {
        QSqlQuery q = db->query(statement);
        if (q.lastError().isValid())
            qFatal("%s\n%s", qPrintable(q.lastError().text()), qPrintable(statement));
    }
    return client;
}

void deletionCase()
{
    SearchWidget *page = keep(new SearchWidget(nullptr, db, admin, settings, SearchWidget::ClientsVariant, false));
    page->clientId->setText(QStringLiteral("0"));
    page->search();
    Bench::addCase(
        QStringLiteral("client deleted with 20 repairs, 200 notes"),
        [=] {
            page->selectedId = clientWithHistory();
            return Bench::timed([&] { QMetaObject::invokeMethod(page, "deleteSelected"); });
        },
        [=] {
            const QString id = QString::number(clientWithHistory());
            const QString lock = db->dbType == DbWidget::MySQL ? QStringLiteral(" FOR UPDATE") : QString();
            auto ids = [&](const QString &sql) {
                QStringList list;
                QSqlQuery q = db->query(sql + lock);
                while (q.next())
                    list << q.value(0).toString();
                return list.join(QLatin1Char(','));
            };
            return Bench::timed([&] {
                db->database().transaction();
                const QString devices = ids(QStringLiteral("SELECT hardware.iId FROM hardware WHERE hardware.iOwner=") + id);
                QString repairs = ids(QStringLiteral("SELECT repairs.iId FROM repairs WHERE repairs.iClientId=") + id);
                if (!devices.isEmpty())
                    repairs += QLatin1Char(',') + ids(QStringLiteral("SELECT repairs.iId FROM repairs WHERE repairs.iHardwareId IN (") + devices + QLatin1Char(')'));
                for (const QString &statement :
                     {QStringLiteral("DELETE FROM clients WHERE clients.iId=") + id,
                      QStringLiteral("DELETE FROM notes WHERE notes.iRepairId IN (%1)").arg(repairs),
                      QStringLiteral("DELETE FROM repairs WHERE repairs.iId IN (%1)").arg(repairs),
                      QStringLiteral("DELETE FROM billing WHERE billing.iClientId=") + id,
                      QStringLiteral("DELETE FROM billing WHERE billing.iHardwareId IN (%1)").arg(devices),
                      QStringLiteral("DELETE FROM hardware WHERE hardware.iId IN (%1)").arg(devices)})
                    db->query(statement);
                db->database().commit();
            });
        });
}

} // namespace

int main(int argc, char *argv[])
{
    prepareTestEnvironment();
    QApplication app(argc, argv);
    prepareTestApplication();
    Bench::Shop theShop;
    if (!theShop.ok())
        qFatal("%s", qPrintable(theShop.error()));
    shop = &theShop;
    db = theShop.db();
    QTemporaryDir dir;
    Settings theSettings(dir.path());
    settings = &theSettings;
    UserWidget user(1, QStringLiteral("Administrator"), 0);
    admin = &user;
    // Staff say yes to every question; no menu pops up.
    MessageBox::setHandler([](QMessageBox::Icon icon, const QString &title, const QString &text,
                              QMessageBox::StandardButtons buttons) {
        if (icon == QMessageBox::Warning || icon == QMessageBox::Critical)
            qFatal("%s: %s", qPrintable(title), qPrintable(text));
        return buttons & QMessageBox::Yes ? QMessageBox::Yes : QMessageBox::Ok;
    });
    PopupMenu::setHandler([](QMenu *, const QPoint &) -> QAction * { return nullptr; });

    searchCases();
    presetCases();
    startPageCases();
    detailPageCases();
    statusChangeCase();
    intakeCase();
    deletionCase();
    const int result = Bench::runAll(argc, argv, theShop);
    pages.clear();
    return result;
}
