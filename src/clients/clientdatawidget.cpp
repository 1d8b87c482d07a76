#include "clients/clientdatawidget.h"

#include "ui_clientDataWidget.h"

#include "db/columnlengths.h"
#include "email/emaildialog.h"
#include "formin.h"
#include "messagebox.h"
#include "records/client.h"
#include "records/refusedsave.h"
#include "sms/smsdialog.h"
#include "userwidget.h"

#include <QDataWidgetMapper>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlRecord>

namespace {

// Users above this access level only view clients.
constexpr int LastEditingLevel = 4;

} // namespace

ClientDataWidget::ClientDataWidget(QWidget *parent, DbWidget *db, UserWidget *user,
                                   Settings *settings, Client *model)
    : QWidget(parent), WidgetBase(db, user, settings), ui(new Ui::clientDataWidget),
      model(model), mapper(new QDataWidgetMapper(this))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ColumnLengths::limitInputs(ui->dataBox, QStringLiteral("clients"));

    setDataMapping();
    loadData();
    setEditable(false);

    for (QPushButton *button : {ui->editButton, ui->cancelButton, ui->saveButton})
        connect(button, &QPushButton::clicked, this, &ClientDataWidget::editFunctionButton);
    for (QPushButton *button : {ui->smsButton, ui->emailButton})
        connect(button, &QPushButton::clicked, this, &ClientDataWidget::send);

    if (!user || user->level > LastEditingLevel) {
        for (QPushButton *button : {ui->editButton, ui->saveButton}) {
            button->setEnabled(false);
            button->hide();
        }
    }
}

ClientDataWidget::~ClientDataWidget()
{
    delete ui;
}

void ClientDataWidget::setDataMapping()
{
    mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    mapper->setItemDelegate(ColumnLengths::storedTextDelegate(mapper));
    mapper->setModel(model);
    const QList<QWidget *> fields = {ui->sSName, ui->sFName,  ui->sCompany, ui->sNIP,
                                     ui->sStreet, ui->sAddrBuild, ui->sAddrLoc, ui->sPostal,
                                     ui->sCity,  ui->sEmail,  ui->sEmail2,  ui->sPhone,
                                     ui->sPhone2, ui->sDescription};
    for (QWidget *field : fields)
        mapper->addMapping(field, model->fieldIndex(field->objectName()));
}

void ClientDataWidget::loadData()
{
    model->select();
    mapper->toFirst();
    recordRead(model, tr("Nie udało się odczytać danych klienta."), tr("Ten klient"));
}

bool ClientDataWidget::saveData()
{
    mapper->submit();
    return model->submitAll();
}

void ClientDataWidget::setEditable(bool editable)
{
    const auto lines = ui->dataBox->findChildren<QLineEdit *>();
    for (QLineEdit *edit : lines) {
        edit->setReadOnly(!editable);
        edit->setStyleSheet(editable ? QString() : FormIn::FormStyle3);
    }
    const auto texts = ui->dataBox->findChildren<QPlainTextEdit *>();
    for (QPlainTextEdit *edit : texts) {
        edit->setReadOnly(!editable);
        edit->setStyleSheet(editable ? QString() : FormIn::FormStyle3);
    }
    // Users who may not edit never get the edit button back.
    ui->editButton->setVisible(!editable && ui->editButton->isEnabled());
    for (QWidget *w : {static_cast<QWidget *>(ui->saveButton), static_cast<QWidget *>(ui->cancelButton),
                       static_cast<QWidget *>(ui->separator)})
        w->setVisible(editable);
}

void ClientDataWidget::editFunctionButton()
{
    QObject *button = sender();
    if (button == ui->editButton) {
        setEditable(true);
    } else if (button == ui->cancelButton) {
        setEditable(false);
        loadData();
    } else if (button == ui->saveButton) {
        if (ui->sSName->text().isEmpty()) {
            ui->sSName->setStyleSheet(FormIn::FormStyle2);
            return;
        }
        // A client that the page could not read (gone before it opened) has
        // no row to take what was typed: saying it saved would lose it.
        if (!rowToSave(model, tr("Ten klient")))
            return;
        // A refused save keeps the form in edit mode with what was typed, so
        // that nothing is lost and the user can try again or cancel; or reads
        // the record changed elsewhere again, when the user asks for it.
        if (!saveData()) {
            if (explainRefusedSave(model, tr("Ten klient")))
                loadData();
            return;
        }
        setEditable(false);
        loadData();
    }
}

void ClientDataWidget::send()
{
    // The stored record, not what may have been typed since: the model's
    // record gives a field typed into but not stored (a save the database
    // refused) as it was read.
    const QSqlRecord record = model->record(0);
    QObject *button = sender();
    if (button == ui->smsButton) {
        new SmsDialog(db, user, SmsDialog::numberFrom(record.value(QStringLiteral("sPhone")).toString()), QString());
    } else if (button == ui->emailButton) {
        const QString name = record.value(QStringLiteral("sFName")).toString() + QLatin1Char(' ')
            + record.value(QStringLiteral("sSName")).toString();
        new EMailDialog(db, user, settings, name, record.value(QStringLiteral("sEmail")).toString(),
                        QString(), QString());
    }
}
