// Shared test main: isolates the process, then runs the tests. With
// KAVREL_TEST_WITH_QAPPLICATION a QApplication exists for the whole run;
// otherwise tests construct the application object they need themselves.
#include "TestEnvironment.h"

#ifdef KAVREL_TEST_WITH_QAPPLICATION
#include <QApplication>
#endif

int main(int argc, char** argv)
{
    Kavrel::Test::PrepareIsolatedEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
#ifdef KAVREL_TEST_WITH_QAPPLICATION
    QApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
