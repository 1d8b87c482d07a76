// The configuration page of the hardware types.
#include "dictionaries/hardwaretypesconfig.h"
#include "ui_hardwareTypesConfig.h"

#include "db/dbwidget.h"
#include "db/dbtransaction.h"
#include "messagebox.h"
#include "plaintext.h"
#include "records/recordmodel.h"
#include "records/refusedsave.h"
#include "reloadonshow.h"
#include "topframewidget.h"

#include <QHash>
#include <QHeaderView>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidgetItem>

namespace {

enum Column { NameColumn, OrderColumn, VisibleColumn, UsesColumn, IdColumn, TypeIdColumn };

bool execute(DbWidget *db, const QString &sql)
{
    return db->query(sql).isActive();
}

} // namespace

void HardwareTypesConfig::setupPage()
{
    ui = new Ui::hardwareTypesConfig;
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    if (db)
        PlainText::show(ui->dbLabel, ui->dbLabel->text().replace(QLatin1String("_DB_"), db->description));
    ui->typeBox->hide();
    ui->typesTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->typesTable->verticalHeader()->hide();

    connect(ui->typesTable, &QTableWidget::itemSelectionChanged, this,
            &HardwareTypesConfig::selected);
    connect(ui->typesTable, &QTableWidget::doubleClicked, this, &HardwareTypesConfig::typeAction);
    connect(ui->addButton, &QPushButton::clicked, this, &HardwareTypesConfig::typeAction);
    connect(ui->editButton, &QPushButton::clicked, this, &HardwareTypesConfig::typeAction);
    connect(ui->deleteButton, &QPushButton::clicked, this, &HardwareTypesConfig::typeAction);
    connect(ui->saveButton, &QPushButton::clicked, this, &HardwareTypesConfig::save);
}

void HardwareTypesConfig::showEvent(QShowEvent *event)
{
    if (reloadOnShow(event, !ui->typeBox->isHidden()))
        load();
    QWidget::showEvent(event);
}

void HardwareTypesConfig::load()
{
    // The page shows, and after a change leaves behind, what is stored now.
    getTypes(db, true);
    selectedId = 0;
    lastOrder = 0;

    QTableWidget *table = ui->typesTable;
    table->setColumnCount(6);
    table->setRowCount(0);
    table->setHorizontalHeaderLabels(
        {tr("Typ sprzętu"), tr("Kolejność"), tr("Widoczność"), tr("Ilość użyć")});
    table->setColumnWidth(NameColumn, 250);
    // 80 pixels, or what the header text needs so that it is not cut off.
    for (int column : {OrderColumn, VisibleColumn, UsesColumn})
        table->setColumnWidth(column, qMax(80, table->horizontalHeader()->sectionSizeHint(column)));

    // Uses of every type in one statement, by the type's row. The database
    // compares the stored values, so hardware whose type is empty text or
    // NULL counts for no type (read as a number it would pass for type 0).
    QHash<int, int> uses;
    QSqlQuery counts = db->query(QStringLiteral(
        "SELECT typesconf.iId, COUNT(hardware.iId) FROM typesconf "
        "JOIN hardware ON hardware.iHType = typesconf.iTypeId GROUP BY typesconf.iId"));
    while (counts.next())
        uses.insert(counts.value(0).toInt(), counts.value(1).toInt());
    // Uses not read are not shown as none: a type would pass for unused.
    QSqlError failed = DbWidget::readFailure(counts);
    const bool usesRead = !failed.isValid();

    const QIcon icon(QStringLiteral(":/general/hwtype.png"));
    *query = db->query(QStringLiteral(
        "SELECT iId, iTypeId, sDescription, iOrder, bVisible FROM typesconf ORDER BY iOrder ASC"));
    while (query->next()) {
        const int row = table->rowCount();
        table->insertRow(row);
        lastOrder = query->value(3).toInt();
        const int typeId = query->value(1).toInt();
        table->setItem(row, NameColumn, new QTableWidgetItem(icon, query->value(2).toString()));
        table->setItem(row, OrderColumn, new QTableWidgetItem(QString::number(lastOrder)));
        table->setItem(row, VisibleColumn,
                       new QTableWidgetItem(query->value(4).toInt() ? tr("Tak") : tr("Nie")));
        table->setItem(row, UsesColumn,
                       new QTableWidgetItem(TopFrameWidget::countText(
                           usesRead ? uses.value(query->value(0).toInt()) : -1)));
        table->setItem(row, IdColumn, new QTableWidgetItem(query->value(0).toString()));
        table->setItem(row, TypeIdColumn, new QTableWidgetItem(QString::number(typeId)));
    }
    table->setColumnHidden(IdColumn, true);
    table->setColumnHidden(TypeIdColumn, true);
    table->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    if (!failed.isValid())
        failed = DbWidget::readFailure(*query);
    if (failed.isValid())
        MessageBox::listReadFailed(failed, this);
}

void HardwareTypesConfig::selected()
{
    const QList<QTableWidgetItem *> items = ui->typesTable->selectedItems();
    if (items.isEmpty()) {
        ui->editButton->setEnabled(false);
        ui->deleteButton->setEnabled(false);
        selectedId = 0;
        action.clear();
    } else {
        const QTableWidgetItem *id = ui->typesTable->item(items.first()->row(), IdColumn);
        selectedId = id ? id->text().toInt() : 0;
        ui->editButton->setEnabled(true);
        ui->deleteButton->setEnabled(true);
    }
    ui->typeBox->hide();
}

void HardwareTypesConfig::typeAction()
{
    QObject *s = sender();
    if (s == ui->addButton) {
        ui->typeBox->setTitle(tr("Dodaj nowy typ sprzętu"));
        ui->typeDescription->clear();
        ui->typeOrder->setValue(lastOrder + 1);
        ui->typeVisible->setChecked(true);
        action = QStringLiteral("add");
        ui->typeBox->show();
    } else if (s == ui->editButton || s == ui->typesTable) {
        *query = db->query(
            QStringLiteral("SELECT sDescription, iOrder, bVisible FROM typesconf WHERE iId = %1")
                .arg(selectedId));
        if (!query->next())
            return;
        ui->typeBox->setTitle(tr("Edytuj typ sprzętu"));
        ui->typeDescription->setText(query->value(0).toString());
        ui->typeOrder->setValue(query->value(1).toInt());
        ui->typeVisible->setChecked(query->value(2).toInt() != 0);
        shown = {query->value(0), query->value(1), query->value(2)};
        // Left open, the read would keep other connections from writing to
        // an SQLite file for as long as the box is open.
        query->finish();
        action = QStringLiteral("edit");
        ui->typeBox->show();
    } else if (s == ui->deleteButton) {
        saveDeletion(&action, ui->typeBox, [this] { save(); });
    }
}

void HardwareTypesConfig::save()
{
    // Unset while nothing was written: a question answered with Cancel.
    std::optional<bool> written;
    if (action == QLatin1String("edit")) {
        // Deleted or changed at another workstation: said, and the box
        // closes on the list as it is now.
        if (MessageBox::confirmSave(tr("Edycja typu sprzętu")))
            written = saveEntryEdit(db, [this] { return saveEdit(); }, [this] { sayMissing(); },
                                    tr("Typ sprzętu został zmieniony na innym stanowisku."));
    } else if (action == QLatin1String("add")) {
        if (MessageBox::confirmSave(tr("Nowy typ sprzętu")))
            written = runInTransaction(db, [this] { return saveAdd(); });
    } else if (action == QLatin1String("delete")) {
        if (!saveDelete(&written))
            return;
    }
    if (!closesAfterEntrySave(db, written, action == QLatin1String("delete")))
        return;
    ui->typeBox->hide();
    load();
}

bool HardwareTypesConfig::storedOrder(int id, int *order)
{
    QSqlQuery q = db->query(QStringLiteral("SELECT iOrder FROM typesconf WHERE iId = %1").arg(id));
    if (!q.isActive())
        return false;
    *order = q.next() ? q.value(0).toInt() : lastOrder + 10;
    return true;
}

RecordModel::Refusal HardwareTypesConfig::saveEdit()
{
    using Refusal = RecordModel::Refusal;
    // The renumbering below rewrites other types too.
    if (!holdTable(db, QStringLiteral("typesconf")))
        return Refusal::Failed;
    QSqlQuery current =
        db->query(QStringLiteral("SELECT iOrder FROM typesconf WHERE iId = %1").arg(selectedId));
    if (!current.isActive())
        return Refusal::Failed;
    if (!current.next())
        return Refusal::Deleted;
    const int oldOrder = current.value(0).toInt();
    current.finish();
    // A stored position out of the box's range shows as the nearest it
    // takes; left as shown, the type keeps its place.
    const int shownOrder = shown.value(1).toInt();
    const int order =
        ui->typeOrder->value() == qBound(ui->typeOrder->minimum(), shownOrder, ui->typeOrder->maximum())
        ? shownOrder
        : ui->typeOrder->value();
    // Written only over what the box was opened with, so that a later save
    // does not silently undo another workstation's.
    QList<int> elsewhere;
    QSqlError error;
    const Refusal refusal = RecordModel::writeUnchanged(
        db, QStringLiteral("typesconf"), selectedId,
        {{QStringLiteral("sDescription"), shown.value(0), ui->typeDescription->text().trimmed()},
         {QStringLiteral("iOrder"), shown.value(1), order},
         {QStringLiteral("bVisible"), shown.value(2), ui->typeVisible->isChecked() ? 1 : 0}},
        &elsewhere, &error);
    if (refusal != Refusal::None)
        return refusal;
    return reorderTypes(order, oldOrder, selectedId, false) ? Refusal::None : Refusal::Failed;
}

void HardwareTypesConfig::sayMissing()
{
    MessageBox::critical(tr("Błąd typu sprzętu !"), tr("Typ o tym numerze nie istnieje w bazie danych."));
}

bool HardwareTypesConfig::saveAdd()
{
    // Locked on MySQL until the commit: another workstation adding at the
    // same time waits and then reads the number taken here.
    QSqlQuery last = db->query(
        QStringLiteral("SELECT iTypeId FROM typesconf ORDER BY iTypeId DESC%1")
            .arg(db->dbType == DbWidget::MySQL ? QStringLiteral(" FOR UPDATE") : QString()));
    if (!last.isActive())
        return false; // a guessed number could be taken already
    int typeId = last.next() ? last.value(0).toInt() + 1 : 50;
    last.finish();
    // Templates keep the number of a type deleted after them, and hardware
    // may keep one from before deletions were checked: a new type given that
    // number would silently become their type. Text left in the column by
    // an old database is above any number on SQLite and is not counted.
    QSqlQuery carried = db->query(QStringLiteral(
        "SELECT MAX(highest) FROM (SELECT MAX(iHType) AS highest FROM templates WHERE iHType <= 2147483647 "
        "UNION ALL SELECT MAX(iHType) FROM hardware WHERE iHType <= 2147483647) carried"));
    if (!carried.next())
        return false;
    if (!carried.isNull(0))
        typeId = qMax(typeId, carried.value(0).toInt() + 1);
    QSqlQuery q(db->database());
    q.prepare(QStringLiteral("INSERT INTO typesconf (iTypeId, sDescription, iOrder, bVisible) "
                             "VALUES(:iTypeId, :sDescription, :iOrder, :bVisible)"));
    q.bindValue(QStringLiteral(":iTypeId"), typeId);
    q.bindValue(QStringLiteral(":sDescription"), ui->typeDescription->text().trimmed());
    q.bindValue(QStringLiteral(":iOrder"), ui->typeOrder->value());
    q.bindValue(QStringLiteral(":bVisible"), ui->typeVisible->isChecked() ? 1 : 0);
    if (!db->exec(q))
        return false;
    bool ok = false;
    const int id = q.lastInsertId().toInt(&ok);
    const int order = ui->typeOrder->value();
    return ok && reorderTypes(order, order, id, true);
}

bool HardwareTypesConfig::refuseDeletion(int *typeId)
{
    QSqlQuery type =
        db->query(QStringLiteral("SELECT iTypeId FROM typesconf WHERE iId = %1").arg(selectedId));
    if (!type.isActive()) {
        MessageBox::saveFailed();
        return true;
    }
    if (!type.next()) {
        sayMissing();
        return true;
    }
    *typeId = type.value(0).toInt();
    // Done with the reads before any box: an open statement would hold a
    // shared SQLite file against every other workstation's writes.
    type.finish();
    const int uses =
        RecordModel::readInt(db, QStringLiteral("SELECT COUNT(iId) FROM hardware WHERE iHType = %1").arg(*typeId));
    if (uses < 0) {
        // Whether any hardware uses the type is unknown: refuse.
        MessageBox::saveFailed();
        return true;
    }
    if (uses > 0) {
        MessageBox::information(tr("Typ sprzętu jest w użytku !"),
                                tr("Ten typ sprzętu jest obecnie używany w bazie danych. Nie "
                                   "można usuwać typów które są w użyciu."));
        return true;
    }
    return false;
}

bool HardwareTypesConfig::saveDelete(std::optional<bool> *written)
{
    int typeId = 0;
    if (refuseDeletion(&typeId))
        return false;
    if (!MessageBox::confirm(tr("Usuwanie typu sprzętu"), tr("Typ sprzętu zostanie usunięty !")
                                                              + QLatin1Char(' ')
                                                              + tr("Czy chcesz kontynuować ?")))
        return true;
    bool notDeleted = false;
    *written = runInTransaction(db, [&] {
        int oldOrder = 0;
        if (!holdTable(db, QStringLiteral("typesconf")))
            return false;
        if (!storedOrder(selectedId, &oldOrder))
            return false;
        // Only while still unused: hardware of the type may have been added
        // at another workstation while the question was open.
        const QSqlQuery q = db->query(
            QStringLiteral("DELETE FROM typesconf WHERE iId = %1 AND NOT EXISTS "
                           "(SELECT 1 FROM hardware WHERE iHType = %2)")
                .arg(selectedId)
                .arg(typeId));
        if (!q.isActive())
            return false;
        notDeleted = q.numRowsAffected() == 0;
        return !notDeleted && reorderTypes(-1, oldOrder, selectedId, false);
    });
    if (notDeleted && refuseDeletion(&typeId))
        written->reset();
    else if (*written == false && db->deletionCommitted(QStringLiteral("typesconf"), selectedId))
        *written = true;
    return true;
}

bool HardwareTypesConfig::reorderTypes(int newOrder, int oldOrder, int id, bool inserted)
{
    QString sql;
    if (newOrder == -1) {
        sql = QStringLiteral("UPDATE typesconf SET iOrder = iOrder - 1 WHERE iOrder > %1 AND iId != %2")
                  .arg(oldOrder)
                  .arg(id);
    } else if (oldOrder < newOrder) {
        sql = QStringLiteral("UPDATE typesconf SET iOrder = iOrder - 1 WHERE iOrder <= %1 AND "
                             "iOrder > %2 AND iId != %3")
                  .arg(newOrder)
                  .arg(oldOrder)
                  .arg(id);
    } else if (newOrder < oldOrder) {
        sql = QStringLiteral("UPDATE typesconf SET iOrder = iOrder + 1 WHERE iOrder >= %1 AND "
                             "iOrder < %2 AND iId != %3")
                  .arg(newOrder)
                  .arg(oldOrder)
                  .arg(id);
    } else if (inserted) {
        sql = QStringLiteral("UPDATE typesconf SET iOrder = iOrder + 1 WHERE iOrder >= %1 AND iId != %2")
                  .arg(newOrder)
                  .arg(id);
    } else {
        return true;
    }
    return execute(db, sql);
}
