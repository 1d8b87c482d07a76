#pragma once

#include "ui_emailDialog.h"
#include "sendingdialog.h"
#include "widgetbase.h"

#include <QStringList>

struct MailAccount;
struct MailResult;

// Sends one plain-text e-mail over the SMTP server of the workstation's
// settings. The window has no parent, shows itself at once and deletes itself
// when closed. The transfer runs on a worker thread, so the window stays
// responsive while the server answers.
class EMailDialog : public SendingDialog, public WidgetBase, public Ui::emailDialog
{
    Q_OBJECT
public:
    EMailDialog(DbWidget *db, UserWidget *user, Settings *settings, QString name,
                QString address, QString subject, QString body);
    ~EMailDialog() override;

Q_SIGNALS:
    // After a successful send: the recipient's address, the subject and the text.
    void sent(QStringList);

public Q_SLOTS:
    void send();

private:
    MailAccount readAccount() const;
    // Why the account read cannot be used, or which options are missing,
    // and where they are read from.
    QString missingAccountText(const MailAccount &account) const;
    void sendFinished(const MailResult &result);

    QStringList m_sending;
};
