#include "results.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "app/scan/catalogue.h"
#include "app/scan/detection.h"

void TRESULTS::NewGroup() {
    CurrentGroup = 1;
    for (int i = Count() - 1; i >= 0; --i)
        if (const TRESULTITEM* last = Get(i)) {
            CurrentGroup = last->Group + 1;
            break;
        }
}

void TRESULTS::AddToGroup(int32_t fileIndex) { Add(std::make_unique<TRESULTITEM>(CurrentGroup, fileIndex)); }

TFILEINFO* TRESULTS::EntryFile(const TFILELIST& FileList, int i) const {
    const TRESULTITEM* item = Get(i);
    if (!item || item->FileIndex < 0 || item->FileIndex >= FileList.Count()) return nullptr;
    return FileList[item->FileIndex];
}

namespace {

// The group of the first entry at or after i, or INT32_MAX past the last one.
// Groups ascend through the list, so this never decreases as i grows.
int32_t groupAtOrAfter(const TRESULTS& results, int i) {
    for (; i < results.Count(); ++i)
        if (const TRESULTITEM* item = results.Get(i)) return item->Group;
    return INT32_MAX;
}

// The first index whose entry (or the next one after empty slots) belongs to
// group g or a later one.
int firstAtOrAfterGroup(const TRESULTS& results, int32_t g) {
    int lo = 0, hi = results.Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (groupAtOrAfter(results, mid) < g)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

}  // namespace

std::pair<int, int> TRESULTS::GroupSpan(int32_t g) const {
    return {firstAtOrAfterGroup(*this, g), g == INT32_MAX ? Count() : firstAtOrAfterGroup(*this, g + 1)};
}

int32_t TRESULTS::GroupSize(int32_t g) const {
    int32_t n = 0;
    const auto [first, end] = GroupSpan(g);
    for (int i = first; i < end; ++i)
        if (const TRESULTITEM* item = Get(i); item && item->Group == g) ++n;
    return n;
}

std::string TRESULTS::GroupLabel(int32_t g, const TFILELIST& FileList) const {
    std::string caption;
    bool first = true;
    const auto [begin, end] = GroupSpan(g);
    for (int i = begin; i < end; ++i) {
        const TRESULTITEM* item = Get(i);
        const TFILEINFO* file = item && item->Group == g ? EntryFile(FileList, i) : nullptr;
        if (!file) continue;
        if (first)
            caption = file->RealName();
        else if (file->RealName() != caption)
            caption.clear();
        first = false;
        if (caption.empty()) break;  // once empty it stays empty
    }
    if (caption.empty()) caption = "Group N " + std::to_string(g);
    return caption;  // a name holds at most 255 characters
}

int64_t TRESULTS::FreeableSpace(const TFILELIST& FileList) const { return ::FreeableSpace(*this, FileList); }

void TRESULTS::DropGroup(int32_t g, TFILELIST& FileList) {
    const auto [first, end] = GroupSpan(g);
    dropEntries(g, first, end, FileList);
}

void TRESULTS::dropEntries(int32_t g, int first, int end, TFILELIST& FileList) {
    for (int i = first; i < end; ++i) {
        const TRESULTITEM* item = Get(i);
        if (!item || item->Group != g) continue;
        if (EntryFile(FileList, i)) FileList.Delete(item->FileIndex);
        Delete(i);
    }
}

void TRESULTS::Purge(TFILELIST& FileList) {
    for (int i = 0; i < Count(); ++i) {
        const TRESULTITEM* item = Get(i);
        const TFILEINFO* file = item ? EntryFile(FileList, i) : nullptr;
        if (file && file->Deleted) {
            FileList.Delete(item->FileIndex);
            Delete(i);
        }
    }
    // A group's entries lie together, so one walk finds the groups left with a
    // single member; dropping one changes no other group.
    for (int i = 0; i < Count();) {
        const TRESULTITEM* item = Get(i);
        if (!item) {
            ++i;
            continue;
        }
        const int32_t g = item->Group;
        int members = 0, end = i;
        for (; end < Count(); ++end)
            if (const TRESULTITEM* next = Get(end)) {
                if (next->Group != g) break;
                ++members;
            }
        if (members == 1) dropEntries(g, i, end, FileList);
        i = end;
    }
    Compact(FileList);
}

void TRESULTS::Compact(TFILELIST& FileList) {
    std::vector<int32_t> map(static_cast<size_t>(FileList.Count()));
    int32_t w = 0;
    for (int r = 0; r < FileList.Count(); ++r) {
        map[static_cast<size_t>(r)] = w;
        if (!FileList.Get(r)) continue;
        if (r != w) FileList.Put(w, FileList.Extract(r));
        ++w;
    }
    for (int i = 0; i < Count(); ++i)
        if (TRESULTITEM* item = Get(i); item && item->FileIndex >= 0 && item->FileIndex < static_cast<int>(map.size()))
            item->FileIndex = map[static_cast<size_t>(item->FileIndex)];
    FileList.Pack();
    Pack();
}
