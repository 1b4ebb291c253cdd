// Progress of a scan: the running flag the stop button clears, the tracker
// that counts steps and estimates times, and the snapshot it shows.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// True while a scan may go on; the progress window's stop button and close
// box clear it, and every loop of the detection tests it before each step.
extern std::atomic<bool> ScanRunning;

// What detection tells whoever follows it.
class ScanProgress {
public:
    virtual ~ScanProgress() = default;
    virtual void Create(int64_t total) = 0;
    virtual void SetRemaining(int64_t steps) = 0;
    virtual void Step(int32_t folders, int32_t files, int32_t checked, int32_t duplicates, int64_t freeable) = 0;
    virtual void Destroy() = 0;
};

// One refresh of the progress window. Moments are FILETIME values of local
// time, durations counts of 100-ns units.
struct TSNAPSHOT {
    double Percent = 0;
    int32_t Folders = 0;
    int32_t Files = 0;
    int32_t Checked = 0;
    int32_t Duplicates = 0;
    int64_t Freeable = 0;
    int64_t Start = 0;
    int64_t Finish = 0;
    int64_t Remaining = 0;
    int64_t TotalEstimate = 0;
    int64_t Elapsed = 0;
};

// The texts of the value fields 185 to 194, in that order.
std::array<std::string, 10> SnapshotTexts(const TSNAPSHOT& snapshot);

// The window side of the tracker (the progress window in the program).
class ProgressWindowLink {
public:
    virtual ~ProgressWindowLink() = default;
    virtual void Open() = 0;
    // Returns once the window has shown the snapshot (or at once without a window).
    virtual void Show(const TSNAPSHOT& snapshot) = 0;
    // Closes the window if the user has not; returns once it is gone.
    virtual void Close() = 0;
};

class TTIMEORACLE : public ScanProgress {
public:
    using Clock = std::function<int64_t()>;  // now, as a FILETIME value of local time

    explicit TTIMEORACLE(ProgressWindowLink* window = nullptr, Clock clock = {});
    ~TTIMEORACLE() override;

    void Create(int64_t total) override;
    void SetRemaining(int64_t steps) override;
    void Step(int32_t folders, int32_t files, int32_t checked, int32_t duplicates, int64_t freeable) override;
    void Destroy() override;

    int64_t Total = 0;
    int64_t Done = 0;
    int64_t Start = 0;
    double LastUpdate = 0;

private:
    ProgressWindowLink* window_;
    Clock clock_;
    bool open_ = false;
};

// Local time now, as a FILETIME value.
int64_t LocalFileTimeNow();
