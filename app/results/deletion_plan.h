// Which members of a group a deletion removes, which it spares, and which
// copy stays as the source the undo file restores from.
#pragma once

#include <string>
#include <vector>

enum class MemberAction { Keep, Spare, Delete };

struct GroupPlan {
    std::vector<MemberAction> actions;  // one per member, in member order
    int source = -1;                    // the last member kept or spared; -1 when none stays
};

// marked: one flag per member. With keepLastCopy, a group whose members are
// all marked keeps its last member.
GroupPlan PlanGroupDeletion(const std::vector<bool>& marked, bool keepLastCopy);

// Whether two paths are two different files with the same bytes, read now.
bool IdenticalCopies(const std::string& a, const std::string& b);
