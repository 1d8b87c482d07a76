#pragma once

#include <QDialog>

class QAbstractButton;
class QLabel;

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

    // Ends a send: true when the message went, which status shows before the
    // window closes. Else a box under title says that it did not go, or that
    // nobody knows whether it did (unknown: it went out whole but no answer
    // came back), and why; the window stays open for another try.
    bool sendEnded(bool ok, bool unknown, const QString &why, const QString &title,
                   QLabel *status, QAbstractButton *send);

    bool m_busy = false;
};
