#pragma once

#include <QtTest>

// Prepares the process for a widget test: offscreen platform, the Warsaw time
// zone, a private native settings store and the program's resources.
void prepareTestEnvironment();
void prepareTestApplication();
// Keeps path from being written, or lets it be written again (root ignores
// file modes, but not the immutable flag). False when that cannot be done.
bool setUnwritable(const QString &path, bool on);

#define WARSZTAT_TEST_MAIN(TestObject)                                                  \
    int main(int argc, char *argv[])                                                    \
    {                                                                                   \
        prepareTestEnvironment();                                                       \
        QApplication app(argc, argv);                                                   \
        prepareTestApplication();                                                       \
        TestObject tc;                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                      \
        return QTest::qExec(&tc, argc, argv);                                           \
    }
