#include "deletion_plan.h"

#include <cstring>

#include "common/platform.h"

GroupPlan PlanGroupDeletion(const std::vector<bool>& marked, bool keepLastCopy, const std::vector<bool>& restorable) {
    GroupPlan plan;
    bool kept = false;
    int readable = -1;  // the last kept member the undo file can read from
    for (size_t k = 0; k < marked.size(); ++k) {
        const bool last = k + 1 == marked.size();
        MemberAction action = MemberAction::Keep;
        if (marked[k]) action = last && !kept && keepLastCopy ? MemberAction::Spare : MemberAction::Delete;
        if (action != MemberAction::Delete) {
            kept = true;
            plan.source = static_cast<int>(k);
            if (k >= restorable.size() || restorable[k]) readable = static_cast<int>(k);
        }
        plan.actions.push_back(action);
    }
    if (readable >= 0) plan.source = readable;
    return plan;
}

bool IdenticalCopies(const std::string& a, const std::string& b) {
    platform::File fa, fb;
    if (!fa.open(a) || !fb.open(b)) return false;
    // One file under two names, or names whose identity cannot be told, are no copies.
    platform::FileIdentity ia, ib;
    if (!fa.identity(ia) || !fb.identity(ib) || platform::SameFile(ia, ib)) return false;
    std::vector<char> bufferA(65536), bufferB(65536);
    for (;;) {
        const int32_t gotA = fa.read(bufferA.data(), static_cast<int32_t>(bufferA.size()));
        const int32_t gotB = fb.read(bufferB.data(), static_cast<int32_t>(bufferB.size()));
        if (gotA < 0 || gotB < 0 || gotA != gotB) return false;
        if (gotA == 0) return true;
        if (std::memcmp(bufferA.data(), bufferB.data(), static_cast<size_t>(gotA)) != 0) return false;
    }
}
