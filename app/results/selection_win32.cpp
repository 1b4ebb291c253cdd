#include "selection_win32.h"

#include <algorithm>

#include "app/results/selection.h"
#include "common/ui/folder_browser.h"
#include "common/text.h"

namespace {

// decide(files) for each group's files (item and file, in member order)
// gives which to select.
template <class Decide>
void forEachGroup(TRESVIEW& view, Decide decide) {
    for (const auto& [group, members] : view.Groups()) {
        std::vector<std::pair<HTREEITEM, TFILEINFO*>> files;
        for (const TRESVIEW::Node& node : members) files.emplace_back(node.item, node.file);
        if (files.empty()) continue;
        const std::vector<bool> select = decide(files);
        for (size_t k = 0; k < files.size(); ++k)
            if (select[k]) view.Select(files[k].first);
    }
}

void selectInFolder(TRESVIEW& view, bool tree) {
    std::string chosen;
    if (!BrowseForFolder(view.OwnerWindow,
                         tree ? "Please choose root folder to select files" : "Please choose folder to select files",
                         chosen))
        return;
    const std::string target = platform::upperUtf8(chosen);
    forEachGroup(view, [&](const auto& files) {
        std::vector<bool> select;
        for (const auto& [item, file] : files)
            select.push_back(tree ? InFolderTree(file->FolderPath(), target)
                                  : InSingleFolder(file->FolderPath(), target));
        return select;
    });
}

}  // namespace

void RunRule(TRESVIEW& view, int index) {
    switch (index) {
    case RuleFocusedItem:
        if (HTREEITEM focused = view.Focused()) view.ToggleSelect(focused);
        break;
    case RuleSmart:
        forEachGroup(view, [&view, names = platform::SearchPathNames()](const auto& files) {
            // A protected copy is the one a group needs: with one, every other copy is superfluous.
            std::vector<bool> guarded;
            for (const auto& [item, file] : files) guarded.push_back(view.IsProtected(item));
            if (std::find(guarded.begin(), guarded.end(), true) != guarded.end()) {
                guarded.flip();
                return guarded;
            }
            std::vector<double> scores;
            for (const auto& [item, file] : files) scores.push_back(JunkScore(*file, &names));
            return SmartSelection(scores);
        });
        break;
    case RuleSingleFolder:
    case RuleFolderTree:
        selectInFolder(view, index == RuleFolderTree);
        break;
    case RuleOldestFiles:
    case RuleNewFiles:
        forEachGroup(view, [index](const auto& files) {
            std::vector<platform::TimeStamp> written;
            for (const auto& [item, file] : files) written.push_back(file->Written);
            return TimeSelection(written, index == RuleOldestFiles);
        });
        break;
    case RuleInvert:
        view.ForAllFiles(&TRESVIEW::ToggleSelect);
        break;
    case RuleNone:
        view.ForAllFiles(&TRESVIEW::Unselect);
        break;
    }
}
