// Shared set-up for tests that scan real folders: restores every scan input
// and option, and records what detection reports.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/scan/catalogue.h"
#include "app/scan/detection.h"
#include "app/scan/masks.h"
#include "tests/support/program_state.h"
#include "tests/support/temp_folder.h"

struct StepRecord {
    int32_t folders, files, checked, duplicates;
    int64_t freeable;
    friend bool operator==(const StepRecord&, const StepRecord&) = default;
};

// Follows a detection and can press "stop" after a number of steps.
class RecordingProgress : public ScanProgress {
public:
    explicit RecordingProgress(int stopAfter = -1) : stopAfter_(stopAfter) {}
    void Create(int64_t total) override { created.push_back(total); }
    void SetRemaining(int64_t n) override { remaining.push_back(n); }
    void Step(int32_t folders, int32_t files, int32_t checked, int32_t duplicates, int64_t freeable) override {
        steps.push_back({folders, files, checked, duplicates, freeable});
        if (static_cast<int>(steps.size()) == stopAfter_) ScanRunning = false;
    }
    void Destroy() override { ++destroyed; }

    std::vector<int64_t> created, remaining;
    std::vector<StepRecord> steps;
    int destroyed = 0;

private:
    int stopAfter_;
};

class ScanFixture : public ::testing::Test {
protected:
    void TearDown() override {
        ResetProgramState();
    }

    std::unique_ptr<TFILELIST> collect() {
        if (slFoldersToScan.empty()) slFoldersToScan = {folder.entry()};
        std::unique_ptr<TFILELIST> list;
        EXPECT_TRUE(CollectFiles(list));
        return list;
    }

    // The groups as names: "b c a | x y".
    static std::string groupNames(const TRESULTS& results, const TFILELIST& files) {
        std::string out;
        for (int k = 0; k < results.Count(); ++k) {
            if (k > 0) out += results[k]->Group != results[k - 1]->Group ? " | " : " ";
            out += files[results[k]->FileIndex]->Name();
        }
        return out;
    }

    TempFolder folder;
};
