#include "sendingdialog.h"

#include <QCloseEvent>

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
