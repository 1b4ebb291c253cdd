// Opens the real results window on a model the test builds, and drives it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/results/results_window_win32.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/program_state.h"
#include "tests/support/modal_driver_win32.h"

class ResultsWindowFixture : public ::testing::Test {
protected:
    static constexpr const char* kCaption = "Results of search of files - duplicates and clones...";

    void TearDown() override { ResetProgramState(); }

    // Adds a group of records: folder list index and file data.
    void addGroup(const std::vector<std::pair<int, platform::FindData>>& members) {
        results.NewGroup();
        for (const auto& [folder, data] : members) results.AddToGroup(files.Add(std::make_unique<TFILEINFO>(folder, data)));
    }

    // Runs the window; act gets the dialog and its view. More steps may follow
    // (windows that act opens).
    void open(const std::function<void(HWND, TRESVIEW&)>& act, std::vector<ModalStep> more = {}) {
        std::vector<ModalStep> steps = {{kCaption, [&](HWND dialog) { act(dialog, *CurrentResultsView()); }}};
        steps.insert(steps.end(), more.begin(), more.end());
        ModalDriver driver(steps);
        ResultsWindow(nullptr, results, files);
        EXPECT_TRUE(driver.found());
        EXPECT_FALSE(driver.timedOut());
    }

    static void runRule(HWND dialog, int rule) {
        HWND combo = GetDlgItem(GetDlgItem(dialog, IDC_TOOLBAR), IDC_RULE_LIST);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(rule), 0);
        SendMessageA(dialog, WM_COMMAND, IDC_RUN_RULE, 0);
    }
    static void press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, id, 0); }
    static void close(HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

    static std::vector<HTREEITEM> groups(TRESVIEW& view) {
        std::vector<HTREEITEM> out;
        for (HTREEITEM g = view.Root(); g; g = view.NextSibling(g)) out.push_back(g);
        return out;
    }
    static std::vector<HTREEITEM> members(TRESVIEW& view, HTREEITEM group) {
        std::vector<HTREEITEM> out;
        for (HTREEITEM f = view.FirstChild(group); f; f = view.NextSibling(f)) out.push_back(f);
        return out;
    }
    // "1 0 1 | 0 0": the selection of every file, group by group.
    static std::string selection(TRESVIEW& view) {
        std::string out;
        for (HTREEITEM g : groups(view)) {
            if (!out.empty()) out += " |";
            for (HTREEITEM f : members(view, g)) out += view.IsBold(f) ? " 1" : " 0";
        }
        return out.empty() ? out : out.substr(1);
    }
    static std::string status(HWND dialog, int part) {
        char text[256] = {};
        SendMessageA(GetDlgItem(dialog, IDC_STATUS_BAR), SB_GETTEXTA, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(text));
        return text;
    }

    TFILELIST files;
    TRESULTS results;
};
