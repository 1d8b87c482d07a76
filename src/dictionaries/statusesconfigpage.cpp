#include "dictionaries/statusesconfigpage.h"

#include "db/dbwidget.h"
#include "db/dbtransaction.h"
#include "dictionaries/statusestree.h"
#include "messagebox.h"
#include "plaintext.h"
#include "records/recordmodel.h"
#include "records/refusedsave.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QToolButton>

namespace {

// Item data of a status row besides its iId (Qt::UserRole): the group and
// order it is stored with.
constexpr int GroupRole = Qt::UserRole + 1;
constexpr int OrderRole = Qt::UserRole + 2;
constexpr int RowHeight = 40;

QColor pickColor(const QColor &initial, QWidget *parent, const QString &title)
{
    return QColorDialog::getColor(initial, parent, title, QColorDialog::DontUseNativeDialog);
}

} // namespace

StatusesConfigPage::ColorPicker StatusesConfigPage::colorPicker = pickColor;

StatusesConfigPage::StatusesConfigPage(QWidget *page, DbWidget *db, Twin twin)
    : QObject(page), page(page), db(db), twin(std::move(twin))
{
    tree = page->findChild<StatusesTree *>(QStringLiteral("statusesTable"));
    addButton = page->findChild<QPushButton *>(QStringLiteral("addButton"));
    editButton = page->findChild<QPushButton *>(QStringLiteral("editButton"));
    deleteButton = page->findChild<QPushButton *>(QStringLiteral("deleteButton"));
    saveButton = page->findChild<QPushButton *>(QStringLiteral("saveButton"));
    colorButton = page->findChild<QToolButton *>(QStringLiteral("colorButton"));
    statusBox = page->findChild<QGroupBox *>(QStringLiteral("statusBox"));
    statusDescription = page->findChild<QLineEdit *>(QStringLiteral("statusDescription"));
    for (int i = 0; i < 3; ++i)
        groupButtons[i] = page->findChild<QRadioButton *>(QStringLiteral("statusGroup%1").arg(i + 1));
    previewLabel = page->findChild<QLabel *>(QStringLiteral("previewLabel"));

    if (QLabel *dbLabel = page->findChild<QLabel *>(QStringLiteral("dbLabel")); dbLabel && db)
        PlainText::show(dbLabel, dbLabel->text().replace(QLatin1String("_DB_"), db->description));
    statusBox->hide();

    connect(tree, &QTreeWidget::itemSelectionChanged, this, &StatusesConfigPage::selected);
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (item && item->parent())
            editStatus();
    });
    connect(tree, &StatusesTree::statusDropped, this, &StatusesConfigPage::statusDropped);
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(addButton),
                               static_cast<QAbstractButton *>(editButton),
                               static_cast<QAbstractButton *>(deleteButton), colorButton})
        connect(b, &QAbstractButton::clicked, this, &StatusesConfigPage::statusAction);
    connect(saveButton, &QPushButton::clicked, this, &StatusesConfigPage::save);
    connect(statusDescription, &QLineEdit::textEdited, this, &StatusesConfigPage::preview);
    for (QRadioButton *b : groupButtons)
        connect(b, &QRadioButton::toggled, this, &StatusesConfigPage::preview);
}

void StatusesConfigPage::load()
{
    tree->clear();
    tree->setColumnCount(1);
    tree->invisibleRootItem()->setFlags(Qt::ItemIsEnabled);

    QTreeWidgetItem *groups[3];
    for (int i = 0; i < 3; ++i) {
        groups[i] = new QTreeWidgetItem(tree, QStringList(twin.groupRows.value(i)));
        groups[i]->setFlags(Qt::ItemIsEnabled | Qt::ItemIsDropEnabled);
        groups[i]->setSizeHint(0, QSize(0, RowHeight));
    }
    const QList<Entry> entries = twin.load(db);
    for (const Entry &e : entries) {
        if (e.group < 1 || e.group > 3)
            continue;
        auto *item = new QTreeWidgetItem(groups[e.group - 1], QStringList(e.description));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
        item->setBackground(0, RecordModel::statusBrush(e.color));
        item->setData(0, Qt::UserRole, e.id);
        item->setData(0, GroupRole, e.group);
        item->setData(0, OrderRole, e.order);
        item->setSizeHint(0, QSize(0, RowHeight));
    }
    tree->expandAll();
    selectedId = 0;
    statusColor = QColor();
}

bool StatusesConfigPage::editOpen() const
{
    return !statusBox->isHidden();
}

void StatusesConfigPage::selected()
{
    const QList<QTreeWidgetItem *> items = tree->selectedItems();
    QTreeWidgetItem *item = items.isEmpty() ? nullptr : items.first();
    if (!item || !item->parent()) {
        editButton->setEnabled(false);
        deleteButton->setEnabled(false);
        selectedId = 0;
        mode.clear();
    } else {
        selectedId = item->data(0, Qt::UserRole).toInt();
        editButton->setEnabled(true);
        deleteButton->setEnabled(true);
    }
    statusBox->hide();
}

void StatusesConfigPage::statusAction()
{
    QObject *s = sender();
    if (s == addButton) {
        addStatus();
    } else if (s == editButton) {
        editStatus();
    } else if (s == deleteButton) {
        saveDeletion(&mode, statusBox, [this] { save(); });
    } else if (s == colorButton) {
        chooseColor();
    }
}

void StatusesConfigPage::addStatus()
{
    statusBox->setTitle(twin.addTitle);
    statusDescription->clear();
    groupButtons[0]->setChecked(true);
    statusColor = QColor(Qt::white);
    preview();
    mode = QStringLiteral("add");
    statusBox->show();
}

void StatusesConfigPage::editStatus()
{
    if (selectedId <= 0)
        return;
    QSqlQuery q = db->query(
        QStringLiteral("SELECT iGroup, sDescription, sColor, iOrder FROM %1 WHERE iId = %2")
            .arg(twin.table)
            .arg(selectedId));
    if (!q.next())
        return;
    shown = {q.value(0), q.value(1), q.value(2)};
    statusBox->setTitle(twin.editTitle);
    statusDescription->setText(q.value(1).toString());
    const int group = q.value(0).toInt();
    if (group >= 1 && group <= 3)
        groupButtons[group - 1]->setChecked(true);
    statusColor = RecordModel::statusBrush(q.value(2).toString()).color();
    colorPicked = false;
    preview();
    mode = QStringLiteral("edit");
    statusBox->show();
}

void StatusesConfigPage::chooseColor()
{
    // An edit starts from the status's colour, an addition from white.
    const QColor initial = mode == QLatin1String("edit") && statusColor.isValid()
        ? statusColor
        : QColor(Qt::white);
    QColor chosen = colorPicker(initial, page, tr("Wybierz kolor statusu"));
    if (!chosen.isValid())
        return; // cancelled: the status keeps its colour
    if (chosen.name() == QLatin1String("#000000"))
        chosen = QColor(Qt::white);
    statusColor = chosen;
    colorPicked = true;
    preview();
}

int StatusesConfigPage::checkedGroup() const
{
    for (int i = 0; i < 3; ++i) {
        if (groupButtons[i]->isChecked())
            return i + 1;
    }
    return 0;
}

void StatusesConfigPage::preview()
{
    previewLabel->setStyleSheet(
        QStringLiteral("border: 0px; border-radius: 20px; padding: 0 8px; background: %1;")
            .arg(statusColor.name()));
    PlainText::show(previewLabel, twin.groupLabel(checkedGroup()) + QLatin1Char(' ')
                                      + statusDescription->text().trimmed());
}

int StatusesConfigPage::readInt(const QString &sql, int def, bool *ok) const
{
    QSqlQuery q = db->query(sql);
    *ok = q.isActive();
    if (!*ok)
        return def;
    return q.next() ? q.value(0).toInt() : def;
}

void StatusesConfigPage::save()
{
    // Unset while nothing was written: a question answered with Cancel.
    std::optional<bool> written;
    if (mode == QLatin1String("edit")) {
        // Deleted or changed at another workstation: said, and the box
        // closes on the list as it is now.
        if (MessageBox::confirmSave(tr("Edycja statusu")))
            written = saveEntryEdit(db, [this] { return saveEdit(); }, [this] { sayMissing(); },
                                    tr("Status został zmieniony na innym stanowisku."));
    } else if (mode == QLatin1String("add")) {
        if (MessageBox::confirmSave(twin.addConfirmTitle))
            written = runInTransaction(db, [this] { return saveAdd(); });
    } else if (mode == QLatin1String("delete")) {
        if (!saveDelete(&written))
            return;
    }
    if (!closesAfterEntrySave(db, written, mode == QLatin1String("delete")))
        return;
    statusBox->hide();
    load();
}

void StatusesConfigPage::sayMissing() const
{
    MessageBox::critical(twin.missingTitle, tr("Status o tym numerze nie istnieje w bazie danych."));
}

RecordModel::Refusal StatusesConfigPage::saveEdit()
{
    using Refusal = RecordModel::Refusal;
    QSqlQuery current = db->query(
        QStringLiteral("SELECT iGroup, iOrder FROM %1 WHERE iId = %2").arg(twin.table).arg(selectedId));
    if (!current.isActive())
        return Refusal::Failed;
    if (!current.next())
        return Refusal::Deleted;
    const int storedGroup = current.value(0).toInt();
    const QVariant storedOrder = current.value(1);
    int order = storedOrder.toInt();
    int group = checkedGroup();
    if (group == 0)
        group = storedGroup;
    if (group != storedGroup) {
        // Last in the new group, so that no two statuses share a place.
        bool ok = false;
        order = readInt(QStringLiteral("SELECT MAX(iOrder) FROM %1 WHERE iGroup = %2")
                            .arg(twin.table)
                            .arg(group),
                        0, &ok)
            + 1;
        if (!ok)
            return Refusal::Failed;
    }
    current.finish();
    // Written only over what the box was opened with, so that a later save
    // does not silently undo another workstation's.
    QList<int> elsewhere;
    QSqlError error;
    return RecordModel::writeUnchanged(db, twin.table, selectedId,
                                       {{QStringLiteral("iGroup"), shown.value(0), group},
                                        {QStringLiteral("sDescription"), shown.value(1),
                                         statusDescription->text().trimmed()},
                                        {QStringLiteral("sColor"), shown.value(2),
                                         colorPicked ? QVariant(statusColor.name()) : shown.value(2)},
                                        {QStringLiteral("iOrder"), storedOrder, order}},
                                       &elsewhere, &error);
}

bool StatusesConfigPage::saveAdd()
{
    bool ok = false;
    // A failed read must not lead to a status id that is already taken. On
    // MySQL the read is locked until the commit, so that another workstation
    // adding at the same time waits and then reads the number taken here.
    const int statusId =
        readInt(QStringLiteral("SELECT iStatusId FROM %1 ORDER BY iStatusId DESC%2")
                    .arg(twin.table, db->dbType == DbWidget::MySQL ? QStringLiteral(" FOR UPDATE")
                                                                   : QString()),
                49, &ok)
        + 1;
    if (!ok)
        return false;
    const int order =
        readInt(QStringLiteral("SELECT iOrder FROM %1 ORDER BY iOrder DESC").arg(twin.table), 0, &ok)
        + 1;
    if (!ok)
        return false;
    QSqlQuery q(db->database());
    q.prepare(QStringLiteral("INSERT INTO %1 (iStatusId, iGroup, sDescription, sColor, iOrder) "
                             "VALUES(:iStatusId, :iGroup, :sDescription, :sColor, :iOrder)")
                  .arg(twin.table));
    q.bindValue(QStringLiteral(":iStatusId"), statusId);
    q.bindValue(QStringLiteral(":iGroup"), checkedGroup());
    q.bindValue(QStringLiteral(":sDescription"), statusDescription->text().trimmed());
    q.bindValue(QStringLiteral(":sColor"), statusColor.name());
    q.bindValue(QStringLiteral(":iOrder"), order);
    return db->exec(q);
}

bool StatusesConfigPage::refuseDeletion(int *statusId)
{
    QSqlQuery row = db->query(
        QStringLiteral("SELECT iStatusId FROM %1 WHERE iId = %2").arg(twin.table).arg(selectedId));
    if (!row.isActive()) {
        MessageBox::saveFailed();
        return true;
    }
    *statusId = row.next() ? row.value(0).toInt() : -1;
    // Done with the read before any box: an open statement would hold a
    // shared SQLite file against every other workstation's writes.
    row.finish();
    if (*statusId == -1) {
        sayMissing();
        return true;
    }
    bool ok = false;
    const int uses =
        readInt(QStringLiteral("SELECT COUNT(iId) FROM %1").arg(twin.uses.arg(*statusId)), -1, &ok);
    if (!ok || uses < 0) {
        // Whether anything uses the status is unknown: refuse.
        MessageBox::saveFailed();
        return true;
    }
    if (uses > 0) {
        MessageBox::information(twin.inUseTitle, twin.inUseText);
        return true;
    }
    return false;
}

bool StatusesConfigPage::saveDelete(std::optional<bool> *written)
{
    int statusId = 0;
    if (refuseDeletion(&statusId))
        return false;
    if (!MessageBox::confirm(twin.deleteTitle, twin.deleteSentence + QLatin1Char(' ')
                                                   + tr("Czy chcesz kontynuować ?")))
        return true;
    bool notDeleted = false;
    *written = runInTransaction(db, [&] {
        // Only while still unused: another workstation may have taken the
        // status into use while the question was open.
        const QSqlQuery q = db->query(
            QStringLiteral("DELETE FROM %1 WHERE iId = %2 AND NOT EXISTS (SELECT 1 FROM %3)")
                .arg(twin.table)
                .arg(selectedId)
                .arg(twin.uses.arg(statusId)));
        notDeleted = q.isActive() && q.numRowsAffected() == 0;
        return q.isActive() && !notDeleted;
    });
    if (notDeleted && refuseDeletion(&statusId))
        written->reset();
    else if (*written == false && db->deletionCommitted(twin.table, selectedId))
        *written = true;
    return true;
}

bool StatusesConfigPage::moveStatus(int id, int group, int position)
{
    for (int g = 0; g < tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem *groupItem = tree->topLevelItem(g);
        for (int i = 0; i < groupItem->childCount(); ++i) {
            if (groupItem->child(i)->data(0, Qt::UserRole).toInt() == id)
                return moveItem(groupItem->child(i), group - 1, position);
        }
    }
    return false;
}

void StatusesConfigPage::statusDropped(QTreeWidgetItem *item, int groupIndex, int row)
{
    moveItem(item, groupIndex, row);
}

bool StatusesConfigPage::moveItem(QTreeWidgetItem *item, int groupIndex, int row)
{
    QTreeWidgetItem *from = item ? item->parent() : nullptr;
    if (!from || groupIndex < 0 || groupIndex >= tree->topLevelItemCount())
        return false;
    QTreeWidgetItem *to = tree->topLevelItem(groupIndex);
    const int fromIndex = from->indexOfChild(item);
    row = qBound(0, row, to->childCount());
    if (from == to && row > fromIndex)
        --row; // counted with the moved status still in its place
    if (from == to && row == fromIndex)
        return true;

    // The groups concerned as they will be listed.
    struct Group
    {
        int number;
        QList<QTreeWidgetItem *> items;
    };
    QList<Group> concerned;
    for (QTreeWidgetItem *g : {from, to}) {
        if (!concerned.isEmpty() && g == from)
            continue;
        Group group{tree->indexOfTopLevelItem(g) + 1, {}};
        for (int i = 0; i < g->childCount(); ++i) {
            if (g->child(i) != item)
                group.items << g->child(i);
        }
        concerned << group;
    }
    concerned.last().items.insert(row, item);

    // Write every status of these groups whose stored place differs from the
    // listed one, all or nothing.
    bool changedElsewhere = false;
    const bool ok = runInTransaction(db, [&] {
        // The statuses are written in the order of the list.
        if (!holdTable(db, twin.table))
            return false;
        for (const Group &group : std::as_const(concerned)) {
            for (int i = 0; i < group.items.size(); ++i) {
                QTreeWidgetItem *it = group.items.at(i);
                if (it->data(0, GroupRole).toInt() == group.number
                    && it->data(0, OrderRole).toInt() == i + 1)
                    continue;
                // Only from the place the tree was loaded with: a status
                // moved at another workstation since is not put back.
                const QString update =
                    QStringLiteral("UPDATE %1 SET iGroup = %2, iOrder = %3 "
                                   "WHERE iId = %4 AND iGroup = %5 AND %6")
                        .arg(twin.table)
                        .arg(group.number)
                        .arg(i + 1)
                        .arg(it->data(0, Qt::UserRole).toInt())
                        .arg(it->data(0, GroupRole).toInt())
                        .arg(RecordModel::readsAs(db, QStringLiteral("iOrder"), it->data(0, OrderRole).toInt()));
                const QSqlQuery q = db->query(update);
                if (!q.isActive())
                    return false;
                if (q.numRowsAffected() == 0) {
                    changedElsewhere = true;
                    return false;
                }
            }
        }
        return true;
    });
    if (changedElsewhere)
        MessageBox::warning(tr("Zmiany na innym stanowisku"),
                            tr("Statusy zostały zmienione na innym stanowisku. Przeniesienie nie "
                               "zostało zapisane, a lista została wczytana ponownie."));
    else if (!ok)
        MessageBox::saveFailed();
    load();
    return ok;
}
