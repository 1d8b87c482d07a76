#include "testmain.h"

#include "appresources.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <ctime>

void prepareTestEnvironment()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "Europe/Warsaw");
    tzset();
    // Native settings go to a directory of this run only.
    static QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
}

void prepareTestApplication()
{
    initAppResources();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFontDatabase::addApplicationFont(QStringLiteral(":/files/fonts/code39.ttf"));
}
