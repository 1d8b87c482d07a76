#include "configtesthelpers.h"
#include "dictionaries/templatesconfig.h"
#include "messageboxrecorder.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>

class TestTemplatesConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listAndLabelsAfterShow();
    void formLimits();
    void addStoresTemplate();
    void addCancelledOrAborted();
    void editUpdatesAndKeepsHiddenFields();
    void editKeepsTypeNoLongerOffered();
    void deleteAsksAndRemoves();
    void failedWritesAreReported();
    void editOfTemplateDeletedMeanwhile();
    void editKeepsChangesMadeElsewhere_data();
    void editKeepsChangesMadeElsewhere();
    void renders();

private:
    void makePage();
    void selectRow(int row);
    QLineEdit *edit(const char *name) { return page->findChild<QLineEdit *>(name); }
    QPushButton *button(const char *name) { return page->findChild<QPushButton *>(name); }
    QTableView *table() const { return page->findChild<QTableView *>("searchTable"); }
    QComboBox *typeBox() const { return page->findChild<QComboBox *>("iHType"); }
    QDateEdit *dateEdit() const { return page->findChild<QDateEdit *>("iFieldDate"); }
    QPlainTextEdit *longText() const { return page->findChild<QPlainTextEdit *>("sFieldLong"); }
    bool onEditPage() const;
    int rowCount() const;

    TestDatabase *t = nullptr;
    TemplatesConfig *page = nullptr;
};

void TestTemplatesConfig::init()
{
    t = new TestDatabase;
    QVERIFY2(t->ok(), qPrintable(t->error()));
    QVERIFY(t->exec({
        "INSERT INTO templates (sHName, iHType, sField1, sField2, sField3, sField4, sField5, "
        "sField6, sField7, sField8, sField9, sField10, sField11, sField12, sField13, sField14, "
        "iFieldDate, sFieldLong) VALUES ('Laptop Dell', 0, 'Dell', 'Latitude', '', 'Zasilacz', "
        "'ukryte 5', '', '', '', '', '', '', '', '', '', 0, 'Uwagi szablonu')",
        "INSERT INTO templates (sHName, iHType, sField1, sField2, sField3, sField4, sField5, "
        "sField6, sField7, sField8, sField9, sField10, sField11, sField12, sField13, sField14, "
        "iFieldDate, sFieldLong) VALUES ('Telefon', 11, '', '', '', '', '', '', '', '', '', '', "
        "'', '', '', '', 0, '')"}));
}

void TestTemplatesConfig::cleanup()
{
    deletePageAndDatabase(page, t);
}

void TestTemplatesConfig::makePage()
{
    page = showConfigPage<TemplatesConfig>(*t, QSize(960, 600));
}

void TestTemplatesConfig::selectRow(int row)
{
    table()->selectRow(row);
}

bool TestTemplatesConfig::onEditPage() const
{
    auto *stack = page->findChild<QStackedWidget *>("stackedWidget");
    return stack->currentWidget()->objectName() == QLatin1String("savePage");
}

int TestTemplatesConfig::rowCount() const
{
    return table()->model()->rowCount();
}

void TestTemplatesConfig::listAndLabelsAfterShow()
{
    makePage();
    QCOMPARE(rowCount(), 2);
    QVERIFY(!button("editButton")->isEnabled());
    QVERIFY(!button("deleteButton")->isEnabled());
    selectRow(0);
    QVERIFY(button("editButton")->isEnabled());
    QVERIFY(button("deleteButton")->isEnabled());

    // The edit page carries the configured labels; fields without one are hidden.
    QCOMPARE(page->findChild<QLabel *>("sField4Label")->text(), QStringLiteral("Wyposażenie:"));
    QCOMPARE(page->findChild<QLabel *>("iFieldDateLabel")->text(),
             QStringLiteral("Data zakupu:"));
    QVERIFY(page->findChild<QLabel *>("sField5Label")->isHidden());
    QVERIFY(edit("sField5")->isHidden());
    QVERIFY(!edit("sField4")->isHidden());
    QCOMPARE(page->findChild<QLabel *>("label")->text(), QStringLiteral("Nazwa:"));

    // The type list offers the visible types.
    QCOMPARE(typeBox()->count(), 12);

    // A relabelled field follows at the next showing.
    QVERIFY(t->exec("UPDATE fieldsconf SET sValue = 'Kolor' WHERE sName = 'sField5'"));
    reshow(page);
    QCOMPARE(page->findChild<QLabel *>("sField5Label")->text(), QStringLiteral("Kolor:"));
    QVERIFY(!edit("sField5")->isHidden());
    QVERIFY(table()->model()->headerData(7, Qt::Horizontal).toString() == QStringLiteral("Kolor"));
}

void TestTemplatesConfig::formLimits()
{
    makePage();
    QCOMPARE(edit("sHName")->maxLength(), 255);
    for (int n = 1; n <= 14; ++n)
        QCOMPARE(page->findChild<QLineEdit *>(QStringLiteral("sField%1").arg(n))->maxLength(), 255);
    QCOMPARE(dateEdit()->displayFormat(),
             QStringLiteral("dd-MM-yyyy"));
    QVERIFY(dateEdit()->calendarPopup());
    QVERIFY(longText()->tabChangesFocus());
    QVERIFY(!onEditPage());

    // Tab in the long text goes on to the save button instead of typing a tab.
    click(page, "addButton");
    QApplication::setActiveWindow(page);
    QVERIFY(QTest::qWaitForWindowActive(page));
    longText()->setFocus();
    QTest::keyClick(longText(), Qt::Key_Tab);
    QVERIFY(longText()->toPlainText().isEmpty());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(button("saveButton")));
}

void TestTemplatesConfig::addStoresTemplate()
{
    makePage();
    MessageBoxRecorder rec;
    click(page, "addButton");
    QVERIFY(onEditPage());
    QVERIFY(edit("sHName")->text().isEmpty());
    QCOMPARE(dateEdit()->date(), QDate::currentDate());

    QTest::keyClicks(edit("sHName"), "Drukarka HP 'biurowa'");
    QTest::keyClicks(edit("sField1"), "HP");
    QTest::keyClicks(edit("sField4"), "Kabel \\ USB");
    typeBox()->setCurrentIndex(typeBox()->findData(14));
    dateEdit()->setDate(QDate(2024, 3, 15));
    longText()->setPlainText("Zażółć\ngęślą");
    click(page, "saveButton");

    QCOMPARE(rec.count(), 2);
    QCOMPARE(rec.boxes[0].icon, QMessageBox::Question);
    QCOMPARE(rec.boxes[0].title, QStringLiteral("Nowy szablon sprzętu"));
    QCOMPARE(rec.boxes[1].title, QStringLiteral("Zapisano."));
    QVERIFY(!onEditPage());
    QCOMPARE(rowCount(), 3);

    QCOMPARE(t->count("templates", "sHName = 'Drukarka HP ''biurowa'''"), 1);
    QCOMPARE(storedRow(*t, "templates", "iHType, sField1, sField4, sField5, sFieldLong, iFieldDate",
                       "sHName LIKE 'Drukarka%'"),
             QStringLiteral("14|HP|Kabel \\ USB||Zażółć\ngęślą|%1")
                 .arg(QDate(2024, 3, 15).startOfDay().toSecsSinceEpoch()));

    // A second add starts empty again.
    click(page, "addButton");
    QVERIFY(edit("sHName")->text().isEmpty());
    QVERIFY(edit("sField1")->text().isEmpty());
    QVERIFY(longText()->toPlainText().isEmpty());
}

void TestTemplatesConfig::addCancelledOrAborted()
{
    makePage();
    MessageBoxRecorder rec;
    click(page, "addButton");
    QTest::keyClicks(edit("sHName"), "Nie zapisany");
    rec.answerCancel();
    click(page, "saveButton");
    QCOMPARE(rec.count(), 1);
    QVERIFY(onEditPage());
    QCOMPARE(edit("sHName")->text(), QStringLiteral("Nie zapisany"));
    QCOMPARE(t->count("templates"), 2);

    click(page, "abortButton");
    QVERIFY(!onEditPage());
    QCOMPARE(rec.count(), 1);
    QCOMPARE(t->count("templates"), 2);
}

void TestTemplatesConfig::editUpdatesAndKeepsHiddenFields()
{
    makePage();
    MessageBoxRecorder rec;
    table()->sortByColumn(1, Qt::AscendingOrder); // "Laptop Dell" first
    selectRow(0);
    click(page, "editButton");
    QVERIFY(onEditPage());
    QCOMPARE(edit("sHName")->text(), QStringLiteral("Laptop Dell"));
    QCOMPARE(edit("sField2")->text(), QStringLiteral("Latitude"));
    QCOMPARE(typeBox()->currentData().toInt(), 0);
    QCOMPARE(longText()->toPlainText(),
             QStringLiteral("Uwagi szablonu"));

    edit("sField2")->setText("Precision");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja szablonu sprzętu", "Zapisano."}));
    QVERIFY(!onEditPage());
    QCOMPARE(t->count("templates"), 2);
    // sField5, which the shop does not use, keeps what the template holds; a
    // date left as it was keeps its stored 0 (not the local midnight of 1970-01-01).
    QCOMPARE(storedRow(*t, "templates", "sField2, sField5, sFieldLong, iFieldDate", "sHName = 'Laptop Dell'"),
             QStringLiteral("Precision|ukryte 5|Uwagi szablonu|0"));

    // A double click opens the edit page as well.
    doubleClickAt(table()->viewport(), table()->visualRect(table()->model()->index(1, 1)).center());
    QVERIFY(onEditPage());
    QCOMPARE(edit("sHName")->text(), QStringLiteral("Telefon"));
}

void TestTemplatesConfig::editKeepsTypeNoLongerOffered()
{
    QVERIFY(t->exec("UPDATE typesconf SET bVisible = 0 WHERE iTypeId = 11"));
    makePage();
    MessageBoxRecorder rec;
    table()->sortByColumn(1, Qt::AscendingOrder);
    selectRow(1); // "Telefon", of the hidden type 11
    click(page, "editButton");
    QCOMPARE(typeBox()->currentIndex(), -1);
    click(page, "saveButton");
    QCOMPARE(t->scalar("SELECT iHType FROM templates WHERE sHName = 'Telefon'").toInt(), 11);
}

void TestTemplatesConfig::deleteAsksAndRemoves()
{
    makePage();
    MessageBoxRecorder rec;
    table()->sortByColumn(1, Qt::AscendingOrder);
    selectRow(1);
    rec.answerCancel();
    click(page, "deleteButton");
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().title, QStringLiteral("Usuwanie szablonu sprzętu"));
    QCOMPARE(t->count("templates"), 2);

    rec.clear();
    selectRow(1);
    click(page, "deleteButton");
    QCOMPARE(rec.titles(), QStringList({"Usuwanie szablonu sprzętu", "Zapisano."}));
    QCOMPARE(t->count("templates"), 1);
    QCOMPARE(t->count("templates", "sHName = 'Telefon'"), 0);
    QCOMPARE(rowCount(), 1);
    QVERIFY(!button("deleteButton")->isEnabled());
}

void TestTemplatesConfig::failedWritesAreReported()
{
    QVERIFY(failWrites(*t, "templates", "INSERT"));
    QVERIFY(failWrites(*t, "templates", "UPDATE"));
    QVERIFY(failWrites(*t, "templates", "DELETE"));
    makePage();
    MessageBoxRecorder rec;

    click(page, "addButton");
    QTest::keyClicks(edit("sHName"), "Nowy");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Nowy szablon sprzętu", "Błąd zapisu do bazy"}));
    // Nothing typed is lost.
    QVERIFY(onEditPage());
    QCOMPARE(edit("sHName")->text(), QStringLiteral("Nowy"));
    click(page, "abortButton");

    rec.clear();
    selectRow(0);
    click(page, "editButton");
    edit("sHName")->setText("Zmieniony");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja szablonu sprzętu", "Błąd zapisu do bazy"}));
    QCOMPARE(t->count("templates", "sHName = 'Zmieniony'"), 0);
    click(page, "abortButton");

    rec.clear();
    selectRow(0);
    click(page, "deleteButton");
    QCOMPARE(rec.titles(), QStringList({"Usuwanie szablonu sprzętu", "Błąd zapisu do bazy"}));
    QCOMPARE(t->count("templates"), 2);
}

void TestTemplatesConfig::editOfTemplateDeletedMeanwhile()
{
    makePage();
    MessageBoxRecorder rec;
    table()->sortByColumn(1, Qt::AscendingOrder);

    // Saved unchanged: the update changes no value and still counts as saved.
    selectRow(0);
    click(page, "editButton");
    click(page, "saveButton");
    QCOMPARE(rec.titles(), QStringList({"Edycja szablonu sprzętu", "Zapisano."}));

    // Another workstation deletes the template while it is on the edit page.
    rec.clear();
    selectRow(0);
    click(page, "editButton");
    edit("sHName")->setText("Zmieniony");
    QVERIFY(t->exec("DELETE FROM templates WHERE sHName = 'Laptop Dell'"));
    click(page, "saveButton");
    QCOMPARE(rec.lastLine(), "Rekord usunięty: Ten szablon został usunięty na innym stanowisku. "
                             "Zmiany nie zostały zapisane.");
    QVERIFY(onEditPage());
    QCOMPARE(edit("sHName")->text(), QStringLiteral("Zmieniony"));
    QCOMPARE(t->count("templates"), 1);
    QCOMPARE(t->count("templates", "sHName = 'Zmieniony'"), 0);
}

// Another workstation changes the template on the edit page, where its model
// is changed: another field's change stays; the model's refuses the save.
void TestTemplatesConfig::editKeepsChangesMadeElsewhere_data()
{
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QString>("stored"); // model and equipment
    QTest::newRow("equipment") << "sField4 = 'Torba'" << "Precision|Torba";
    QTest::newRow("model") << "sField2 = 'Vostro'" << "Vostro|Zasilacz";
    QTest::newRow("model's case") << "sField2 = 'latitude żółta'" << "latitude żółta|Zasilacz";
}

void TestTemplatesConfig::editKeepsChangesMadeElsewhere()
{
    QFETCH(QString, elsewhere);
    QFETCH(QString, stored);
    const bool refused = !stored.startsWith("Precision");
    QVERIFY(t->exec("UPDATE templates SET sField2 = 'Latitude żółta' WHERE sHName = 'Laptop Dell'"));
    makePage();
    MessageBoxRecorder rec;
    rec.answer(QMessageBox::Ok);
    rec.answer(QMessageBox::No); // the typed values kept
    table()->sortByColumn(1, Qt::AscendingOrder);
    selectRow(0);
    click(page, "editButton");
    QVERIFY(t->exec("UPDATE templates SET " + elsewhere + " WHERE sHName = 'Laptop Dell'"));
    edit("sField2")->setText("Precision");
    click(page, "saveButton");
    QCOMPARE(rec.last().title, refused ? "Zmiany na innym stanowisku" : "Zapisano.");
    QVERIFY(!refused || rec.last().text.contains("zmieniono: Model."));
    QCOMPARE(storedRow(*t, "templates", "sField2, sField4", "sHName = 'Laptop Dell'"), stored);
    QCOMPARE(onEditPage() ? edit("sField2")->text() : QString(), refused ? "Precision" : "");
}

void TestTemplatesConfig::renders()
{
    makePage();
    QVERIFY(page->grab().save(QDir::temp().filePath("templatesconfig-list.png")));
    selectRow(0);
    click(page, "editButton");
    QVERIFY(page->grab().save(QDir::temp().filePath("templatesconfig-edit.png")));
}

WARSZTAT_TEST_MAIN(TestTemplatesConfig)
#include "tst_templatesconfig.moc"
