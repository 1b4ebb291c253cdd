#include "folder_tree.h"

#include <vector>

#include "app/scan/catalogue.h"
#include "common/platform.h"

int ForEachFolderInTree(const std::string& root, const std::function<void(const std::string&)>& visit) {
    std::string folder = root;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (folder.size() > kMaxFolderEntry) return 1;
    visit(folder);
    int leftOut = 0;
    // The subfolders are read before descending, so one search is open at a time.
    std::vector<std::string> children;
    platform::FolderSearch search;
    platform::FindData found;
    for (bool more = search.first(folder + "*.*", found, true); more; more = search.next(found)) {
        if (!(found.Attributes & platform::kAttrDirectory)) continue;
        if (found.Attributes & (platform::kAttrHidden | platform::kAttrSystem)) continue;
        if (found.Name.empty() || found.Name.front() == '.') continue;
        // A folder whose long name the program cannot use (or which would pass
        // 255 characters) is listed by its 8.3 name; one neither name fits is left out.
        const std::string name = ReachingName(folder, found.Name, found.ShortName, kMaxFolderEntry - 1);
        if (name.empty())
            ++leftOut;
        else
            children.push_back(name);
    }
    search.close();
    for (const std::string& name : children) leftOut += ForEachFolderInTree(folder + name + "\\", visit);
    return leftOut;
}
