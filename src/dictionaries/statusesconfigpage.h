#pragma once

#include "records/recordmodel.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class DbWidget;
class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidgetItem;
class QWidget;
class StatusesTree;

// The behaviour that the repair and the hardware status configuration pages
// share: the tree of groups and statuses, the edit box, adding, editing,
// deleting and reordering. Each page gives it its form's widgets (looked up by
// name) and what differs between the twins.
class StatusesConfigPage : public QObject
{
    Q_OBJECT
public:
    // One status in display order, as the dictionary lists it.
    struct Entry
    {
        int id;       // iId
        int group;    // iGroup
        int order;    // iOrder
        QString description;
        QString color;
    };

    struct Twin
    {
        QString table;       // statusesconf / hwstatusesconf
        QString uses;        // "<table> WHERE <column> = %1": the records using status %1
        QStringList groupRows;
        QString addTitle;         // edit box title while adding
        QString editTitle;        // edit box title while editing
        QString addConfirmTitle;  // title of the question before an addition
        QString missingTitle;     // title of the box for a vanished status
        QString inUseTitle;
        QString inUseText;
        QString deleteTitle;
        QString deleteSentence;
        std::function<QString(int)> groupLabel;
        // Reloads the dictionary and returns its statuses in display order.
        std::function<QList<Entry>(DbWidget *)> load;
    };

    // Chooses a colour: (initial colour, parent, title); an invalid colour
    // when the choice was cancelled. Tests replace it; by default the
    // toolkit's own colour dialog.
    using ColorPicker = std::function<QColor(const QColor &, QWidget *, const QString &)>;
    static ColorPicker colorPicker;

    StatusesConfigPage(QWidget *page, DbWidget *db, Twin twin);

    // Twin::load of a status class: reads its dictionary again (the page
    // shows, and after a change leaves behind, what is stored now) and walks
    // its SortedStatuses.
    template <typename Config>
    static QList<Entry> dictionaryEntries(DbWidget *db)
    {
        Config::getStatuses(db, true);
        QList<Entry> entries;
        for (const auto &group : std::as_const(Config::SortedStatuses)) {
            for (const auto &s : group)
                entries << Entry{s.id, s.group, s.order, s.description, s.color};
        }
        return entries;
    }

    // Rebuilds the tree from the database.
    void load();
    // Whether the box of an addition or an edit is open.
    bool editOpen() const;
    // Moves the status of row id to position (0-based, counted in the
    // group as listed now) of group (1 to 3) and stores the new places of
    // the statuses of the groups concerned in one transaction. False when
    // the status is not listed or the write failed.
    bool moveStatus(int id, int group, int position);

    int selectedId = 0;
    QColor statusColor;
    // Set when staff picked statusColor; an edit keeps the stored text otherwise.
    bool colorPicked = false;
    QString mode;

public slots:
    void save();
    void selected();
    void preview();
    void statusAction();

private slots:
    void statusDropped(QTreeWidgetItem *item, int groupIndex, int row);

private:
    void addStatus();
    void editStatus();
    void chooseColor();
    int checkedGroup() const;
    RecordModel::Refusal saveEdit();
    // The box of a status that is no longer stored.
    void sayMissing() const;
    bool saveAdd();
    // False when the deletion was refused before its question; written is
    // set once the deletion was attempted and not refused.
    bool saveDelete(std::optional<bool> *written);
    // Shows why the selected status cannot be deleted (gone, in use, unknown)
    // and returns true; false, with its statusId set, when nothing stands in
    // the way.
    bool refuseDeletion(int *statusId);
    bool moveItem(QTreeWidgetItem *item, int groupIndex, int row);
    // First column of the first row as int: def when no row, ok false when
    // the statement failed.
    int readInt(const QString &sql, int def, bool *ok) const;

    QWidget *page;
    DbWidget *db;
    Twin twin;
    // The group, description and colour the edit box was opened with.
    QVariantList shown;

    StatusesTree *tree;
    QPushButton *addButton;
    QPushButton *editButton;
    QPushButton *deleteButton;
    QPushButton *saveButton;
    QAbstractButton *colorButton;
    QGroupBox *statusBox;
    QLineEdit *statusDescription;
    QRadioButton *groupButtons[3];
    QLabel *previewLabel;
};
