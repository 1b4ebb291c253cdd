#include "progress.h"

#include "common/text.h"

std::atomic<bool> ScanRunning{false};

int64_t LocalFileTimeNow() { return TimeStampToFileTime(platform::localTime()); }

std::array<std::string, 10> SnapshotTexts(const TSNAPSHOT& s) {
    return {std::to_string(s.Folders),
            std::to_string(s.Files),
            std::to_string(s.Checked),
            std::to_string(s.Duplicates),
            SizeText(s.Freeable),
            TimeText(FileTimeToTimeStamp(s.Start)),
            DurationText(s.TotalEstimate),
            DurationText(s.Elapsed),
            DurationText(s.Remaining),
            TimeText(FileTimeToTimeStamp(s.Finish))};
}

TTIMEORACLE::TTIMEORACLE(ProgressWindowLink* window, Clock clock)
    : window_(window), clock_(clock ? std::move(clock) : Clock(LocalFileTimeNow)) {}

TTIMEORACLE::~TTIMEORACLE() { Destroy(); }

void TTIMEORACLE::Create(int64_t total) {
    Total = total;
    Done = 0;
    Start = clock_();
    ScanRunning = true;
    LastUpdate = 0;
    open_ = true;
    if (window_) window_->Open();
}

void TTIMEORACLE::SetRemaining(int64_t steps) { Total = Done + steps; }

void TTIMEORACLE::Step(int32_t folders, int32_t files, int32_t checked, int32_t duplicates, int64_t freeable) {
    ++Done;
    const int64_t now = clock_();
    if (static_cast<double>(now) - LastUpdate <= 10000000.0) return;
    TSNAPSHOT s;
    // A scan of a single file has nothing left to do: its bar shows full.
    s.Percent = Total > 0 ? 100.0 * static_cast<double>(Done) / static_cast<double>(Total) : 100.0;
    s.Folders = folders;
    s.Files = files;
    s.Checked = checked;
    s.Duplicates = duplicates;
    s.Freeable = freeable;
    s.Start = Start;
    s.Elapsed = now - Start;
    s.TotalEstimate = Done > 0 ? (s.Elapsed / Done) * Total : 0;
    s.Finish = Start + s.TotalEstimate;
    s.Remaining = s.TotalEstimate - s.Elapsed;
    if (window_) window_->Show(s);
    LastUpdate = static_cast<double>(now);
}

void TTIMEORACLE::Destroy() {
    if (!open_) return;
    open_ = false;
    if (window_) window_->Close();
    ScanRunning = false;
}
