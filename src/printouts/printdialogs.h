#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

// The one place where the program opens the print dialog and asks for the
// name of a PDF file. Tests install handlers that answer instead of opening a
// window, as they do for message boxes.
class PrintDialogs
{
public:
    // Receives the printer set up so far; true to print.
    using PrintHandler = std::function<bool(QPrinter *printer)>;
    // The chosen file name, empty when cancelled.
    using FileHandler = std::function<QString(const QString &caption, const QString &filter)>;

    // The print dialog on printer, modal, under title; true when accepted.
    static bool print(QPrinter *printer, const QString &title, QWidget *parent = nullptr);
    // The save-file dialog from an empty starting directory; empty when
    // cancelled.
    static QString saveFileName(const QString &caption, const QString &filter,
                                QWidget *parent = nullptr);

    static void setPrintHandler(PrintHandler handler);
    static void setFileHandler(FileHandler handler);

private:
    static PrintHandler s_print;
    static FileHandler s_file;
};
