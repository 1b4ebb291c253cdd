#include "folder_tree.h"

#include <vector>

#include "common/platform.h"

void ForEachFolderInTree(const std::string& root, const std::function<void(const std::string&)>& visit) {
    std::string folder = root;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (folder.size() > 255) return;
    visit(folder);
    // The subfolders are read before descending, so one search is open at a time.
    std::vector<std::string> children;
    platform::FolderSearch search;
    platform::FindData found;
    for (bool more = search.first(folder + "*.*", found); more; more = search.next(found)) {
        if (!(found.Attributes & platform::kAttrDirectory)) continue;
        if (found.Attributes & (platform::kAttrHidden | platform::kAttrSystem)) continue;
        if (found.Name.empty() || found.Name.front() == '.') continue;
        children.push_back(found.Name);
    }
    search.close();
    for (const std::string& name : children) ForEachFolderInTree(folder + name + "\\", visit);
}
