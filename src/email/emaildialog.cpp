#include "email/emaildialog.h"

EMailDialog::EMailDialog(DbWidget *db, UserWidget *user, Settings *settings, QString name,
                         QString address, QString subject, QString body)
    : QDialog(nullptr), WidgetBase(db, user, settings)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    toEdit->setText(name + QStringLiteral(" <") + address + QLatin1Char('>'));
    subjectEdit->setText(subject);
    bodyEdit->setPlainText(body);
    connect(sendButton, &QPushButton::clicked, this, &EMailDialog::send);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    show();
}

EMailDialog::~EMailDialog() = default;

void EMailDialog::send()
{
}

void EMailDialog::sendFinished(const MailResult &) {}
