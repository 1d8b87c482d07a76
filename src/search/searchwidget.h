#pragma once

#include <QItemSelection>
#include <QSqlError>
#include <QWidget>

#include "ui_searchWidget.h"
#include "widgetbase.h"

class QKeyEvent;
class QSqlRelationalTableModel;
class QTimer;

// The search page: one result table over the record model of a register, a
// stack of filter pages (one per register), the buttons "Szukaj", "Wybierz"
// and "Usuń", a scan button and, optionally, the tool bar of a sub-search.
// Every list and picker of records is one of these; the page finds records
// and reports the chosen one through showSelectedById(int).
//
// The form's widgets are public members: other pages preset filter fields
// and then call search().
class SearchWidget : public QWidget, public WidgetBase, public Ui::searchWidget
{
    Q_OBJECT

public:
    enum SearchVariant {
        RepairsVariant = 0,
        ClientsVariant = 1,
        HardwareVariant = 2,
        BillsVariant = 3,
        TemplatesVariant = 4
    };
    Q_ENUM(SearchVariant)

    // subSearch shows the tool bar that switches to another register's
    // filter page. The page starts empty: nothing is searched until asked.
    SearchWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                 SearchWidget::SearchVariant variant, bool subSearch);
    ~SearchWidget() override;

    // The register of the page, fixed for its life.
    SearchVariant variant;
    // The record model of variant, always the one searchTable shows.
    QSqlRelationalTableModel *model;
    // The hidden model of a running sub-search; null when there is none.
    QSqlRelationalTableModel *subModel;
    // Repeats the current search every 300000 ms.
    QTimer *refreshTimer;
    // iId of the selected result row, -1 while no row is selected.
    int selectedId;
    // The register whose filter page is shown.
    SearchVariant subVariant;
    // True while the shown filter page belongs to another register.
    bool subSearchActive;

public slots:
    // Runs the filter of the shown filter page; during a sub-search runs it on
    // subModel and narrows model to the rows it found.
    void search();

signals:
    void showSelectedById(int id);
    void dbItemsCountChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    // Filter builders: each reads its own filter page and sets the filter of
    // the given model; search() selects it (searchfilters.cpp).
    void repairSearch(QSqlRelationalTableModel *model);
    void clientSearch(QSqlRelationalTableModel *model);
    void hardwareSearch(QSqlRelationalTableModel *model);
    void billSearch(QSqlRelationalTableModel *model);
    void templateSearch(QSqlRelationalTableModel *model);
    // Deletes the selected record with its dependents (searchdelete.cpp).
    void deleteSelected();
    void repairStatusToggled(bool on);
    void generalRepairStatusClicked(bool on);
    void idSelect(const QItemSelection &selected, const QItemSelection &deselected);
    void showSelected();
    void showBarcodeDialog();
    void readBarcode(const QStringList &parts);
    void changeSubVariant();
    void configureSize();
    // The shown model was re-selected: no row is selected any more.
    void selectionReset();
    // Before a header click sorts the list: a repairs filter takes the form
    // that serves the new order (see repairSearch()).
    void sortChanging(int section);

private:
    // Turns the rows of subModel into the filter of model and selects model
    // (searchsubsearch.cpp).
    void selectSearchModelFromSubSearchModel();
    // The condition on model that keeps the rows linked to the rows that the
    // filter of subModel chooses; "0" when the registers are not linked.
    QString subSearchFilter() const;
    // The condition of the clients filter page on the columns of the given
    // table name or alias.
    QString clientFilter(const QString &table) const;
    // The section the shown list is sorted by, -1 for none.
    int sortSection() const;
    // True when a list sorted by section is in the order of the ids.
    bool listedByKey(int section) const;

    // The forms of the last repairs filter: the intake dates and status
    // groups choosing the repairs by id, the same as conditions on the rows,
    // and those beside a sort by another column of the register.
    struct RepairFilters
    {
        QString byKey;
        QString onRows;
        QString besideSort;
    } repairFilters;
    // The form that serves a list sorted by section.
    QString repairFilterFor(int section) const;
    // The list could not be read whole: said once, when the page is shown
    // and the list has not been read again meanwhile (a hidden page's
    // refresh waits until staff see it).
    void listReadFailed();
    void sayReadError();
    bool readErrorUnseen = false;
    // True while the notice is open: no second one piles up on it.
    bool readErrorShown = false;
    // Why the last search could not read the repair statuses (invalid when
    // it could), and whether it filtered by status groups without them.
    QSqlError repairStatusesError;
    bool statusGroupsUnread = false;
    // A new record model of the given register, child of searchTable.
    QSqlRelationalTableModel *createModel(SearchVariant kind);

    // The combo boxes of the filter pages that take their entries from a
    // dictionary, as flags.
    enum DictionaryBox { RepairStatusBox = 1, HardwareTypeBox = 2, StoreStatusBox = 4, TechnicianBox = 8 };
    // The boxes on the filter pages staff can reach: the register's own and,
    // with the sub-search tool bar, those of the other registers.
    int reachableBoxes() const;
    // The boxes on the filter page of a register; their dictionaries are
    // what the register's list shows.
    static int boxesOf(SearchVariant kind);
    // Reads the given dictionaries (afresh, or only those not read yet on
    // this connection) and refills those of their boxes that staff can reach.
    void readDictionaries(int dictionaries, bool afresh = true);
    // Fills the given reachable boxes anew from the dictionaries as last
    // read, each keeping its chosen entry (found by its id; none when it is
    // gone, or when none was chosen) once it was filled before; a dictionary
    // that came back empty leaves its box as it was.
    void refillBoxes(int boxes);
    bool withSubSearch = false;
    int filledBoxes = 0;
};
