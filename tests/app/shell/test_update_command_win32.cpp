// The program's side of self-update: the Update... command against a local
// server, and the restart argument.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "app/options/options.h"
#include "app/shell/update_command_win32.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/registry_fixture_win32.h"
#include "tests/support/update_server_win32.h"
#include "update/update_api.h"

namespace {

class UpdateCommandTest : public RegistryFixture {};

}  // namespace

TEST_F(UpdateCommandTest, TheRestartArgumentRecordsTheUpdateAndCongratulates) {
    struct Case {
        const char* argument;
        bool recorded;
    };
    const Case cases[] = {
        {"/update:15-03-2004", true},
        {"/update:31-02-2004", false},  // no such day
        {"/update:", false},
        {"/other", false},
        {"", false},
    };
    for (const Case& c : cases) {
        MessageRecorder boxes;
        EXPECT_EQ(SecondStageAtStart(c.argument), c.recorded) << c.argument;
        ASSERT_EQ(boxes.shown.size(), c.recorded ? 1u : 0u) << c.argument;
        if (!c.recorded) continue;
        EXPECT_EQ(boxes.shown[0].text,
                  "We congratulate you! Updating of program Varnok scan (Trellane) has passed successfully.");
        EXPECT_EQ(boxes.shown[0].caption, "Information");
        EXPECT_EQ(boxes.shown[0].owner, nullptr);
        EXPECT_EQ(GetLastUpdate(Short("Varnok scan")), 38061.0);
    }
}

TEST_F(UpdateCommandTest, TheWarningComesFirstAndLaterDownloadsNothing) {
    LocalUpdateServer server([](const std::string&) {
        return LocalUpdateServer::Answer{{"TotalSize:##1000\r\nLast:##15-03-2004\r\n"}, {}};
    });
    UpdateServerSetting setting(server.address());
    bWarnInternet = true;
    {
        MessageRecorder boxes({mb::kIdNo});
        EXPECT_FALSE(UpdateCommand(nullptr));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].caption, "Warning!");
        EXPECT_TRUE(server.requests().empty()) << "declining sends nothing";
    }
    bWarnInternet = false;
    ModalDriver driver("Update", [](HWND offer) { PostMessageA(offer, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(UpdateCommand(nullptr));
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(server.requests().size(), 1u) << "the list only; no package was asked for";
    EXPECT_EQ(UpdatesEstablishedText().substr(0, 27), "Updates are established to ");
}
