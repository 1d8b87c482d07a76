// WARSZTAT_TEST_NO_DATABASE: the label settings live in the native store only.
#include "messageboxrecorder.h"
#include "printouts/papersizes.h"
#include "printouts/tagsbarsconfig.h"
#include "settings.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

class TestTagsBarsConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void paperListAndPageSizes();
    void defaultsWithEmptyStore();
    void loadsStoredValues();
    void unknownStoredPaperSelectsA4();
    void customInputsOnlyForCustomPaper();
    void barcodePartWritesOnlyBarcodeKeys();
    void standardPaperWritesOnlyTagSize();
    void customPaperWritesSizeAndMargins();
    void neverRemovesKeys();
    void unchangedPageWritesNothing();
    void saveOverUnreadableLine_data();
    void saveOverUnreadableLine();
    void handWrittenAccountKept();
    void renders();

private:
    TagsBarsConfig *makePage();
    QStringList storedKeys() const;

    QTemporaryDir dir;
    Settings *settings = nullptr;
    TagsBarsConfig *page = nullptr;
};

void TestTagsBarsConfig::init()
{
    settings = new Settings(dir.path());
    settings->native->clear();
}

void TestTagsBarsConfig::cleanup()
{
    delete page;
    page = nullptr;
    settings->native->clear();
    delete settings;
    settings = nullptr;
}

TagsBarsConfig *TestTagsBarsConfig::makePage()
{
    page = new TagsBarsConfig(nullptr, nullptr, nullptr, settings);
    page->setAttribute(Qt::WA_DeleteOnClose, false);
    page->show();
    return page;
}

QStringList TestTagsBarsConfig::storedKeys() const
{
    QStringList keys = settings->native->allKeys();
    keys.sort();
    return keys;
}

void TestTagsBarsConfig::paperListAndPageSizes()
{
    const QList<PaperSizes::Paper> papers = PaperSizes::papers();
    QStringList texts;
    QList<int> numbers;
    for (const PaperSizes::Paper &p : papers) {
        texts << p.text;
        numbers << p.number;
    }
    QCOMPARE(texts, QStringList({"A4", "Własny", "A5", "A6", "A7", "A8", "A9", "B4", "B5", "B6",
                                 "B7", "B8", "B9", "B10"}));
    QCOMPARE(numbers, QList<int>({0, 30, 9, 10, 11, 12, 13, 19, 1, 20, 21, 22, 23, 16}));

    // Every stored number names the paper of the same name, whatever QPageSize
    // numbers it with.
    for (const PaperSizes::Paper &p : papers) {
        if (p.number == PaperSizes::Custom)
            continue;
        const QPageSize size = PaperSizes::pageSize(p.number, QSizeF());
        QVERIFY2(size.key() == p.text || size.key() == "ISO" + p.text, qPrintable(p.text));
    }
    QCOMPARE(PaperSizes::pageSize(1, QSizeF()).size(QPageSize::Millimeter), QSizeF(176, 250));
    QCOMPARE(PaperSizes::pageSize(13, QSizeF()).size(QPageSize::Millimeter), QSizeF(37, 52));
    QCOMPARE(PaperSizes::pageSizeId(0), QPageSize::A4);
    QCOMPARE(PaperSizes::pageSizeId(1), QPageSize::B5);
    QCOMPARE(PaperSizes::pageSizeId(16), QPageSize::B10);
    QCOMPARE(PaperSizes::pageSizeId(30), QPageSize::Custom);
    QVERIFY(!PaperSizes::isKnown(2));
    QCOMPARE(PaperSizes::pageSizeId(2), QPageSize::A4);

    const QPageSize custom = PaperSizes::pageSize(30, QSizeF(100, 50));
    QCOMPARE(custom.size(QPageSize::Millimeter), QSizeF(100, 50));

    QComboBox combo;
    PaperSizes::fillComboBox(&combo);
    QCOMPARE(combo.count(), 14);
    QCOMPARE(combo.itemText(1), QStringLiteral("Własny"));
    QCOMPARE(combo.itemData(1).toInt(), 30);
    QCOMPARE(combo.findData(9), 2);
    QVERIFY(!combo.itemIcon(0).isNull());
}

void TestTagsBarsConfig::defaultsWithEmptyStore()
{
    makePage();
    QVERIFY(page->findChild<QCheckBox *>("barcodePrint")->isChecked());
    QCOMPARE(page->findChild<QSpinBox *>("barcodeSize")->value(), 2);
    QCOMPARE(page->findChild<QComboBox *>("tagSize")->currentData().toInt(), 0);
    QCOMPARE(page->findChild<QSpinBox *>("tagWidth")->value(), 210);
    QCOMPARE(page->findChild<QSpinBox *>("tagHeight")->value(), 297);
    QCOMPARE(page->findChild<QSpinBox *>("tagMarginLeft")->value(), 5);
    QVERIFY(!page->findChild<QPushButton *>("saveButton")->isEnabled());
}

void TestTagsBarsConfig::loadsStoredValues()
{
    QSettings *s = settings->native;
    s->setValue("printouts/barcode_print", false);
    s->setValue("printouts/barcode_size", 4);
    s->setValue("printouts/tag_size", 30);
    s->setValue("printouts/tag_width", 100);
    s->setValue("printouts/tag_height", 60);
    s->setValue("printouts/tag_margin_top", 1);
    s->setValue("printouts/tag_margin_bottom", 2);
    s->setValue("printouts/tag_margin_left", 3);
    s->setValue("printouts/tag_margin_right", 0);
    makePage();
    QVERIFY(!page->findChild<QCheckBox *>("barcodePrint")->isChecked());
    QCOMPARE(page->findChild<QSpinBox *>("barcodeSize")->value(), 4);
    QCOMPARE(page->findChild<QComboBox *>("tagSize")->currentText(), QStringLiteral("Własny"));
    QCOMPARE(page->findChild<QSpinBox *>("tagWidth")->value(), 100);
    QCOMPARE(page->findChild<QSpinBox *>("tagHeight")->value(), 60);
    QCOMPARE(page->findChild<QSpinBox *>("tagMarginTop")->value(), 1);
    QCOMPARE(page->findChild<QSpinBox *>("tagMarginBottom")->value(), 2);
    QCOMPARE(page->findChild<QSpinBox *>("tagMarginLeft")->value(), 3);
    QCOMPARE(page->findChild<QSpinBox *>("tagMarginRight")->value(), 0);
    // Loading is no change.
    QVERIFY(!page->findChild<QPushButton *>("saveButton")->isEnabled());

    // Showing again reloads what the store holds now.
    page->hide();
    s->setValue("printouts/tag_size", 9);
    page->show();
    QCOMPARE(page->findChild<QComboBox *>("tagSize")->currentText(), QStringLiteral("A5"));
}

void TestTagsBarsConfig::unknownStoredPaperSelectsA4()
{
    settings->native->setValue("printouts/tag_size", 2);
    makePage();
    QCOMPARE(page->findChild<QComboBox *>("tagSize")->currentIndex(), 0);
}

void TestTagsBarsConfig::customInputsOnlyForCustomPaper()
{
    makePage();
    auto *combo = page->findChild<QComboBox *>("tagSize");
    auto *sizeBox = page->findChild<QGroupBox *>("customSizeBox");
    auto *marginsBox = page->findChild<QGroupBox *>("marginsBox");
    QVERIFY(!sizeBox->isEnabled());
    QVERIFY(!marginsBox->isEnabled());
    combo->setCurrentIndex(combo->findData(30));
    QVERIFY(sizeBox->isEnabled());
    QVERIFY(marginsBox->isEnabled());
    combo->setCurrentIndex(combo->findData(12));
    QVERIFY(!sizeBox->isEnabled());
    QVERIFY(!marginsBox->isEnabled());
}

void TestTagsBarsConfig::barcodePartWritesOnlyBarcodeKeys()
{
    makePage();
    MessageBoxRecorder rec;
    page->findChild<QSpinBox *>("barcodeSize")->setValue(3);
    auto *save = page->findChild<QPushButton *>("saveButton");
    QVERIFY(save->isEnabled());
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(storedKeys(), QStringList({"printouts/barcode_print", "printouts/barcode_size"}));
    QCOMPARE(settings->native->value("printouts/barcode_print").toBool(), true);
    QCOMPARE(settings->native->value("printouts/barcode_size").toInt(), 3);
    QCOMPARE(rec.count(), 1);
    QCOMPARE(rec.last().title, QStringLiteral("Zapisano."));
    QVERIFY(!save->isEnabled());
}

void TestTagsBarsConfig::standardPaperWritesOnlyTagSize()
{
    makePage();
    MessageBoxRecorder rec;
    auto *combo = page->findChild<QComboBox *>("tagSize");
    combo->setCurrentIndex(combo->findText("B5"));
    page->save();
    QCOMPARE(storedKeys(), QStringList({"printouts/tag_size"}));
    QCOMPARE(settings->native->value("printouts/tag_size").toInt(), 1);
}

void TestTagsBarsConfig::customPaperWritesSizeAndMargins()
{
    makePage();
    MessageBoxRecorder rec;
    auto *combo = page->findChild<QComboBox *>("tagSize");
    combo->setCurrentIndex(combo->findData(30));
    page->findChild<QSpinBox *>("tagWidth")->setValue(62);
    page->findChild<QSpinBox *>("tagMarginRight")->setValue(7);
    page->findChild<QCheckBox *>("barcodePrint")->setChecked(false);
    page->save();
    QCOMPARE(storedKeys(),
             QStringList({"printouts/barcode_print", "printouts/barcode_size",
                          "printouts/tag_height", "printouts/tag_margin_bottom",
                          "printouts/tag_margin_left", "printouts/tag_margin_right",
                          "printouts/tag_margin_top", "printouts/tag_size",
                          "printouts/tag_width"}));
    QSettings *s = settings->native;
    QCOMPARE(s->value("printouts/tag_size").toInt(), 30);
    QCOMPARE(s->value("printouts/tag_width").toInt(), 62);
    QCOMPARE(s->value("printouts/tag_height").toInt(), 297);
    QCOMPARE(s->value("printouts/tag_margin_top").toInt(), 5);
    QCOMPARE(s->value("printouts/tag_margin_right").toInt(), 7);
    QCOMPARE(s->value("printouts/barcode_print").toBool(), false);
}

void TestTagsBarsConfig::neverRemovesKeys()
{
    QSettings *s = settings->native;
    s->setValue("printouts/tag_size", 30);
    s->setValue("printouts/tag_width", 80);
    s->setValue("printouts/tag_height", 40);
    makePage();
    MessageBoxRecorder rec;
    auto *combo = page->findChild<QComboBox *>("tagSize");
    combo->setCurrentIndex(0);
    page->save();
    QCOMPARE(s->value("printouts/tag_size").toInt(), 0);
    QCOMPARE(s->value("printouts/tag_width").toInt(), 80);
    QCOMPARE(s->value("printouts/tag_height").toInt(), 40);
    QCOMPARE(storedKeys().size(), 3);
}

void TestTagsBarsConfig::unchangedPageWritesNothing()
{
    makePage();
    MessageBoxRecorder rec;
    page->save();
    QVERIFY(storedKeys().isEmpty());
    QCOMPARE(rec.count(), 0);
    // A change undone by a reload is no change either.
    page->findChild<QSpinBox *>("barcodeSize")->setValue(1);
    page->load();
    page->save();
    QVERIFY(storedKeys().isEmpty());
}

// A line of the store's file that cannot be read leaves the store reporting
// a format error after every write: a save over it writes and says so; one
// that could not write (the file kept from being written) says that, keeps
// nothing of the change in the store and succeeds once the file can be
// written again, though the store reports the failed write for good.
void TestTagsBarsConfig::saveOverUnreadableLine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("writable");
    const QByteArray unreadable = "[printouts\nbarcode_size=2\n";
    QTest::newRow("file written") << unreadable << true;
    QTest::newRow("file kept from being written") << unreadable << false;
    QTest::newRow("readable file kept from being written") << QByteArray("[printouts]\nbarcode_size=2\n") << false;
}
void TestTagsBarsConfig::saveOverUnreadableLine()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, writable);
    const QString file = settings->native->fileName();
    delete settings;
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QFile broken(file);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(content);
    broken.close();
    QVERIFY(writable || setUnwritable(file, true));
    settings = new Settings(dir.path());
    const QVariant stored = settings->native->value("printouts/barcode_size");
    makePage();
    MessageBoxRecorder rec;
    page->findChild<QSpinBox *>("barcodeSize")->setValue(3);
    auto *save = page->findChild<QPushButton *>("saveButton");
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(writable || setUnwritable(file, false));
    QVERIFY(broken.open(QIODevice::ReadOnly));
    QVERIFY(broken.readAll().contains(writable ? "barcode_size=3" : "barcode_size=2"));
    broken.close();
    if (!writable) {
        QCOMPARE(settings->native->value("printouts/barcode_size"), stored);
        QTest::mouseClick(save, Qt::LeftButton);
    }
    const QStringList titles{"Błąd zapisu ustawień", "Zapisano."};
    QCOMPARE(rec.titles(), titles.mid(writable ? 1 : 0));
    QVERIFY(broken.open(QIODevice::ReadOnly));
    QVERIFY(broken.readAll().contains("barcode_size=3"));
}

// Written back by the store, the password would lose what follows its ";".
void TestTagsBarsConfig::handWrittenAccountKept()
{
    const QString file = settings->native->fileName();
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QFile account(file);
    QVERIFY(account.open(QIODevice::WriteOnly));
    account.write("[sms]\npassword=Tajne;2024\n");
    account.close();
    makePage();
    MessageBoxRecorder rec;
    page->findChild<QSpinBox *>("barcodeSize")->setValue(3);
    QTest::mouseClick(page->findChild<QPushButton *>("saveButton"), Qt::LeftButton);
    QVERIFY(rec.lastLine().startsWith("Błąd zapisu ustawień: ") && rec.lastLine().contains("[sms], klucz password"));
    QVERIFY(account.open(QIODevice::ReadOnly));
    QCOMPARE(account.readAll(), QByteArray("[sms]\npassword=Tajne;2024\n"));
}

void TestTagsBarsConfig::renders()
{
    makePage();
    auto *combo = page->findChild<QComboBox *>("tagSize");
    combo->setCurrentIndex(combo->findData(30));
    page->resize(960, 600);
    QVERIFY(page->grab().save(QDir::temp().filePath("tagsbarsconfig.png")));
}

WARSZTAT_TEST_MAIN(TestTagsBarsConfig)
#include "tst_tagsbarsconfig.moc"
