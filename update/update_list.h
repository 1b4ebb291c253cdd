// The update server's list of what an update brings: the lines the offer
// dialog shows, its date and its download size.
#pragma once

#include <string>
#include <string_view>

struct UpdateListView {
    bool empty = false;     // "EMPTY": this is the latest version
    std::string shown;      // the lines to show, each ending in a line feed
    std::string totalSize;  // "146Kbytes", once a total size was read
    std::string lastDate;   // the update's date as the user reads it, once read
    bool totalSeen = false;
    bool lastSeen = false;
    // The offer can be made only when both the size and the date came.
    bool complete() const { return totalSeen && lastSeen; }
};

// Reads the answer up to its end or its first zero byte.
UpdateListView ReadUpdateList(std::string_view answer);
