// The real tessilo.exe and its companion on a Wayland session, where Wine draws through XWayland
// and no X client can read the screen. The test command runs this on a headless sway with a
// native Wayland window of a known colour in front; on an X11 display it is skipped.
#include "tests/support/Files.h"
#include "tests/support/ProgramFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class WaylandSession : public ProgramFixture {
protected:
    void SetUp() override
    {
        if (!std::getenv("WAYLAND_DISPLAY"))
            GTEST_SKIP() << "not a Wayland session";
        ProgramFixture::SetUp();
    }
};

TEST_F(WaylandSession, StartSaysItCannotPrepareTheCaptureAndWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(StartWithCompanion());
    bool minimised = false;
    HWND box = StartCaptureUntilMessage(minimised);
    ASSERT_NE(nullptr, box) << FilesIn(output.Path()).size() << " files written";
    EXPECT_FALSE(minimised);
    EXPECT_EQ(L"failed to preparing capture\n\nthe PrtSc key brought no picture of the screen: another program "
              L"may take the key, or an elevated window may be in front",
              AnswerMessageBox(box, IDOK).text);
    EXPECT_TRUE(FilesIn(output.Path()).empty());
}

}  // namespace
