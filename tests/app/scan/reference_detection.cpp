#include "reference_detection.h"

#include <cstring>
#include <vector>

namespace reference {

int CompareFiles(TFILEINFO& a, TFILEINFO& b, uint8_t* buffer1, uint8_t* buffer2, int32_t bufferSize) {
    // Two names of one file are never copies: the later name drops out for good.
    if (a.Grouped || a.Alias) return 1;
    if (b.Grouped || b.Alias) return 0;
    if (a.Size != b.Size) return 1;
    if (bEnableAdvanced) {
        if (a.Checksum != b.Checksum) return 1;
    } else {
        if (a.HasChecksum && b.HasChecksum && a.Checksum != b.Checksum) return 0;
    }
    if (!a.Rewind()) return 1;
    if (!b.Open()) return 0;
    int result = 2;
    int64_t position = 0;
    while (true) {
        int32_t count;
        if (a.Size - position >= bufferSize)
            count = bufferSize;
        else
            count = static_cast<int32_t>(a.Size - position);
        int32_t readA = a.ReadBlock(buffer1, count);
        int32_t readB = b.ReadBlock(buffer2, count);
        if (readA < 0 || readB < 0) {
            result = 0;
            break;
        }
        if (readA != readB) {
            result = 0;
            break;
        }
        if (readA > 0 && std::memcmp(buffer1, buffer2, static_cast<size_t>(readA)) != 0) {
            result = 0;
            break;
        }
        if (readA == 0 && readB == 0) break;
        position += readA;
    }
    if (result == 2 && a.SameFileAs(b)) {
        b.Alias = true;
        result = 0;
    }
    b.Close();
    return result;
}

int32_t CollectGroup(TFILELIST& FileList, int i, TRESULTS& Results, uint8_t* buffer1, uint8_t* buffer2,
                     int32_t bufferSize) {
    if (!FileList[i]->Open()) return 0;
    Results.NewGroup();
    int32_t count = 0;
    int j = i + 1;
    while (j < FileList.Count()) {
        int r = reference::CompareFiles(*FileList[i], *FileList[j], buffer1, buffer2, bufferSize);
        if (r == 0) {
            j = j + 1;
        } else if (r == 1) {
            break;
        } else {
            for (int k = Results.Count() - count; k < Results.Count(); ++k)
                if (FileList[Results[k]->FileIndex]->SameFileAs(*FileList[j])) FileList[j]->Alias = true;
            if (!FileList[j]->Alias) {
                Results.AddToGroup(j);
                count = count + 1;
                FileList[j]->Grouped = true;
            }
            j = j + 1;
        }
    }
    if (count > 0) Results.AddToGroup(i);
    FileList[i]->Close();
    return count;
}

int64_t FreeableSpace(const TRESULTS& Results, const TFILELIST& FileList) {
    int64_t total = 0;
    int k = 0;
    while (k < Results.Count()) {
        int group = Results[k]->Group;
        int64_t size = FileList[Results[k]->FileIndex]->Size;
        int64_t n = 0;
        while (k < Results.Count() && Results[k]->Group == group) {
            ++n;
            ++k;
        }
        total += bNotDeleteLastCopy ? size * (n - 1) : size * n;
    }
    return total;
}

std::unique_ptr<TRESULTS> FindDuplicates(TFILELIST& FileList, ScanProgress* progress) {
    auto Results = std::make_unique<TRESULTS>();
    FileList.Sort(StandardOrder);
    PruneCatalogue(FileList);
    int count = FileList.Count();
    ScanRunning = true;
    progress->Create(static_cast<int64_t>(count - 1) * 2);
    int32_t folders = static_cast<int32_t>(slFoldersToScan.size());
    if (bEnableAdvanced) {
        std::vector<uint8_t> block(static_cast<size_t>(lAdvancedBufferSize) * 512);
        for (int i = 0; i < count && ScanRunning; ++i) {
            FileList[i]->ReadFirstBlock(block.data(), static_cast<int32_t>(block.size()));
            progress->Step(folders, i, 0, 0, 0);
        }
        FileList.Sort(AdvancedOrder);
        PruneCatalogue(FileList);
        count = FileList.Count();
    }
    int32_t size = lStandartBufferSize * 512;
    std::vector<uint8_t> buffer1(static_cast<size_t>(size));
    std::vector<uint8_t> buffer2(static_cast<size_t>(size));
    progress->SetRemaining(count - 1);
    int32_t duplicates = 0;
    for (int i = 0; i < count && ScanRunning; ++i) {
        duplicates += reference::CollectGroup(FileList, i, *Results, buffer1.data(), buffer2.data(), size);
        int64_t freeable = reference::FreeableSpace(*Results, FileList);
        progress->Step(folders, count, i, duplicates, freeable);
    }
    progress->Destroy();
    ScanRunning = false;
    return Results;
}

}  // namespace reference
