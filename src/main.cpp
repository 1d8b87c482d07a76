#include "mainwindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The toolkit's own dialogs (the dates of files) read the system locale
    // of times: Polish in this program, unless the session forces one for
    // everything.
    if (!qEnvironmentVariableIsSet("LC_ALL"))
        qputenv("LC_TIME", "pl_PL.UTF-8");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Warsztat"));
    QApplication::setOrganizationName(QStringLiteral("Warsztat"));
    // The toolkit's own dialogs (printing, file names, colours) speak Polish
    // where its translation is installed.
    QTranslator toolkit;
    if (toolkit.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkit);
    MainWindow window(&app);
    // Room for the widest pages, as far as the screen allows.
    if (const QScreen *screen = window.screen())
        window.resize(window.size().boundedTo(screen->availableGeometry().size()));
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
