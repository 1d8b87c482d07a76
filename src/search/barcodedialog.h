#pragma once

#include <QDialog>
#include <QStringList>

namespace Ui {
class barcodeDialog;
}

// Reads one code from a keyboard-wedge scanner: keeps the digits and the
// separator "I" typed into it and, at the third separator, emits the numbers
// of the code and closes; a Return before that drops what was kept. Shows
// itself application-modal on construction and deletes itself when closed.
class BarcodeDialog : public QDialog
{
    Q_OBJECT

public:
    BarcodeDialog();
    ~BarcodeDialog() override;

    // Ends each number of a printed code.
    static const QChar Separator;

    Ui::barcodeDialog *ui;
    // The characters kept so far, in the order typed.
    QString buffer;
    // Separators kept so far.
    int separatorCount;

signals:
    // At most three non-empty strings of digits, in the order printed.
    void scanned(const QStringList &parts);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
