#include "results.h"

#include <memory>
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

int32_t TRESULTS::GroupSize(int32_t g) const {
    int32_t n = 0;
    for (int i = 0; i < Count(); ++i)
        if (const TRESULTITEM* item = Get(i); item && item->Group == g) ++n;
    return n;
}

std::string TRESULTS::GroupLabel(int32_t g, const TFILELIST& FileList) const {
    std::string caption;
    bool first = true;
    for (int i = 0; i < Count(); ++i) {
        const TRESULTITEM* item = Get(i);
        const TFILEINFO* file = item && item->Group == g ? EntryFile(FileList, i) : nullptr;
        if (!file) continue;
        if (first)
            caption = file->Name;
        else if (file->Name != caption)
            caption.clear();
        first = false;
        if (caption.empty()) break;  // once empty it stays empty
    }
    if (caption.empty()) caption = "Group N " + std::to_string(g);
    return caption.substr(0, 255);
}

int64_t TRESULTS::FreeableSpace(const TFILELIST& FileList) const { return ::FreeableSpace(*this, FileList); }

void TRESULTS::DropGroup(int32_t g, TFILELIST& FileList) {
    for (int i = 0; i < Count(); ++i) {
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
    for (int i = 0; i < Count(); ++i)
        if (const TRESULTITEM* item = Get(i); item && GroupSize(item->Group) == 1) DropGroup(item->Group, FileList);
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
