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

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool setUnwritable(const QString &path, bool on)
{
    const QByteArray name = QFile::encodeName(path);
    if (geteuid() != 0)
        return chmod(name.constData(), on ? 0555 : 0755) == 0;
    const int fd = open(name.constData(), O_RDONLY);
    int flags = 0;
    const bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
        && (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        close(fd);
    return done;
}
