#pragma once

#include "formin.h"
#include "widgetbase.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QSqlRecord;
class SearchWidget;

namespace Ui {
class newRepairWidget;
}

// The intake of a repair: three pages in a fixed order (client, hardware,
// repair) with "Dalej" and "Wstecz" between them. A client, a device or a
// hardware template is either typed or picked on a search page that opens as
// an extra page of the intake's own stack. The client or the device can also
// be stored alone.
//
// Whatever the intake stores, it keeps as a picked record afterwards, so that
// saving again never inserts the same client or device twice.
class NewRepairWidget : public QWidget, public FormIn, public WidgetBase
{
    Q_OBJECT

public:
    NewRepairWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~NewRepairWidget() override;

    // Also drops the invalid marks of the combo boxes the intake checks.
    void resetFormStyles() override;

    // Id of the picked (or already stored) client; 0 while the client page
    // holds a new client typed by staff.
    int clientId = 0;
    // Id of the picked (or already stored) device; 0 while the hardware page
    // holds new hardware, typed or loaded from a template.
    int hardwareId = 0;

protected:
    // Looks the surname up each time its field is left.
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    // To be called each time the intake is brought to the front for a new
    // repair: dates the intake now and plans the end 14 days ahead.
    void opened();

signals:
    void repairAdded(int repairId);
    void hardwareAdded(int hardwareId);
    void clientAdded(int clientId);

private slots:
    bool validateClientPage();
    bool validateHardwarePage();
    bool validateRepairPage();
    void search();
    void selectClient(int id);
    void selectHardware(int id);
    void selectTemplate(int id);
    void cancelSearch();
    void switchPage();
    void changedHardwareType(const QString &type);
    void addRepair();
    void addHardware();
    void addClient();
    // Stores the hardware page as a new template; the new id, or -1.
    int addTemplate();
    void checkClient();

private:
    // Loads a stored client into the client page and locks the page. One
    // picked is left when it cannot be read (the user is told); one that
    // this page stored is held all the same, the fields as typed.
    void holdClient(int id, bool picked = false);
    // Loads a stored device into the hardware page and locks it, as above.
    void holdHardware(int id, bool picked = false);
    // Each input takes at most the length of its column.
    void limitInputs();
    // Back to a new client or new hardware: fields emptied and editable.
    void releaseClient();
    void releaseHardware();
    // Shows an intake page after a pick or "Powrót"; hides "Powrót".
    void showPickingPage(QWidget *page);
    // The widgets that tell the state of one side (client or hardware).
    struct Side;
    Side clientSide() const;
    Side hardwareSide() const;
    // editable: a new record (typed or from a template) rather than a stored
    // one; cancel: something was loaded that "Dodaj nowy..." can drop. The
    // name of what was loaded takes the place of %1 in a text on one line, cut
    // short, so that a long one does not widen the intake; the label's tool
    // tip shows the whole of it.
    static void showSide(const Side &side, const QString &title, const QString &text, bool editable,
                         bool cancel, const QString &name = QString());
    // Fills the hardware fields from a record of hardware or templates.
    void fillHardwareFields(const QSqlRecord &record);

    QStringList clientValues() const;
    QStringList hardwareValues(int ownerId) const;
    // The client of a save: the held one, or the typed one inserted now.
    int clientOfSave();
    // True when the template box is ticked and not hidden by a loader.
    bool templateWanted() const;
    // Marks box when it has no current entry; false then.
    bool checkChoice(QComboBox *box);
    // Inside a save's transaction: the held client and device, the type of
    // a new device and, with repairStatus, the repair status picked are
    // still there, kept from deletion until the save ends. False, with the
    // one gone named in gone, when one was deleted elsewhere; false with gone
    // empty when they cannot be read.
    bool heldRecordsExist(QString &gone, bool repairStatus);
    // Warns that nothing of a save was stored: because the held record gone
    // was deleted elsewhere (the lists of types and statuses are read again
    // then), or because the database refused it.
    void saveFailed(const QString &what, const QString &gone = QString());
    // Reads the hardware types and repair statuses again and refills their
    // boxes; an entry picked stays picked while it is still offered.
    void reloadChoices();

    Ui::newRepairWidget *ui;
    // The picker page opened last; it stays in the stack until the next one.
    QPointer<SearchWidget> pickerWidget;
};
