// WARSZTAT_TEST_NO_DATABASE
#include "testmain.h"

#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include "search/searchheaderview.h"

class TestSearchHeaderView : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QSettings *store = nullptr;

    // A result table of the given width in columns, with a header that keeps
    // its layout under the given variant.
    struct Table
    {
        QStandardItemModel model;
        QTableView view;
        SearchHeaderView *header;
        Table(QSettings *store, int variant, int columns) : model(3, columns)
        {
            view.setSortingEnabled(true);
            view.setModel(&model);
            header = new SearchHeaderView(&view, store, variant);
            view.setHorizontalHeader(header);
            header->setStretchLastSection(true);
        }
    };

private slots:
    void init()
    {
        delete store;
        store = new QSettings(dir.filePath(QStringLiteral("native.ini")), QSettings::IniFormat);
        store->clear();
    }
    void cleanupTestCase() { delete store; }

    void defaultLayout()
    {
        Table t(store, 1, 4);
        QCOMPARE(t.header->orientation(), Qt::Horizontal);
        QVERIFY(t.header->sectionsClickable());
        QVERIFY(t.header->sectionsMovable());
        QVERIFY(t.header->isSortIndicatorShown());
        QVERIFY(!t.header->highlightSections());
        QCOMPARE(t.header->defaultSectionSize(), 140);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(t.header->visualIndex(i), i);
        QCOMPARE(t.header->sectionSize(0), 140);
        QVERIFY(!store->contains(QStringLiteral("gui/stslayout_1")));
    }

    void layoutKeptPerVariant()
    {
        {
            Table clients(store, 1, 4);
            clients.header->moveSection(0, 2);
            clients.header->resizeSection(1, 77);
        }
        const QString text = store->value(QStringLiteral("gui/stslayout_1")).toString();
        QVERIFY(!text.isEmpty());
        QCOMPARE(text, text.toLower());
        QVERIFY(QByteArray::fromHex(text.toLatin1()).size() * 2 == text.size());

        Table again(store, 1, 4);
        QCOMPARE(again.header->visualIndex(0), 2);
        QCOMPARE(again.header->sectionSize(1), 77);

        Table repairs(store, 0, 4);
        QCOMPARE(repairs.header->visualIndex(0), 0);
        QCOMPARE(repairs.header->sectionSize(1), 140);
    }

    void sortIndicatorKept()
    {
        {
            Table t(store, 3, 5);
            t.header->setSortIndicator(2, Qt::DescendingOrder);
        }
        Table t(store, 3, 5);
        QCOMPARE(t.header->sortIndicatorSection(), 2);
        QCOMPARE(t.header->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void layoutOfOtherColumnCountIgnored()
    {
        {
            Table hardware(store, 2, 6);
            hardware.header->moveSection(0, 4);
            hardware.header->hideSection(1);
        }
        // The shop configured fewer generic fields since.
        Table fewer(store, 2, 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(fewer.header->visualIndex(i), i);
            QVERIFY(!fewer.header->isSectionHidden(i));
        }
        // ... or more.
        Table more(store, 2, 7);
        QCOMPARE(more.header->visualIndex(0), 0);
        QVERIFY(!more.header->isSectionHidden(1));
        // The next change writes the current layout, with its columns.
        more.header->moveSection(6, 0);
        QStringList columns;
        QByteArray state;
        QVERIFY(SearchHeaderView::readLayout(QByteArray::fromHex(store->value(QStringLiteral(
                                                 "gui/stslayout_2")).toString().toLatin1()),
                                             &columns, &state));
        QCOMPARE(SearchHeaderView::sectionCountOfState(state), 7);
    }

    void layoutWithoutColumnsAppliedWhenCountMatches()
    {
        // As kept before the column titles were stored with the layout.
        QStandardItemModel m(1, 4);
        QHeaderView earlier(Qt::Horizontal);
        earlier.setModel(&m);
        earlier.moveSection(0, 3);
        store->setValue(QStringLiteral("gui/stslayout_1"), QString::fromLatin1(earlier.saveState().toHex()));
        QCOMPARE(Table(store, 1, 5).header->visualIndex(0), 0);
        QCOMPARE(Table(store, 1, 4).header->visualIndex(0), 3);
    }

    void unreadableValuesIgnored()
    {
        store->setValue(QStringLiteral("gui/stslayout_4"), QString());
        Table empty(store, 4, 3);
        QCOMPARE(empty.header->visualIndex(0), 0);

        store->setValue(QStringLiteral("gui/stslayout_4"), QStringLiteral("00ff12zz"));
        Table junk(store, 4, 3);
        QCOMPARE(junk.header->visualIndex(0), 0);
        QCOMPARE(junk.header->sectionSize(0), 140);

        QCOMPARE(SearchHeaderView::sectionCountOfState(QByteArray()), -1);
        QCOMPARE(SearchHeaderView::sectionCountOfState(QByteArray("\x00\x00\x00\xff", 4)), -1);
        QHeaderView plain(Qt::Horizontal);
        QStandardItemModel m(1, 9);
        plain.setModel(&m);
        plain.moveSection(3, 1);
        QCOMPARE(SearchHeaderView::sectionCountOfState(plain.saveState()), 9);
    }

    void layoutMadeElsewhereKeepsColumnsInSight()
    {
        // Hidden and zero-width columns, a sort order of 2: not made by this page.
        QStandardItemModel m(1, 3);
        QHeaderView elsewhere(Qt::Horizontal);
        elsewhere.setModel(&m);
        elsewhere.resizeSection(0, 90);
        elsewhere.resizeSection(1, 0);
        elsewhere.hideSection(0);
        elsewhere.setSortIndicator(1, Qt::SortOrder(2));
        store->setValue(QStringLiteral("gui/stslayout_2"),
                        QString::fromLatin1(SearchHeaderView::layoutOf({"1", "2", "3"}, elsewhere.saveState()).toHex()));
        Table t(store, 2, 3);
        QCOMPARE(t.header->sectionSize(0), 90);
        QCOMPARE(t.header->sectionSize(1), 140);
        QCOMPARE(t.header->sortIndicatorOrder(), Qt::AscendingOrder);
    }

    void handWrittenAccountKept()
    {
        store->sync();
        QFile file(store->fileName());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[email]\npassword=Tajne;2024\n");
        file.close();
        Table(store, 1, 3).header->moveSection(0, 2);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[email]\npassword=Tajne;2024\n"));
    }

    void withoutStoreNothingHappens()
    {
        Table t(nullptr, 0, 3);
        t.header->moveSection(0, 2);
        QCOMPARE(t.header->visualIndex(0), 2);
    }
};

WARSZTAT_TEST_MAIN(TestSearchHeaderView)
#include "tst_searchheaderview.moc"
