// Which members of a group a deletion removes, which it spares, and which
// copy stays as the source the undo file restores from.
#pragma once

#include <string>
#include <vector>

enum class MemberAction { Keep, Spare, Delete };

struct GroupPlan {
    std::vector<MemberAction> actions;  // one per member, in member order
    // The copy the undo file restores from: the last member kept or spared
    // whose path the undo file can read, else the last kept or spared; -1
    // when none stays.
    int source = -1;
};

// marked: one flag per member. With keepLastCopy, a group whose members are
// all marked keeps its last member. restorable: per member, whether an undo
// file can read from its path (every member, when empty).
GroupPlan PlanGroupDeletion(const std::vector<bool>& marked, bool keepLastCopy,
                            const std::vector<bool>& restorable = {});

// Whether two paths are two different files with the same bytes, read now.
bool IdenticalCopies(const std::string& a, const std::string& b);
