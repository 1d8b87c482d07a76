#include "mainwindow.h"

#include "appresources.h"

MainWindow::MainWindow(QApplication *, QWidget *parent) : QMainWindow(parent)
{
    initAppResources();
}
