#include "sms/smsdialog.h"

SmsDialog::SmsDialog(DbWidget *db, UserWidget *user, QString phone, QString text)
    : QDialog(nullptr), WidgetBase(db, user, nullptr), m_gateway(nullptr)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    numberEdit->setText(phone);
    textEdit->setPlainText(text);
    connect(sendButton, &QPushButton::clicked, this, &SmsDialog::send);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    show();
}

SmsDialog::~SmsDialog() = default;

void SmsDialog::send()
{
}

void SmsDialog::infoReceived(bool, const QString &) {}
void SmsDialog::sendFinished(bool, const QString &) {}
void SmsDialog::updateLength() {}
