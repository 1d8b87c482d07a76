#include "dictionaries/repairstatusesconfig.h"
#include "documentrequests.h"
#include "pagetesthelpers.h"
#include "notes/note.h"
#include "plaintext.h"
#include "records/repair.h"
#include "repairs/repairdetailswidget.h"
#include "repairs/repairswidget.h"

#include <QListWidget>
#include <QProgressBar>

using namespace SearchRows;

// Client 7 and device 34 belong to every repair. Seeded status ids: 1 open,
// 2 waiting, 5 closed.
class TestRepairs : public QObject
{
    Q_OBJECT
    static constexpr int Open = 1, Waiting = 2, Closed = 5;
    std::unique_ptr<TestDatabase> t;
    UserWidget admin{1, QStringLiteral("Administrator"), 0};

    bool fill(const QStringList &repairs, const QString &surname = "Nowak")
    {
        return insert(*t, ClientsInsert, {client(7, surname)})
            && insert(*t, HardwareInsert, {hardware(34, QStringLiteral("Laptop"), 7)})
            && insert(*t, RepairsInsert, repairs);
    }
    static qint64 now() { return QDateTime::currentSecsSinceEpoch(); }
    template<typename Page>
    static std::unique_ptr<Page> shown(Page *page)
    {
        page->setAttribute(Qt::WA_DeleteOnClose, false);
        page->show();
        return std::unique_ptr<Page>(page);
    }
    std::unique_ptr<RepairsWidget> startPage(UserWidget *user = nullptr)
    {
        return shown(new RepairsWidget(nullptr, t->db(), user ? user : &admin, nullptr));
    }
    std::unique_ptr<RepairDetailsWidget> repairPage(bool back = false)
    {
        return shown(new RepairDetailsWidget(nullptr, t->db(), &admin, nullptr, 12, back));
    }
    template<typename T = QWidget> static T *child(QWidget *w, const char *name) { return formChild<T>(w, name); }
    static void click(QWidget *w, const char *name) { clickChild(w, name); }
    static QString text(QWidget *w, const char *name) { return child<QLineEdit>(w, name)->text(); }
    static void pickStatus(QWidget *w, int status)
    {
        auto *box = child<QComboBox>(w, "iStatus");
        box->setCurrentIndex(box->findData(status));
    }
    static QWidget *current(QWidget *w) { return child<QStackedWidget>(w, "repairsStack")->currentWidget(); }
    static int currentRepair(QWidget *w)
    {
        auto *page = qobject_cast<RepairDetailsWidget *>(current(w));
        return page ? page->repairId() : -1;
    }
    static QLineEdit *quickSearch(QWidget *w) { return child<QLineEdit>(w, "repairId"); }
    // The id column of the list's rows: as shown, and sorted.
    static int listedId(SearchWidget *s, int row) { return s->searchTable->model()->index(row, 0).data().toInt(); }
    static QList<int> listedIds(SearchWidget *s)
    {
        QList<int> ids;
        for (int row = 0; row < s->searchTable->model()->rowCount(); ++row)
            ids << listedId(s, row);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        REQUIRE_DB(*t);
    }
    void cleanup()
    {
        t.reset();
        takeErrors();
    }

    void counters_data()
    {
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("waiting");
        QTest::addColumn<QList<int>>("bars");
        QTest::addColumn<int>("level");
        QTest::newRow("none") << 0 << 0 << QList<int>{0, 0} << 5;
        QTest::newRow("one and two") << 1 << 2 << QList<int>{33, 66} << 6;
    }
    void counters()
    {
        QFETCH(int, open);
        QFETCH(int, waiting);
        QFETCH(QList<int>, bars);
        QFETCH(int, level);
        // Closed repairs and those of an unknown status count in neither.
        QStringList rows = {repair(1, 7, 34, 0, Closed), repair(2, 7, 34, 0, 999)};
        for (int i = 0; i < open + waiting; ++i)
            rows << repair(10 + i, 7, 34, 0, i < open ? Open : Waiting);
        QVERIFY(fill(rows));
        UserWidget user(2, QStringLiteral("Ewa"), level);
        auto w = startPage(&user);
        QCOMPARE(child<QLabel>(w.get(), "activeCountLabel")->text() + child<QLabel>(w.get(), "waitingCountLabel")->text(),
                 QString::number(open) + QString::number(waiting));
        QCOMPARE((QList<int>{child<QProgressBar>(w.get(), "activeProgressBar")->value(),
                             child<QProgressBar>(w.get(), "waitingProgressBar")->value()}), bars);
        // Levels 6 and 7 may not take in repairs.
        click(w.get(), "newRepairButton");
        QCOMPARE(current(w.get())->objectName(), level <= 5 ? "newRepairPage" : "startPage");
    }

    void quickSearchTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("opens");
        QTest::newRow("scanned card") << "*12I7I3I*" << true;
        QTest::newRow("display number") << "12/0315" << true;
        QTest::newRow("plain id with blanks") << "  12 " << true;
        QTest::newRow("unknown id") << "13" << false;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("hardware label") << "*0I7I3I*" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("scanned card after a miss") << "*12I7I3I*" << true;
        QTest::newRow("scanned card, device gone") << "*12I7I3I*" << true;
    }
    void quickSearchTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, opens);
        QVERIFY(fill({repair(12, 7, 34)}));
        auto w = startPage();
        auto *edit = quickSearch(w.get());
        const auto *notFound = child<QLabel>(w.get(), "quickSearchResultLabel");
        if (QByteArray(QTest::currentDataTag()).endsWith("after a miss")) // a card of no repair first
            QTest::keyClicks(edit, "*30I3I2I*\r");
        if (QByteArray(QTest::currentDataTag()).endsWith("device gone")) // deleted with its owner
            QVERIFY(t->exec("DELETE FROM hardware WHERE iId = 34"));
        QTest::keyClicks(edit, text); // as a scanner types
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), text);
        QCOMPARE(currentRepair(w.get()), opens ? 12 : -1);
        if (opens)
            return;
        // An empty field is marked red, a text that finds nothing shows the label.
        QCOMPARE(edit->styleSheet().isEmpty(), !text.isEmpty());
        QCOMPARE(notFound->isHidden(), text.isEmpty());
    }

    void presets_data()
    {
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("last") << QStringList{"searchLastButton"} << "add 00" << QList<int>{1, 3};
        QTest::newRow("active after last") // not only those of the last 14 days
            << QStringList{"searchLastButton", "searchActiveButton"} << "11" << QList<int>{1, 2, 4};
        QTest::newRow("overdue") << QStringList{"searchExpiredButton"} << "end 11" << QList<int>{2};
        QTest::newRow("to expire after overdue") // the overdue ones are not to expire
            << QStringList{"searchExpiredButton", "searchToExpireButton"} << "end 11" << QList<int>{1};
        QTest::newRow("general search") << QStringList{"searchGeneralButton"} << "00" << QList<int>{};
    }
    void presets()
    {
        QFETCH(QStringList, buttons);
        QFETCH(QString, boxes);
        QFETCH(QList<int>, ids);
        const QDate today = QDate::currentDate();
        const qint64 old = at(today.addDays(-20));
        QVERIFY(fill({repair(1, 7, 34, now(), Open, "", at(today.addDays(3))),
                      repair(2, 7, 34, old, Waiting, "", at(today.addDays(-5))),
                      repair(3, 7, 34, now(), Closed, "", at(today.addDays(3))),
                      repair(4, 7, 34, old, Open, "", at(today.addDays(30)))}));
        auto w = startPage();
        // The list is built when first shown.
        QVERIFY(!w->findChild<SearchWidget *>());
        click(w.get(), "searchGeneralButton");
        auto *s = w->findChild<SearchWidget *>();
        // A status chosen by hand and another register's filters shown.
        s->repairStatus->setChecked(true);
        s->clientsTool->click();
        for (const QString &button : buttons)
            click(w.get(), qPrintable(button));
        QCOMPARE(current(w.get()), s);
        // "Szukaj naprawy" leaves the filters as they are.
        const bool preset = buttons.last() != "searchGeneralButton";
        QCOMPARE(s->stackedWidget->currentWidget() == s->repairSearchPage, preset);
        QCOMPARE(s->repairStatus->isChecked() || s->repairStatusClosed->isChecked(), !preset);
        const QString state = QString(s->addDateBox->isChecked() ? "add " : "") + (s->endDateBox->isChecked() ? "end " : "")
            + QString::number(s->repairStatusOpen->isChecked()) + QString::number(s->repairStatusWaiting->isChecked());
        QCOMPARE(state, boxes);
        QCOMPARE(listedIds(s), ids);
    }

    // A note written here reads back as it was typed, blanks and all; other
    // markup reads as a document makes it, without loading what it names.
    void notePlainText_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("shown");
        QTest::newRow("lines and runs of blanks") << QStringLiteral("  Zmiana<br><br> statusu\t na  \"Gotowa\"  ")
                                                  << QStringLiteral("  Zmiana\n\n statusu\t na  \"Gotowa\"  ");
        QTest::newRow("Polish letters") << QStringLiteral("Żółć gęślą jaźń") << QStringLiteral("Żółć gęślą jaźń");
        QTest::newRow("no-break and form feed") << QStringLiteral("100\u00a0zł\f\r\nkoniec \u2003")
                                                << QStringLiteral("100\u00a0zł\f\r\nkoniec \u2003");
        const QString typed = QStringLiteral("Tom & Jerry \"x\" <b>\n  a\u0000b");
        QTest::newRow("escaped") << Note::fromPlainText(typed) << typed;
        QTest::newRow("markup") << QStringLiteral("<b>Uwaga:</b> cena &lt; 100<br>zł") << QStringLiteral("Uwaga: cena < 100\nzł");
        QTest::newRow("image and style sheet")
            << QStringLiteral("<img src=\"obraz.png\">zdjęcie<link rel=\"stylesheet\" type=\"text/css\" href=\"a.css\">")
            << QStringLiteral("zdjęcie");
        QTest::newRow("empty") << QString() << QString();
    }

    void notePlainText()
    {
        QFETCH(QString, note);
        QFETCH(QString, shown);
        // Nothing may ask for a file that a document would read.
        DocumentRequests requests;
        QCOMPARE(Note::toPlainText(note), shown);
        QCOMPARE(requests.asked, QStringList());
    }

    void lastNotes_data()
    {
        QTest::addColumn<int>("days");
        QTest::newRow("1 day") << 1;
        QTest::newRow("2 days are 48 hours") << 2;
        QTest::newRow("3 days") << 3;
    }
    void lastNotes()
    {
        QFETCH(int, days);
        const QString eighty = QString(79, QLatin1Char('a')) + QStringLiteral("ż");
        QVERIFY(fill({repair(12, 7, 34)}, "<i>Nowak</i> & syn"));
        const auto ago = [](qint64 seconds) { return now() - seconds; };
        QVERIFY(insert(*t, NotesInsert,
                       {note(1, 12, ago(3600), 2, eighty), note(2, 12, ago(30 * 3600), 0, "<p>" + eighty.left(79) + "\U0001F600b</p>", 99),
                        note(3, 12, ago(60), 1, "Zmiana statusu naprawy na \"X\""),
                        note(4, 40, ago(60 * 3600), 9, "bez naprawy"), note(5, 12, ago(5 * 86400), 0, "dawno")}));
        auto w = startPage();
        auto *list = child<QListWidget>(w.get(), "lastNotesList");
        child<QSpinBox>(w.get(), "lastNotesPeriod")->setValue(days);
        QCOMPARE(list->count(), days);
        const auto heading = [](qint64 ago, const QString &user) {
            return QDateTime::fromSecsSinceEpoch(now() - ago).toString("dd/MM/yy hh:mm") + " | " + user + "\n";
        };
        // Newest first; 80 characters whole, more cut (not within an
        // emoji); names escaped.
        QCOMPARE(list->item(0)->text(), heading(3600, "Administrator") + eighty);
        QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 12);
        QVERIFY(!list->item(0)->icon().isNull());
        QCOMPARE(list->item(0)->toolTip(), "Naprawa nr: <b>12</b><br>Klient: <b>" + PlainText::markup("<i>Nowak</i> & syn, Jan")
                                               + "</b><br>Sprzęt: <b>" + PlainText::markup("Laptop") + "</b><br><br>"
                                               + PlainText::markup(eighty));
        QVERIFY(list->item(0)->toolTip().contains("&lt;i&gt;Nowak&lt;/i&gt; &amp; syn, Jan"));
        if (days > 1)
            QCOMPARE(list->item(1)->text(), heading(30 * 3600, "") + eighty.left(79) + "...");
        if (days > 2) { // a repair that is gone, a severity without icon
            QVERIFY(list->item(2)->icon().isNull());
            QCOMPARE(list->item(2)->toolTip(), "Naprawa nr: <b>40</b><br>Klient: <b></b><br>Sprzęt: <b></b><br><br>"
                                                   + PlainText::markup("bez naprawy"));
        }
        // A click selects; a double click opens the repair without a way back.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(current(w.get()), child(w.get(), "startPage"));
        emit list->itemDoubleClicked(list->currentItem());
        QCOMPARE(currentRepair(w.get()), 12);
        QVERIFY(child(current(w.get()), "backButton")->isHidden());
    }

    // A user added at another workstation while the start page and the
    // register are open, with a repair of theirs, then renamed there and
    // writing a note: named in the register, its technician filter and the
    // latest notes.
    void usersChangedElsewhere()
    {
        QVERIFY(insert(*t, ClientsInsert, {client(7, "Nowak")}) && insert(*t, HardwareInsert, {hardware(34, "Laptop", 7)}));
        auto w = startPage();
        click(w.get(), "searchGeneralButton");
        const auto elsewhere = [&](const QStringList &statements) {
            for (const QString &sql : statements)
                QCOMPARE(onAnotherWorkstation(*t, sql), QString());
        };
        elsewhere({"INSERT INTO users (iId, sUser, sPassword, iLevel, bActive) VALUES (7, 'Kasia', '', 5, 1)",
                   RepairsInsert + repair(12, 7, 34, now(), Open, "", 0, 0, 7)});
        click(w.get(), "searchActiveButton");
        auto *s = w->findChild<SearchWidget *>();
        auto *model = qobject_cast<Repair *>(s->searchTable->model());
        QVERIFY(model);
        QCOMPARE(model->index(0, model->fieldIndex("iTechnicanId")).data().toString(), "Kasia");
        QCOMPARE(child<QComboBox>(s, "iTechnicanId")->findText("Kasia"), 2);
        elsewhere({"UPDATE users SET sUser = 'Kasia K.' WHERE iId = 7", NotesInsert + note(1, 12, now() - 60, 1, "nowa", 7)});
        auto *period = child<QSpinBox>(w.get(), "lastNotesPeriod");
        period->setValue(period->value() + 1);
        QVERIFY(child<QListWidget>(w.get(), "lastNotesList")->item(0)->text().contains(" | Kasia K.\n"));
    }

    void navigation()
    {
        QVERIFY(fill({repair(12, 7, 34, now(), Open), repair(14, 7, 34, now(), Open)}));
        auto w = startPage();
        click(w.get(), "searchGeneralButton");
        auto *s = w->findChild<SearchWidget *>();
        QSignalSpy relayed(w.get(), &RepairsWidget::repairsStatusChanged);
        const int pages = child<QStackedWidget>(w.get(), "repairsStack")->count();
        click(w.get(), "searchActiveButton");
        // Rows chosen in the list: one repair page at a time, with a way back.
        for (int row : {0, 1}) {
            s->searchTable->selectRow(row);
            s->selectButton->click();
            QCOMPARE(currentRepair(w.get()), listedId(s, row));
            QTRY_COMPARE(w->findChildren<RepairDetailsWidget *>().size(), 1);
            QCOMPARE(child<QStackedWidget>(w.get(), "repairsStack")->count(), pages + 1);
        }
        // Back shows the list as it was, without a new search.
        QVERIFY(insert(*t, RepairsInsert, {repair(15, 7, 34, now(), Open)}));
        click(current(w.get()), "backButton");
        QCOMPARE(current(w.get()), s);
        QCOMPARE(listedIds(s), (QList<int>{12, 14}));
        // The quick search replaces the repair page; its client and device
        // pages lead back to it.
        quickSearch(w.get())->setText("15");
        click(w.get(), "quickSearchByIdButton");
        QTRY_COMPARE(w->findChildren<RepairDetailsWidget *>().size(), 1);
        auto *page = qobject_cast<RepairDetailsWidget *>(current(w.get()));
        QCOMPARE(page->repairId(), 15);
        // Repairs deleted in their lists change the counters as well.
        QCOMPARE(relayed.count(), 0);
        for (const char *button : {"clientButton", "hardwareButton"}) {
            click(page, button);
            QVERIFY(current(w.get()) != page);
            QVERIFY(QMetaObject::invokeMethod(current(w.get()), "dbItemsCountChanged"));
            click(current(w.get()), "backButton");
            QCOMPARE(current(w.get()), page);
        }
        QCOMPARE(relayed.count(), 2);
        emit page->repairStatusChanged();
        emit s->dbItemsCountChanged();
        QCOMPARE(relayed.count(), 4);
    }

    // A page wider than the start page (a search list, an intake picker) makes
    // the start page ask for its room, so that the main window's page area
    // scrolls rather than squeezing the filters under the buttons; a picker
    // left behind in the intake no longer widens it.
    void widePagesAskForTheirRoom()
    {
        auto w = startPage();
        const auto width = [](QWidget *page) { return page->minimumSizeHint().width(); };
        click(w.get(), "searchGeneralButton");
        auto *list = w->findChild<SearchWidget *>();
        QTRY_VERIFY(width(w.get()) >= width(list));
        click(w.get(), "newRepairButton");
        auto *intake = current(w.get());
        QTRY_VERIFY(width(w.get()) < width(list));
        auto *picker = openPicker(intake, "clientSearchButton");
        QVERIFY(picker);
        QTRY_VERIFY(width(w.get()) >= width(picker));
        click(intake, "backButton");
        QCOMPARE(picker->isHidden(), true);
        QTRY_VERIFY(width(w.get()) < width(picker));
    }

    void repairPageShows_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("back");
        QTest::newRow("with way back") << "" << true;
        QTest::newRow("without way back") << "" << false;
        QTest::newRow("no device") << "DELETE FROM hardware" << false;
        QTest::newRow("no repair") << "DELETE FROM repairs" << false;
        QTest::newRow("notes unreadable") << "ALTER TABLE notes RENAME TO notes_gone" << false;
        QTest::newRow("statuses unreadable") << "ALTER TABLE statusesconf RENAME TO statusesconf_gone" << false;
    }
    void repairPageShows()
    {
        QFETCH(QString, statement);
        QFETCH(bool, back);
        QVERIFY(fill({repair(12, 7, 34, at(QDate(2026, 3, 15), QTime(9, 5)), Open, "Z-77", at(QDate(2026, 3, 29)), 1)}));
        QVERIFY(t->exec("UPDATE repairs SET sNum = '', sCost = '120 zł', iProgress = 40"));
        // Written by an account deleted since.
        QVERIFY(t->exec("INSERT INTO notes (iRepairId, iAddDate, iSeverity, sNote, iUserId) VALUES (12, 100, 0, 'x', 99)"));
        QVERIFY(statement.isEmpty() || onAnotherWorkstation(*t, statement).isEmpty());
        auto w = repairPage(back);
        QCOMPARE(child(w.get(), "backButton")->isVisible(), back);
        // The page stands all the same.
        QCOMPARE(takeErrors(), statement.isEmpty() ? QStringList() : QStringList{"Błąd ładowania danych !"});
        // Without its device the repair still shows and takes notes.
        QCOMPARE(child(w.get(), "notesGroup")->isEnabled(), !statement.contains("repairs"));
        if (!statement.isEmpty())
            return;
        QVERIFY(child<QListWidget>(w.get(), "notesList")->item(0)->text().contains(" | Usunięty\n"));
        QCOMPARE(QStringList({text(w.get(), "iAddDate"), text(w.get(), "iEndDate"), text(w.get(), "iType"),
                              text(w.get(), "statusName"), text(w.get(), "sCost"), text(w.get(), "sNum")}),
                 QStringList({"15/03/2026 09:05", "29/03/2026", "Gwarancyjna", "[Otwarta] Naprawa rozpoczęta", "120 zł", "12/1503"}));
        QSignalSpy client(w.get(), &RepairDetailsWidget::showClient), device(w.get(), &RepairDetailsWidget::showHardware),
            backSpy(w.get(), &RepairDetailsWidget::backToSearch);
        for (const char *button : {"clientButton", "hardwareButton", "backButton"})
            click(w.get(), button);
        QCOMPARE(QList<int>({client.value(0).value(0).toInt(), device.value(0).value(0).toInt(), int(backSpy.count())}),
                 QList<int>({7, 34, back ? 1 : 0}));
    }

    void statusChange_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("consent");
        QTest::addColumn<bool>("readFailed"); // the shared statuses emptied while the page is open
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("stored"); // the status as another tool left it; empty: as taken in
        const QString waiting = "Zmiana statusu naprawy na \"Zuvove zewnętrzny\"";
        QTest::newRow("to waiting") << Waiting << true << false << waiting << "";
        QTest::newRow("closed") << Closed << true << false << "Zmiana statusu naprawy na \"Naprawa ukończona\"" << "";
        QTest::newRow("refused") << Closed << false << false << "" << "";
        QTest::newRow("read failed") << Closed << true << true << "Zmiana statusu naprawy na \"Naprawa ukończona\"" << "";
        QTest::newRow("stored empty") << Waiting << true << false << waiting << "''";
        QTest::newRow("stored -1") << Waiting << true << false << waiting << "-1";
    }
    void statusChange()
    {
        QFETCH(int, status);
        QFETCH(bool, consent);
        QFETCH(bool, readFailed);
        QFETCH(QString, note);
        QVERIFY(fill({repair(12, 7, 34, 0, Open, "", 1000)}));
        QFETCH(QString, stored);
        if (TestDatabase::isMySql() && stored == "''")
            QSKIP("MySQL's column holds no empty text");
        QVERIFY(stored.isEmpty() || t->exec("UPDATE repairs SET iStatus = " + stored));
        auto w = repairPage();
        QSignalSpy changed(w.get(), &RepairDetailsWidget::repairStatusChanged);
        pickStatus(w.get(), status);
        if (readFailed)
            RepairStatusesConfig::Statuses.clear();
        MessageBoxRecorder rec;
        if (!consent)
            rec.answerCancel();
        const qint64 before = now();
        click(w.get(), "changeStatusButton");
        QCOMPARE(rec.count(), 1);
        QCOMPARE(t->scalar("SELECT iStatus FROM repairs").toInt(), consent ? status : Open);
        QCOMPARE(changed.count(), consent ? 1 : 0);
        // Closing stamps the end date with its moment.
        const qint64 end = t->scalar("SELECT iEndDate FROM repairs").toLongLong();
        QVERIFY(status == Closed && consent ? end >= before && end <= now() : end == 1000);
        QCOMPARE(t->count("notes"), consent ? 1 : 0);
        QCOMPARE(t->count("notes", "iSeverity = 1 AND iUserId = 1 AND sNote = " + quoted(note)), consent ? 1 : 0);
    }

    // A status or progress set over one that another workstation changed,
    // or to a status deleted there, writes nothing and shows what is stored.
    void savesOverChangesElsewhere_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("picked");
        QTest::addColumn<QString>("there");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("shown");
        const QString changed = "Zmiany na innym stanowisku: Od odczytania danych na innym stanowisku zmieniono: %1.";
        QTest::newRow("closed there, reopened here") << QByteArray("changeStatusButton") << Waiting
            << "UPDATE repairs SET iStatus = 5, iEndDate = 777" << changed.arg("Status") << "[Zamknięta] Naprawa ukończona";
        QTest::newRow("progress changed there") << QByteArray("setProgressButton") << Open
            << "UPDATE repairs SET iProgress = 30" << changed.arg("Postęp") << "[Otwarta] Naprawa rozpoczęta";
        QTest::newRow("status deleted there") << QByteArray("changeStatusButton") << Waiting
            << "DELETE FROM statusesconf WHERE iStatusId = 2"
            << "Rekord usunięty: Wybrany status został usunięty na innym stanowisku. Zmiany nie zostały zapisane."
            << "[Otwarta] Naprawa rozpoczęta";
    }
    void savesOverChangesElsewhere()
    {
        QFETCH(QByteArray, button);
        QFETCH(int, picked);
        QFETCH(QString, there);
        QFETCH(QString, box);
        QFETCH(QString, shown);
        QVERIFY(fill({repair(12, 7, 34, 0, Open, "", 1000)}));
        auto w = repairPage();
        QSignalSpy saved(w.get(), &RepairDetailsWidget::repairStatusChanged);
        pickStatus(w.get(), picked);
        child<QSpinBox>(w.get(), "progressBox")->setValue(70);
        MessageBoxRecorder boxes;
        const auto meanwhile = [&] { QCOMPARE(onAnotherWorkstation(*t, there), QString()); };
        // A status changes while staff read the question.
        if (button == "setProgressButton")
            meanwhile();
        else
            boxes.whileOpen = meanwhile;
        click(w.get(), button);
        QVERIFY(boxes.lastLine().startsWith(box));
        QCOMPARE(t->count("notes") + saved.count() + takeErrors().size(), 0);
        QCOMPARE(QStringList({t->scalar("SELECT iEndDate FROM repairs"), t->scalar("SELECT iProgress FROM repairs")}),
                 QStringList({there.contains("777") ? "777" : "1000", there.contains("30") ? "30" : "0"}));
        QCOMPARE(text(w.get(), "statusName"), shown);
        QCOMPARE(child<QProgressBar>(w.get(), "iProgress")->value(), there.contains("30") ? 30 : 0);
        // A deleted status is offered no more.
        QCOMPARE(child<QComboBox>(w.get(), "iStatus")->findData(2) >= 0, !there.contains("DELETE"));
    }

    // Status and progress follow the level that may take in repairs; notes
    // are open to every level.
    void repairPageByLevel()
    {
        QVERIFY(fill({repair(12, 7, 34, 0, Open)}));
        for (int level : {5, 6}) {
            UserWidget user(level, QStringLiteral("Ewa"), level);
            auto w = shown(new RepairDetailsWidget(nullptr, t->db(), &user, nullptr, 12, false));
            auto *box = child<QComboBox>(w.get(), "iStatus");
            box->setCurrentIndex(box->findData(Closed));
            child<QSpinBox>(w.get(), "progressBox")->setValue(70);
            child<QPlainTextEdit>(w.get(), "noteText")->setPlainText(QStringLiteral("notatka"));
            QList<bool> enabled;
            for (const char *name : {"iStatus", "changeStatusButton", "progressBox", "setProgressButton", "addNoteButton"})
                enabled << child(w.get(), name)->isEnabled();
            const bool may = level == 5;
            QCOMPARE(enabled, (QList<bool>{may, may, may, may, true}));
            click(w.get(), "addNoteButton");
            QCOMPARE(t->count("notes", QStringLiteral("iRepairId = 12 AND iUserId = %1").arg(level)), 1);
        }
    }

    void notesAndProgress()
    {
        QVERIFY(fill({repair(12, 7, 34)}));
        auto w = repairPage();
        QSignalSpy changed(w.get(), &RepairDetailsWidget::repairStatusChanged);
        auto *list = child<QListWidget>(w.get(), "notesList");
        child<QPlainTextEdit>(w.get(), "noteText")->setPlainText("  cena < 100 & zgoda\nklienta ");
        child<QComboBox>(w.get(), "noteSeverity")->setCurrentIndex(3);
        // Another workstation changes the status meanwhile: the page shows it after the write.
        QVERIFY(t->exec("UPDATE repairs SET iStatus = 3 WHERE iId = 12"));
        click(w.get(), "addNoteButton");
        QCOMPARE(text(w.get(), "statusName"), QStringLiteral("[Oczekująca] Oczekuje na części"));
        QCOMPARE(t->count("notes", "iRepairId = 12 AND iSeverity = 3 AND sNote = 'cena &lt; 100 &amp; zgoda<br>klienta'"), 1);
        QCOMPARE(list->count(), 1);
        QVERIFY(list->item(0)->text().endsWith(" | Administrator\ncena < 100 & zgoda\nklienta"));
        QVERIFY(!list->item(0)->icon().isNull());
        QCOMPARE(changed.count(), 0);
        // A status and a progress picked and not yet set stay picked after a note.
        auto *status = child<QComboBox>(w.get(), "iStatus");
        status->setCurrentIndex(status->findData(1));
        child<QSpinBox>(w.get(), "progressBox")->setValue(70);
        child<QPlainTextEdit>(w.get(), "noteText")->setPlainText("druga");
        click(w.get(), "addNoteButton");
        QCOMPARE(list->count(), 2);
        QCOMPARE(status->currentData().toInt(), 1);
        QCOMPARE(child<QSpinBox>(w.get(), "progressBox")->value(), 70);
        click(w.get(), "setProgressButton");
        QCOMPARE(Repair::getProgress(t->db(), 12), 70);
        QCOMPARE(child<QProgressBar>(w.get(), "iProgress")->value(), 70);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(status->currentData().toInt(), 1); // still picked, not yet set
    }

    // Saves on a repair deleted on another workstation: refused naming it,
    // nothing stored, no success signal, the typed note kept.
    void savesOnDeletedRepair_data()
    {
        QTest::addColumn<QByteArray>("button");
        for (const char *button : {"changeStatusButton", "addNoteButton", "setProgressButton"})
            QTest::newRow(button) << QByteArray(button);
    }
    void savesOnDeletedRepair()
    {
        QVERIFY(fill({repair(12, 7, 34, 0, Open)}));
        auto w = repairPage();
        QSignalSpy changed(w.get(), &RepairDetailsWidget::repairStatusChanged);
        auto *status = child<QComboBox>(w.get(), "iStatus");
        status->setCurrentIndex(status->findData(Closed));
        child<QSpinBox>(w.get(), "progressBox")->setValue(70);
        child<QPlainTextEdit>(w.get(), "noteText")->setPlainText("cena 100 zł");
        QCOMPARE(onAnotherWorkstation(*t, "DELETE FROM repairs"), QString());
        MessageBoxRecorder boxes;
        click(w.get(), QTest::currentDataTag());
        QCOMPARE(boxes.lastLine(), "Rekord usunięty: Ta naprawa została usunięta na innym stanowisku. Zmiany nie zostały zapisane.");
        QCOMPARE(t->count("notes") + t->count("repairs") + changed.count() + takeErrors().size(), 0);
        QCOMPARE(child<QPlainTextEdit>(w.get(), "noteText")->toPlainText(), "cena 100 zł");
    }
};

WARSZTAT_TEST_MAIN(TestRepairs)
#include "tst_repairs.moc"
