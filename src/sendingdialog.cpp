#include "sendingdialog.h"

#include "closelater.h"
#include "messagebox.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>

void SendingDialog::closeEvent(QCloseEvent *event)
{
    if (m_busy)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void SendingDialog::reject()
{
    if (!m_busy)
        QDialog::reject();
}

bool SendingDialog::sendEnded(bool ok, bool unknown, const QString &why, const QString &title,
                              QLabel *status, QAbstractButton *send)
{
    m_busy = false;
    if (ok) {
        status->setText(QCoreApplication::translate("SendingDialog", "Wiadomość wysłana."));
        closeLater(this);
        return true;
    }
    status->clear();
    send->setEnabled(true);
    if (unknown)
        MessageBox::warning(title,
                            QCoreApplication::translate(
                                "SendingDialog",
                                "Nie wiadomo, czy wiadomość została wysłana: jej treść została "
                                "przekazana, ale przyjęcie nie zostało potwierdzone. Sprawdź, zanim "
                                "wyślesz ją ponownie.\n%1")
                                .arg(why),
                            this);
    else
        MessageBox::critical(title,
                             QCoreApplication::translate("SendingDialog", "Wiadomość nie została wysłana.\n%1").arg(why),
                             this);
    return false;
}
