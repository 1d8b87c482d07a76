#pragma once

#include "ui_smsDialog.h"
#include "sendingdialog.h"
#include "widgetbase.h"

#include <QStringList>

class SmsGateway;

// Sends one text message through the shop's account at the SMS gateway. The
// window has no parent, shows itself at once, asks the gateway for the
// account's state and deletes itself when closed.
class SmsDialog : public SendingDialog, public WidgetBase, public Ui::smsDialog
{
    Q_OBJECT
public:
    SmsDialog(DbWidget *db, UserWidget *user, QString phone, QString text);
    ~SmsDialog() override;

    // The number to send to from a phone as stored: its first run of digits,
    // blanks, dashes and brackets (with a "+" before it kept), the separators
    // dropped; what follows, such as an extension, is no part of it.
    static QString numberFrom(const QString &phone);

Q_SIGNALS:
    // After a successful send: the number and the text sent.
    void sent(QStringList);

public Q_SLOTS:
    void send();

private:
    void infoReceived(bool ok, const QString &text);
    void sendFinished(bool ok, const QString &text, bool unknown);

    SmsGateway *m_gateway;
    QStringList m_sending;
};
