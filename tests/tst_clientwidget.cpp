#include "billing/billingwidget.h"
#include "clients/clientdatawidget.h"
#include "clients/clientwidget.h"
#include "email/emaildialog.h"
#include "pagetesthelpers.h"
#include "settings.h"
#include "sms/smsdialog.h"
#include "ui_billingWidget.h"
#include "ui_clientWidget.h"

using namespace SearchRows;

class TestClientWidget : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<TestDatabase> t;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<UserWidget> user;

    // Client 7 with a phone written the way staff type it; client 56 with
    // hardware 34, repairs 12 and 14 and two bills; repair 13 is client 7's.
    std::unique_ptr<ClientWidget> page(int clientId, int level = 0, bool fromSearch = true)
    {
        user = std::make_unique<UserWidget>(1, QStringLiteral("Administrator"), level);
        auto w = std::make_unique<ClientWidget>(nullptr, t->db(), user.get(), settings.get(), clientId, fromSearch);
        w->show();
        return w;
    }
    template<typename T = QWidget> static T *child(QWidget *w, const char *name) { return formChild<T>(w, name); }
    static void click(QWidget *w, const char *button) { clickChild(w, button); }
    // The bills listed, top to bottom.
    static QList<int> panelIds(BillingWidget *b)
    {
        QList<int> ids;
        for (int i = 0; i < b->ui->billsLayout->count(); ++i) {
            if (QWidget *p = b->ui->billsLayout->itemAt(i)->widget(); p && p->objectName() == "billPanel")
                ids << p->property("billId").toInt();
        }
        return ids;
    }
    static bool shown(QWidget *w, const char *name) { return !child(w, name)->isHidden(); }
    // View: every text field read-only with the view style, edit: editable
    // without a style; the buttons of the mode shown.
    static bool viewMode(ClientDataWidget *form, bool view)
    {
        QList<QWidget *> fields = child(form, "dataBox")->findChildren<QWidget *>(QRegularExpression("^s"));
        for (QWidget *e : fields) {
            if (e->property("readOnly").toBool() != view || e->styleSheet() != (view ? FormIn::FormStyle3 : QString()))
                return false;
        }
        return fields.size() == 14 && shown(form, "saveButton") == !view && shown(form, "separator") == !view
            && shown(form, "cancelButton") == !view && shown(form, "smsButton") && shown(form, "emailButton");
    }

private slots:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        REQUIRE_DB(*t);
        settings = std::make_unique<Settings>(dir.path());
        QVERIFY(t->exec(ClientsInsert
                        + QStringLiteral("(7, 'Jan', 'Kowalski', '', '', '', '', '', '', '', "
                                         "'jan@example.pl', '', '+48 601-202 303', '', 'stały klient')")));
        QVERIFY(insert(*t, ClientsInsert, {client(56, QStringLiteral("Wiśniewski"))}));
        QVERIFY(insert(*t, HardwareInsert, {hardware(34, QStringLiteral("Laptop"), 56), hardware(35, QStringLiteral("Drukarka"), 7)}));
        QVERIFY(insert(*t, RepairsInsert, {repair(12, 56, 34), repair(13, 7, 35), repair(14, 56, 34)}));
        QVERIFY(insert(*t, BillsInsert, {bill(1, 56, 12, 34, 1700000000, 1), bill(2, 56, 14, 34, 0, 0)}));
        // Bill 1 is the newer one.
        QVERIFY(t->exec(QStringLiteral("UPDATE billing SET iAddDate = 3000 - iId * 1000")));
    }

    void modesPerLevel_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("mayEdit");
        QTest::newRow("level 4 edits") << 4 << true;
        QTest::newRow("level 5 views") << 5 << false;
    }
    void modesPerLevel()
    {
        QFETCH(int, level);
        QFETCH(bool, mayEdit);
        auto w = page(7, level);
        QCOMPARE(w->ui->clientLabel->text(), QStringLiteral("Kowalski, 7"));
        QVERIFY(viewMode(w->dataPage, true));
        QCOMPARE(shown(w->dataPage, "editButton"), mayEdit);
        click(w->dataPage, "editButton"); // disabled when hidden
        QVERIFY(viewMode(w->dataPage, !mayEdit) && !shown(w->dataPage, "editButton"));
    }

    // A save: stored and shown in the header; an empty surname marked; a
    // refused one reported, the typed text kept in edit mode. Escape in a
    // field takes nothing typed back.
    void save_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("stored");
        QTest::newRow("saved") << QStringLiteral("Nowak-Kowalska") << false << QStringLiteral("Nowak-Kowalska");
        QTest::newRow("blanks pass") << QStringLiteral("  ") << false << QStringLiteral("  ");
        QTest::newRow("empty") << QString() << false << QStringLiteral("Kowalski");
        QTest::newRow("refused") << QStringLiteral("Nowak") << true << QStringLiteral("Kowalski");
    }
    void save()
    {
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        QFETCH(QString, stored);
        MessageBoxRecorder boxes;
        auto w = page(7);
        if (refused)
            QVERIFY(failWrites(*t, "clients", "UPDATE"));
        click(w->dataPage, "editButton");
        auto *sSName = child<QLineEdit>(w->dataPage, "sSName");
        sSName->setText(typed);
        child<QLineEdit>(w->dataPage, "sCity")->setText(QStringLiteral("Łódź"));
        QTest::keyClick(child(w->dataPage, "sCity"), Qt::Key_Escape); // takes nothing typed back
        click(w->dataPage, "saveButton");

        QCOMPARE(t->scalar(QStringLiteral("SELECT sSName FROM clients WHERE iId = 7")), stored);
        const bool saved = typed == stored;
        QVERIFY(viewMode(w->dataPage, saved) || (!saved && shown(w->dataPage, "saveButton")));
        QCOMPARE(w->ui->clientLabel->text(), stored + QStringLiteral(", 7"));
        QCOMPARE(boxes.count(), refused ? 1 : 0);
        QCOMPARE(sSName->text() + child<QLineEdit>(w->dataPage, "sCity")->text(), typed + "Łódź");
        QCOMPARE(sSName->styleSheet(), saved ? FormIn::FormStyle3 : typed.isEmpty() ? FormIn::FormStyle2 : QString());
        if (saved)
            return;
        click(w->dataPage, "cancelButton"); // back to the stored record
        QVERIFY(viewMode(w->dataPage, true));
        QCOMPARE(sSName->text() + child<QLineEdit>(w->dataPage, "sCity")->text(), QStringLiteral("Kowalski"));
    }

    // Another workstation (empty: a second page of the client in this
    // program saves a phone) changes the client; this page saves a surname.
    void changedElsewhere_data()
    {
        QTest::addColumn<QString>("elsewhere");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("box"); // the start of the box shown
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        const QString lis = "UPDATE clients SET sSName = 'Lis' WHERE iId = 7", phone = "|+48 601-202 303",
                      changed = "Zmiany na innym stanowisku: Od odczytania danych na innym stanowisku zmieniono: Nazwisko.";
        QTest::newRow("second page, phone") << "" << 0 << "" << "Nowak|555" << "Nowak";
        QTest::newRow("phone") << "UPDATE clients SET sPhone = '555' WHERE iId = 7" << 0 << "" << "Nowak|555" << "Nowak";
        QTest::newRow("surname, read again") << lis << int(QMessageBox::Yes) << changed << "Lis" + phone << "Lis";
        QTest::newRow("surname, typed kept") << lis << int(QMessageBox::No) << changed << "Lis" + phone << "Nowak";
        // Told apart from the surname read, though MariaDB's collation takes them for it.
        QTest::newRow("surname's case") << "UPDATE clients SET sSName = 'kowalski' WHERE iId = 7" << int(QMessageBox::No)
                                        << changed << "kowalski" + phone << "Nowak";
        QTest::newRow("surname's trailing space") << "UPDATE clients SET sSName = 'Kowalski ' WHERE iId = 7"
                                                  << int(QMessageBox::No) << changed << "Kowalski " + phone << "Nowak";
        QTest::newRow("deleted") << "DELETE FROM clients WHERE iId = 7" << 0
                                 << "Rekord usunięty: Ten klient został usunięty na innym stanowisku." << "<no row>" << "Nowak";
    }
    void changedElsewhere()
    {
        QFETCH(QString, elsewhere);
        QFETCH(int, answer);
        QFETCH(QString, box);
        MessageBoxRecorder boxes;
        boxes.answer(QMessageBox::StandardButton(answer));
        auto w = page(7);
        click(w->dataPage, "editButton");
        ClientWidget second(nullptr, t->db(), user.get(), settings.get(), 7, false);
        second.show();
        click(second.dataPage, "editButton");
        child<QLineEdit>(second.dataPage, "sPhone")->setText("555");
        if (elsewhere.isEmpty())
            click(second.dataPage, "saveButton");
        QCOMPARE(elsewhere.isEmpty() ? QString() : onAnotherWorkstation(*t, elsewhere), QString());
        child<QLineEdit>(w->dataPage, "sSName")->setText("Nowak");
        click(w->dataPage, "saveButton");
        QFETCH(QString, stored);
        QCOMPARE(storedRow(*t, "clients", "sSName, sPhone", "iId = 7"), stored);
        QCOMPARE(boxes.lastLine().left(box.size()) + QString::number(boxes.count()),
                 box + QString::number(!box.isEmpty()));
        QFETCH(QString, shown);
        QCOMPARE(child<QLineEdit>(w->dataPage, "sSName")->text(), shown);
        QVERIFY(viewMode(w->dataPage, box.isEmpty()));
    }

    // Typed text stops at the column's length, never in the middle of a
    // character; a longer one that got through is refused naming the field,
    // the typed text kept, nothing stored.
    void longValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("kept"); // what typing or pasting it leaves
        QTest::newRow("59-character double surname") << "sSName" << LongTexts::surname << "Nazwisko" << LongTexts::surname.left(50);
        QTest::newRow("114-character company") << "sCompany" << LongTexts::company << "Firma" << LongTexts::company.left(100);
        QTest::newRow("38-character building") << "sAddrBuild" << LongTexts::building << "Nr domu" << LongTexts::building.left(25);
        QTest::newRow("emoji across the building's end")
            << "sAddrBuild" << QStringLiteral("lokal 12, klatka B, wejś\U0001F600cie od podwórza") << "Nr domu"
            << QStringLiteral("lokal 12, klatka B, wejś");
    }
    void longValues()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, label);
        QFETCH(QString, kept);
        MessageBoxRecorder boxes;
        auto w = page(7);
        QCOMPARE(inputLimitProblems(w->dataPage, "clients"), QString());
        QCOMPARE(child<QPlainTextEdit>(w->dataPage, "sDescription")->toPlainText(), QStringLiteral("stały klient"));
        const QString before = storedRow(*t, "clients", "*", "iId = 7");
        click(w->dataPage, "editButton");
        auto *edit = child<QLineEdit>(w->dataPage, qPrintable(field));
        const int limit = edit->maxLength();
        forceText(edit, typed);
        click(w->dataPage, "saveButton");
        QVERIFY2(namesField(boxes, label), qPrintable(boxes.last().text));
        QCOMPARE(edit->text(), typed);
        QVERIFY(shown(w->dataPage, "saveButton"));
        QCOMPARE(storedRow(*t, "clients", "*", "iId = 7"), before);
        // Pasted into the form, it is cut where the column ends, and what the
        // page shows then is what was stored.
        edit->setMaxLength(limit);
        edit->clear();
        edit->insert(typed);
        QCOMPARE(edit->cursorPosition(), int(kept.size()));
        click(w->dataPage, "saveButton");
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(t->scalar("SELECT " + field + " FROM clients WHERE iId = 7"), kept);
        QCOMPARE(edit->text(), kept);
    }

    // The dialogs get the stored phone's number and the stored address,
    // whatever was typed since, also by a save that the database refused.
    void messages_data()
    {
        QTest::addColumn<int>("clientId");
        QTest::addColumn<bool>("refusedSave");
        QTest::newRow("stored") << 7 << false;
        QTest::newRow("none stored") << 56 << false;
        QTest::newRow("refused save") << 7 << true;
    }
    void messages()
    {
        QFETCH(int, clientId);
        QFETCH(bool, refusedSave);
        MessageBoxRecorder boxes;
        auto w = page(clientId, refusedSave ? 0 : 6);
        if (refusedSave) {
            QVERIFY(failWrites(*t, "clients", "UPDATE"));
            click(w->dataPage, "editButton");
        }
        for (const char *field : {"sSName", "sEmail"})
            child<QLineEdit>(w->dataPage, field)->setText(QStringLiteral("nowy@example.pl"));
        child<QLineEdit>(w->dataPage, "sPhone")->setText(QStringLiteral("111 222 333"));
        if (refusedSave)
            click(w->dataPage, "saveButton");
        QCOMPARE(boxes.count(), int(refusedSave));
        click(w->dataPage, "smsButton");
        click(w->dataPage, "emailButton");
        SmsDialog *sms = nullptr;
        EMailDialog *mail = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            sms = sms ? sms : qobject_cast<SmsDialog *>(top);
            mail = mail ? mail : qobject_cast<EMailDialog *>(top);
        }
        QVERIFY(sms && mail);
        QCOMPARE(sms->numberEdit->text(), clientId == 7 ? QStringLiteral("+48601202303") : QString());
        QCOMPARE(mail->toEdit->text(), clientId == 7 ? QStringLiteral("Jan Kowalski <jan@example.pl>")
                                                     : QStringLiteral("Jan Wiśniewski <>"));
        delete sms;
        delete mail;
    }

    // No record: said, an empty header, and only the bills of the id given
    // (a bill without a client is not this client's); no bill can be added.
    void missingClient()
    {
        QVERIFY(insert(*t, BillsInsert, {bill(3, 0, -1, -1), bill(4, 999, -1, -1)}));
        MessageBoxRecorder boxes;
        auto w = page(999, 0, false);
        QCOMPARE(boxes.lastLine(), QStringLiteral("Rekord usunięty: Ten klient został usunięty na innym "
                                                  "stanowisku. Jego dane nie zostały wczytane."));
        QCOMPARE(w->ui->clientLabel->text(), QStringLiteral(", 999"));
        QVERIFY(w->ui->backButton->isHidden());
        w->showBilling();
        QCOMPARE(panelIds(w->billingPage), QList<int>{4});
        QVERIFY(!w->billingPage->ui->newBillButton->isEnabled());
    }

    // Only the client's own repairs, also after a scan of another client's
    // repair card or hardware label; a chosen repair is passed on by its id.
    void repairs()
    {
        auto w = page(56);
        QSignalSpy back(w.get(), &ClientWidget::backToSearch);
        QSignalSpy chosen(w.get(), &ClientWidget::showRepairDetails);
        click(w.get(), "backButton");
        click(w.get(), "repairsButton");
        QCOMPARE(back.count(), 1);
        QCOMPARE(allRows(w->repairsPage->model), 2);
        // Another client's repair card and hardware label, then our card.
        for (const QString scan : {"13I35I7", "0I35I7", "14I34I56"}) {
            QMetaObject::invokeMethod(w->repairsPage, "readBarcode", Q_ARG(QStringList, scan.split('I')));
            QCOMPARE(allRows(w->repairsPage->model), scan.startsWith("14") ? 1 : 0);
        }
        w->repairsPage->searchTable->selectRow(0);
        click(w->repairsPage, "selectButton");
        QCOMPARE(chosen.count() == 1 ? chosen.at(0).at(0).toInt() : -1, 14);
    }

    // Newest first; a new bill is stored unsettled for this client and the
    // current user, with the repair chosen and no hardware, and listed on top;
    // none for a record deleted meanwhile.
    void bills()
    {
        MessageBoxRecorder boxes;
        auto w = page(56);
        click(w.get(), "billingButton");
        BillingWidget *b = w->billingPage;
        QCOMPARE(panelIds(b), (QList<int>{1, 2}));
        click(b, "newBillButton");
        // "none" and the client's own repairs and hardware
        QCOMPARE(b->ui->iRepairId->count() * 10 + b->ui->iHardwareId->count(), 32);
        QCOMPARE(inputLimitProblems(b->ui->newBillBox, "billing"), QString());
        b->ui->sPriceNet->setText(QStringLiteral("sto"));
        click(b, "saveBillButton");
        QCOMPARE(b->ui->sPriceNet->styleSheet() + b->ui->sPriceGross->styleSheet(), FormIn::FormStyle2 + FormIn::FormStyle2);
        QCOMPARE(t->count(QStringLiteral("billing")), 2);
        b->ui->sPriceNet->clear();
        b->ui->sPriceGross->setText(QStringLiteral(" 123,00 zł "));
        b->ui->iRepairId->setCurrentIndex(b->ui->iRepairId->findData(QStringLiteral("12")));
        b->ui->sDescription->setPlainText(QStringLiteral("Wymiana matrycy"));
        click(b, "saveBillButton");
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(t->count(QStringLiteral("billing"),
                          QStringLiteral("iId = 3 AND iClientId = 56 AND iRepairId = 12 AND iHardwareId = -1 AND "
                                         "sPriceGross = '123,00 zł' AND sPriceNet = '' AND iStatus = 0 AND "
                                         "iDate = 0 AND iUser = 1 AND sDescription = 'Wymiana matrycy'")),
                 1);
        QVERIFY(b->ui->newBillBox->isHidden());
        QCOMPARE(panelIds(b), (QList<int>{3, 1, 2}));

        // A long fault description and a long device name show as their
        // first line, cut short.
        QVERIFY(t->exec("UPDATE repairs SET sDefect = '" + QString("Nie włącza się\n").repeated(140) + "'")
                && t->exec("UPDATE hardware SET sHName = '" + QString(255, 'L') + "'"));
        click(b, "newBillButton");
        for (QComboBox *box : {b->ui->iRepairId, b->ui->iHardwareId})
            QVERIFY(!box->itemText(1).contains('\n') && box->itemText(1).size() <= 60);

        // The chosen device moved to another client on another workstation:
        // refused, the form kept open as typed, the device no longer listed.
        b->ui->sPriceGross->setText(QStringLiteral("99 zł"));
        b->ui->iRepairId->setCurrentIndex(1);
        b->ui->iHardwareId->setCurrentIndex(1);
        QCOMPARE(onAnotherWorkstation(*t, "UPDATE hardware SET iOwner = 7 WHERE iId = 34"), QString());
        click(b, "saveBillButton");
        QCOMPARE(boxes.lastLine(), QStringLiteral("Sprzęt innego klienta: Wybrany sprzęt ma już innego właściciela. "
                                                  "Rachunek nie został zapisany."));
        QCOMPARE(b->ui->iHardwareId->count() * 10 + b->ui->iRepairId->currentIndex(), 11);
        QCOMPARE(onAnotherWorkstation(*t, "UPDATE hardware SET iOwner = 56 WHERE iId = 34"), QString());

        // The chosen device, then the client deleted on another workstation:
        // each refused and named, the form kept open as typed.
        click(b, "newBillButton");
        b->ui->sPriceGross->setText(QStringLiteral("99 zł"));
        b->ui->iHardwareId->setCurrentIndex(1);
        for (const QString gone : {"hardware:Wybrany sprzęt został usunięty", "clients:Ten klient został usunięty"}) {
            QCOMPARE(onAnotherWorkstation(*t, "DELETE FROM " + gone.section(':', 0, 0)), QString());
            click(b, "saveBillButton");
            QCOMPARE(boxes.lastLine(), "Rekord usunięty: " + gone.section(':', 1)
                                           + " na innym stanowisku. Rachunek nie został zapisany.");
        }
        QCOMPARE(t->count(QStringLiteral("billing")) * 10 + b->ui->newBillBox->isVisible(), 31);
        QCOMPARE(b->ui->sPriceGross->text(), QStringLiteral("99 zł"));
    }
};

WARSZTAT_TEST_MAIN(TestClientWidget)
#include "tst_clientwidget.moc"
