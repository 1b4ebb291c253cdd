// The duplicate groups a scan finds: items name catalogue entries by index,
// and the items of one group lie together.
#pragma once

#include <cstdint>

#include "app/scan/varnoklist.h"

class TRESULTITEM : public TLISTITEM {
public:
    TRESULTITEM(int32_t group, int32_t fileIndex) : Group(group), FileIndex(fileIndex) {}
    int32_t Group;      // 1-based group number
    int32_t FileIndex;  // index into the catalogue
};

class TRESULTS : public TTYPEDLIST<TRESULTITEM> {
public:
    // Starts a group; its number is taken only once items are added under it.
    void NewGroup();
    void AddToGroup(int32_t fileIndex);

    int32_t CurrentGroup = 0;
};
