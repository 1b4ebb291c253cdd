#include "detection.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const TFILEINFO& fileOf(const TLISTITEM* item) { return *static_cast<const TFILEINFO*>(item); }

template <class T>
int descending(const T& a, const T& b) {
    return a > b ? -1 : a < b ? 1 : 0;
}

// Later first, to the second; weekday and milliseconds do not count.
int laterFirst(const platform::TimeStamp& a, const platform::TimeStamp& b) {
    const uint16_t ka[] = {a.Year, a.Month, a.Day, a.Hour, a.Minute, a.Second};
    const uint16_t kb[] = {b.Year, b.Month, b.Day, b.Hour, b.Minute, b.Second};
    for (size_t k = 0; k < std::size(ka); ++k)
        if (int c = descending(ka[k], kb[k])) return c;
    return 0;
}

int nameDescending(const std::string& a, const std::string& b) {
    // Bytes compare unsigned; a name that is a prefix of another comes after it.
    const size_t n = std::min(a.size(), b.size());
    if (int c = std::memcmp(a.data(), b.data(), n)) return c > 0 ? -1 : 1;
    return descending(a.size(), b.size());
}

}  // namespace

int StandardOrder(const TLISTITEM* x, const TLISTITEM* y) {
    const TFILEINFO& a = fileOf(x);
    const TFILEINFO& b = fileOf(y);
    if (int c = descending(a.Size, b.Size)) return c;
    if (int c = nameDescending(a.Name, b.Name)) return c;
    if (int c = descending(a.Attributes, b.Attributes)) return c;
    if (int c = laterFirst(a.Created, b.Created)) return c;
    if (int c = laterFirst(a.Written, b.Written)) return c;
    if (int c = laterFirst(a.Accessed, b.Accessed)) return c;
    return descending(a.FolderIndex, b.FolderIndex);
}

int AdvancedOrder(const TLISTITEM* x, const TLISTITEM* y) {
    const TFILEINFO& a = fileOf(x);
    const TFILEINFO& b = fileOf(y);
    if (int c = descending(a.Size, b.Size)) return c;
    return descending(a.Checksum, b.Checksum);
}

void PruneCatalogue(TFILELIST& FileList) {
    const int count = FileList.Count();
    if (count < 4) return;
    const TFILEINFO* previous = FileList[0];
    for (int k = 1; k < count - 2; ++k) {
        const TFILEINFO& file = *FileList[k];
        const TFILEINFO& next = *FileList[k + 1];
        bool hasMatch;
        if (file.HasChecksum && file.Checksum != previous->Checksum && file.Checksum != next.Checksum)
            hasMatch = false;
        else
            hasMatch = file.Size == previous->Size || file.Size == next.Size;
        if (hasMatch)
            previous = &file;
        else
            FileList.Delete(k);
    }
    FileList.Pack();
}

int CompareFiles(TFILEINFO& a, TFILEINFO& b, uint8_t* buffer1, uint8_t* buffer2, int32_t bufferSize) {
    if (a.Grouped || a.Alias) return kNoLaterMatch;
    if (b.Grouped || b.Alias) return kNotIdentical;
    if (a.Size != b.Size) return kNoLaterMatch;
    if (bEnableAdvanced) {
        if (a.Checksum != b.Checksum) return kNoLaterMatch;
    } else if (a.HasChecksum && b.HasChecksum && a.Checksum != b.Checksum) {
        return kNotIdentical;
    }
    if (!a.Rewind()) return kNoLaterMatch;
    if (!b.Open()) return kNotIdentical;

    bool identical = true;
    int64_t position = 0;
    for (;;) {
        const int64_t remaining = a.Size - position;
        const int32_t want = remaining >= bufferSize ? bufferSize : static_cast<int32_t>(remaining);
        const int32_t gotA = a.ReadBlock(buffer1, want);
        const int32_t gotB = b.ReadBlock(buffer2, want);
        if (gotA < 0 || gotB < 0 || gotA != gotB ||
            (gotA > 0 && std::memcmp(buffer1, buffer2, static_cast<size_t>(gotA)) != 0)) {
            identical = false;
            break;
        }
        if (gotA == 0) break;
        position += gotA;
    }
    // Two names of one file (a folder listed under two paths, hard links)
    // are never copies of each other: deleting "the copy" would delete the
    // data. The later name drops out for good. Asked only of identical pairs,
    // as the system answers it slowly.
    if (identical && a.SameFileAs(b)) {
        b.Alias = true;
        identical = false;
    }
    b.Close();
    return identical ? kIdentical : kNotIdentical;
}

int32_t CollectGroup(TFILELIST& FileList, int i, TRESULTS& Results, uint8_t* buffer1, uint8_t* buffer2,
                     int32_t bufferSize) {
    TFILEINFO& reference = *FileList[i];
    // A file already in a group is no reference: the first candidate would
    // answer "no later match" at once, so it is not even opened. The file
    // itself is opened by the first comparison that reads it.
    if (reference.Grouped || reference.Alias) return 0;
    Results.NewGroup();
    const int firstItem = Results.Count();
    int32_t count = 0;
    const int total = FileList.Count();
    for (int j = i + 1; j < total; ++j) {
        TFILEINFO& candidate = *FileList[j];
        const int r = CompareFiles(reference, candidate, buffer1, buffer2, bufferSize);
        if (r == kNoLaterMatch) break;
        if (r != kIdentical) continue;
        // A second name of a file already in this group drops out for good.
        for (int k = firstItem; k < Results.Count() && !candidate.Alias; ++k)
            candidate.Alias = FileList[Results[k]->FileIndex]->SameFileAs(candidate);
        if (candidate.Alias) continue;
        Results.AddToGroup(j);
        ++count;
        candidate.Grouped = true;
    }
    if (count > 0) Results.AddToGroup(i);
    reference.Close();
    return count;
}

int64_t FreeableSpace(const TRESULTS& Results, const TFILELIST& FileList) {
    // A group is a run of entries with one number; empty slots are skipped.
    int64_t total = 0;
    int32_t group = 0;
    int64_t size = 0, members = 0;
    auto close = [&] {
        if (members > 0) total += size * (bNotDeleteLastCopy ? members - 1 : members);
    };
    for (int i = 0; i < Results.Count(); ++i) {
        const TRESULTITEM* item = Results[i];
        const TFILEINFO* file = item ? Results.EntryFile(FileList, i) : nullptr;
        if (!file) continue;
        if (members == 0 || item->Group != group) {
            close();
            group = item->Group;
            size = file->Size;
            members = 0;
        }
        ++members;
    }
    close();
    return total;
}

int32_t BufferBytes(int32_t units) { return std::clamp(units, kMinBufferUnits, kMaxBufferUnits) * 512; }

std::unique_ptr<TRESULTS> FindDuplicates(TFILELIST& FileList, ScanProgress* progress) {
    auto Results = std::make_unique<TRESULTS>();
    FileList.Sort(StandardOrder);
    PruneCatalogue(FileList);

    const int32_t folders = static_cast<int32_t>(FileList.Folders ? FileList.Folders->size() : slFoldersToScan.size());
    int count = FileList.Count();
    ScanRunning = true;
    if (progress) progress->Create(static_cast<int64_t>(count - 1) * 2);

    if (bEnableAdvanced) {
        std::vector<uint8_t> block(static_cast<size_t>(BufferBytes(lAdvancedBufferSize)));
        for (int i = 0; i < count && ScanRunning; ++i) {
            FileList[i]->ReadFirstBlock(block.data(), static_cast<int32_t>(block.size()));
            if (progress) progress->Step(folders, i, 0, 0, 0);
        }
        FileList.Sort(AdvancedOrder);
        PruneCatalogue(FileList);
        count = FileList.Count();
    }

    const int32_t bufferSize = BufferBytes(lStandartBufferSize);
    std::vector<uint8_t> buffer1(static_cast<size_t>(bufferSize));
    std::vector<uint8_t> buffer2(static_cast<size_t>(bufferSize));
    if (progress) progress->SetRemaining(count - 1);

    int32_t duplicates = 0;
    int64_t freeable = 0;
    for (int i = 0; i < count && ScanRunning; ++i) {
        const int groupStart = Results->Count();
        duplicates += CollectGroup(FileList, i, *Results, buffer1.data(), buffer2.data(), bufferSize);
        // Only the group just found adds to the freeable space of the groups before it.
        if (Results->Count() > groupStart) {
            const int64_t members = Results->Count() - groupStart;
            freeable += FileList[i]->Size * (bNotDeleteLastCopy ? members - 1 : members);
        }
        if (progress) progress->Step(folders, count, i, duplicates, freeable);
    }

    if (progress) progress->Destroy();
    ScanRunning = false;
    for (int i = 0; i < FileList.Count(); ++i)
        if (FileList[i]->Unreadable && !FileList[i]->Grouped) ++FileList.FilesLeftOut;
    return Results;
}
