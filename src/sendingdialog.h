#pragma once

#include <QDialog>

// A window that sends a message. While one is on its way (busy) it is
// neither closed nor rejected: closing would drop the answer, and nobody
// would learn whether the message went. Escape closes a dialog without a
// close event, hence reject() too.
class SendingDialog : public QDialog
{
public:
    using QDialog::QDialog;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

    bool m_busy = false;
};
