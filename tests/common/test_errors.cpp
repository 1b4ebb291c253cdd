#include "common/errors.h"

#include <gtest/gtest.h>

#include "common/messagebox.h"
#include "tests/support/message_recorder.h"

namespace {

TEST(InternalError, ShowsBothIdentifiersInHexOnTheSecondLine) {
    struct Case {
        uint16_t module, error;
        const char* line;
    };
    const Case cases[] = {
        {0x945, 2, "Module ID : 0945 Error ID : 0002"},
        {0x1C9B, 0x16, "Module ID : 1C9B Error ID : 0016"},
        {0xFFFF, 0, "Module ID : FFFF Error ID : 0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InternalErrorText(c.module, c.error),
                  std::string("Internal error!\r") + c.line + "\rPlease report to www.varnok.com!");
}

TEST(InternalError, SetsHasErrorAndShowsTheBoxEveryTime) {
    TERRORCLASS object;
    MessageRecorder messages;
    EXPECT_FALSE(object.HasError());
    object.Error(0x945, 2);
    EXPECT_TRUE(object.HasError());
    object.Error(0x945, 3);
    EXPECT_TRUE(object.HasError());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, InternalErrorText(0x945, 2));
    EXPECT_EQ(messages.shown[1].text, InternalErrorText(0x945, 3));
    for (const ShownMessage& m : messages.shown) {
        EXPECT_EQ(m.owner, nullptr);
        EXPECT_EQ(m.caption, "Error!");
        EXPECT_EQ(m.style, 0x2010u);
    }
}

struct Derived : TERRORCLASS {
    void Error(uint16_t ModuleID, uint16_t ErrorID) override {
        seen = ModuleID * 0x10000 + ErrorID;
        TERRORCLASS::Error(ModuleID, ErrorID);
    }
    unsigned seen = 0;
};

TEST(InternalError, ErrorIsVirtual) {
    Derived derived;
    TERRORCLASS& base = derived;
    MessageRecorder messages;
    base.Error(0x1C9B, 5);
    EXPECT_EQ(derived.seen, 0x1C9B0005u);
    EXPECT_TRUE(base.HasError());
}

TEST(ShowMessageBox, PassesOwnerStyleAndAnswer) {
    MessageRecorder messages({mb::kIdNo});
    int dummy = 0;
    EXPECT_EQ(ShowMessageBox(&dummy, "Leave?", "Question", mb::kYesNo | mb::kIconQuestion), mb::kIdNo);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].owner, &dummy);
    EXPECT_EQ(messages.shown[0].style, 0x24u);
}

TEST(ShowMessageBox, ShowsOnlyTheFirst255Characters) {
    MessageRecorder messages;
    std::string text;
    for (int i = 0; i < 300; ++i) text += static_cast<char>('a' + i % 26);
    ShowMessageBox(nullptr, text, "Error", mb::kIconHand);
    ShowMessageBox(nullptr, text.substr(0, 255), "Error", mb::kIconHand);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, text.substr(0, 255));
    EXPECT_EQ(messages.shown[1].text, text.substr(0, 255));
}

TEST(ShowMessageBox, RecordersNestAndRestore) {
    MessageRecorder outer({mb::kIdYes});
    {
        MessageRecorder inner({mb::kIdNo});
        EXPECT_EQ(ShowMessageBox(nullptr, "a", "Question", mb::kYesNo), mb::kIdNo);
    }
    EXPECT_EQ(ShowMessageBox(nullptr, "b", "Question", mb::kYesNo), mb::kIdYes);
    EXPECT_EQ(outer.shown.size(), 1u);
}

}  // namespace
