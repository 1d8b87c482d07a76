#pragma once

#include "widgetbase.h"

#include <QWidget>
#include <functional>

namespace Ui {
class repairDetailsWidget;
}

// The page of one repair: its data, client and device, the status change
// with its automatic note, and the notes panel where staff write notes and
// set the progress. It deletes itself when closed and never closes itself.
class RepairDetailsWidget : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    // backEnabled shows the back button, whose click emits backToSearch().
    RepairDetailsWidget(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings,
                        int repairId, bool backEnabled);
    ~RepairDetailsWidget() override;

    int repairId() const { return m_repairId; }

    // The statements the page reads the name of the repair's client and
    // device with, and the repair's notes, newest first.
    static QString clientNameStatement(int clientId);
    static QString deviceNameStatement(int hardwareId);
    static QString notesStatement(int repairId);

public Q_SLOTS:
    // Reads the repair, its client, its device and its notes anew. A record
    // that cannot be read is reported in an error dialog.
    void load();

Q_SIGNALS:
    void showClient(int clientId);
    void showHardware(int hardwareId);
    void backToSearch();
    // A status change was saved or the progress was set.
    void repairStatusChanged();

private Q_SLOTS:
    void changeStatus();
    void addNote();
    void setProgress();
    void updateButtons();

private:
    // False when the repair, its client or its device cannot be read.
    bool loadRepair();
    void loadNotes();
    // Runs a save of this repair in one transaction with its row locked;
    // false, the user told why, when the repair was deleted on another
    // workstation or the save failed.
    bool saveRepair(const std::function<bool()> &work);

    Ui::repairDetailsWidget *ui;
    int m_repairId;
    int m_clientId = -1;
    int m_hardwareId = -1;
    int m_status = -1; // stored status, -1 while the repair is unreadable
};
