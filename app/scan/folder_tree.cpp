#include "folder_tree.h"

#include <set>
#include <utility>
#include <vector>

#include "app/scan/catalogue.h"
#include "common/files.h"
#include "common/platform.h"

namespace {

using Walked = std::set<std::pair<uint64_t, uint64_t>>;  // volume and index of each folder visited

int walk(const std::string& root, const std::function<void(const std::string&)>& visit, Walked& walked) {
    std::string folder = root;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (SystemLength(folder) > kMaxFolderEntry) return 1;
    // A folder reached again through a link (above itself, or beside) is
    // walked once, under the first name that reached it.
    platform::FileIdentity id;
    if (platform::folderIdentity(folder, id) && !walked.insert({id.volume, id.index}).second) return 0;
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
        // A folder whose entry would pass 255 characters is listed by its 8.3
        // name; one neither name fits is left out.
        const size_t room = kMaxFolderEntry - 1 - SystemLength(folder);
        if (SystemLength(found.RealName) <= room)
            children.push_back(found.RealName);
        else if (!found.ShortName.empty() && found.ShortName.size() <= room)
            children.push_back(platform::fromAnsi(found.ShortName));
        else
            ++leftOut;
    }
    search.close();
    for (const std::string& name : children) leftOut += walk(folder + name + "\\", visit, walked);
    return leftOut;
}

}  // namespace

int ForEachFolderInTree(const std::string& root, const std::function<void(const std::string&)>& visit) {
    Walked walked;
    return walk(root, visit, walked);
}
