#include "folder_tree.h"

#include <set>
#include <utility>
#include <vector>

#include "app/scan/catalogue.h"
#include "common/files.h"
#include "common/platform.h"

namespace {

using Walked = std::set<std::pair<uint64_t, uint64_t>>;  // volume and index of each folder visited

// A subfolder to walk, and which folder it is where its listing told (natively).
struct Child {
    std::string name;
    bool known = false;
    platform::FileIdentity id;
};

int walk(const std::string& root, const std::function<void(const std::string&)>& visit, Walked& walked,
         const Child* listed = nullptr) {
    std::string folder = root;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (SystemLength(folder) > kMaxFolderEntry) return 1;
    // A folder reached again through a link (above itself, or beside) is
    // walked once, under the first name that reached it.
    platform::FileIdentity id;
    const bool known = listed && listed->known ? (id = listed->id, true) : platform::folderIdentity(folder, id);
    if (known && !walked.insert({id.volume, id.index}).second) return 0;
    visit(folder);
    int leftOut = 0;
    // The subfolders are read before descending, so one search is open at a time.
    std::vector<Child> children;
    platform::FolderSearch search;
    platform::FindData found;
    for (bool more = search.first(folder + "*.*", found, platform::FolderSearch::Entries::Folders); more;
         more = search.next(found)) {
        if (!(found.Attributes & platform::kAttrDirectory)) continue;
        if (found.Attributes & (platform::kAttrHidden | platform::kAttrSystem)) continue;
        if (found.Name.empty() || found.Name.front() == '.') continue;
        // A folder whose entry would pass 255 characters is listed by its 8.3
        // name; one neither name fits is left out.
        const size_t room = kMaxFolderEntry - 1 - SystemLength(folder);
        if (SystemLength(found.RealName) <= room)
            children.push_back({found.RealName, found.HasIdentity, found.Identity});
        else if (!found.ShortName.empty() && found.ShortName.size() <= room)
            children.push_back({platform::fromAnsi(found.ShortName), found.HasIdentity, found.Identity});
        else
            ++leftOut;
    }
    search.close();
    for (const Child& child : children) leftOut += walk(folder + child.name + "\\", visit, walked, &child);
    return leftOut;
}

}  // namespace

int ForEachFolderInTree(const std::string& root, const std::function<void(const std::string&)>& visit) {
    Walked walked;
    return walk(root, visit, walked);
}
