// The duplicate groups a scan finds: items name catalogue entries by index,
// the items of one group lie together, groups ascend by number, and every
// group has at least two members. Slots of either list are empty only
// between a deletion and the Compact that follows it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "app/scan/record_pool.h"
#include "app/scan/varnoklist.h"

class TFILEINFO;
class TFILELIST;

class TRESULTITEM : public TLISTITEM {
public:
    VARNOK_POOLED_RECORD
    TRESULTITEM(int32_t group, int32_t fileIndex) : Group(group), FileIndex(fileIndex) {}
    int32_t Group;      // 1-based group number
    int32_t FileIndex;  // index into the catalogue
};

class TRESULTS : public TTYPEDLIST<TRESULTITEM> {
public:
    // Starts a group; its number is taken only once items are added under it.
    void NewGroup();
    void AddToGroup(int32_t fileIndex);

    // The record of entry i, or null for an empty slot (of either list).
    TFILEINFO* EntryFile(const TFILELIST& FileList, int i) const;
    // The entries [first, end) that hold group g (empty slots among them).
    std::pair<int, int> GroupSpan(int32_t g) const;
    int32_t GroupSize(int32_t g) const;
    // The common name of the group's files, or "Group N " and its number.
    std::string GroupLabel(int32_t g, const TFILELIST& FileList) const;
    int64_t FreeableSpace(const TFILELIST& FileList) const;
    // Deletes every entry of group g together with its file's record.
    void DropGroup(int32_t g, TFILELIST& FileList);
    // After deletions: drops deleted files, then groups left with one member, then compacts.
    void Purge(TFILELIST& FileList);
    // Closes the empty slots of both lists, renumbering FileIndex.
    void Compact(TFILELIST& FileList);

    int32_t CurrentGroup = 0;

private:
    void dropEntries(int32_t g, int first, int end, TFILELIST& FileList);
};
