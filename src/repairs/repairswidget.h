#pragma once

#include "widgetbase.h"

#include <QPointer>
#include <QWidget>

class NewRepairWidget;
class QListWidgetItem;
class RepairDetailsWidget;
class SearchWidget;

namespace Ui {
class repairsWidget;
}

// The repairs start page: counters of open and waiting repairs, the quick
// search by repair number or scanned repair card, the preset searches, the
// latest notes, and one stack that hosts the intake, a repairs search page
// and at most one repair page, one client page and one hardware page.
class RepairsWidget : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    RepairsWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~RepairsWidget() override;

    // The repair id that a quick-search text names: the repair of a scanned
    // repair card, the id before "/" of a display number, or a whole number;
    // -1 when the text names none.
    static int repairIdFromText(const QString &text);
    // The latest notes from the cutoff (seconds since 1970) on, newest first.
    static QString lastNotesStatement(qint64 cutoff);

Q_SIGNALS:
    // Relays what changes the header counters: a repair added, a repair's
    // status or progress changed, rows deleted in the search list.
    void repairsStatusChanged();

private Q_SLOTS:
    void showNewRepairWidget();
    void showRepairDetailsWidget(int repairId);
    void showRepairSearch();
    void quickSearchById();
    void quickSearchReset();
    void showClientById(int clientId);
    void showHardwareById(int hardwareId);
    void loadLastNotes(int days);
    void lastNotesRepairShortcut(QListWidgetItem *item);
    void backFromDetails();

private:
    // The intake page; one for the life of this page, built on first use.
    NewRepairWidget *createNewRepairPage();
    // The list of repairs, built on first use.
    SearchWidget *repairsList();
    // The client and hardware pages of the given id; fromSearch shows their
    // back button.
    QWidget *createClientPage(int clientId, bool fromSearch);
    QWidget *createHardwarePage(int hardwareId, bool fromSearch);
    void loadCounters();

    Ui::repairsWidget *ui;
    NewRepairWidget *newRepairPage = nullptr;
    SearchWidget *searchPage = nullptr;
    QPointer<QWidget> repairPage;
    QPointer<QWidget> clientPage;
    QPointer<QWidget> hardwarePage;
};
