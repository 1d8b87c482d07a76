#include "mainwindow.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Warsztat"));
    QApplication::setOrganizationName(QStringLiteral("Warsztat"));
    MainWindow window(&app);
    // Room for the widest pages, as far as the screen allows.
    if (const QScreen *screen = window.screen())
        window.resize(window.size().boundedTo(screen->availableGeometry().size()));
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
