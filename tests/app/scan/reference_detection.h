// A plain, literal rendering of the comparison loops of duplicate detection,
// for tests only: every faster strategy must give the same answers.
#pragma once

#include <memory>

#include "app/scan/detection.h"

namespace reference {

int CompareFiles(TFILEINFO& a, TFILEINFO& b, uint8_t* buffer1, uint8_t* buffer2, int32_t bufferSize);
int32_t CollectGroup(TFILELIST& FileList, int i, TRESULTS& Results, uint8_t* buffer1, uint8_t* buffer2,
                     int32_t bufferSize);
int64_t FreeableSpace(const TRESULTS& Results, const TFILELIST& FileList);
std::unique_ptr<TRESULTS> FindDuplicates(TFILELIST& FileList, ScanProgress* progress);

}  // namespace reference
