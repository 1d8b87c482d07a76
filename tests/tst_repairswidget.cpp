#include "testmain.h"
#include "repairsfixture.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlRecord>

#include "repairs/repairswidget.h"

using namespace RepairsRows;

class TestRepairsWidget : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> t;
    UserWidget admin{1, QStringLiteral("Administrator"), 0};

    std::unique_ptr<RepairsWidget> page(UserWidget *user = nullptr)
    {
        auto w = std::make_unique<RepairsWidget>(nullptr, t->db(), user ? user : &admin, nullptr);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->show();
        return w;
    }
    template<typename T = QWidget>
    static T *child(QWidget *w, const char *name)
    {
        T *found = w->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    static void click(QWidget *w, const char *name)
    {
        QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
    }
    static QWidget *shown(QWidget *w)
    {
        return child<QStackedWidget>(w, "repairsStack")->currentWidget();
    }
    static RepairDetailsWidget *shownRepair(QWidget *w)
    {
        return qobject_cast<RepairDetailsWidget *>(shown(w));
    }
    static QList<int> listedIds(SearchWidget *s)
    {
        QList<int> ids;
        for (int row = 0; row < allRows(s->model); ++row)
            ids << s->model->record(row).value(QStringLiteral("iId")).toInt();
        std::sort(ids.begin(), ids.end());
        return ids;
    }

private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        QVERIFY2(t->ok(), qPrintable(t->error()));
    }
    void cleanup()
    {
        t.reset();
    }

    void counters_data()
    {
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("openBar");
        QTest::addColumn<int>("waitingBar");
        QTest::newRow("none") << 0 << 0 << 0 << 0;
        QTest::newRow("one and two") << 1 << 2 << 33 << 66;
        QTest::newRow("open only") << 3 << 0 << 100 << 0;
    }
    void counters()
    {
        QFETCH(int, open);
        QFETCH(int, waiting);
        QFETCH(int, openBar);
        QFETCH(int, waitingBar);
        // Closed repairs and those of an unknown status count in neither.
        QStringList rows = {repair(1, 7, 34, 0, Closed), repair(2, 7, 34, 0, 999)};
        for (int i = 0; i < open + waiting; ++i)
            rows << repair(10 + i, 7, 34, 0, i < open ? Open : Waiting);
        QVERIFY(fill(*t, rows));
        auto w = page();
        QCOMPARE(child<QLabel>(w.get(), "activeCountLabel")->text(), QString::number(open));
        QCOMPARE(child<QLabel>(w.get(), "waitingCountLabel")->text(), QString::number(waiting));
        QCOMPARE(child<QProgressBar>(w.get(), "activeProgressBar")->value(), openBar);
        QCOMPARE(child<QProgressBar>(w.get(), "waitingProgressBar")->value(), waitingBar);
    }

    void newRepairByLevel_data()
    {
        QTest::addColumn<int>("level");
        QTest::newRow("level 5") << 5;
        QTest::newRow("level 6") << 6;
        QTest::newRow("level 7") << 7;
    }
    void newRepairByLevel()
    {
        QFETCH(int, level);
        UserWidget user(1, QStringLiteral("Ewa"), level);
        auto w = page(&user);
        QCOMPARE(shown(w.get()), child(w.get(), "startPage"));
        auto *button = child<QPushButton>(w.get(), "newRepairButton");
        QCOMPARE(button->isEnabled(), level <= 5);
        QVERIFY(!button->isHidden());
        button->click();
        QCOMPARE(shown(w.get())->objectName(), level <= 5 ? "newRepairPage" : "startPage");
    }

    void quickSearch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("opens");
        QTest::newRow("scanned card") << "*12I7I3I*" << true;
        QTest::newRow("display number") << "12/0315" << true;
        QTest::newRow("plain id with blanks") << "  12 " << true;
        QTest::newRow("unknown id") << "13" << false;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("hardware label") << "*0I7I3I*" << false;
        QTest::newRow("too long a number") << "99999999999" << false;
        QTest::newRow("empty") << "" << false;
    }
    void quickSearch()
    {
        QFETCH(QString, text);
        QFETCH(bool, opens);
        QVERIFY(fill(*t, {repair(12, 7, 34)}));
        auto w = page();
        // The search page has a field of the same name.
        auto *edit = child<QLineEdit>(child(w.get(), "startPage"), "repairId");
        auto *notFound = child<QLabel>(w.get(), "quickSearchResultLabel");
        QVERIFY(notFound->isHidden());
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), text);
        if (opens) {
            QVERIFY(shownRepair(w.get()));
            QCOMPARE(shownRepair(w.get())->repairId(), 12);
            QVERIFY(child(shown(w.get()), "backButton")->isHidden());
            return;
        }
        QCOMPARE(shown(w.get()), child(w.get(), "startPage"));
        QCOMPARE(repairPages(w.get()), 0);
        // An empty field is marked red, a text that finds nothing shows the
        // label; both go after two seconds.
        QCOMPARE(edit->styleSheet().isEmpty(), !text.isEmpty());
        QCOMPARE(notFound->isHidden(), text.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(notFound->isHidden() && edit->styleSheet().isEmpty(), 5000);
    }

    void presets_data()
    {
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("last repairs") << QStringList{"searchLastButton"} << "add open:0 waiting:0"
                                      << QList<int>{1, 3};
        // Not only the active repairs of the last 14 days.
        QTest::newRow("active after last")
            << QStringList{"searchLastButton", "searchActiveButton"} << "open:1 waiting:1"
            << QList<int>{1, 2, 4};
        QTest::newRow("overdue") << QStringList{"searchExpiredButton"} << "end open:1 waiting:1"
                                 << QList<int>{2};
        // The overdue ones are not to expire.
        QTest::newRow("to expire after overdue")
            << QStringList{"searchExpiredButton", "searchToExpireButton"} << "end open:1 waiting:1"
            << QList<int>{1};
        QTest::newRow("general search") << QStringList{"searchGeneralButton"} << "open:0 waiting:0"
                                        << QList<int>{};
    }
    void presets()
    {
        QFETCH(QStringList, buttons);
        QFETCH(QString, boxes);
        QFETCH(QList<int>, ids);
        const QDate today = QDate::currentDate();
        const qint64 old = at(today.addDays(-20));
        QVERIFY(fill(*t, {repair(1, 7, 34, now(), Open, QString(), at(today.addDays(3))),
                          repair(2, 7, 34, old, Waiting, QString(), at(today.addDays(-5))),
                          repair(3, 7, 34, now(), Closed, QString(), at(today.addDays(3))),
                          repair(4, 7, 34, old, Open, QString(), at(today.addDays(30)))}));
        auto w = page();
        auto *s = w->findChild<SearchWidget *>();
        // A single status chosen by hand and another register's filters shown.
        s->repairStatus->setChecked(true);
        s->clientsTool->click();
        for (const QString &button : buttons)
            click(w.get(), qPrintable(button));
        QCOMPARE(shown(w.get()), s);
        // "Szukaj naprawy" leaves the filters as they are.
        const bool preset = buttons.last() != "searchGeneralButton";
        QCOMPARE(s->stackedWidget->currentWidget() == s->repairSearchPage, preset);
        QCOMPARE(s->repairStatus->isChecked(), !preset);
        QVERIFY(!s->repairStatusClosed->isChecked());
        QString state = s->addDateBox->isChecked() ? "add " : "";
        state += s->endDateBox->isChecked() ? "end " : "";
        state += QStringLiteral("open:%1 waiting:%2").arg(s->repairStatusOpen->isChecked())
                     .arg(s->repairStatusWaiting->isChecked());
        QCOMPARE(state, boxes);
        QCOMPARE(listedIds(s), ids);
    }

    void lastNotes_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<QList<int>>("notes");
        QTest::newRow("1 day") << 1 << QList<int>{1};
        QTest::newRow("2 days are 48 hours") << 2 << QList<int>{1, 2};
        QTest::newRow("3 days") << 3 << QList<int>{1, 2, 4};
    }
    void lastNotes()
    {
        QFETCH(int, days);
        QFETCH(QList<int>, notes);
        const QString eighty = QString(79, QLatin1Char('a')) + QStringLiteral("ż");
        QVERIFY(fill(*t, {repair(12, 7, 34)}, QStringLiteral("<i>Nowak</i> & syn")));
        QVERIFY(insert(*t, NotesInsert,
                       {RepairsRows::note(1, 12, now() - 3600, 2, eighty),
                        RepairsRows::note(2, 12, now() - 30 * 3600, 0, "<p>" + eighty + "b</p>", 99),
                        RepairsRows::note(3, 12, now() - 60, 1, "Zmiana statusu naprawy na \"X\""),
                        RepairsRows::note(4, 40, now() - 60 * 3600, 9, "bez naprawy"),
                        RepairsRows::note(5, 12, now() - 5 * 86400, 0, "dawno")}));
        auto w = page();
        auto *list = child<QListWidget>(w.get(), "lastNotesList");
        child<QSpinBox>(w.get(), "lastNotesPeriod")->setValue(days);
        QCOMPARE(list->count(), notes.size());
        const auto heading = [](qint64 secsAgo, const QString &user) {
            return QDateTime::fromSecsSinceEpoch(now() - secsAgo).toString("dd/MM/yy hh:mm") + " | "
                + user + "\n";
        };
        // Newest first; a note of 80 characters whole, a longer one cut.
        QCOMPARE(list->item(0)->text(), heading(3600, "Administrator") + eighty);
        QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 12);
        QVERIFY(!list->item(0)->icon().isNull());
        QCOMPARE(list->item(0)->toolTip(),
                 "Naprawa nr: <b>12</b><br>Klient: <b>&lt;i&gt;Nowak&lt;/i&gt; &amp; syn, Jan</b><br>"
                 "Sprzęt: <b>Laptop</b><br><br>" + eighty);
        if (notes.size() > 1)
            QCOMPARE(list->item(1)->text(), heading(30 * 3600, "") + eighty + "...");
        if (notes.size() > 2) {
            // A note of a repair that is gone and of an unknown severity.
            QVERIFY(list->item(2)->icon().isNull());
            QCOMPARE(list->item(2)->toolTip(),
                     QStringLiteral("Naprawa nr: <b>40</b><br>Klient: <b></b><br>Sprzęt: <b></b><br><br>bez naprawy"));
        }

        // A click selects; a double click opens the repair without a way back.
        const QRect rect = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(shown(w.get()), child(w.get(), "startPage"));
        emit list->itemDoubleClicked(list->item(0));
        QCOMPARE(shownRepair(w.get())->repairId(), 12);
        QVERIFY(child(shown(w.get()), "backButton")->isHidden());
    }

    void navigation()
    {
        QVERIFY(fill(*t, {repair(12, 7, 34, now(), Open), repair(14, 7, 34, now(), Open)}));
        auto w = page();
        auto *s = w->findChild<SearchWidget *>();
        QSignalSpy relayed(w.get(), &RepairsWidget::repairsStatusChanged);
        const int pages = child<QStackedWidget>(w.get(), "repairsStack")->count();
        click(w.get(), "searchActiveButton");
        QCOMPARE(listedIds(s), (QList<int>{12, 14}));

        // A repair chosen in the list leads back to it.
        for (int row : {0, 1}) {
            s->searchTable->selectRow(row);
            s->selectButton->click();
            QCOMPARE(shownRepair(w.get())->repairId(),
                     s->model->record(row).value(QStringLiteral("iId")).toInt());
            QTRY_COMPARE(repairPages(w.get()), 1);
            QCOMPARE(child<QStackedWidget>(w.get(), "repairsStack")->count(), pages + 1);
        }
        RepairDetailsWidget *repairPage = shownRepair(w.get());
        QVERIFY(!child(repairPage, "backButton")->isHidden());
        // Back shows the list as it was, without a new search.
        QVERIFY(insert(*t, RepairsInsert, {repair(15, 7, 34, now(), Open)}));
        click(repairPage, "backButton");
        QCOMPARE(shown(w.get()), s);
        QCOMPARE(listedIds(s), (QList<int>{12, 14}));

        // The quick search replaces the repair page; the client and device
        // buttons leave it shown while there is no page to open.
        child<QLineEdit>(child(w.get(), "startPage"), "repairId")->setText("15");
        click(w.get(), "quickSearchByIdButton");
        QTRY_COMPARE(repairPages(w.get()), 1);
        repairPage = shownRepair(w.get());
        QCOMPARE(repairPage->repairId(), 15);
        click(repairPage, "clientButton");
        click(repairPage, "hardwareButton");
        QCOMPARE(shown(w.get()), repairPage);

        QCOMPARE(relayed.count(), 0);
        emit repairPage->repairStatusChanged();
        emit s->dbItemsCountChanged();
        QCOMPARE(relayed.count(), 2);
    }
};

WARSZTAT_TEST_MAIN(TestRepairsWidget)
#include "tst_repairswidget.moc"
