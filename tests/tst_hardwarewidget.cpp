// The hardware page: data, store status, owner, repairs list and label sheet.
#include "configtesthelpers.h"
#include "formin.h"
#include "hardware/hardwarewidget.h"
#include "messageboxrecorder.h"
#include "printouts/printdialogs.h"
#include "searchfixture.h"
#include "settings.h"
#include "testmain.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QTextTable>

using namespace SearchRows;
using Keys = QVariantMap;

class TestHardwareWidget : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TestDatabase> t;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<UserWidget> user;
    std::unique_ptr<MessageBoxRecorder> boxes;
    std::unique_ptr<HardwareWidget> page;

    HardwareWidget *open(int id, int level = 0, bool fromSearch = true)
    {
        user = std::make_unique<UserWidget>(1, QStringLiteral("Jan"), level);
        page = std::make_unique<HardwareWidget>(nullptr, t->db(), user.get(), settings.get(), id,
                                                fromSearch);
        page->setAttribute(Qt::WA_DeleteOnClose, false);
        page->resize(1020, 640);
        page->show();
        return page.get();
    }
    // A widget of the page's own form (the repairs list has widgets of the
    // same names).
    template <typename W = QWidget> W *w(const char *name)
    {
        for (W *found : page->findChildren<W *>(name)) {
            QObject *up = found;
            while (up && !qobject_cast<SearchWidget *>(up))
                up = up->parent();
            if (!up)
                return found;
        }
        return nullptr;
    }
    // A column of the current data row.
    template <typename T> static T data(const char *name)
    {
        return *static_cast<T *>(QTest::qData(name, qMetaTypeId<T>()));
    }
    void store(const Keys &keys)
    {
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            settings->native->setValue(QStringLiteral("printouts/") + it.key(), it.value());
    }
    QString stored(const QString &columns, int id = 12)
    {
        return storedRow(*t, QStringLiteral("hardware"), columns, QStringLiteral("iId=%1").arg(id));
    }
    bool editing() { return w("saveButton")->isVisible() && !w<QLineEdit>("sHName")->isReadOnly(); }
    // Chooses the PDF file name and prints; the file's bytes.
    QByteArray printPdf(const QString &name)
    {
        PrintDialogs::setFileHandler([name](const QString &, const QString &) { return name; });
        click(page.get(), "printToPDFButton");
        QFile file(name.endsWith(".pdf") ? name : name + ".pdf");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        REQUIRE_DB(*t);
        settings = std::make_unique<Settings>(dir.path());
        settings->native->clear();
        boxes = std::make_unique<MessageBoxRecorder>();
        QVERIFY(insert(*t, ClientsInsert, {client(7, "Kowalski"), client(8, "Nowak")}));
        QVERIFY(insert(*t, HardwareInsert,
                       {hardware(12, "Dell <i>", 7, 1), hardware(13, "HP", 0, 99),
                        hardware(14, "Asus", 55, 0, 6)}));
        QVERIFY(insert(*t, RepairsInsert, {repair(1, 7, 12), repair(2, 7, 13)}));
        QVERIFY(t->exec({"UPDATE clients SET sCompany = 'Firma' WHERE iId = 7",
                         "UPDATE hardware SET iReceivedDate = 1000 WHERE iId = 14",
                         "INSERT INTO settings (sGroup, sKey, sValue, iUserId) "
                         "VALUES ('shop', 'name', 'A&B <Serwis>', 1)"}));
    }
    void cleanup()
    {
        page.reset();
        boxes.reset();
        PrintDialogs::setFileHandler({});
        PrintDialogs::setPrintHandler({});
        t.reset();
    }

    void paperSize_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("sizeLabel"); // empty: hidden
        QTest::addColumn<int>("warnings");
        QTest::newRow("nothing stored") << Keys{} << "A4" << "" << 0;
        QTest::newRow("A5") << Keys{{"tag_size", 9}} << "A5" << "" << 0;
        QTest::newRow("not listed") << Keys{{"tag_size", 2}} << "A4" << "" << 0;
        QTest::newRow("custom") << Keys{{"tag_size", 30}, {"tag_width", 50}, {"tag_height", 30}}
                                << "Własny" << "Zdefiniowany rozmiar papieru: 50 x 30" << 0;
        QTest::newRow("custom, no height") << Keys{{"tag_size", 30}, {"tag_width", 50}} << "Własny"
                                           << "Niepoprawnie zdefiniowany własny rozmiar etykiety !" << 1;
        QTest::newRow("custom of 0") << Keys{{"tag_size", 30}, {"tag_width", 0}, {"tag_height", 30}}
                                     << "Własny" << "Niepoprawnie zdefiniowany własny rozmiar etykiety !" << 0;
    }
    void paperSize()
    {
        QFETCH(Keys, keys);
        store(keys);
        open(12);
        auto *paper = w<QComboBox>("paperSizeComboBox");
        QCOMPARE(paper->count(), 14);
        QCOMPARE(paper->itemData(8).toInt(), 1); // B5 keeps its stored number
        QCOMPARE(paper->currentText(), data<QString>("paper"));
        QFETCH(QString, sizeLabel);
        QCOMPARE(!w("customSizeLabel")->isHidden(), !sizeLabel.isEmpty());
        if (!sizeLabel.isEmpty())
            QCOMPARE(w<QLabel>("customSizeLabel")->text(), sizeLabel);
        QCOMPARE(boxes->count(), data<int>("warnings"));
        // Back to a standard paper: the orientation choice again.
        paper->setCurrentIndex(2);
        QVERIFY(!w("orientationH")->isHidden());
        QVERIFY(w("customSizeLabel")->isHidden());
    }

    void accessLevels_data()
    {
        QTest::addColumn<int>("level");
        QTest::newRow("level 6 edits") << 6;
        QTest::newRow("level 7 only looks") << 7;
    }
    void accessLevels()
    {
        QFETCH(int, level);
        open(12, level, level == 6);
        QCOMPARE(w("backButton")->isVisible(), level == 6);
        QVERIFY(!editing());
        QCOMPARE(w<QLineEdit>("sHName")->styleSheet(), FormIn::FormStyle3);
        QVERIFY(w("iHTypeLabel")->isVisible() && !w("iHType")->isVisible());
        for (const char *button : {"editButton", "editOwnerButton"})
            QCOMPARE(w(button)->isEnabled(), level < 7);
        click(page.get(), "editButton");
        QCOMPARE(editing(), level < 7);
        QCOMPARE(w("iHType")->isVisible(), level < 7);
        QCOMPARE(w("iFieldDate")->isVisible(), level < 7);
        QCOMPARE(w("iFieldDateLineEdit")->isVisible(), level == 7);
    }

    void loading_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("received");
        QTest::addColumn<QString>("status");
        QTest::newRow("owned") << 12 << "12 / Kowalski" << "Kowalski Jan\nFirma" << "Niewydany"
                               << "[W serwisie] W serwisie";
        QTest::newRow("no owner") << 13 << "13 / Nieprzydzielony" << "Nieprzydzielony"
                                  << "Niewydany" << "[W serwisie] W serwisie";
        QTest::newRow("owner deleted, handed back")
            << 14 << "14 / " << " " << QDateTime::fromSecsSinceEpoch(1000).toString("dd/MM/yyyy hh:mm")
            << "[Sprzęt wydany] Odebrany";
    }
    void loading()
    {
        QFETCH(int, id);
        open(id);
        QCOMPARE(w<QLabel>("hardwareLabel")->text(), data<QString>("header"));
        QCOMPARE(w<QLabel>("clientLabel")->text(), data<QString>("owner"));
        QCOMPARE(w<QLabel>("iReceivedDate")->text(), data<QString>("received"));
        QCOMPARE(w<QLabel>("iStoreTextLabel")->text(), data<QString>("status"));
        QCOMPARE(w<QLineEdit>("iFieldDateLineEdit")->text(), QStringLiteral("01/01/1970"));
        QCOMPARE(boxes->count(), 0);
    }

    void missingRowGivesNoLabel()
    {
        open(99);
        QCOMPARE(boxes->titles(), QStringList{"Błąd ładowania danych"});
        QCOMPARE(page->ownerId, -1);
        click(page.get(), "printoutsButton");
        QVERIFY(!w<QTextEdit>("printoutEdit")->toPlainText().contains("*0I"));
        QVERIFY(!w("printToPDFButton")->isEnabled() && !w("printToPrinterButton")->isEnabled());
    }

    void receivedDateStamp_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("received"); // "now" or the stored text
        QTest::newRow("into group 3") << 12 << 6 << "now";
        QTest::newRow("within group 3") << 14 << 0 << "1000";
        QTest::newRow("out of group 3") << 14 << 5 << "0";
        QTest::newRow("group 1 to 2") << 12 << 2 << "0";
    }
    void receivedDateStamp()
    {
        QFETCH(int, status);
        QFETCH(QString, received);
        QFETCH(int, id);
        open(id);
        click(page.get(), "editButton");
        auto *box = w<QComboBox>("iStoreStatus");
        box->setCurrentIndex(box->findData(status));
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        click(page.get(), "saveButton");
        QVERIFY(!editing());
        const QStringList row = stored("iStoreStatus, iReceivedDate, iFieldDate", id).split('|');
        QCOMPARE(row.at(0).toInt(), status);
        if (received == "now")
            QVERIFY(row.at(1).toLongLong() >= before && row.at(1).toLongLong() <= before + 5);
        else
            QCOMPARE(row.at(1), received);
        QCOMPARE(row.at(2), QStringLiteral("0")); // the unchanged field date is not rewritten
    }

    void savingKeepsWhatWasNotChosen()
    {
        open(13); // its type 99 is not listed
        click(page.get(), "editButton");
        QCOMPARE(w<QComboBox>("iHType")->currentIndex(), -1);
        w<QLineEdit>("sHName")->setText("HP 2");
        w<QDateEdit>("iFieldDate")->setDate(QDate(2024, 3, 1));
        click(page.get(), "saveButton");
        QCOMPARE(stored("sHName, iHType, iStoreStatus, iFieldDate", 13),
                 QStringLiteral("HP 2|99|1|%1").arg(at(QDate(2024, 3, 1))));
        QCOMPARE(boxes->count(), 0);

        // An empty name: marked, nothing written, still editing.
        click(page.get(), "editButton");
        w<QLineEdit>("sHName")->clear();
        click(page.get(), "saveButton");
        QVERIFY(editing());
        QCOMPARE(w<QLineEdit>("sHName")->styleSheet(), FormIn::FormStyle2);
        QCOMPARE(stored("sHName", 13), QStringLiteral("HP 2"));
    }

    void refusedSaveKeepsTypedValues()
    {
        QVERIFY(failWrites(*t, "hardware", "UPDATE"));
        open(12);
        click(page.get(), "editButton");
        w<QLineEdit>("sField1")->setText("Lenovo");
        click(page.get(), "saveButton");
        QCOMPARE(boxes->titles(), QStringList{"Błąd zapisu do bazy"});
        QVERIFY(editing());
        QCOMPARE(w<QLineEdit>("sField1")->text(), QStringLiteral("Lenovo"));
        QCOMPARE(stored("sField1"), QStringLiteral("Dell"));
    }

    void ownerChange_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("owner");
        const QString question = "Zmiana właściciela sprzętu", unknown = "Błąd !";
        QTest::newRow("confirmed") << " 8 " << true << false << QStringList{question} << "8";
        QTest::newRow("cancelled") << "8" << false << false << QStringList{question} << "7";
        QTest::newRow("letters") << "8a" << true << false << QStringList{unknown} << "7";
        QTest::newRow("two numbers") << "8 9" << true << false << QStringList{unknown} << "7";
        QTest::newRow("no such client") << "56" << true << false << QStringList{unknown} << "7";
        QTest::newRow("refused") << "8" << true << true
                                 << QStringList{question, "Błąd zapisu do bazy"} << "7";
    }
    void ownerChange()
    {
        QFETCH(QString, typed);
        QFETCH(bool, refuse);
        QFETCH(QString, owner);
        if (refuse)
            QVERIFY(failWrites(*t, "hardware", "UPDATE"));
        open(12);
        click(page.get(), "editOwnerButton");
        QVERIFY(w("editOwnerWidget")->isVisible() && !w("clientLabel")->isVisible());
        w<QLineEdit>("iOwner")->setText(typed);
        boxes->answer(data<bool>("confirm") ? QMessageBox::Ok : QMessageBox::Cancel);
        click(page.get(), "saveEditOwnerButton");
        QCOMPARE(boxes->titles(), data<QStringList>("titles"));
        if (boxes->boxes.first().title == "Błąd !")
            QCOMPARE(boxes->boxes.first().text, "Klient o tym numerze identyfikacyjnym nie istnieje  !");
        else
            QCOMPARE(boxes->boxes.first().text, "Czy na pewno chcesz zmienić właściciela sprzętu ?\n\n"
                                                "Nowym właścicielem będzie klient: Nowak");
        QCOMPARE(stored("iOwner"), owner);
        QCOMPARE(w("editOwnerWidget")->isVisible(), refuse);
        QCOMPARE(w<QLineEdit>("iOwner")->text(), refuse ? typed : owner);
        QCOMPARE(w<QLabel>("hardwareLabel")->text(), owner == "8" ? "12 / Nowak" : "12 / Kowalski");
    }

    void labelSheet_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<int>("barcodePoints"); // 0: no barcode row
        QTest::newRow("defaults") << Keys{} << 1 << "" << 20;
        QTest::newRow("size 1, three") << Keys{{"barcode_size", 1}} << 3 << "" << 15;
        QTest::newRow("size 4, text") << Keys{{"barcode_size", 4}} << 2 << "Gwarancja" << 30;
        QTest::newRow("size 5") << Keys{{"barcode_size", 5}, {"barcode_print", true}} << 1 << "" << 15;
        QTest::newRow("no barcode") << Keys{{"barcode_print", false}} << 2 << " " << 0;
    }
    void labelSheet()
    {
        QFETCH(int, count);
        QFETCH(QString, extra);
        QFETCH(int, barcodePoints);
        store(data<Keys>("keys"));
        open(12);
        click(page.get(), "printoutsButton");
        w<QSpinBox>("partsSpinBox")->setValue(count);
        w<QTextEdit>("additionalTextEdit")->setPlainText(extra);
        QTextDocument *sheet = w<QTextEdit>("printoutEdit")->document();
        QList<QTextTable *> tables;
        for (QTextFrame *frame : sheet->rootFrame()->childFrames())
            if (auto *table = qobject_cast<QTextTable *>(frame))
                tables << table;
        QCOMPARE(tables.size(), count);
        const QStringList rows = QStringList{"A&B <Serwis>"}
            + (barcodePoints ? QStringList{"*0I12I7I*"} : QStringList{})
            + QStringList{"Dell <i> / 12 / Kowalski"} + (extra.isEmpty() ? QStringList{} : QStringList{extra});
        for (QTextTable *table : tables) {
            QStringList texts;
            for (int r = 0; r < table->rows(); ++r) {
                QTextCursor cell = table->cellAt(r, 0).firstCursorPosition();
                cell.setPosition(table->cellAt(r, 0).lastPosition(), QTextCursor::KeepAnchor);
                texts << cell.selectedText();
                if (r == 1 && barcodePoints) {
                    cell.clearSelection();
                    const QFont font = cell.charFormat().font();
                    QCOMPARE(font.family(), QStringLiteral("Code 3 de 9"));
                    QCOMPARE(font.pointSize(), barcodePoints);
                }
            }
            QCOMPARE(texts, rows);
        }
        QCOMPARE(HardwareWidget::labelCode(13, 0), QStringLiteral("*0I13I0I*"));
    }

    void pdf_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<int>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QSize>("points");
        QTest::newRow("A4 landscape") << Keys{} << 0 << true << QSize(842, 595);
        QTest::newRow("A6 portrait") << Keys{} << 10 << false << QSize(297, 420);
        QTest::newRow("custom, portrait whatever chosen")
            << Keys{{"tag_width", 100}, {"tag_height", 50}} << 30 << true << QSize(283, 142);
        QTest::newRow("custom missing: A4") << Keys{{"tag_width", 100}} << 30 << false << QSize(595, 842);
    }
    void pdf()
    {
        QFETCH(Keys, keys);
        QFETCH(int, paper);
        store(keys);
        open(12);
        w<QRadioButton>(data<bool>("landscape") ? "orientationH" : "orientationV")->setChecked(true);
        auto *papers = w<QComboBox>("paperSizeComboBox");
        papers->setCurrentIndex(papers->findData(paper));
        click(page.get(), "printoutsButton");
        w<QSpinBox>("countSpinBox")->setValue(2);
        boxes->clear();
        const QByteArray pdf = printPdf(dir.filePath("etykieta"));
        QVERIFY(pdf.startsWith("%PDF-"));
        const QRegularExpression box("/MediaBox \\[0 0 ([\\d.]+) ([\\d.]+)\\]");
        const QRegularExpressionMatch size = box.match(pdf);
        QCOMPARE(QSize(qRound(size.captured(1).toDouble()), qRound(size.captured(2).toDouble())),
                 data<QSize>("points"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), 2); // "Ilość kopii"
        QCOMPARE(boxes->count(), 0);
    }

    void printFailures()
    {
        store({{"tag_size", 30}, {"tag_width", 0}, {"tag_height", 50}});
        open(12);
        boxes->clear();
        QVERIFY(printPdf(dir.filePath("zero.pdf")).isEmpty());
        QCOMPARE(boxes->titles(), QStringList{"Niepoprawny rozmiar etykiety"});
        w<QComboBox>("paperSizeComboBox")->setCurrentIndex(0);
        boxes->clear();
        QVERIFY(printPdf(dir.filePath("brak/plik.pdf")).isEmpty());
        QCOMPARE(boxes->titles(), QStringList{"Błąd drukowania"});

        // The print dialog gets the copies, and a cancelled one prints nothing.
        int copies = 0;
        const QString file = dir.filePath("drukarka.pdf");
        PrintDialogs::setPrintHandler([&](QPrinter *printer) {
            copies = printer->copyCount();
            printer->setOutputFileName(file);
            return copies == 3;
        });
        w<QSpinBox>("countSpinBox")->setValue(2);
        click(page.get(), "printToPrinterButton");
        QCOMPARE(copies, 2);
        QVERIFY(!QFile::exists(file));
        w<QSpinBox>("countSpinBox")->setValue(3);
        click(page.get(), "printToPrinterButton");
        QVERIFY(QFileInfo(file).size() > 0);
    }

    void scanKeepsTheHardware()
    {
        open(12);
        click(page.get(), "repairsButton");
        auto *list = page->findChild<SearchWidget *>();
        QVERIFY(QMetaObject::invokeMethod(list, "readBarcode", Q_ARG(QStringList, (QStringList{"0", "13", "7"}))));
        QCOMPARE(list->repairHardwareId->text(), QStringLiteral("12"));
        QCOMPARE(list->model->rowCount(), 1);
        QCOMPARE(list->model->record(0).value("iId").toInt(), 1);
    }

    void renders()
    {
        store({{"barcode_size", 3}});
        open(12);
        click(page.get(), "editButton");
        QCoreApplication::processEvents(); // the layouts follow the shown inputs
        QVERIFY(page->grab().save(QDir::temp().filePath("hardwarewidget.png")));
        click(page.get(), "printoutsButton");
        w<QTextEdit>("additionalTextEdit")->setHtml("<b>Gwarancja</b> do 2026");
        w<QSpinBox>("partsSpinBox")->setValue(2);
        QVERIFY(page->grab().save(QDir::temp().filePath("hardwarelabels.png")));
    }
};

WARSZTAT_TEST_MAIN(TestHardwareWidget)
#include "tst_hardwarewidget.moc"
