#include "configtesthelpers.h"
#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/repairstatusesconfig.h"
#include "dictionaries/statusesconfigpage.h"
#include "dictionaries/statusestree.h"
#include "messageboxrecorder.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlError>
#include <QToolButton>

namespace {

// What the test needs to know of each twin.
struct Twin
{
    bool hardware;
    QString table;
    QString useInsert; // a record that uses the status id %1
    QStringList groupRows;
    QString addTitle;
    QString addConfirmTitle;
    QString editTitle;
    QString missingTitle;
    QString inUseTitle;
    QString inUseText;
    QString deleteTitle;
    QString deleteText;
    QString firstGroupLabel;
    QList<QStringList> initialTree;
};

Twin twin(bool hardware)
{
    if (!hardware)
        return {false,
                "statusesconf",
                "INSERT INTO repairs (sNum, sDefect, sComment, sOuterNo, sCost, iStatus) "
                "VALUES ('', '', '', '', '', %1)",
                {"Statusy dla napraw: [Otwarte]", "Statusy dla napraw: [Oczekujące]",
                 "Statusy dla napraw: [Zamknięte]"},
                "Dodaj nowy status naprawy",
                "Nowy status naprawy",
                "Edytuj status naprawy",
                "Błąd statusu naprawy !",
                "Status naprawy w użyciu !",
                "Ten status naprawy jest obecnie używany w bazie danych. Nie można usuwać "
                "statusów które są w użyciu.",
                "Usuwanie statusu naprawy",
                "Ten status naprawy zostanie trwale usunięty ! Czy chcesz kontynuować ?",
                "[Otwarta]",
                {{"Nowa naprawa", "Naprawa rozpoczęta"},
                 {"Zuvove zewnętrzny", "Oczekuje na części"},
                 {"Naprawa niewykonana", "Naprawa ukończona"}}};
    return {true,
            "hwstatusesconf",
            "INSERT INTO hardware (sHName, iHType, iStoreStatus) VALUES ('Laptop', 0, %1)",
            {"Statusy sprzętu: [W serwisie]", "Statusy sprzętu: [Poza serwisem]",
             "Statusy sprzętu: [Sprzęt wydany]"},
            "Dodaj nowy status sprzętu",
            "Nowy status sprzętu",
            "Edytuj status sprzętu",
            "Błąd statusu sprzętu !",
            "Status sprzętu w użyciu !",
            "Ten status sprzętu jest obecnie używany w bazie danych. Nie można usuwać statusów "
            "które są w użyciu.",
            "Usuwanie statusu sprzętu",
            "Ten status sprzętu zostanie trwale usunięty ! Czy chcesz kontynuować ?",
            "[W serwisie]",
            {{"W serwisie", "Do odbioru"},
             {"W serwisie zewnętrznym", "U klienta / usługa serwisowa", "Wysłany"},
             {"Poza ewidencją", "Odebrany"}}};
}

using Layout = QList<QStringList>;

QString insertStatus(const QString &table, int statusId, int group, const QString &description, int order)
{
    return QStringLiteral("INSERT INTO %1 (iStatusId, iGroup, sDescription, sColor, iOrder) "
                          "VALUES (%2, %3, '%4', '#ffffff', %5)")
        .arg(table).arg(statusId).arg(group).arg(description).arg(order);
}

} // namespace

class TestStatusesConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void treeAfterLoad_data() { twinData(); }
    void treeAfterLoad();
    void selectionEnablesButtons();
    void addStatus_data() { twinData(); }
    void addStatus();
    void addFirstStatusToEmptyTable();
    void editStatus_data() { twinData(); }
    void editStatus();
    void editIntoAnotherGroupTakesItsNextPlace();
    void colourChoice();
    void unreadableColourKept_data() { twinData(); }
    void unreadableColourKept();
    void cancelledQuestionsWriteNothing();
    void deleteStatus_data() { twinData(); }
    void deleteStatus();
    void deleteRefusals();
    void editRacesAnotherWorkstation_data();
    void editRacesAnotherWorkstation();
    void failedWritesAreReported();
    void dragToAnotherGroup_data() { twinData(); }
    void dragToAnotherGroup();
    void dragWithinGroup();
    void dragKeepsOrderOverGaps();
    void dragOverOrderStoredEmpty();
    void failedDragChangesNothing_data();
    void failedDragChangesNothing();
    void dropOnTheTree();
    void dropReportsThePlace();
    void renders();

private:
    void twinData();
    QWidget *makePage(bool hardware);
    bool moveStatus(int id, int group, int position);
    StatusesTree *tree() const { return page->findChild<StatusesTree *>("statusesTable"); }
    QPushButton *button(const char *name) const { return page->findChild<QPushButton *>(name); }
    QLineEdit *description() const { return page->findChild<QLineEdit *>("statusDescription"); }
    QGroupBox *statusBox() const { return page->findChild<QGroupBox *>("statusBox"); }
    QRadioButton *groupButton(int group) const
    {
        return page->findChild<QRadioButton *>(QStringLiteral("statusGroup%1").arg(group));
    }
    void select(const QString &text);
    void edit(const QString &text)
    {
        select(text);
        click(page, "editButton");
    }
    Layout treeLayout() const;
    Layout dbLayout() const;
    int idOf(const QString &text) const;

    TestDatabase *t = nullptr;
    QWidget *page = nullptr;
    QString table;
};

void TestStatusesConfig::twinData()
{
    QTest::addColumn<bool>("hardware");
    QTest::newRow("repair") << false;
    QTest::newRow("hardware") << true;
}

void TestStatusesConfig::init()
{
    t = new TestDatabase;
    QVERIFY2(t->ok(), qPrintable(t->error()));
    StatusesConfigPage::colorPicker = [](const QColor &, QWidget *, const QString &) {
        return QColor();
    };
}

void TestStatusesConfig::cleanup()
{
    deletePageAndDatabase(page, t);
}

QWidget *TestStatusesConfig::makePage(bool hardware)
{
    table = twin(hardware).table;
    if (hardware)
        page = showConfigPage<HardwareStatusesConfig>(*t);
    else
        page = showConfigPage<RepairStatusesConfig>(*t);
    return page;
}

bool TestStatusesConfig::moveStatus(int id, int group, int position)
{
    if (auto *p = qobject_cast<HardwareStatusesConfig *>(page))
        return p->moveStatus(id, group, position);
    return qobject_cast<RepairStatusesConfig *>(page)->moveStatus(id, group, position);
}

void TestStatusesConfig::select(const QString &text)
{
    const QList<QTreeWidgetItem *> items = tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY2(items.size() == 1, qPrintable(text));
    tree()->setCurrentItem(items.first());
}

Layout TestStatusesConfig::treeLayout() const
{
    Layout layout;
    for (int g = 0; g < tree()->topLevelItemCount(); ++g) {
        QStringList texts;
        for (int i = 0; i < tree()->topLevelItem(g)->childCount(); ++i)
            texts << tree()->topLevelItem(g)->child(i)->text(0);
        layout << texts;
    }
    return layout;
}

// Every status of groups 1 to 3 as "description order", by group and order.
Layout TestStatusesConfig::dbLayout() const
{
    Layout layout(3);
    QSqlQuery q = t->db()->query(
        QStringLiteral("SELECT iGroup, sDescription, iOrder FROM %1 ORDER BY iGroup, iOrder").arg(table));
    while (q.next()) {
        const int group = q.value(0).toInt();
        if (group >= 1 && group <= 3)
            layout[group - 1] << q.value(1).toString() + ' ' + q.value(2).toString();
    }
    return layout;
}

int TestStatusesConfig::idOf(const QString &text) const
{
    return t->scalar(QStringLiteral("SELECT iId FROM %1 WHERE sDescription = '%2'").arg(table, text)).toInt();
}

void TestStatusesConfig::treeAfterLoad()
{
    QFETCH(bool, hardware);
    const Twin tw = twin(hardware);
    QVERIFY(t->exec(insertStatus(tw.table, 40, 4, "Poza grupami", 1)));
    makePage(hardware);
    QCOMPARE(tree()->topLevelItemCount(), 3);
    for (int g = 0; g < 3; ++g) {
        QTreeWidgetItem *group = tree()->topLevelItem(g);
        QCOMPARE(group->text(0), tw.groupRows[g]);
        QVERIFY(group->isExpanded());
        QCOMPARE(group->flags(), Qt::ItemIsEnabled | Qt::ItemIsDropEnabled);
        QCOMPARE(group->sizeHint(0).height(), 40);
    }
    QVERIFY(!(tree()->invisibleRootItem()->flags() & Qt::ItemIsDropEnabled));
    QCOMPARE(treeLayout(), tw.initialTree);
    QTreeWidgetItem *status = tree()->topLevelItem(0)->child(1);
    QCOMPARE(status->data(0, Qt::UserRole).toInt(), hardware ? 5 : 2);
    QCOMPARE(status->background(0).color(), QColor(hardware ? "#fd9494" : "#afff9f"));
    QCOMPARE(status->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    QCOMPARE(status->sizeHint(0).height(), 40);

    QVERIFY(statusBox()->isHidden());
    QVERIFY(!button("editButton")->isEnabled());
    QVERIFY(!button("deleteButton")->isEnabled());
    QCOMPARE(page->findChild<QLabel *>("dbLabel")->text(), dbLabelPrefix + t->db()->description);
    QCOMPARE(tree()->dragDropMode(), QAbstractItemView::InternalMove);
}

void TestStatusesConfig::selectionEnablesButtons()
{
    makePage(false);
    select("Oczekuje na części");
    QVERIFY(button("editButton")->isEnabled());
    QVERIFY(button("deleteButton")->isEnabled());
    click(page, "addButton");
    QVERIFY(!statusBox()->isHidden());
    // A new selection closes the edit box.
    select("Naprawa ukończona");
    QVERIFY(statusBox()->isHidden());
    tree()->clearSelection();
    QVERIFY(!button("editButton")->isEnabled());
    QVERIFY(!button("deleteButton")->isEnabled());

    // A reload drops the selection and with it the buttons that act on it.
    select("Naprawa ukończona");
    reshow(page);
    QVERIFY(!button("editButton")->isEnabled());
    QVERIFY(!button("deleteButton")->isEnabled());
}

void TestStatusesConfig::addStatus()
{
    QFETCH(bool, hardware);
    const Twin tw = twin(hardware);
    makePage(hardware);
    MessageBoxRecorder rec;
    StatusesConfigPage::colorPicker = [](const QColor &initial, QWidget *, const QString &title) {
        return initial == Qt::white && title == "Wybierz kolor statusu" ? QColor("#123456") : QColor();
    };
    click(page, "addButton");
    QCOMPARE(statusBox()->title(), tw.addTitle);
    QVERIFY(groupButton(1)->isChecked());
    auto *preview = page->findChild<QLabel *>("previewLabel");
    QCOMPARE(preview->text(), tw.firstGroupLabel + " ");
    QVERIFY(preview->styleSheet().contains("background: #ffffff;"));

    QTest::keyClicks(description(), "  Nowy 'status'  ");
    QCOMPARE(preview->text(), tw.firstGroupLabel + " Nowy 'status'");
    QTest::mouseClick(groupButton(2), Qt::LeftButton);
    QVERIFY(preview->text().endsWith(" Nowy 'status'"));
    QVERIFY(!preview->text().startsWith(tw.firstGroupLabel));
    QTest::mouseClick(page->findChild<QToolButton *>("colorButton"), Qt::LeftButton);
    QCOMPARE(preview->styleSheet(),
             QStringLiteral("border: 0px; border-radius: 20px; padding: 0 8px; background: #123456;"));

    click(page, "saveButton");
    QCOMPARE(rec.count(), 2);
    QCOMPARE(rec.boxes[0].icon, QMessageBox::Question);
    QCOMPARE(rec.boxes[0].title, tw.addConfirmTitle);
    QCOMPARE(rec.boxes[0].text, saveQuestionText);
    QCOMPARE(rec.boxes[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(rec.boxes[1].icon, QMessageBox::Information);
    QCOMPARE(rec.boxes[1].title, QStringLiteral("Zapisano."));
    QCOMPARE(rec.boxes[1].text, QStringLiteral("Zmiany zostały pomyślnie zapisane."));

    const QString where = "sDescription = 'Nowy ''status'''";
    QCOMPARE(t->count(table, where), 1);
    // Order: the highest of the whole table plus one, so last in its group.
    QCOMPARE(storedRow(*t, table, "iStatusId, iGroup, sColor, iOrder", where),
             QString(hardware ? "7|2|#123456|4" : "6|2|#123456|3"));
    QCOMPARE(treeLayout()[1].last(), QStringLiteral("Nowy 'status'"));
    QVERIFY(statusBox()->isHidden());
}

void TestStatusesConfig::addFirstStatusToEmptyTable()
{
    QVERIFY(t->exec("DELETE FROM statusesconf"));
    makePage(false);
    MessageBoxRecorder rec;
    QCOMPARE(treeLayout(), Layout({{}, {}, {}}));
    click(page, "addButton");
    QTest::keyClicks(description(), "Pierwszy");
    click(page, "saveButton");
    QCOMPARE(storedRow(*t, "statusesconf", "iStatusId, iOrder, iGroup, sColor", "1 = 1"),
             QStringLiteral("50|1|1|#ffffff"));
}

void TestStatusesConfig::editStatus()
{
    QFETCH(bool, hardware);
    const Twin tw = twin(hardware);
    makePage(hardware);
    MessageBoxRecorder rec;
    const QString name = hardware ? "Wysłany" : "Oczekuje na części";
    const int id = idOf(name);
    edit(name);
    QCOMPARE(statusBox()->title(), tw.editTitle);
    QCOMPARE(description()->text(), name);
    QVERIFY(groupButton(2)->isChecked());

    description()->setText(" Zmieniony ");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja statusu", "Zapisano."}));
    // Same group: the order stays.
    QCOMPARE(storedRow(*t, table, "sDescription, iOrder, sColor", QStringLiteral("iId = %1").arg(id)),
             QString(hardware ? "Zmieniony|3|#feffa9" : "Zmieniony|2|#73ac5d"));
    QVERIFY(treeLayout()[1].contains("Zmieniony"));

    // A double click on a status edits it as well.
    QTreeWidgetItem *item = tree()->topLevelItem(0)->child(0);
    doubleClickAt(tree()->viewport(), tree()->visualItemRect(item).center());
    QVERIFY(!statusBox()->isHidden());
    QCOMPARE(description()->text(), item->text(0));
}

void TestStatusesConfig::editIntoAnotherGroupTakesItsNextPlace()
{
    makePage(false);
    MessageBoxRecorder rec;
    edit("Nowa naprawa");
    QTest::mouseClick(groupButton(3), Qt::LeftButton);
    click(page, "saveButton");
    QCOMPARE(rec.last().title, QStringLiteral("Zapisano."));
    QCOMPARE(storedRow(*t, "statusesconf", "iGroup, iOrder", "iId = 1"), QStringLiteral("3|3"));
    // No status shares a place, so none vanishes from the list.
    QCOMPARE(treeLayout(), Layout({{"Naprawa rozpoczęta"},
                                   {"Zuvove zewnętrzny", "Oczekuje na części"},
                                   {"Naprawa niewykonana", "Naprawa ukończona", "Nowa naprawa"}}));
    RepairStatusesConfig::getStatuses(t->db());
    QCOMPARE(RepairStatusesConfig::SortedStatuses.value(3).size(), 3);

    // Into an empty group: the first place.
    QVERIFY(t->exec("UPDATE statusesconf SET iGroup = 1 WHERE iId = 2"));
    QVERIFY(t->exec("DELETE FROM statusesconf WHERE iGroup = 2"));
    reshow(page);
    edit("Nowa naprawa");
    QTest::mouseClick(groupButton(2), Qt::LeftButton);
    click(page, "saveButton");
    QCOMPARE(t->scalar("SELECT iOrder FROM statusesconf WHERE iId = 1").toInt(), 1);
}

void TestStatusesConfig::colourChoice()
{
    makePage(false);
    MessageBoxRecorder rec;
    QColor offered;
    QColor answer;
    StatusesConfigPage::colorPicker = [&](const QColor &initial, QWidget *, const QString &) {
        offered = initial;
        return answer;
    };
    edit("Naprawa niewykonana");
    auto *colorButton = page->findChild<QToolButton *>("colorButton");
    auto *preview = page->findChild<QLabel *>("previewLabel");

    // Cancelled: the status keeps its colour.
    answer = QColor();
    QTest::mouseClick(colorButton, Qt::LeftButton);
    QCOMPARE(offered, QColor("#eb917f"));
    QVERIFY(preview->styleSheet().contains("#eb917f"));
    // Black becomes white.
    answer = QColor(Qt::black);
    QTest::mouseClick(colorButton, Qt::LeftButton);
    QVERIFY(preview->styleSheet().contains("#ffffff"));
    answer = QColor("#A1B2C3");
    QTest::mouseClick(colorButton, Qt::LeftButton);
    click(page, "saveButton");
    QCOMPARE(t->scalar("SELECT sColor FROM statusesconf WHERE iId = 5"), QStringLiteral("#a1b2c3"));

    // Cancelling the dialog on an edit saves the colour the status had.
    edit("Naprawa ukończona");
    answer = QColor();
    QTest::mouseClick(colorButton, Qt::LeftButton);
    click(page, "saveButton");
    QCOMPARE(t->scalar("SELECT sColor FROM statusesconf WHERE iId = 6"), QStringLiteral("#6fc3e6"));

    // An addition starts the dialog from white, even after a colour was chosen.
    click(page, "addButton");
    answer = QColor("#123456");
    QTest::mouseClick(colorButton, Qt::LeftButton);
    QTest::mouseClick(colorButton, Qt::LeftButton);
    QCOMPARE(offered, QColor(Qt::white));
    QVERIFY(preview->styleSheet().contains("#123456"));
}

// A colour stored empty (repair) or unreadable (hardware) paints white
// wherever the status is shown; an edit that picks none keeps it as stored.
void TestStatusesConfig::unreadableColourKept()
{
    QFETCH(bool, hardware);
    const QString color = hardware ? "#abc; color: red" : "";
    const Twin tw = twin(hardware);
    QVERIFY(t->exec({insertStatus(tw.table, 60, 1, "Bez koloru", 9),
                     QStringLiteral("UPDATE %1 SET sColor = '%2' WHERE iStatusId = 60").arg(tw.table, color)}));
    makePage(hardware);
    MessageBoxRecorder rec;
    QComboBox combo;
    hardware ? void(HardwareStatusesConfig::setupComboBox(t->db(), &combo))
             : void(RepairStatusesConfig::setupComboBox(t->db(), &combo));
    QCOMPARE(combo.itemIcon(combo.findData(60)).pixmap(30).toImage().pixelColor(15, 15), QColor(Qt::white));
    edit("Bez koloru");
    QCOMPARE(tree()->currentItem()->background(0).color(), QColor(Qt::white));
    QVERIFY(page->findChild<QLabel *>("previewLabel")->styleSheet().endsWith("background: #ffffff;"));
    description()->setText("Nowa nazwa");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja statusu", "Zapisano."}));
    QCOMPARE(storedRow(*t, table, "sDescription, sColor", "iStatusId = 60"), "Nowa nazwa|" + color);
}

void TestStatusesConfig::cancelledQuestionsWriteNothing()
{
    makePage(false);
    const Layout before = dbLayout();
    MessageBoxRecorder rec;
    click(page, "addButton");
    QTest::keyClicks(description(), "Nie zapisany");
    rec.answerCancel();
    click(page, "saveButton");
    QCOMPARE(rec.count(), 1);
    QVERIFY(statusBox()->isHidden());

    edit("Nowa naprawa");
    description()->setText("Zmiana");
    rec.answerCancel();
    click(page, "saveButton");

    select("Nowa naprawa");
    rec.answerCancel();
    click(page, "deleteButton");
    QCOMPARE(rec.titles(), QStringList({"Nowy status naprawy", "Edycja statusu", "Usuwanie statusu naprawy"}));
    QCOMPARE(dbLayout(), before);
    QCOMPARE(t->count("statusesconf"), 6);
}

void TestStatusesConfig::deleteStatus()
{
    QFETCH(bool, hardware);
    const Twin tw = twin(hardware);
    makePage(hardware);
    MessageBoxRecorder rec;
    const QString used = hardware ? "Do odbioru" : "Naprawa rozpoczęta";
    const int usedStatusId = t->scalar(QStringLiteral("SELECT iStatusId FROM %1 WHERE iId = %2")
                                           .arg(table).arg(idOf(used))).toInt();
    QVERIFY(t->exec(tw.useInsert.arg(usedStatusId)));
    // Another workstation writes while the refusal is shown.
    rec.whileOpen = [&] { QVERIFY(t->openAnother()->query(tw.useInsert.arg(usedStatusId)).isActive()); };

    // Asked for while its edit box is open.
    edit(used);
    click(page, "deleteButton");
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().icon, QMessageBox::Information);
    QCOMPARE(rec.last().title, tw.inUseTitle);
    QCOMPARE(rec.last().text, tw.inUseText);
    QCOMPARE(t->count(table, QStringLiteral("sDescription = '%1'").arg(used)), 1);
    // Refused without a reload: the status stays selected.
    QCOMPARE(tree()->currentItem()->text(0), used);
    // The box left open saves what it shows.
    rec.clear();
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja statusu", "Zapisano."}));

    rec.clear();
    const QString unused = hardware ? "Wysłany" : "Naprawa ukończona";
    select(unused);
    click(page, "deleteButton");
    QCOMPARE(rec.count(), 2);
    QCOMPARE(rec.boxes[0].title, tw.deleteTitle);
    QCOMPARE(rec.boxes[0].text, tw.deleteText);
    QCOMPARE(rec.boxes[1].title, QStringLiteral("Zapisano."));
    QCOMPARE(t->count(table, QStringLiteral("sDescription = '%1'").arg(unused)), 0);
    for (const QStringList &group : treeLayout())
        QVERIFY(!group.contains(unused));

    // Taken into use at another workstation while the question was open: kept.
    rec.clear();
    const QString first = "iId = " + tree()->topLevelItem(0)->child(0)->data(0, Qt::UserRole).toString();
    rec.whileOpen = [&] { QVERIFY(t->exec(tw.useInsert.arg(storedRow(*t, table, "iStatusId", first)))); };
    select(tree()->topLevelItem(0)->child(0)->text(0));
    click(page, "deleteButton");
    QCOMPARE(rec.titles(), QStringList({tw.deleteTitle, tw.inUseTitle}));
    QCOMPARE(t->count(table, first), 1);
}

void TestStatusesConfig::deleteRefusals()
{
    makePage(false);
    MessageBoxRecorder rec;

    // A status removed meanwhile by another workstation.
    select("Naprawa ukończona");
    QVERIFY(t->exec("DELETE FROM statusesconf WHERE iId = 6"));
    click(page, "deleteButton");
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().icon, QMessageBox::Critical);
    QCOMPARE(rec.last().title, QStringLiteral("Błąd statusu naprawy !"));
    QCOMPARE(rec.last().text, QStringLiteral("Status o tym numerze nie istnieje w bazie danych."));

    // A use count that cannot be read refuses the deletion.
    rec.clear();
    QVERIFY(t->exec("ALTER TABLE repairs RENAME TO repairs_moved"));
    select("Naprawa niewykonana");
    click(page, "deleteButton");
    QCOMPARE(rec.titles(), QStringList({"Błąd zapisu do bazy"}));
    QCOMPARE(t->count("statusesconf", "iId = 5"), 1);
    QVERIFY(t->exec("ALTER TABLE repairs_moved RENAME TO repairs"));
}

// A status deleted or changed at another workstation while its edit box was
// open: nothing is stored, staff are told why, and the box closes on the
// list as it is now.
void TestStatusesConfig::editRacesAnotherWorkstation_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    QTest::newRow("deleted") << "DELETE FROM statusesconf WHERE iStatusId = 60" << "Błąd statusu naprawy !" << "";
    QTest::newRow("renamed") << "UPDATE statusesconf SET sDescription = 'Inny' WHERE iStatusId = 60"
                             << "Zmiany na innym stanowisku" << "Inny";
}

void TestStatusesConfig::editRacesAnotherWorkstation()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    makePage(false);
    MessageBoxRecorder rec;
    QVERIFY(t->exec(insertStatus("statusesconf", 60, 1, "Stary", 9)));
    reshow(page);
    edit("Stary");
    QCOMPARE(t->openAnother()->query(meanwhile).lastError().text(), QString());
    description()->setText("Zmiana");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja statusu", message}));
    QCOMPARE(t->scalar("SELECT sDescription FROM statusesconf WHERE iStatusId = 60"), stored);
    QVERIFY(statusBox()->isHidden());
    QVERIFY(tree()->findItems("Stary", Qt::MatchExactly | Qt::MatchRecursive).isEmpty()); // read anew
}

void TestStatusesConfig::failedWritesAreReported()
{
    makePage(false);
    MessageBoxRecorder rec;
    QVERIFY(failWrites(*t, "statusesconf", "UPDATE"));
    QVERIFY(failWrites(*t, "statusesconf", "INSERT"));
    QVERIFY(failWrites(*t, "statusesconf", "DELETE"));

    edit("Nowa naprawa");
    description()->setText("Zmiana");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja statusu", "Błąd zapisu do bazy"}));
    QCOMPARE(rec.last().icon, QMessageBox::Warning);
    QCOMPARE(rec.last().buttons, QMessageBox::Ok);
    QCOMPARE(rec.last().text,
             QStringLiteral("Nie udało się zapisać zmian.\n\nSprawdź konfigurację bazy danych bądź "
                            "skontaktuj się z pomocą techniczną."));

    rec.clear();
    click(page, "addButton");
    QTest::keyClicks(description(), "Nowy");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Nowy status naprawy", "Błąd zapisu do bazy"}));
    // The box stays open with what was typed, to be saved once writes pass.
    QCOMPARE(description()->text(), QStringLiteral("Nowy"));
    QVERIFY(!statusBox()->isHidden() && allowWrites(*t, "statusesconf", "INSERT"));
    click(page, "saveButton");
    QCOMPARE(rec.last().title, QStringLiteral("Zapisano."));

    rec.clear();
    select("Naprawa ukończona");
    click(page, "deleteButton");
    QCOMPARE(rec.titles(), QStringList({"Usuwanie statusu naprawy", "Błąd zapisu do bazy"}));
    QCOMPARE(t->count("statusesconf"), 7);
    QCOMPARE(t->count("statusesconf", "sDescription = 'Zmiana'"), 0);
}

void TestStatusesConfig::dragToAnotherGroup()
{
    QFETCH(bool, hardware);
    makePage(hardware);
    QVERIFY(logUpdates(*t, table));
    MessageBoxRecorder rec;
    // The second status of group 1 to the top of group 3.
    const QString moved = hardware ? "Do odbioru" : "Naprawa rozpoczęta";
    QVERIFY(moveStatus(idOf(moved), 3, 0));
    QCOMPARE(rec.count(), 0);
    if (hardware) {
        QCOMPARE(dbLayout(), Layout({{"W serwisie 1"},
                                     {"W serwisie zewnętrznym 1", "U klienta / usługa serwisowa 2", "Wysłany 3"},
                                     {"Do odbioru 1", "Poza ewidencją 2", "Odebrany 3"}}));
        QCOMPARE(loggedUpdates(t->db()), QList<int>({5, 6, 7}));
    } else {
        QCOMPARE(dbLayout(), Layout({{"Nowa naprawa 1"},
                                     {"Zuvove zewnętrzny 1", "Oczekuje na części 2"},
                                     {"Naprawa rozpoczęta 1", "Naprawa niewykonana 2", "Naprawa ukończona 3"}}));
        QCOMPARE(loggedUpdates(t->db()), QList<int>({2, 5, 6}));
    }
    QCOMPARE(treeLayout()[2].first(), moved);

    // Showing the page again writes nothing and shows the stored order.
    reshow(page);
    QCOMPARE(loggedUpdates(t->db()).size(), 3);
    QCOMPARE(treeLayout()[2].first(), moved);

    // The first status of group 1 moved down: the ones that moved up follow.
    QVERIFY(t->exec("DELETE FROM updlog"));
    const QString first = treeLayout()[1].first();
    QVERIFY(moveStatus(idOf(first), 1, 1));
    QCOMPARE(treeLayout()[1].size(), hardware ? 2 : 1);
    QCOMPARE(treeLayout()[0].last(), first);
}

void TestStatusesConfig::dragWithinGroup()
{
    QVERIFY(t->exec({insertStatus("statusesconf", 6, 1, "C", 3), insertStatus("statusesconf", 7, 1, "D", 4),
                     "UPDATE statusesconf SET sDescription = 'A' WHERE iId = 1",
                     "UPDATE statusesconf SET sDescription = 'B' WHERE iId = 2"}));
    makePage(false);
    QVERIFY(logUpdates(*t, "statusesconf"));
    MessageBoxRecorder rec;
    const Layout others = dbLayout().mid(1);

    // D to the second place: A1 D2 B3 C4.
    QVERIFY(moveStatus(idOf("D"), 1, 1));
    QCOMPARE(dbLayout()[0], QStringList({"A 1", "D 2", "B 3", "C 4"}));
    QCOMPARE(loggedUpdates(t->db()), QList<int>({2, idOf("C"), idOf("D")}));
    // A to the third place (counted with A still in its place): D1 B2 A3 C4.
    QVERIFY(moveStatus(idOf("A"), 1, 3));
    QCOMPARE(dbLayout()[0], QStringList({"D 1", "B 2", "A 3", "C 4"}));
    // Past the end: last.
    QVERIFY(moveStatus(idOf("D"), 1, 99));
    QCOMPARE(dbLayout()[0], QStringList({"B 1", "A 2", "C 3", "D 4"}));

    // Dropped back where it was: nothing written.
    QVERIFY(t->exec("DELETE FROM updlog"));
    QVERIFY(moveStatus(idOf("A"), 1, 1));
    QVERIFY(moveStatus(idOf("A"), 1, 2));
    QVERIFY(loggedUpdates(t->db()).isEmpty());
    QCOMPARE(dbLayout().mid(1), others);
    QCOMPARE(rec.count(), 0);

    QVERIFY(!moveStatus(999, 1, 0));
    QVERIFY(!moveStatus(idOf("A"), 4, 0));
}

void TestStatusesConfig::dragKeepsOrderOverGaps()
{
    QVERIFY(t->exec({"UPDATE statusesconf SET sDescription = 'A', iOrder = 1 WHERE iId = 1",
                     "UPDATE statusesconf SET sDescription = 'B', iOrder = 7 WHERE iId = 2",
                     insertStatus("statusesconf", 6, 1, "C", 9), insertStatus("statusesconf", 7, 1, "D", 10)}));
    makePage(false);
    MessageBoxRecorder rec;
    QVERIFY(moveStatus(idOf("D"), 1, 2));
    QCOMPARE(treeLayout()[0], QStringList({"A", "B", "D", "C"}));
    RepairStatusesConfig::getStatuses(t->db());
    QStringList listed;
    for (const auto &s : RepairStatusesConfig::SortedStatuses.value(1))
        listed << s.description;
    QCOMPARE(listed, QStringList({"A", "B", "D", "C"}));
}

// A place another tool left empty (MySQL's column holds none) is read as 0.
void TestStatusesConfig::dragOverOrderStoredEmpty()
{
    if (TestDatabase::isMySql())
        QSKIP("MySQL's column holds no empty place");
    QVERIFY(t->exec("UPDATE statusesconf SET iOrder = NULL WHERE iId = 2"));
    makePage(false);
    MessageBoxRecorder rec;
    QVERIFY(moveStatus(1, 1, 0));
    QCOMPARE(dbLayout()[0], QStringList({"Nowa naprawa 1", "Naprawa rozpoczęta 2"}));
}

void TestStatusesConfig::failedDragChangesNothing_data()
{
    QTest::addColumn<QString>("meanwhile"); // another workstation's change after the load
    QTest::addColumn<QString>("message");
    QTest::newRow("write refused") << QString() << "Błąd zapisu do bazy";
    QTest::newRow("status moved elsewhere")
        << "UPDATE statusesconf SET iGroup = 1, iOrder = 3 WHERE iId = 5" << "Zmiany na innym stanowisku";
    QTest::newRow("status deleted elsewhere") << "DELETE FROM statusesconf WHERE iId = 6"
                                              << "Zmiany na innym stanowisku";
}

void TestStatusesConfig::failedDragChangesNothing()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    makePage(false);
    MessageBoxRecorder rec;
    // The second of the three writes (statuses 2, 5, 6) fails: the first is
    // rolled back.
    QVERIFY(meanwhile.isEmpty() ? failWrites(*t, "statusesconf", "UPDATE", "NEW.iId = 5")
                                : t->exec(meanwhile));
    const Layout before = dbLayout();
    QVERIFY(!moveStatus(2, 3, 0));
    QCOMPARE(rec.titles(), QStringList({message}));
    QCOMPARE(dbLayout(), before);
    for (int group = 0; group < 3; ++group) // the tree shows what is stored
        QCOMPARE(treeLayout()[group].size(), before[group].size());
}

void TestStatusesConfig::dropOnTheTree()
{
    makePage(false);
    MessageBoxRecorder rec;
    StatusesTree *view = tree();
    int group = -1;
    int row = -1;

    QTreeWidgetItem *waiting = view->topLevelItem(1);
    QTreeWidgetItem *parts = waiting->child(1); // "Oczekuje na części"
    const QRect partsRect = view->visualItemRect(parts);
    QVERIFY(view->dropTarget(partsRect.center() - QPoint(0, 10), &group, &row));
    QCOMPARE(group, 1);
    QCOMPARE(row, 1);
    QVERIFY(view->dropTarget(partsRect.center() + QPoint(0, 10), &group, &row));
    QCOMPARE(row, 2);
    QVERIFY(view->dropTarget(view->visualItemRect(view->topLevelItem(2)).center(), &group, &row));
    QCOMPARE(group, 2);
    QCOMPARE(row, 2);
    const QPoint empty(10, view->viewport()->height() - 5);
    QVERIFY(!view->dropTarget(empty, &group, &row));

    // The page stores what the tree reports of a drop: "Nowa naprawa" before
    // "Oczekuje na części".
    emit view->statusDropped(view->topLevelItem(0)->child(0), 1, 1);
    QCOMPARE(dbLayout(), Layout({{"Naprawa rozpoczęta 1"},
                                 {"Zuvove zewnętrzny 1", "Nowa naprawa 2", "Oczekuje na części 3"},
                                 {"Naprawa niewykonana 1", "Naprawa ukończona 2"}}));
    QCOMPARE(treeLayout()[1], QStringList({"Zuvove zewnętrzny", "Nowa naprawa", "Oczekuje na części"}));
    QCOMPARE(rec.count(), 0);
}

namespace {
// Reaches the drop handler, which the toolkit calls only for a real drag.
struct ProbeTree : StatusesTree
{
    using StatusesTree::dropEvent;
};
} // namespace

void TestStatusesConfig::dropReportsThePlace()
{
    ProbeTree view;
    view.setDragDropMode(QAbstractItemView::InternalMove);
    view.resize(400, 400);
    for (int g = 0; g < 3; ++g) {
        auto *group = new QTreeWidgetItem(&view, QStringList(QStringLiteral("Grupa %1").arg(g)));
        for (int i = 0; i < 2; ++i)
            new QTreeWidgetItem(group, QStringList(QStringLiteral("Status %1.%2").arg(g).arg(i)));
    }
    view.expandAll();
    view.show();
    QSignalSpy spy(&view, &StatusesTree::statusDropped);
    QTreeWidgetItem *dragged = view.topLevelItem(0)->child(0);
    view.setCurrentItem(dragged);
    QMimeData mime;

    const QRect target = view.visualItemRect(view.topLevelItem(2)->child(1));
    QDropEvent drop(QPointF(target.center() + QPoint(0, 5)), Qt::MoveAction, &mime,
                    Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&drop);
    QVERIFY(drop.isAccepted());
    // Not a move: the view must not remove the dragged row on its own.
    QCOMPARE(drop.dropAction(), Qt::IgnoreAction);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].value<QTreeWidgetItem *>(), dragged);
    QCOMPARE(spy[0][1].toInt(), 2);
    QCOMPARE(spy[0][2].toInt(), 2);
    QCOMPARE(view.topLevelItem(0)->childCount(), 2);

    QDropEvent nowhere(QPointF(5, view.viewport()->height() - 5), Qt::MoveAction, &mime,
                       Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&nowhere);
    QVERIFY(!nowhere.isAccepted());

    // A group row cannot be dragged.
    view.setCurrentItem(view.topLevelItem(1));
    QDropEvent group(QPointF(target.center()), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&group);
    QVERIFY(!group.isAccepted());
    QCOMPARE(spy.count(), 1);
}

// Long names read whole in the preview of either page.
void TestStatusesConfig::renders()
{
    makePage(false);
    edit("Naprawa niewykonana");
    QTest::keyClicks(description(), " u producenta, czeka na czesci z Chin");
    QVERIFY(readsWhole(page->findChild<QLabel *>("previewLabel")));
    QVERIFY(page->grab().save(QDir::temp().filePath("statusesconfig-repair.png")));
    delete page;
    makePage(true);
    click(page, "addButton");
    QTest::keyClicks(description(), "Nowy status: czeka na czesci zamienne od producenta");
    QVERIFY(readsWhole(page->findChild<QLabel *>("previewLabel")));
    QVERIFY(page->grab().save(QDir::temp().filePath("statusesconfig-hardware.png")));
}

WARSZTAT_TEST_MAIN(TestStatusesConfig)
#include "tst_statusesconfig.moc"
