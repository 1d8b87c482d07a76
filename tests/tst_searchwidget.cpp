#include "testmain.h"
#include "messageboxrecorder.h"
#include "searchfixture.h"
#include "testdatabase.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "dictionaries/fieldsconfig.h"
#include "records/bill.h"
#include "records/client.h"
#include "records/hardware.h"
#include "records/recordmodel.h"
#include "records/repair.h"
#include "records/template.h"
#include "search/barcodedialog.h"
#include "search/searchheaderview.h"
#include "search/searchwidget.h"
#include "settings.h"
#include "userwidget.h"

using Variant = SearchWidget::SearchVariant;
using namespace SearchRows;

class TestSearchWidget : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<TestDatabase> t;
    std::unique_ptr<Settings> settings;
    UserWidget admin{1, QStringLiteral("Administrator"), 0};

    std::unique_ptr<SearchWidget> page(Variant variant, bool subSearch = true, UserWidget *user = nullptr)
    {
        auto w = std::make_unique<SearchWidget>(nullptr, t->db(), user ? user : &admin, settings.get(),
                                                variant, subSearch);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->resize(1200, 800);
        return w;
    }

    // Clients 7, 12 and 56; hardware 34 (owned by 56) and 35 (owned by 7);
    // repairs 12 and 14 of hardware 34 and client 56, 13 of hardware 35 and
    // client 7; one bill of repair 12.
    bool fillRegisters()
    {
        const qint64 when = 1700000000;
        return insert(*t, ClientsInsert,
                      {client(7, QStringLiteral("Kowalski"), QStringLiteral("Kraków")),
                       client(12, QStringLiteral("Nowak"), QStringLiteral("Łódź")),
                       client(56, QStringLiteral("Wiśniewski"), QStringLiteral("Gdańsk"))})
               && insert(*t, HardwareInsert,
                         {hardware(34, QStringLiteral("Laptop"), 56, 1), hardware(35, QStringLiteral("Drukarka"), 7, 1)})
               && insert(*t, RepairsInsert,
                         {repair(12, 56, 34, when, 1, QString(), when), repair(13, 7, 35, when, 1, QString(), when),
                          repair(14, 56, 34, when, 1, QString(), when)})
               && insert(*t, BillsInsert, {bill(1, 56, 12, 34, when)});
    }

    static int idAt(SearchWidget *w, int row)
    {
        return w->model->data(w->model->index(row, w->model->fieldIndex(QStringLiteral("iId"))), Qt::EditRole)
            .toInt();
    }

    static QList<int> shownIds(SearchWidget *w)
    {
        QList<int> ids;
        for (int row = 0; row < w->model->rowCount(); ++row)
            ids << idAt(w, row);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    // Selects the row of the record; gives the row, or -1 when it is not shown.
    static int selectRecord(SearchWidget *w, int id)
    {
        for (int row = 0; row < w->model->rowCount(); ++row) {
            if (idAt(w, row) == id) {
                w->searchTable->selectRow(row);
                return row;
            }
        }
        return -1;
    }

    static void scan(SearchWidget *w, const QStringList &parts)
    {
        QVERIFY(QMetaObject::invokeMethod(w, "readBarcode", Q_ARG(QStringList, parts)));
    }

    // The ids a fresh page of the register shows after the scan.
    QList<int> idsFoundByScan(Variant variant, const QStringList &parts)
    {
        auto w = page(variant);
        scan(w.get(), parts);
        return shownIds(w.get());
    }

    static QStringList idFields(SearchWidget *w)
    {
        return {w->repairId->text(), w->repairHardwareId->text(), w->hardwareId->text(),
                w->clientId->text(), w->billClientId->text(), w->billHardwareId->text()};
    }

    // The fixed panel inside a filter page ("clientSearchPage" holds "clientWidget").
    static QWidget *panelOf(QWidget *filterPage)
    {
        QString name = filterPage->objectName();
        name.replace(QStringLiteral("SearchPage"), QStringLiteral("Widget"));
        return filterPage->findChild<QWidget *>(name);
    }

    static bool selectionCleared(SearchWidget *w)
    {
        return w->selectedId == -1 && !w->selectButton->isEnabled() && !w->deleteButton->isEnabled()
               && !w->searchTable->selectionModel()->hasSelection();
    }

private slots:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        settings = std::make_unique<Settings>(dir.path());
        settings->native->remove(QStringLiteral("gui"));
        settings->native->sync();
        // Every test starts on the filled registers.
        REQUIRE_DB(*t);
        QVERIFY(fillRegisters());
    }
    void cleanup()
    {
        settings.reset();
        t.reset();
    }

    void formObjects()
    {
        auto w = page(SearchWidget::RepairsVariant);

        // Filter pages in stack order, each with its fixed panel.
        const QStringList pages{"repairSearchPage", "clientSearchPage", "hardwareSearchPage", "billSearchPage"};
        QCOMPARE(w->stackedWidget->count(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(w->stackedWidget->widget(i)->objectName(), pages.at(i));
            QVERIFY2(panelOf(w->stackedWidget->widget(i)), qPrintable(pages.at(i)));
        }

        // Tool bar order, left to right.
        auto *toolsLayout = w->toolsWidget->layout();
        QStringList tools;
        for (int i = 0; i < toolsLayout->count(); ++i)
            tools << toolsLayout->itemAt(i)->widget()->objectName();
        QCOMPARE(tools, (QStringList{"repairsTool", "hardwareTool", "clientsTool", "billingTool"}));
        for (QToolButton *tool : {w->repairsTool, w->hardwareTool, w->clientsTool, w->billingTool}) {
            QVERIFY(tool->text().isEmpty());
            QVERIFY(!tool->icon().isNull());
            QVERIFY(!tool->isCheckable());
        }

        for (const auto &[button, text] : QList<QPair<QPushButton *, QString>>{
                 {w->barcodeButton, "Zeskanuj kod"}, {w->searchButton, "Szukaj"},
                 {w->selectButton, "Wybierz"}, {w->deleteButton, "Usuń"}}) {
            QCOMPARE(button->text(), text);
            QVERIFY(!button->icon().isNull());
        }
        QVERIFY(!w->selectButton->isEnabled());
        QVERIFY(!w->deleteButton->isEnabled());

        QCOMPARE(w->searchTable->minimumSize(), QSize(980, 200));
        QCOMPARE(w->searchTable->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(w->searchTable->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(w->searchTable->isSortingEnabled());
        QCOMPARE(w->searchWidgetTitle->font().pointSize(), 11);
        QVERIFY(w->searchWidgetTitle->font().bold());

        // Limits: the client and hardware text fields.
        const QMap<QString, int> limits{
            {"sNIP", 50}, {"sPhone", 50}, {"sPhone2", 50}, {"sPostal", 20}, {"sHName", 255},
            {"sField1", 255}, {"sField3", 255}, {"sField4", 255}, {"sField5", 255}, {"sField9", 255},
            {"sField13", 200}, {"sField14", 200}, {"sField2", 100}, {"sField6", 100}, {"sField7", 100},
            {"sField8", 100}, {"sField11", 100}, {"sField12", 50}};
        const int defaultLimit = QLineEdit().maxLength();
        const QList<QLineEdit *> edits = w->findChildren<QLineEdit *>(Qt::FindChildrenRecursively);
        int named = 0;
        for (QLineEdit *edit : edits) {
            if (qobject_cast<QAbstractSpinBox *>(edit->parentWidget())
                || qobject_cast<QComboBox *>(edit->parentWidget()))
                continue;
            ++named;
            QCOMPARE(edit->maxLength(), limits.value(edit->objectName(), defaultLimit));
            QVERIFY(edit->text().isEmpty());
            QVERIFY(edit->inputMask().isEmpty());
            QVERIFY(!edit->validator());
        }
        QCOMPARE(named, 4 + 14 + 3 + 14 + 3);

        // Date edits.
        for (QDateEdit *edit : w->findChildren<QDateEdit *>()) {
            QVERIFY(edit->calendarPopup());
            const bool hardware = edit == w->fromDate || edit == w->toDate;
            QCOMPARE(edit->displayFormat(), hardware ? QStringLiteral("dd-MM-yy") : QStringLiteral("dd-MM-yyyy"));
        }
        QCOMPARE(w->findChildren<QDateEdit *>().size(), 8);

        // Switches start off.
        for (QGroupBox *box : w->findChildren<QGroupBox *>()) {
            QVERIFY2(box->isCheckable(), qPrintable(box->objectName()));
            QVERIFY(!box->isChecked());
        }
        QCOMPARE(w->findChildren<QGroupBox *>().size(), 10);
        for (const auto &[box, text] : QList<QPair<QCheckBox *, QString>>{
                 {w->repairStatusOpen, "Otwarte"}, {w->repairStatusWaiting, "Oczekujące"},
                 {w->repairStatusClosed, "Zamknięte"}}) {
            QVERIFY(!box->isChecked());
            QCOMPARE(box->text(), text);
        }
        QCOMPARE(w->addDateBox->title(), QStringLiteral("Data przyjęcia do serwisu:"));
        QCOMPARE(w->billDateBox->title(), QStringLiteral("Data rozliczenia"));
        QCOMPARE(w->iStoreStatusBox->title(), QStringLiteral("Magazyn"));

        // Tab order.
        QStringList expected{"repairId", "repairClientId", "repairHardwareId", "sOuterNo", "repairStatus",
                             "iStatus", "repairStatusOpen", "repairStatusWaiting", "repairStatusClosed",
                             "repairTechnican", "iTechnicanId", "addDateBox", "fromAddDate", "toAddDate",
                             "endDateBox", "fromEndDate", "toEndDate", "repairType", "iType", "clientId",
                             "sSName", "sFName", "sCompany", "sNIP", "sStreet", "sAddrBuild", "sCity",
                             "sAddrLoc", "sPostal", "sEmail", "sEmail2", "sPhone", "sPhone2", "sHName",
                             "hardwareId", "iOwner"};
        for (int n = 1; n <= 14; ++n)
            expected << QStringLiteral("sField%1").arg(n);
        expected << QStringList{"iHTypeBox", "iHType", "iFieldDateBox", "fromDate", "toDate", "iStoreStatusBox",
                                "iStoreStatus", "billClientId", "billRepairId", "billHardwareId",
                                "billStatusBox", "billStatus", "billDateBox", "billFromDate", "billToDate",
                                "repairsTool", "hardwareTool", "clientsTool", "billingTool", "barcodeButton",
                                "searchButton", "selectButton", "deleteButton", "searchTable"};
        QStringList chain;
        QWidget *first = w->repairId;
        QWidget *next = first;
        do {
            if (expected.contains(next->objectName()) && !chain.contains(next->objectName()))
                chain << next->objectName();
            next = next->nextInFocusChain();
        } while (next != first);
        QCOMPARE(chain, expected);
    }

    void initialStatePerVariant_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("filterPage");
        QTest::addColumn<QString>("pressedTool");
        QTest::addColumn<QString>("modelClass");
        QTest::newRow("repairs") << 0 << "Naprawy" << "repairSearchPage" << "repairsTool" << "Repair";
        QTest::newRow("clients") << 1 << "Klienci" << "clientSearchPage" << "clientsTool" << "Client";
        QTest::newRow("hardware") << 2 << "Sprzęt" << "hardwareSearchPage" << "hardwareTool" << "Hardware";
        QTest::newRow("bills") << 3 << "Rozliczenia" << "billSearchPage" << "billingTool" << "Bill";
        QTest::newRow("templates") << 4 << "Szablon" << "hardwareSearchPage" << "" << "Template";
    }
    void initialStatePerVariant()
    {
        QFETCH(int, variant);
        QFETCH(QString, title);
        QFETCH(QString, filterPage);
        QFETCH(QString, pressedTool);
        QFETCH(QString, modelClass);

        for (bool subSearch : {true, false}) {
            auto w = page(Variant(variant), subSearch);
            QCOMPARE(int(w->variant), variant);
            QCOMPARE(int(w->subVariant), variant);
            QCOMPARE(w->subSearchActive, subSearch);
            QVERIFY(!w->subModel);
            QCOMPARE(w->searchWidgetTitle->text(), title);
            QCOMPARE(w->stackedWidget->currentWidget()->objectName(), filterPage);
            QCOMPARE(w->toolsWidget->isVisibleTo(w.get()), subSearch);
            for (QToolButton *tool : w->toolsWidget->findChildren<QToolButton *>())
                QCOMPARE(tool->isDown(), tool->objectName() == pressedTool);

            // The model of the variant, shown, empty and never read yet.
            QVERIFY(w->model);
            QCOMPARE(QString::fromLatin1(w->model->metaObject()->className()), modelClass);
            QCOMPARE(w->searchTable->model(), w->model);
            QCOMPARE(w->model->parent(), w->searchTable);
            QCOMPARE(w->model->filter(), QStringLiteral("0"));
            QCOMPARE(w->model->rowCount(), 0);
            QVERIFY2(w->model->query().lastQuery().isEmpty(), qPrintable(w->model->query().lastQuery()));
            QCOMPARE(w->selectedId, -1);
            QVERIFY(qobject_cast<SearchHeaderView *>(w->searchTable->horizontalHeader()));
            QVERIFY(w->searchTable->horizontalHeader()->stretchLastSection());
            QCOMPARE(w->searchTable->horizontalHeader()->minimumSectionSize(), 40);
            QCOMPARE(w->searchTable->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);

            QVERIFY(w->refreshTimer->isActive());
            QCOMPARE(w->refreshTimer->interval(), 300000);

            const bool templates = variant == SearchWidget::TemplatesVariant;
            for (QWidget *hidden : QList<QWidget *>{w->hardwareIdLabel, w->hardwareId, w->ownerIdLabel,
                                                    w->iOwner, w->iStoreStatusBox, w->deleteButton})
                QCOMPARE(hidden->isHidden(), templates);

            // The filter area is as high as its panel, at least 180.
            const QWidget *panel = panelOf(w->stackedWidget->currentWidget());
            QVERIFY(panel);
            const int limit = qMax(panel->height() + 10, 180);
            QCOMPARE(w->stackedWidget->maximumHeight(), limit);
            QCOMPARE(w->buttonsWidget->maximumHeight(), limit);
        }
    }

    void closingDeletesThePage()
    {
        QPointer<SearchWidget> w = new SearchWidget(nullptr, t->db(), &admin, settings.get(),
                                                    SearchWidget::HardwareVariant, false);
        QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
        w->show();
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
    }

    void deleteButtonByAccessLevel()
    {
        for (int level = 0; level <= 7; ++level) {
            UserWidget user(1, QStringLiteral("Administrator"), level);
            auto w = page(SearchWidget::ClientsVariant, true, &user);
            QCOMPARE(w->deleteButton->isHidden(), level > 3);
        }
    }

    void datesAndCombos()
    {
        QVERIFY(t->exec("INSERT INTO users (iId, sUser, sPassword, iLevel, bActive) VALUES"
                        " (5, 'Zenon', '', 1, 1), (4, 'Ewa', '', 1, 0), (3, 'Adam', '', 1, 1)"));
        auto w = page(SearchWidget::RepairsVariant);
        const QDate today = QDate::currentDate();
        for (QDateEdit *edit : {w->fromAddDate, w->toAddDate, w->fromEndDate, w->toEndDate, w->fromDate,
                                w->toDate, w->billToDate})
            QCOMPARE(edit->date(), today);
        QCOMPARE(w->billFromDate->date(), today.addDays(-7));

        QStringList technicians;
        QList<int> ids;
        for (int i = 0; i < w->iTechnicanId->count(); ++i) {
            technicians << w->iTechnicanId->itemText(i);
            ids << w->iTechnicanId->itemData(i).toInt();
        }
        QCOMPARE(technicians, (QStringList{"Nieprzydzielony", "Administrator", "Adam", "Zenon"}));
        QCOMPARE(ids, (QList<int>{0, 1, 3, 5}));
        QVERIFY(w->iTechnicanId->itemIcon(0).isNull());
        QVERIFY(!w->iTechnicanId->itemIcon(1).isNull());

        QCOMPARE(w->iType->count(), Repair::Types[0].size());
        QCOMPARE(w->iType->itemData(0).toString(), Repair::Types[1].at(0));
        QCOMPARE(w->billStatus->count(), 2);
        QCOMPARE(w->billStatus->itemText(1), QStringLiteral("Rozliczony"));
        QCOMPARE(w->billStatus->itemData(1).toString(), QStringLiteral("1"));
        QVERIFY(w->iStatus->count() > 0);
        QVERIFY(w->iHType->count() > 0);
        QVERIFY(w->iStoreStatus->count() > 0);
    }

    void fieldLabels()
    {
        {
            auto w = page(SearchWidget::RepairsVariant);
            QCOMPARE(w->sField1Label->text(), QStringLiteral("Producent:"));
            QVERIFY(!w->sField1->isHidden());
            QVERIFY(w->sField5->isHidden());
            QVERIFY(w->sField5Label->isHidden());
            QVERIFY(!w->iFieldDateBox->isHidden());
            QCOMPARE(w->iFieldDateBox->title(), QStringLiteral("Data zakupu"));
        }
        QVERIFY(t->exec("UPDATE fieldsconf SET sValue = '' WHERE sName = 'iFieldDate'"));
        auto w = page(SearchWidget::HardwareVariant);
        QVERIFY(w->iFieldDateBox->isHidden());
    }

    void searchesOnlyWhenAsked()
    {
        auto w = page(SearchWidget::ClientsVariant);
        QCoreApplication::processEvents();
        QCOMPARE(w->model->rowCount(), 0);
        w->search();
        QCOMPARE(shownIds(w.get()), (QList<int>{7, 12, 56}));

        // Return in a filter input searches; Enter elsewhere does not.
        auto keyed = page(SearchWidget::ClientsVariant);
        keyed->show();
        QTest::keyClick(keyed.get(), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::qWait(200);
        QCOMPARE(keyed->model->rowCount(), 0);
        QTest::keyClick(keyed->sSName, Qt::Key_Return);
        QTRY_COMPARE(keyed->model->rowCount(), 3);
    }

    void timerRepeatsSearch()
    {
        auto w = page(SearchWidget::ClientsVariant);
        w->search();
        QCOMPARE(w->model->rowCount(), 3);
        QVERIFY(t->exec("DELETE FROM clients WHERE iId = 12"));
        w->refreshTimer->setInterval(10);
        QTRY_COMPARE(w->model->rowCount(), 2);
    }

    void selectionAndItsReset()
    {
        auto w = page(SearchWidget::ClientsVariant);
        w->show();
        QSignalSpy chosen(w.get(), &SearchWidget::showSelectedById);

        // Nothing selected: nothing to choose.
        w->search();
        QVERIFY(selectionCleared(w.get()));
        QCoreApplication::processEvents();
        const QPoint empty(50, w->searchTable->viewport()->height() - 5);
        QTest::mouseClick(w->searchTable->viewport(), Qt::LeftButton, {}, empty);
        QTest::mouseDClick(w->searchTable->viewport(), Qt::LeftButton, {}, empty);
        w->selectButton->click();
        QCOMPARE(chosen.count(), 0);

        const int row = selectRecord(w.get(), 12);
        QVERIFY(row >= 0);
        QCOMPARE(w->selectedId, 12);
        QVERIFY(w->selectButton->isEnabled());
        QVERIFY(w->deleteButton->isEnabled());
        w->selectButton->click();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.last().at(0).toInt(), 12);

        QCoreApplication::processEvents();
        const QRect cell = w->searchTable->visualRect(w->model->index(row, 1));
        QTest::mouseClick(w->searchTable->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(w->searchTable->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(chosen.count(), 2);
        QCOMPARE(chosen.last().at(0).toInt(), 12);

        // A search reads the rows anew: nothing stays selected.
        w->search();
        QVERIFY(selectionCleared(w.get()));
        w->selectButton->click();
        QCOMPARE(chosen.count(), 2);

        // So does the refresh timer ...
        QVERIFY(selectRecord(w.get(), 56) >= 0);
        QCOMPARE(w->selectedId, 56);
        w->refreshTimer->setInterval(10);
        QTRY_VERIFY(selectionCleared(w.get()));
        w->refreshTimer->setInterval(300000);

        // ... a tool click ...
        w->search();
        QVERIFY(selectRecord(w.get(), 7) >= 0);
        w->clientsTool->click();
        QVERIFY(selectionCleared(w.get()));
        QCOMPARE(w->model->rowCount(), 0);

        // ... and a deletion.
        w->search();
        QVERIFY(selectRecord(w.get(), 7) >= 0);
        {
            MessageBoxRecorder rec;
            w->deleteButton->click();
        }
        QVERIFY(selectionCleared(w.get()));
        w->selectButton->click();
        QCOMPARE(chosen.count(), 2);
    }

    void statusBoxesExclude()
    {
        auto w = page(SearchWidget::RepairsVariant);
        w->show();
        w->repairStatusOpen->setChecked(true);
        w->repairStatusClosed->setChecked(true);
        w->repairStatus->setChecked(true);
        QVERIFY(!w->repairStatusOpen->isChecked());
        QVERIFY(!w->repairStatusClosed->isChecked());

        w->repairStatusWaiting->click();
        QVERIFY(w->repairStatusWaiting->isChecked());
        QVERIFY(!w->repairStatus->isChecked());

        // A check from the program is no click.
        w->repairStatus->setChecked(true);
        w->repairStatusWaiting->setChecked(true);
        QVERIFY(w->repairStatus->isChecked());
        // Unchecking a group box by a click leaves the single status alone.
        w->repairStatusWaiting->click();
        QVERIFY(w->repairStatus->isChecked());
    }

    // Another workstation changes the dictionaries while the page stays open:
    // a search names and groups by them as they are now, and the filter boxes
    // offer them, keeping the entry chosen.
    void dictionariesChangedElsewhere_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QStringList>("elsewhere");
        QTest::addColumn<bool>("closedGroup");
        QTest::addColumn<QVariantMap>("shown"); // column (and its filter box) -> text in the newest row
        const QString status = "INSERT INTO %1 (iId, iStatusId, iGroup, sDescription, sColor, iOrder) VALUES (%2)";
        QTest::newRow("repair status added")
            << 0 << QStringList{status.arg("statusesconf", "7, 50, 2, 'Wycena', '#fff', 3"), "UPDATE repairs SET iStatus = 50 WHERE iId = 14"}
            << false << QVariantMap{{"iStatus", "[Oczekująca] Wycena"}};
        QTest::newRow("repair status moved to the closed group")
            << 0 << QStringList{"UPDATE statusesconf SET iGroup = 3, iOrder = 3 WHERE iStatusId = 1"}
            << true << QVariantMap{{"iStatus", "[Zamknięta] Naprawa rozpoczęta"}};
        QTest::newRow("type and store status added")
            << 2 << QStringList{status.arg("hwstatusesconf", "8, 7, 3, 'Zwrócony', '#fff', 3"),
                                "INSERT INTO typesconf (iId, iTypeId, sDescription, iOrder, bVisible) VALUES (13, 30, 'Skaner', 13, 1)",
                                "UPDATE hardware SET iHType = 30, iStoreStatus = 7 WHERE iId = 35"}
            << false << QVariantMap{{"iHType", "Skaner"}, {"iStoreStatus", "[Sprzęt wydany] Zwrócony"}};
    }
    void dictionariesChangedElsewhere()
    {
        QFETCH(int, variant);
        QFETCH(QStringList, elsewhere);
        QFETCH(bool, closedGroup);
        QFETCH(QVariantMap, shown);
        auto w = page(Variant(variant));
        w->show();
        QVariantMap chosen; // box -> item data of the entry chosen before
        for (const QString &column : shown.keys()) {
            auto *box = w->findChild<QComboBox *>(column);
            box->setCurrentIndex(1);
            chosen[column] = box->currentData();
        }
        for (const QString &sql : elsewhere)
            QCOMPARE(t->openAnother()->query(sql).lastError().text(), QString());
        w->repairStatusClosed->setChecked(closedGroup);
        w->search();
        QCOMPARE(shownIds(w.get()), variant ? QList<int>({34, 35}) : QList<int>({12, 13, 14}));
        for (const QString &column : shown.keys()) {
            const QString text = shown.value(column).toString();
            QCOMPARE(w->model->index(0, w->model->fieldIndex(column)).data().toString(), text);
            auto *box = w->findChild<QComboBox *>(column);
            QVERIFY(box->findText(text) >= 0);
            QCOMPARE(box->currentData(), chosen[column]);
        }
    }

    void toolsSwitchRegister()
    {
        auto w = page(SearchWidget::RepairsVariant);
        w->search();
        QVERIFY(w->model->rowCount() > 0);

        w->clientsTool->click();
        QCOMPARE(w->stackedWidget->currentWidget(), w->clientSearchPage);
        QCOMPARE(int(w->subVariant), int(SearchWidget::ClientsVariant));
        QVERIFY(w->subSearchActive);
        QVERIFY(qobject_cast<Client *>(w->subModel));
        QCOMPARE(w->subModel->parent(), w->searchTable);
        QVERIFY(w->clientsTool->isDown());
        QVERIFY(!w->repairsTool->isDown());
        QCOMPARE(w->model->filter(), QStringLiteral("0"));
        QCOMPARE(w->model->rowCount(), 0);
        QCOMPARE(w->searchTable->model(), w->model);

        QPointer<QSqlRelationalTableModel> previous = w->subModel;
        w->billingTool->click();
        QVERIFY(previous.isNull());
        QVERIFY(qobject_cast<Bill *>(w->subModel));
        QCOMPARE(w->stackedWidget->currentWidget(), w->billSearchPage);

        w->hardwareTool->click();
        QVERIFY(qobject_cast<Hardware *>(w->subModel));
        QCOMPARE(w->stackedWidget->currentWidget(), w->hardwareSearchPage);

        w->repairsTool->click();
        QVERIFY(!w->subModel);
        QVERIFY(!w->subSearchActive);
        QCOMPARE(w->stackedWidget->currentWidget(), w->repairSearchPage);
        for (QToolButton *tool : {w->hardwareTool, w->clientsTool, w->billingTool})
            QVERIFY(!tool->isDown());
        QVERIFY(w->repairsTool->isDown());
        w->search();
        QCOMPARE(w->model->rowCount(), 3);
        // The own tool again empties the table, too.
        w->repairsTool->click();
        QCOMPARE(w->model->rowCount(), 0);
        QVERIFY(!w->subModel);
    }

    void heightOfFilterArea()
    {
        // The bills panel is low: the limit stays at 180.
        auto w = page(SearchWidget::BillsVariant);
        QVERIFY(w->billWidget->height() + 10 < 180);
        QCOMPARE(w->stackedWidget->maximumHeight(), 180);
        w->hardwareTool->click();
        QCOMPARE(w->stackedWidget->maximumHeight(), w->hardwareWidget->height() + 10);
    }

    void repairCardScan()
    {
        auto w = page(SearchWidget::RepairsVariant);
        w->repairHardwareId->setText(QStringLiteral("35"));
        w->sOuterNo->setText(QStringLiteral("x"));
        scan(w.get(), {"12", "34", "56"});
        QCOMPARE(idFields(w.get()), (QStringList{"12", "", "34", "56", "56", "34"}));
        // Filters a scan does not fill stay.
        QCOMPARE(w->sOuterNo->text(), QStringLiteral("x"));
        w->sOuterNo->clear();
        scan(w.get(), {"12", "34", "56"});
        QCOMPARE(shownIds(w.get()), QList<int>{12});
        // Ids typed in before go as well: none of them hides the scanned record.
        w->repairClientId->setText(QStringLiteral("56"));
        w->billRepairId->setText(QStringLiteral("12"));
        w->iOwner->setText(QStringLiteral("56"));
        scan(w.get(), {"13", "35", "7"});
        QCOMPARE(shownIds(w.get()), QList<int>{13});
        QCOMPARE(w->repairClientId->text() + w->billRepairId->text() + w->iOwner->text(), QString());
    }

    void hardwareLabelScan()
    {
        auto w = page(SearchWidget::RepairsVariant);
        // A repair card first, then a label: the label finds its record.
        scan(w.get(), {"13", "35", "7"});
        QCOMPARE(shownIds(w.get()), QList<int>{13});
        scan(w.get(), {"0", "34", "56"});
        QCOMPARE(idFields(w.get()), (QStringList{"", "34", "34", "56", "56", "34"}));
        QCOMPARE(shownIds(w.get()), (QList<int>{12, 14}));

        QCOMPARE(idsFoundByScan(SearchWidget::HardwareVariant, {"0", "34", "56"}), QList<int>{34});
        QCOMPARE(idsFoundByScan(SearchWidget::ClientsVariant, {"13", "35", "7"}), QList<int>{7});
        QCOMPARE(idsFoundByScan(SearchWidget::BillsVariant, {"0", "34", "56"}), QList<int>{1});
    }

    void shortScanChangesNothing()
    {
        auto w = page(SearchWidget::RepairsVariant);
        scan(w.get(), {"13", "35", "7"});
        const QStringList before = idFields(w.get());
        const QString filter = w->model->filter();
        for (const QStringList &parts : {QStringList{}, QStringList{"5"}, QStringList{"5", "6"}}) {
            scan(w.get(), parts);
            QCOMPARE(idFields(w.get()), before);
            QCOMPARE(w->model->filter(), filter);
        }
    }

    void scanThroughDialog()
    {
        auto w = page(SearchWidget::ClientsVariant);
        w->show();
        w->barcodeButton->click();
        BarcodeDialog *dialog = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<BarcodeDialog *>(top); d && d->isVisible())
                dialog = d;
        QVERIFY(dialog);
        QPointer<BarcodeDialog> guard(dialog);
        for (char c : QByteArray("*13I35I7I"))
            QTest::keyClick(dialog, c);
        QCOMPARE(w->clientId->text(), QStringLiteral("7"));
        QCOMPARE(shownIds(w.get()), QList<int>{7});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void headerLayoutPerVariant()
    {
        {
            auto w = page(SearchWidget::ClientsVariant);
            w->searchTable->horizontalHeader()->moveSection(0, 3);
        }
        QVERIFY(settings->native->contains(QStringLiteral("gui/stslayout_1")));
        auto clients = page(SearchWidget::ClientsVariant);
        QCOMPARE(clients->searchTable->horizontalHeader()->visualIndex(0), 3);
        clients->search();
        QCOMPARE(clients->searchTable->horizontalHeader()->visualIndex(0), 3);
        auto repairs = page(SearchWidget::RepairsVariant);
        QCOMPARE(repairs->searchTable->horizontalHeader()->visualIndex(0), 0);
    }

    void headerLayoutOfOtherFieldsIgnored()
    {
        int columns = 0;
        {
            auto w = page(SearchWidget::HardwareVariant);
            columns = w->model->columnCount();
            w->searchTable->horizontalHeader()->moveSection(0, 2);
        }
        {
            auto w = page(SearchWidget::HardwareVariant);
            QCOMPARE(w->searchTable->horizontalHeader()->visualIndex(0), 2);
        }
        // One more generic field in use: one more column.
        QVERIFY(t->exec("UPDATE fieldsconf SET sValue = 'Kolor' WHERE sName = 'sField5'"));
        auto w = page(SearchWidget::HardwareVariant);
        QCOMPARE(w->model->columnCount(), columns + 1);
        QCOMPARE(w->searchTable->horizontalHeader()->visualIndex(0), 0);
        // Another field in place of one: as many columns, other ones.
        QVERIFY(t->exec("UPDATE fieldsconf SET sValue = '' WHERE sName = 'sField4'"));
        {
            auto other = page(SearchWidget::HardwareVariant);
            QCOMPARE(other->model->columnCount(), columns);
            QCOMPARE(other->searchTable->horizontalHeader()->visualIndex(0), 0);
        }
        QVERIFY(t->exec({"UPDATE fieldsconf SET sValue = '' WHERE sName = 'sField5'",
                         "UPDATE fieldsconf SET sValue = 'Wyposażenie' WHERE sName = 'sField4'"}));
        FieldsConfig::getFieldsDescription(t->db());
    }

    void sortingInSql()
    {
        {
            auto w = page(SearchWidget::ClientsVariant);
            w->show();
            w->search();
            const int surname = w->model->fieldIndex(QStringLiteral("sSName"));
            w->searchTable->horizontalHeader()->setSortIndicator(surname, Qt::DescendingOrder);
            QVERIFY(w->model->query().lastQuery().contains(QStringLiteral("ORDER BY")));
            QCOMPARE(w->model->data(w->model->index(0, surname)).toString(), QStringLiteral("Wiśniewski"));
        }
        // The remembered order applies to the first search of a new page.
        auto w = page(SearchWidget::ClientsVariant);
        w->search();
        const int surname = w->model->fieldIndex(QStringLiteral("sSName"));
        QCOMPARE(w->model->data(w->model->index(0, surname)).toString(), QStringLiteral("Wiśniewski"));
        QCOMPARE(w->model->data(w->model->index(2, surname)).toString(), QStringLiteral("Kowalski"));
    }

    // Twenty more repairs of client 7 on three intake days: a list of pages
    // of four rows with ties in the date column.
    void laterPagesOfTheRepairsList()
    {
        const qint64 day = 1700000000;
        QStringList rows;
        for (int id = 101; id <= 120; ++id)
            rows << repair(id, 7, 35, day + (id % 3) * 86400, 1, QString(), day);
        QVERIFY(insert(*t, RepairsInsert, rows));
        QList<int> expected;
        QSqlQuery whole(t->db()->database());
        QVERIFY(whole.exec("SELECT iId FROM repairs ORDER BY iAddDate DESC, iId DESC"));
        while (whole.next())
            expected << whole.value(0).toInt();

        MessageBoxRecorder boxes;
        auto w = page(SearchWidget::RepairsVariant, false);
        auto *paged = qobject_cast<RecordModel *>(w->model);
        QVERIFY(paged);
        paged->setPageSize(4);
        w->show();
        w->search();
        QCOMPARE(w->model->rowCount(), 4);

        // A header click sorts in SQL and starts again at the first page.
        QSignalSpy resets(w->model, &QAbstractItemModel::modelReset);
        w->searchTable->horizontalHeader()->setSortIndicator(w->model->fieldIndex("iAddDate"),
                                                             Qt::DescendingOrder);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(w->model->rowCount(), 4);
        QCOMPARE(idAt(w.get(), 0), expected.first());

        // Scrolling down reads the next pages.
        for (int i = 0; i < 10 && w->model->rowCount() < expected.size(); ++i) {
            w->searchTable->scrollToBottom();
            QCoreApplication::processEvents();
        }
        QCOMPARE(w->model->rowCount(), expected.size());
        QList<int> listed;
        for (int row = 0; row < w->model->rowCount(); ++row)
            listed << idAt(w.get(), row);
        QCOMPARE(listed, expected);

        // A row of the last page is chosen and deleted like any other.
        const int id = expected.at(expected.size() - 2);
        QCOMPARE(selectRecord(w.get(), id), expected.size() - 2);
        QCOMPARE(w->selectedId, id);
        QSignalSpy chosen(w.get(), &SearchWidget::showSelectedById);
        w->selectButton->click();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.first().first().toInt(), id);
        w->deleteButton->click();
        QCOMPARE(t->count("repairs", QStringLiteral("iId = %1").arg(id)), 0);
        QCOMPARE(w->model->rowCount(), 4);
        QVERIFY(selectionCleared(w.get()));

        // A scanned repair card of a later row shows that repair alone.
        const int scanned = expected.at(10);
        scan(w.get(), {QString::number(scanned), "35", "7"});
        QCOMPARE(shownIds(w.get()), QList<int>{scanned});
    }

    void renderPages()
    {
        const QString out = qEnvironmentVariable("WARSZTAT_SEARCH_PNG_DIR");
        for (int v = 0; v <= 4; ++v) {
            auto w = page(Variant(v));
            w->show();
            w->search();
            QCoreApplication::processEvents();
            const QImage image = w->grab().toImage();
            QCOMPARE(image.size(), QSize(1200, 800));
            // The result table keeps most of the height.
            QVERIFY(w->searchTable->height() >= 400);
            if (!out.isEmpty())
                image.save(QStringLiteral("%1/search-%2.png").arg(out).arg(v));
        }
    }
};

WARSZTAT_TEST_MAIN(TestSearchWidget)
#include "tst_searchwidget.moc"
