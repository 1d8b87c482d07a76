#pragma once

#include "ui_infoDialog.h"

#include <QWidget>

// A small non-modal message window with an information or an error icon, a
// text and a "Zamknij" button. It deletes itself when closed.
class InfoDialog : public QWidget, public Ui::infoDialog
{
    Q_OBJECT
public:
    enum InfoType { Information = 0, Error = 1 };

    // With a parent the dialog is shown inside it as a page; without one it
    // is a window of its own.
    InfoDialog(QWidget *parent, const QString &text, InfoType type = Information);

    InfoType type() const { return m_type; }
    QString text() const;

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    InfoType m_type;
};
