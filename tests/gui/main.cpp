// The GUI suites: one QApplication for every test, on the offscreen platform unless the
// environment names another.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "core/odbc_environment.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Tessel");
    QApplication::setApplicationName("Tessel");
    ::testing::InitGoogleTest(&argc, argv);
    // The driver manager learns where its files are at its first call: the tests' own, never
    // the user's.
    tessel::test::OdbcEnvironment::Get();
    return RUN_ALL_TESTS();
}
