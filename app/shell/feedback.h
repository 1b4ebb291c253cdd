// The feedback form's address: the three fields, each byte encoded, in the
// query of the maker's feedback page, which the user's browser then opens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest message the page takes, in characters.
inline constexpr size_t kMaxFeedbackMessage = 4096;
// The longest name or mail address the form takes: with every byte sent as
// three, longer ones would make an address no browser is handed reliably.
inline constexpr size_t kMaxFeedbackField = 255;

// Every byte as "%XX" (upper-case hex), the terminating zero included, so a
// non-empty value ends in "%00"; an empty value stays empty.
std::string EncodeFeedbackValue(std::string_view text);

// Why the fields cannot be sent, in the words of the box the form shows; empty
// when they can.
std::string FeedbackRefusal(std::string_view name, std::string_view mail, std::string_view message);

// http://<maker's host>/cgi-bin/support_add.pl?name=..&mail=..&text=..
std::string FeedbackAddress(std::string_view name, std::string_view mail, std::string_view message);

// The longest address the form hands to the shell itself. Windows documents
// about 2,083 characters for an address; Wine 8's shell takes 983, and one
// more ends the program inside ShellExecute. 800 stays well inside both.
inline constexpr size_t kMaxShellAddress = 800;

// A small page that sends the browser on to address, byte for byte, as the
// shell would have: for a message whose address is too long to hand over.
std::string FeedbackPage(std::string_view address);
