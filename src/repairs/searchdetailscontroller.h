#pragma once

#include <QPointer>
#include <QWidget>

#include "search/searchwidget.h"
#include "widgetbase.h"

class ClientWidget;
class HardwareWidget;
class QStackedWidget;
class RepairDetailsWidget;

// The page behind "Klienci", "Sprzęt" and "Rozliczenia": a search page of one
// register and the client, hardware and repair pages opened from it. At most
// one page of each kind lives at a time; back buttons lead from a repair page
// to the client or hardware page opened last, and from there to the search.
class SearchDetailsController : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    SearchDetailsController(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                            SearchWidget::SearchVariant variant);
    ~SearchDetailsController() override;

    SearchWidget *searchPage() const { return m_search; }
    QStackedWidget *stack() const { return m_stack; }
    ClientWidget *clientPage() const;
    HardwareWidget *hardwarePage() const;
    RepairDetailsWidget *repairPage() const;

signals:
    // Records were deleted, or a repair's status or progress changed.
    void dbItemsCountChanged();

private slots:
    void back();
    void showDetails(int id);
    void showClientDetails(int clientId);
    void showHardwareDetails(int hardwareId);
    void showBillsDetails(int clientId);
    void showRepairDetails(int repairId);

private:
    // True when the record chosen in the list could be read; otherwise says
    // that it (what: "wybranego klienta") may have been deleted at another
    // workstation and reads the list again.
    bool chosenReadable(bool readable, const QString &what);

    SearchWidget::SearchVariant m_variant;
    QStackedWidget *m_stack;
    SearchWidget *m_search;
    QPointer<ClientWidget> m_client;
    QPointer<HardwareWidget> m_hardware;
    QPointer<RepairDetailsWidget> m_repair;
    // The client or hardware page opened most recently.
    QPointer<QWidget> m_lastDetails;
};
