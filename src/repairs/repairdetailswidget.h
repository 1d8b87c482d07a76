#pragma once

#include "dictionaries/repairstatusesconfig.h"
#include "records/refusedsave.h"
#include "widgetbase.h"

#include <QVariant>
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
    // Reads the repair, its client, its device, its notes and the statuses
    // anew. What cannot be read is reported in an error dialog. A status or
    // progress picked and not yet set stays picked while the stored one is
    // the same.
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
    // False when the repair, its client, its device or the statuses cannot
    // be read.
    bool loadRepair();
    // False when the notes cannot be read.
    bool loadNotes();
    // Reads the page anew, showing what cannot be read in an error dialog.
    void readPage();
    // What a reading of the page does with a status or progress picked and
    // not yet set: replaces it by the stored one, keeps it while the stored
    // one is the same, or keeps it. A status no longer offered drops out.
    enum class Picks { Dropped, WhileStoredSame, Kept };
    void reload(Picks keep);
    // After a save that found field changed on another workstation and
    // wrote nothing: says so and shows what is stored.
    void refuseChangedElsewhere(const QString &field);
    // Runs a save of this repair in one transaction with its row and the
    // records of also locked; false, the user told why, when one of them was
    // deleted on another workstation (copied to *gone when given) or the
    // save failed.
    bool saveRepair(const std::function<bool()> &work, const QList<HeldRecord> &also = {},
                    HeldRecord *gone = nullptr);

    Ui::repairDetailsWidget *ui;
    int m_repairId;
    int m_clientId = -1;
    int m_hardwareId = -1;
    // Whether the repair was read; its stored status (any number, also one
    // that names no status) when it was.
    bool m_found = false;
    int m_status = -1;
    // The status and progress as stored when the page read them.
    QVariant m_storedStatus;
    QVariant m_storedProgress;
    // The statuses the status box offers, as read when it was filled.
    QMap<int, RepairStatusesConfig::RepairStatus> m_offered;
};
