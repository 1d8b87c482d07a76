#include "config/configurationwidget.h"
#include "configtesthelpers.h"
#include "searchfixture.h"
#include "dictionaries/hardwarestatusesconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "dictionaries/numberingconfig.h"
#include "dictionaries/repairstatusesconfig.h"
#include "dictionaries/templatesconfig.h"
#include "loginwidget.h"
#include "mainwindow.h"
#include "messageboxrecorder.h"
#include "printouts/tagsbarsconfig.h"
#include "settings.h"
#include "testdatabase.h"
#include "testmain.h"
#include "userwidget.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QToolButton>
#include <QTemporaryDir>

class TestConfigurationWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void administratorSeesSixTabs();
    void hiddenFromOtherLevels();
    void mainWindowOpensItForTheAdministratorOnly();
    void pagesKeepPendingEditsWhenShownAgain_data();
    void pagesKeepPendingEditsWhenShownAgain();
};

void TestConfigurationWidget::administratorSeesSixTabs()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QTemporaryDir dir;
    Settings settings(dir.path());
    UserWidget admin(1, "Administrator", 0);
    ConfigurationWidget page(nullptr, t.db(), &admin, &settings);
    page.resize(1000, 680);
    page.show();
    auto *tabs = page.findChild<QTabWidget *>("tabWidget");
    QVERIFY(tabs->isVisible());
    QCOMPARE(tabs->count(), 6);
    QVERIFY(qobject_cast<RepairStatusesConfig *>(tabs->widget(0)));
    QVERIFY(qobject_cast<HardwareStatusesConfig *>(tabs->widget(1)));
    QVERIFY(qobject_cast<HardwareTypesConfig *>(tabs->widget(2)));
    QVERIFY(qobject_cast<NumberingConfig *>(tabs->widget(3)));
    QVERIFY(qobject_cast<TemplatesConfig *>(tabs->widget(4)));
    QVERIFY(qobject_cast<TagsBarsConfig *>(tabs->widget(5)));
    QCOMPARE(tabs->currentIndex(), 0);
    // Every tab has a name and renders (the pictures are for looking at).
    for (int i = 0; i < tabs->count(); ++i) {
        QVERIFY(!tabs->tabText(i).isEmpty());
        tabs->setCurrentIndex(i);
        QVERIFY(page.grab().save(QDir::temp().filePath(QStringLiteral("configuration-%1.png").arg(i))));
    }

    // The tab order of the pages whose order is fixed: the named widgets of
    // a page in the order the focus chain reaches them.
    const QStringList statuses{"statusesTable", "addButton",    "editButton",   "deleteButton",
                               "statusDescription", "statusGroup1", "statusGroup2", "statusGroup3",
                               "colorButton",   "saveButton"};
    QStringList templates{"sHName", "iHType"};
    for (int n = 1; n <= 14; ++n)
        templates << QStringLiteral("sField%1").arg(n);
    templates << QStringList{"iFieldDate", "sFieldLong", "saveButton", "searchTable",
                             "addButton",  "editButton", "deleteButton"};
    const QList<QPair<int, QStringList>> tabOrders{{0, statuses}, {1, statuses}, {4, templates}};
    for (const auto &[tab, order] : tabOrders) {
        QWidget *tabPage = tabs->widget(tab);
        QStringList chain;
        QWidget *first = tabPage->findChild<QWidget *>(order.first());
        QWidget *next = first;
        do {
            if (tabPage->isAncestorOf(next) && order.contains(next->objectName())
                && !chain.contains(next->objectName()))
                chain << next->objectName();
            next = next->nextInFocusChain();
        } while (next != first);
        QCOMPARE(chain, order);
    }

    // A page that closes itself leaves its tab.
    tabs->widget(5)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(tabs->count(), 5);
}

void TestConfigurationWidget::hiddenFromOtherLevels()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QTemporaryDir dir;
    Settings settings(dir.path());
    QVERIFY(!ConfigurationWidget::isAllowed(nullptr));
    for (int level : {1, 3, 7}) {
        UserWidget user(2, "Serwisant", level);
        QVERIFY(!ConfigurationWidget::isAllowed(&user));
        ConfigurationWidget page(nullptr, t.db(), &user, &settings);
        page.show();
        auto *tabs = page.findChild<QTabWidget *>("tabWidget");
        QCOMPARE(tabs->count(), 0);
        QVERIFY(!tabs->isVisible());
        QVERIFY(!page.findChild<RepairStatusesConfig *>());
        QVERIFY(!page.findChild<TagsBarsConfig *>());
    }
    ConfigurationWidget nobody(nullptr, t.db(), nullptr, &settings);
    QCOMPARE(nobody.findChild<QTabWidget *>("tabWidget")->count(), 0);
}

void TestConfigurationWidget::mainWindowOpensItForTheAdministratorOnly()
{
    TestDatabase t;
    REQUIRE_DB(t);
    QVERIFY2(t.addUser(2, "Ewa", "x", 1), qPrintable(t.error()));
    QTemporaryDir dir;
    {
        QSettings ini(dir.filePath("config.ini"), QSettings::IniFormat);
        t.writeIni(&ini, 1, "Baza testowa");
        ini.setValue("config/defaultdb", 1);
    }
    MessageBoxRecorder rec;
    auto login = [](MainWindow &w, const QString &name, const QString &password) {
        auto *page = qobject_cast<LoginWidget *>(w.currentPage());
        QVERIFY(page);
        auto *users = page->findChild<QComboBox *>("userBox");
        users->setCurrentIndex(users->findText(name));
        page->findChild<QLineEdit *>("passwordEdit")->setText(password);
        QTest::mouseClick(page->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
    };
    {
        MainWindow w(qApp, dir.path());
        w.show();
        login(w, "Administrator", QString());
        QVERIFY(!w.findChild<QToolButton *>("configButton")->isHidden());
        QTest::mouseClick(w.findChild<QToolButton *>("configButton"), Qt::LeftButton);
        auto *page = qobject_cast<ConfigurationWidget *>(w.currentPage());
        QVERIFY(page);
        QCOMPARE(page->findChild<QTabWidget *>("tabWidget")->count(), 6);
    }
    {
        MainWindow w(qApp, dir.path());
        w.show();
        login(w, "Ewa", "x");
        QCOMPARE(w.user()->level, 1);
        QVERIFY(w.findChild<QToolButton *>("configButton")->isHidden());
        // Even when reached another way, the page shows nothing.
        w.showConfiguration();
        auto *page = qobject_cast<ConfigurationWidget *>(w.currentPage());
        QVERIFY(page);
        QCOMPARE(page->findChild<QTabWidget *>("tabWidget")->count(), 0);
        QVERIFY(!page->findChild<RepairStatusesConfig *>());
    }
}

void TestConfigurationWidget::pagesKeepPendingEditsWhenShownAgain_data()
{
    // The page's tab; the input an edit types in; how another workstation
    // stores a value (a statement, else a key of this workstation's store);
    // the widget showing it; what is typed and two values stored elsewhere.
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QString>("view");
    QTest::addColumn<QStringList>("values");
    const QStringList texts{"Wpisany", "Obcy 1", "Obcy 2"};
    const QString status = "UPDATE %2 SET sDescription = '%1' WHERE iId = 1";
    QTest::newRow("repair statuses") << 0 << "statusDescription"
                                     << status.arg("%1", "statusesconf") << "statusesTable" << texts;
    QTest::newRow("hardware statuses") << 1 << "statusDescription"
                                       << status.arg("%1", "hwstatusesconf") << "statusesTable"
                                       << texts;
    QTest::newRow("hardware types") << 2 << "typeDescription"
                                    << status.arg("%1", "typesconf") << "typesTable" << texts;
    QTest::newRow("numbering") << 3 << "numberingEdit"
                               << "INSERT INTO settings (sGroup, sKey, sValue, iUserId) "
                                  "VALUES('db', 'numbering', '%1', 2)"
                               << "numberingEdit" << texts;
    QTest::newRow("templates") << 4 << "sHName" << "INSERT INTO templates (sHName) VALUES('%1')"
                               << "searchTable" << texts;
    QTest::newRow("labels") << 5 << "barcodeSize" << "printouts/barcode_size" << "barcodeSize"
                            << QStringList{"1", "3", "4"};
}

void TestConfigurationWidget::pagesKeepPendingEditsWhenShownAgain()
{
    QFETCH(int, tab);
    QFETCH(QString, input);
    QFETCH(QString, elsewhere);
    QFETCH(QString, view);
    QFETCH(QStringList, values);
    TestDatabase t;
    REQUIRE_DB(t);
    // A repair for the numbering page to read the highest key of.
    QVERIFY(SearchRows::insert(t, SearchRows::RepairsInsert, {SearchRows::repair(5, 1, 1)}));
    QTemporaryDir dir;
    Settings settings(dir.path());
    const std::unique_ptr<DbWidget> other = t.openAnother();
    UserWidget admin(1, "Administrator", 0);
    ConfigurationWidget w(nullptr, t.db(), &admin, &settings);
    w.show();
    auto *tabs = w.findChild<QTabWidget *>("tabWidget");
    QWidget *page = tabs->widget(tab);
    tabs->setCurrentWidget(page);
    auto store = [&](const QString &value) {
        if (elsewhere.contains(' '))
            QVERIFY(other->query(elsewhere.arg(value)).isActive());
        else
            settings.native->setValue(elsewhere, value.toInt());
    };
    QWidget *shown = page->findChild<QWidget *>(view);
    auto *list = qobject_cast<QAbstractItemView *>(shown);
    // Whether the page shows the value; a row listing it becomes the current one.
    auto shows = [&](const QString &value) {
        if (!list)
            return shown->property("text").toString() == value;
        for (int column = 0; column < list->model()->columnCount(); ++column) {
            const QModelIndexList found = list->model()->match(
                list->model()->index(0, column), Qt::DisplayRole, value, 1,
                Qt::MatchExactly | Qt::MatchRecursive);
            if (found.isEmpty())
                continue;
            list->setCurrentIndex(found.first());
            return true;
        }
        return false;
    };
    auto showAgain = [&] {
        tabs->setCurrentIndex((tab + 1) % tabs->count());
        tabs->setCurrentWidget(page);
    };

    // Nothing pending: a restored window shows the page as it was, a page
    // shown again what is stored now.
    store(values[1]);
    w.setWindowState(Qt::WindowMinimized);
    w.setWindowState(Qt::WindowNoState);
    QVERIFY(page->isVisible() && !shows(values[1]));
    showAgain();
    QVERIFY(shows(values[1]));

    // The row stored elsewhere is edited: what was typed and not saved stays.
    if (list)
        click(page, "editButton");
    QWidget *edit = page->findChild<QWidget *>(input);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, values[0]);
    store(values[2]);
    showAgain();
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->property("text").toString(), values[0]);
    QVERIFY(!shows(values[2]));
}

WARSZTAT_TEST_MAIN(TestConfigurationWidget)
#include "tst_configurationwidget.moc"
