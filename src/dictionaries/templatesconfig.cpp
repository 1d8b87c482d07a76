#include "dictionaries/templatesconfig.h"
#include "ui_templatesConfig.h"

#include "db/columnlengths.h"
#include "db/dbwidget.h"
#include "dictionaries/fieldsconfig.h"
#include "dictionaries/hardwaretypesconfig.h"
#include "messagebox.h"
#include "records/refusedsave.h"
#include "records/template.h"
#include "reloadonshow.h"
#include "search/searchheaderview.h"

#include <QDateTime>
#include <QHeaderView>
#include <QSqlError>
#include <QSqlQuery>

TemplatesConfig::TemplatesConfig(QWidget *parent, DbWidget *db, UserWidget *user,
                                 Settings *settings)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::templatesConfig)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    model = new Template(ui->searchTable, db);
    ui->searchTable->setModel(model);
    ui->searchTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->searchTable->verticalHeader()->setDefaultSectionSize(30);
    ui->searchTable->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);

    fillTypes();
    ui->iFieldDate->setDate(QDate::currentDate());
    ColumnLengths::limitInputs(ui->formWidget, QStringLiteral("templates"));

    connect(ui->searchTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TemplatesConfig::selected);
    connect(model, &QAbstractItemModel::modelReset, this, &TemplatesConfig::selected);
    connect(ui->searchTable, &QTableView::doubleClicked, this, &TemplatesConfig::editTemplate);
    connect(ui->addButton, &QPushButton::clicked, this, &TemplatesConfig::addTemplate);
    connect(ui->editButton, &QPushButton::clicked, this, &TemplatesConfig::editTemplate);
    connect(ui->deleteButton, &QPushButton::clicked, this, &TemplatesConfig::deleteTemplate);
    connect(ui->saveButton, &QPushButton::clicked, this, &TemplatesConfig::saveTemplate);
    connect(ui->abortButton, &QPushButton::clicked, this, &TemplatesConfig::abortEdit);
}

TemplatesConfig::~TemplatesConfig()
{
    delete ui;
}

void TemplatesConfig::showEvent(QShowEvent *event)
{
    if (reloadOnShow(event, ui->stackedWidget->currentWidget() == ui->savePage))
        load();
    QWidget::showEvent(event);
}

void TemplatesConfig::load()
{
    // The model reloads the field labels and the types, which the edit page
    // shows as well.
    model->setupFields();
    FieldsConfig::setupFields(ui->savePage);
    // Setting the table up again may move the columns: sort by the column the
    // header shows as sorted.
    const QHeaderView *header = ui->searchTable->horizontalHeader();
    model->setSort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    model->select();
    SearchHeaderView::widenToTitles(ui->searchTable->horizontalHeader());
    fillTypes();
    selected();
}

void TemplatesConfig::fillTypes()
{
    const QVariant current = ui->iHType->currentData();
    ui->iHType->clear();
    HardwareTypesConfig::fillComboBox(ui->iHType);
    if (current.isValid())
        ui->iHType->setCurrentIndex(ui->iHType->findData(current));
}

int TemplatesConfig::selectedTemplateId() const
{
    const QModelIndexList rows = ui->searchTable->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return 0;
    const int column = model->fieldIndex(QStringLiteral("iId"));
    return model->data(model->index(rows.first().row(), column), Qt::EditRole).toInt();
}

void TemplatesConfig::selected()
{
    const bool any = selectedTemplateId() > 0;
    ui->editButton->setEnabled(any);
    ui->deleteButton->setEnabled(any);
}

void TemplatesConfig::showEditPage()
{
    ui->stackedWidget->setCurrentWidget(ui->savePage);
    ui->sHName->setFocus();
}

void TemplatesConfig::addTemplate()
{
    editedId = 0;
    editedType = -1;
    editedDay = QDate();
    ui->sHName->clear();
    for (int i = 1; i <= 14; ++i)
        ui->formWidget->findChild<QLineEdit *>(QStringLiteral("sField%1").arg(i))->clear();
    ui->sFieldLong->clear();
    ColumnLengths::limitInputs(ui->formWidget, QStringLiteral("templates"));
    ui->iFieldDate->setDate(QDate::currentDate());
    ui->iHType->setCurrentIndex(ui->iHType->count() > 0 ? 0 : -1);
    showEditPage();
}

void TemplatesConfig::editTemplate()
{
    const int id = selectedTemplateId();
    if (id > 0 && readTemplate(id))
        showEditPage();
}

bool TemplatesConfig::readTemplate(int id)
{
    *query = db->query(QStringLiteral("SELECT %1 FROM templates WHERE iId = %2")
                           .arg(Template::insertColumns().join(QStringLiteral(", ")))
                           .arg(id));
    if (!query->first())
        return false;
    editedId = id;
    editedValues.clear();
    int column = 0;
    for (const QString &name : Template::insertColumns()) {
        const QVariant value = query->value(column++);
        editedValues << value;
        if (name == QLatin1String("iHType")) {
            editedType = value.toInt();
            ui->iHType->setCurrentIndex(ui->iHType->findData(editedType));
        } else if (name == QLatin1String("iFieldDate")) {
            editedDate = QString::number(value.toLongLong());
            editedDay = QDateTime::fromSecsSinceEpoch(value.toLongLong()).date();
            ui->iFieldDate->setDate(editedDay);
        } else if (name == QLatin1String("sFieldLong")) {
            ui->sFieldLong->setPlainText(value.toString());
        } else {
            ColumnLengths::showStored(ui->formWidget->findChild<QLineEdit *>(name), value.toString());
        }
    }
    // Left open, the read would keep other connections from writing to an
    // SQLite file for as long as the edit page is open.
    query->finish();
    return true;
}

QStringList TemplatesConfig::formValues() const
{
    QStringList values;
    for (const QString &name : Template::insertColumns()) {
        if (name == QLatin1String("iHType")) {
            // A type no longer offered in the list stays as it was.
            const int index = ui->iHType->currentIndex();
            values << QString::number(index >= 0 ? ui->iHType->itemData(index).toInt()
                                                 : editedType);
        } else if (name == QLatin1String("iFieldDate")) {
            const QDate day = ui->iFieldDate->date();
            values << (editedId > 0 && day == editedDay
                           ? editedDate
                           : QString::number(day.startOfDay().toSecsSinceEpoch()));
        } else if (name == QLatin1String("sFieldLong")) {
            values << ui->sFieldLong->toPlainText();
        } else {
            values << ui->formWidget->findChild<QLineEdit *>(name)->text();
        }
    }
    return values;
}

bool TemplatesConfig::updateTemplate(const QStringList &values)
{
    // Only what was typed other than read is written: another workstation's
    // change of the other fields stays.
    const QStringList &columns = Template::insertColumns();
    QList<RecordModel::FieldWrite> fields;
    for (int i = 0; i < columns.size(); ++i) {
        if (values.at(i) != editedValues.value(i).toString())
            fields.append({columns.at(i), editedValues.value(i), values.at(i)});
    }
    QList<int> elsewhere;
    QSqlError error;
    const RecordModel::Refusal refusal = RecordModel::writeUnchanged(
        db, QStringLiteral("templates"), editedId, fields, &elsewhere, &error);
    if (refusal == RecordModel::Refusal::None)
        return true;
    QStringList names;
    for (const int i : std::as_const(elsewhere))
        names << model->fieldTitle(model->fieldIndex(fields.at(i).column));
    if (explainRefusedSave(refusal, names, error, tr("Ten szablon")))
        readTemplate(editedId);
    return false;
}

void TemplatesConfig::saveTemplate()
{
    const bool adding = editedId == 0;
    if (!MessageBox::confirmSave(adding ? tr("Nowy szablon sprzętu") : tr("Edycja szablonu sprzętu")))
        return;
    const QStringList values = formValues();
    if (adding && Template::dbInsert(db, values) <= 0) {
        // The input stays on the edit page so that nothing typed is lost.
        reportFailedSave(db);
        return;
    }
    if (!adding && !updateTemplate(values))
        return;
    MessageBox::saved();
    editedId = 0;
    ui->stackedWidget->setCurrentWidget(ui->templatesPage);
    load();
}

void TemplatesConfig::abortEdit()
{
    editedId = 0;
    ui->stackedWidget->setCurrentWidget(ui->templatesPage);
}

void TemplatesConfig::deleteTemplate()
{
    const int id = selectedTemplateId();
    if (id <= 0)
        return;
    if (!MessageBox::confirm(tr("Usuwanie szablonu sprzętu"),
                             tr("Ten szablon sprzętu zostanie trwale usunięty !") + QLatin1Char(' ')
                                 + tr("Czy chcesz kontynuować ?")))
        return;
    const QSqlQuery q = db->query(QStringLiteral("DELETE FROM templates WHERE iId = %1").arg(id));
    MessageBox::reportSave(q.isActive());
    load();
}
