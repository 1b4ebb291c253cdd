// The feedback address and the checks the form makes before sending.
#include <gtest/gtest.h>

#include <string>

#include "app/shell/feedback.h"

TEST(Feedback, EveryByteIsEncodedWithTheTerminatingZero) {
    struct Case {
        std::string text, encoded;
    };
    const Case cases[] = {
        {"", ""},
        {"ab", "%61%62%00"},
        {" ", "%20%00"},
        {"\xE9&%", "%E9%26%25%00"},
        {std::string("\0z", 2), "%00%7A%00"},
    };
    for (const Case& c : cases) EXPECT_EQ(EncodeFeedbackValue(c.text), c.encoded) << c.text;
}

TEST(Feedback, TheAddressNamesThePageAndTheThreeFieldsInOrder) {
    EXPECT_EQ(FeedbackAddress("ab", "", "x"),
              "http://www.varnok.com/cgi-bin/support_add.pl?name=%61%62%00&mail=&text=%78%00");
}

TEST(Feedback, RefusalsAndTheirLimits) {
    const std::string field(kMaxFeedbackField, 'n');
    const std::string message(kMaxFeedbackMessage, 'm');
    struct Case {
        std::string name, mail, message;
        const char* refusalStart;  // empty: sent
    };
    const Case cases[] = {
        {"", "a@b", "hi", "You are not enter yours name"},
        {"", "", "", "You are not enter yours name"},  // the name is checked first
        {"   ", "", "hi", ""},                         // blanks are a name
        {"n", "", "", "You are not enter text of yours message"},
        {"n", "", message, ""},
        {"n", "", message + "m", "You are enter message with summary length equal 4097 characters."},
        {field, field, "hi", ""},
        {field + "n", "", "hi", "Your name and e-mail address may each be at most 255"},
        {"n", field + "n", "hi", "Your name and e-mail address may each be at most 255"},
    };
    for (const Case& c : cases) {
        const std::string refusal = FeedbackRefusal(c.name, c.mail, c.message);
        EXPECT_EQ(refusal.substr(0, std::string(c.refusalStart).size()), c.refusalStart)
            << c.name.size() << "/" << c.mail.size() << "/" << c.message.size();
        EXPECT_EQ(refusal.empty(), *c.refusalStart == 0);
    }
    // The longest address that passes the checks stays far below the old fixed 64,000 bytes.
    EXPECT_LT(FeedbackAddress(field, field, message).size(), 14000u);
}
