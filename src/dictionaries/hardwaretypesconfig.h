#pragma once

#include "records/recordmodel.h"
#include "widgetbase.h"

#include <QMap>
#include <QString>
#include <QWidget>
#include <optional>

class QComboBox;

namespace Ui {
class hardwareTypesConfig;
}

// The hardware types (table typesconf). The class is the configuration page
// of the types and, through its static members, the process-wide dictionary
// of the visible types.
class HardwareTypesConfig : public QWidget, public WidgetBase
{
    Q_OBJECT
public:
    HardwareTypesConfig(QWidget *parent, DbWidget *db, UserWidget *user, Settings *settings);
    ~HardwareTypesConfig() override;

    // iTypeId -> sDescription of the visible types of the last load.
    static QMap<int, QString> Types;
    // 0-based display position -> iTypeId, in ascending iOrder.
    static QMap<int, int> Order;

    // Refills both maps with the visible types once per connection, or
    // again with reread; a failed read leaves them empty.
    static void getTypes(DbWidget *db, bool reread = false);
    // Reads the types afresh (a page opened shows what other workstations
    // changed meanwhile) and fills the combo box as fillComboBox() does.
    static void setupComboBox(DbWidget *db, QComboBox *combo);
    // Inserts one item per type of the last load at its display position
    // (text the name, data the type id); the combo box is not cleared first.
    static void fillComboBox(QComboBox *combo);

    // The name of a type, empty when it is not listed; never adds to the map.
    static QString typeName(int typeId);

    // Fills the table with every type, hidden ones included.
    void load();
    // Keeps the positions of the other types in step after the row id got
    // the position newOrder (-1: the row was deleted) in place of oldOrder.
    // True when every statement succeeded.
    bool reorderTypes(int newOrder, int oldOrder, int id, bool inserted);

public slots:
    void selected();
    void typeAction();
    void save();

protected:
    // The page reloads when it is shown, unless only the window was restored
    // or the box of an addition or an edit is open.
    void showEvent(QShowEvent *event) override;

private:
    void setupPage();
    RecordModel::Refusal saveEdit();
    bool saveAdd();
    // False when the deletion was refused before its question; written is
    // set once the deletion was attempted and not refused.
    bool saveDelete(std::optional<bool> *written);
    // Shows why the selected type cannot be deleted (gone, in use, unknown)
    // and returns true; false, with its typeId set, when nothing stands in
    // the way.
    bool refuseDeletion(int *typeId);
    // The box of a type that is no longer stored.
    static void sayMissing();
    // The stored position of row id: lastOrder + 10 when the row is gone;
    // false when it cannot be read.
    bool storedOrder(int id, int *order);

    Ui::hardwareTypesConfig *ui = nullptr;
    int selectedId = 0; // iId of the chosen row, 0 when none
    int lastOrder = 0;  // iOrder of the last row listed
    QString action;     // "add", "edit", "delete" or empty
    QVariantList shown; // name, position and visibility the edit box was opened with
};
