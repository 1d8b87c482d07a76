#include "printouts/printdialogs.h"

#include <QFileDialog>
#include <QPrintDialog>

PrintDialogs::PrintHandler PrintDialogs::s_print;
PrintDialogs::FileHandler PrintDialogs::s_file;

bool PrintDialogs::print(QPrinter *printer, const QString &title, QWidget *parent)
{
    if (s_print)
        return s_print(printer);
    QPrintDialog dialog(printer, parent);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

QString PrintDialogs::saveFileName(const QString &caption, const QString &filter, QWidget *parent)
{
    if (s_file)
        return s_file(caption, filter);
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

void PrintDialogs::setPrintHandler(PrintHandler handler)
{
    s_print = std::move(handler);
}

void PrintDialogs::setFileHandler(FileHandler handler)
{
    s_file = std::move(handler);
}
