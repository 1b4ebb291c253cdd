#include "app/shell/feedback.h"

#include "common/product.h"

std::string EncodeFeedbackValue(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string encoded;
    if (text.empty()) return encoded;
    encoded.reserve((text.size() + 1) * 3);
    auto add = [&](unsigned char byte) {
        encoded += '%';
        encoded += kDigits[byte >> 4];
        encoded += kDigits[byte & 15];
    };
    for (char c : text) add(static_cast<unsigned char>(c));
    add(0);
    return encoded;
}

std::string FeedbackRefusal(std::string_view name, std::string_view mail, std::string_view message) {
    if (name.empty()) return "You are not enter yours name or nickname. Please enter or cancel post...";
    // Only text put there by other programs gets past the fields' own limit.
    if (name.size() > kMaxFeedbackField || mail.size() > kMaxFeedbackField)
        return "Your name and e-mail address may each be at most " + std::to_string(kMaxFeedbackField) +
               " characters long. Please shorten them...";
    if (message.empty()) return "You are not enter text of yours message. Please enter or cancel post...";
    if (message.size() > kMaxFeedbackMessage)
        return "You are enter message with summary length equal " + std::to_string(message.size()) +
               " characters. Maximum lenght of messages on this feedback form is 4096 character. Please retype message "
               "shortly, or send them us via e-mail...";
    return {};
}

std::string FeedbackPage(std::string_view address) {
    // Every byte of a value is %XX, so only "&" between the fields needs
    // writing as an entity inside the page's attributes.
    std::string attribute;
    for (char c : address) attribute += c == '&' ? std::string("&amp;") : std::string(1, c);
    const std::string quoted(address);
    return "<!DOCTYPE html>\r\n<html><head><meta charset=\"windows-1252\">\r\n"
           "<meta http-equiv=\"refresh\" content=\"0; url=" + attribute + "\">\r\n"
           "<title>Varnok Com support department feedback form</title></head>\r\n"
           "<body><p>Your message is on its way to the Varnok Com support department. If nothing happens, "
           "<a href=\"" + attribute + "\">send it from here</a>.</p>\r\n"
           "<script>location.replace(\"" + quoted + "\");</script></body></html>\r\n";
}

std::string FeedbackAddress(std::string_view name, std::string_view mail, std::string_view message) {
    return std::string("http://") + product::kMakerWebSite +
           "/cgi-bin/support_add.pl?name=" + EncodeFeedbackValue(name) + "&mail=" + EncodeFeedbackValue(mail) +
           "&text=" + EncodeFeedbackValue(message);
}
