// The test program's application object, as the real program has one.

#include "MainWndFixture.h"

#include "mainwnd/ReminderApp.h"

namespace {

int g_argc = 0;
char** g_argv = nullptr;

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(AfxWinInit(g_argc, g_argv)); }
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    CReminderApp app;
    MainWndTest::SetApp(&app);
    g_argc = argc;
    g_argv = argv;
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);
    return RUN_ALL_TESTS();
}
