#include "search/barcodedialog.h"

#include <QKeyEvent>

#include "ui_barcodeDialog.h"

const QChar BarcodeDialog::Separator = QLatin1Char('I');

BarcodeDialog::BarcodeDialog()
    : QDialog(nullptr), ui(new Ui::barcodeDialog), separatorCount(0)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    show();
}

BarcodeDialog::~BarcodeDialog()
{
    delete ui;
}

void BarcodeDialog::keyPressEvent(QKeyEvent *event)
{
    // The code is complete: what follows it (the stop character, a Return
    // some scanners append) is not part of it.
    if (separatorCount >= 3)
        return;
    // Only the key codes of the ASCII digits (main block or keypad) and of the
    // letter I count; function keys share low bits with the digits and must
    // not become digits. Nothing is passed on, so Escape and Return do not
    // close the dialog in the middle of a scan.
    const int key = event->key();
    // A scanner ends each code it reads with Return: one that comes before
    // the code is complete ends a code read in part, which must not run on
    // into the next scan and name another record.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        buffer.clear();
        separatorCount = 0;
        return;
    }
    QChar c;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        c = QLatin1Char(char('0' + (key - Qt::Key_0)));
    else if (key == Qt::Key_I)
        c = Separator;
    else
        return;

    buffer.append(c);
    if (c != Separator)
        return;
    if (++separatorCount < 3)
        return;

    QStringList parts = buffer.split(Separator, Qt::SkipEmptyParts);
    if (parts.size() > 3)
        parts = parts.mid(0, 3);
    emit scanned(parts);
    close();
}
