#pragma once

#include <QMainWindow>

class QApplication;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QApplication *app, QWidget *parent = nullptr);
};
