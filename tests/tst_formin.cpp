// WARSZTAT_TEST_NO_DATABASE: the form mixin works on widgets only.
#include "configtesthelpers.h"
#include "formin.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

class TestFormIn : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void styles();
    void clearAndResetTouchOnlyTextInputs_data();
    void clearAndResetTouchOnlyTextInputs();
    void clearFormWidgetCoversOnlyThatWidget();
    void validateFormAcceptsByDefault();
    void comboboxSetup_data();
    void comboboxSetup();
    void comboboxSetupWithoutEntries();
};

namespace {

// A form as the pages build them: text inputs, some nested one level down,
// beside a combo box (also an editable one), a date edit, a spin box and a
// check box, all of them filled and marked invalid.
struct Form
{
    QWidget root;
    QLineEdit *name;
    QLineEdit *nested;
    QPlainTextEdit *notes;
    QComboBox *combo;
    QComboBox *editableCombo;
    QDateEdit *date;
    QSpinBox *spin;
    QCheckBox *check;
    QWidget *inner;

    Form()
    {
        auto *layout = new QVBoxLayout(&root);
        name = new QLineEdit(QStringLiteral("Kowalski"), &root);
        inner = new QWidget(&root);
        nested = new QLineEdit(QStringLiteral("Żółta 5"), inner);
        notes = new QPlainTextEdit(QStringLiteral("Nie włącza się.\nPęknięta obudowa."), &root);
        combo = new QComboBox(&root);
        combo->addItems({QStringLiteral("Laptop"), QStringLiteral("PC")});
        combo->setCurrentIndex(1);
        editableCombo = new QComboBox(&root);
        editableCombo->setEditable(true);
        editableCombo->addItems({QStringLiteral("Dell"), QStringLiteral("HP")});
        editableCombo->setCurrentIndex(1);
        date = new QDateEdit(QDate(2024, 3, 5), &root);
        date->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
        spin = new QSpinBox(&root);
        spin->setValue(42);
        check = new QCheckBox(&root);
        check->setChecked(true);
        for (QWidget *w : std::initializer_list<QWidget *>{name, inner, notes, combo, editableCombo, date,
                                                           spin, check})
            layout->addWidget(w);
        for (QWidget *w : std::initializer_list<QWidget *>{name, nested, notes, combo, editableCombo, date,
                                                           spin, check})
            w->setStyleSheet(FormIn::FormStyle2);
    }

    // The inputs that are not text fields, with what they showed at first.
    void verifyOthersUntouched() const
    {
        QCOMPARE(combo->currentText(), QStringLiteral("PC"));
        QCOMPARE(combo->styleSheet(), FormIn::FormStyle2);
        QCOMPARE(editableCombo->currentText(), QStringLiteral("HP"));
        QCOMPARE(editableCombo->lineEdit()->text(), QStringLiteral("HP"));
        QCOMPARE(editableCombo->styleSheet(), FormIn::FormStyle2);
        QCOMPARE(date->date(), QDate(2024, 3, 5));
        QCOMPARE(date->text(), QStringLiteral("05-03-2024"));
        QCOMPARE(date->styleSheet(), FormIn::FormStyle2);
        QCOMPARE(spin->value(), 42);
        QCOMPARE(spin->text(), QStringLiteral("42"));
        QCOMPARE(check->isChecked(), true);
        QCOMPARE(check->styleSheet(), FormIn::FormStyle2);
    }
};

QVariantList itemCodes(const QComboBox &box)
{
    QVariantList codes;
    for (int i = 0; i < box.count(); ++i)
        codes << box.itemData(i, Qt::UserRole);
    return codes;
}

} // namespace

void TestFormIn::styles()
{
    QCOMPARE(FormIn::FormStyle2, QStringLiteral("background: #f88b8b;"));
    QCOMPARE(FormIn::FormStyle3, QStringLiteral("border: 1px solid #9d9d9d;"));
}

void TestFormIn::clearAndResetTouchOnlyTextInputs_data()
{
    QTest::addColumn<bool>("clear");
    QTest::newRow("clearForm") << true;
    QTest::newRow("resetFormStyles") << false;
}

void TestFormIn::clearAndResetTouchOnlyTextInputs()
{
    QFETCH(bool, clear);
    Form f;
    f.root.show();
    FormIn form(&f.root);
    if (clear)
        form.clearForm();
    else
        form.resetFormStyles();

    // Every text input, nested ones included, loses its mark; clearing also
    // empties it, resetting keeps the text.
    QCOMPARE(f.name->text(), clear ? QString() : QStringLiteral("Kowalski"));
    QCOMPARE(f.nested->text(), clear ? QString() : QStringLiteral("Żółta 5"));
    QCOMPARE(f.notes->toPlainText(),
             clear ? QString() : QStringLiteral("Nie włącza się.\nPęknięta obudowa."));
    QVERIFY(f.name->styleSheet().isEmpty());
    QVERIFY(f.nested->styleSheet().isEmpty());
    QVERIFY(f.notes->styleSheet().isEmpty());
    f.verifyOthersUntouched();
}

void TestFormIn::clearFormWidgetCoversOnlyThatWidget()
{
    Form f;
    FormIn form(&f.root);
    form.clearFormWidget(f.inner);
    QVERIFY(f.nested->text().isEmpty());
    QVERIFY(f.nested->styleSheet().isEmpty());
    QCOMPARE(f.name->text(), QStringLiteral("Kowalski"));
    QCOMPARE(f.name->styleSheet(), FormIn::FormStyle2);
    QCOMPARE(f.notes->styleSheet(), FormIn::FormStyle2);
    QVERIFY(!f.notes->toPlainText().isEmpty());

    // No form at all: nothing happens.
    form.clearFormWidget(nullptr);
    FormIn unbound(nullptr);
    unbound.clearForm();
    unbound.resetFormStyles();
    QCOMPARE(f.name->text(), QStringLiteral("Kowalski"));
}

void TestFormIn::validateFormAcceptsByDefault()
{
    Form f;
    FormIn form(&f.root);
    QVERIFY(form.validateForm());
    // Validation leaves the form as it was.
    QCOMPARE(f.name->text(), QStringLiteral("Kowalski"));
    QCOMPARE(f.name->styleSheet(), FormIn::FormStyle2);
}

void TestFormIn::comboboxSetup_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::newRow("empty box") << QStringList();
    QTest::newRow("box with items") << QStringList{QStringLiteral("Wszystkie"), QStringLiteral("Żadne")};
}

void TestFormIn::comboboxSetup()
{
    QFETCH(QStringList, before);
    QComboBox box;
    for (int i = 0; i < before.size(); ++i)
        box.addItem(before.at(i), 100 + i);
    QStringList lists[2] = {{QString(), QStringLiteral("Niegwarancyjna"), QStringLiteral("Gwarancyjna")},
                            {QStringLiteral("-1"), QStringLiteral("0"), QStringLiteral("1")}};
    FormIn::comboboxSetup(&box, lists);

    QCOMPARE(itemTexts(box), before + lists[0]);
    QVariantList codes;
    for (int i = 0; i < before.size(); ++i)
        codes << QVariant(100 + i); // the items that were there keep their data
    for (const QString &code : lists[1])
        codes << QVariant(code);
    QCOMPARE(itemCodes(box), codes);
    // The codes are texts, and the appended items carry no icon.
    for (int i = before.size(); i < box.count(); ++i) {
        QCOMPARE(box.itemData(i, Qt::UserRole).userType(), QMetaType::QString);
        QVERIFY(box.itemIcon(i).isNull());
    }
    // The lists are left as they were.
    QCOMPARE(lists[0].size(), 3);
    QCOMPARE(lists[1].size(), 3);
}

void TestFormIn::comboboxSetupWithoutEntries()
{
    QComboBox box;
    box.addItem(QStringLiteral("Stare"), 7);
    QStringList empty[2];
    FormIn::comboboxSetup(&box, empty);
    QCOMPARE(box.count(), 1);
    QCOMPARE(box.itemData(0).toInt(), 7);
    FormIn::comboboxSetup(&box, nullptr);
    FormIn::comboboxSetup(nullptr, empty);
    QCOMPARE(box.count(), 1);
}

WARSZTAT_TEST_MAIN(TestFormIn)
#include "tst_formin.moc"
