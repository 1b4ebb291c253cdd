// Duplicate detection: the catalogue sorted by size, files compared byte by
// byte with the other files of their size, identical ones grouped, as if each
// were compared with every later one.
#pragma once

#include <cstdint>
#include <memory>

#include "app/scan/catalogue.h"
#include "app/scan/progress.h"
#include "app/scan/remembered.h"
#include "app/scan/results.h"

// Standard order: larger size, name descending, larger attributes, later
// created/written/accessed, larger folder index first.
int StandardOrder(const TLISTITEM* a, const TLISTITEM* b);
// Advanced order: larger size, then larger first-block checksum first.
int AdvancedOrder(const TLISTITEM* a, const TLISTITEM* b);

// Drops files that have no neighbour of equal size (or equal checksum, once known).
void PruneCatalogue(TFILELIST& FileList);

// Bytes that deleting the groups' copies would free (all of every group when
// bNotDeleteLastCopy is off).
int64_t FreeableSpace(const TRESULTS& Results, const TFILELIST& FileList);

// The buffer size detection uses for a setting in 512-byte units: 1 to 2048 units.
int32_t BufferBytes(int32_t units);

// What comparing the files of one size may hold at once: open files, and the
// bytes of the blocks one round keeps to tell contents apart. Past the memory
// a block is kept only as a hash, and the first file of a matching part is
// read once more to compare it byte by byte.
struct TDETECTIONLIMITS {
    size_t OpenFiles = 512;
    int64_t RoundMemory = 32 << 20;
};
extern TDETECTIONLIMITS DetectionLimits;
// Bytes read a second time that way since the program started (for benchmarks).
extern int64_t BytesReadAgain;

// A file changed less than this many seconds before a search began is not
// remembered: the system keeps change times to a clock tick, and a file
// written again within the tick it was read in would keep its change time.
extern int32_t RememberedSettleSeconds;

// The whole detection; progress may be null (no window, no estimates).
// With a store of what files hold, a file still as it was remembered is not
// read, and what is read whole is remembered; the groups are the same.
std::unique_ptr<TRESULTS> FindDuplicates(TFILELIST& FileList, ScanProgress* progress = nullptr,
                                         TREMEMBERED* remembered = nullptr);
