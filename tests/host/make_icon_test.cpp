// The icon maker as the build runs it: an icon it could not write whole is
// reported and removed, never left behind with success.

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// make_icon's exit code for the picture and the output; -1 if it did not end normally.
int MakeIcon(const std::string& output) {
    const std::string command =
        std::string("'") + SIGNIN_MAKE_ICON + "' '" + SIGNIN_ICON_PICTURE + "' '" + output + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class MakeIconOutput : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/make_icon_test.XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        directory_ = name;
    }
    void TearDown() override {
        unlink((directory_ + "/icon.ico").c_str());
        rmdir(directory_.c_str());
    }
    std::string directory_;
};

TEST_F(MakeIconOutput, WrittenWholeEndsWithZero) {
    const std::string icon = directory_ + "/icon.ico";
    EXPECT_EQ(MakeIcon(icon), 0);
    struct stat written {};
    ASSERT_EQ(stat(icon.c_str(), &written), 0);
    EXPECT_GT(written.st_size, 600);  // a 32 x 32, 16-colour icon
}

// The output is a link to /dev/full: opening and writing into the stream's
// buffer succeed, the flush when the file is closed fails (no space left).
// The link is what gets removed, never the device.
TEST_F(MakeIconOutput, FailedFinalFlushIsReportedAndTheOutputRemoved) {
    const std::string icon = directory_ + "/icon.ico";
    ASSERT_EQ(symlink("/dev/full", icon.c_str()), 0);
    EXPECT_EQ(MakeIcon(icon), 1);
    struct stat left {};
    EXPECT_NE(lstat(icon.c_str(), &left), 0) << "the output was left behind";
}

}  // namespace
