#pragma once

#include "dictionaries/hardwarestatusesconfig.h"
#include "widgetbase.h"

#include <QDate>
#include <QWidget>
#include <memory>

class Client;
class Hardware;
class QDataWidgetMapper;
class QPrinter;
class QSettings;
class QTextDocument;
class SearchWidget;

namespace Ui {
class hardwareWidget;
}

// The page of one hardware record: its data with the configurable fields,
// the store status and the owner (view and edit modes), the hardware's
// repairs, and a sheet of barcode labels to print or save as PDF.
class HardwareWidget : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    // fromSearch shows the back button.
    HardwareWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                   int hardwareId, bool fromSearch);
    ~HardwareWidget() override;

    // Fills the page from the stored row. Without full only the row and the
    // mapped fields are read again. False, with the user told, when the row
    // could not be read or is missing.
    bool loadData(bool full);
    // The owner as stored now: its number, name and the label's line.
    void showOwner();
    // The given owner (0: none) in the labels and the owner editor.
    void showOwnerOf(int owner);

    // The hardware label code: "*0I" + hardware id + "I" + owner id + "I*".
    static QString labelCode(int hardwareId, int ownerId);
    // The sheet shown as it prints on printer: laid out for the printable
    // area of its page, each barcode on one line.
    static std::unique_ptr<QTextDocument> printedSheet(const QTextDocument *shown, QPrinter *printer);

    // The shown row, fixed at construction.
    const int hardwareId;
    // The owner's client id as the last full load read it: 0 without owner,
    // -1 when the row cannot be read.
    int ownerId = -1;

signals:
    void backToSearch();
    void showRepairDetails(int repairId);
    void showClientDetails(int clientId);
    void dbItemsCountChanged();

private slots:
    void setEditable(bool editable);
    void changePage();
    void saveChanges();
    void editOwner();
    void composeDocument();
    void printDocument();
    void comboBoxIndex(int index);

private:
    QSettings *store() const;
    bool mayEdit() const;
    void closeOwnerEditor();
    // Writes the typed row into the model and the database; false when the
    // database refused it. *told is set when the user was told why already.
    bool writeRow(bool *told);
    // Fills the type and status boxes from their dictionaries as stored now,
    // keeping the entries chosen where they are still there.
    void refillChoices();
    // Reads the row again as stored, the typed values kept on the form.
    void rereadKeepingTyped();
    // Asks for and stores the owner change to client; false when the database
    // refused it.
    bool changeOwner(const QString &client);
    void noSuchClient();
    // Prints the sheet of printoutEdit on the printer as it is set up.
    void printSheet(QPrinter *printer);

    // The page read its row once already.
    bool loadedOnce = false;
    Ui::hardwareWidget *ui;
    Hardware *hardwareModel;
    Client *ownerModel;
    QDataWidgetMapper *mapper;
    SearchWidget *repairsPage;
    // The field date as the last full load showed it.
    QDate loadedFieldDate;
    // The statuses the status box offers, as read when it was filled.
    QMap<int, HardwareStatusesConfig::HardwareStatus> offeredStatuses;
};
