#include "varnoklist.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

void TVARNOKLIST::checkIndex(int i) const {
    if (i < 0 || i >= Count()) throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
}

TLISTITEM* TVARNOKLIST::Get(int i) const {
    checkIndex(i);
    return items_[static_cast<size_t>(i)].get();
}

void TVARNOKLIST::Put(int i, std::unique_ptr<TLISTITEM> item) {
    checkIndex(i);
    items_[static_cast<size_t>(i)] = std::move(item);
}

int TVARNOKLIST::Add(std::unique_ptr<TLISTITEM> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
}

void TVARNOKLIST::Delete(int i) {
    checkIndex(i);
    items_[static_cast<size_t>(i)].reset();
}

std::unique_ptr<TLISTITEM> TVARNOKLIST::Extract(int i) {
    checkIndex(i);
    return std::move(items_[static_cast<size_t>(i)]);
}

void TVARNOKLIST::Pack() {
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void TVARNOKLIST::Clear() { items_.clear(); }

int TVARNOKLIST::Compare(const TLISTITEM*, const TLISTITEM*) const { return 0; }

// Hoare partitioning around the middle element, scanning from both ends and
// swapping elements equal to the pivot, which fixes the order of equal keys.
// The smaller part is sorted by recursion and the larger by the loop, so the
// depth stays logarithmic; the parts are disjoint, so this does not change
// the result.
template <class Cmp>
void TVARNOKLIST::quickSort(int lo, int hi, const Cmp& compare) {
    while (lo < hi) {
        int i = lo;
        int j = hi;
        const TLISTITEM* pivot = items_[static_cast<size_t>((lo + hi) / 2)].get();
        do {
            while (compare(pivot, items_[static_cast<size_t>(i)].get()) > 0) ++i;
            while (compare(pivot, items_[static_cast<size_t>(j)].get()) < 0) --j;
            if (i <= j) {
                std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j) quickSort(lo, j, compare);
            lo = i;
        } else {
            if (i < hi) quickSort(i, hi, compare);
            hi = j;
        }
    }
}

void TVARNOKLIST::Sort(CompareFunc compare) {
    if (Count() > 1) quickSort(0, Count() - 1, compare);
}

void TVARNOKLIST::Sort() {
    if (Count() > 1)
        quickSort(0, Count() - 1, [this](const TLISTITEM* a, const TLISTITEM* b) { return Compare(a, b); });
}

int TVARNOKLIST::Search(const TLISTITEM* key, CompareFunc compare) const {
    int lo = 0;
    int hi = Count() - 1;
    while (lo <= hi) {
        int mid = lo + (hi - lo) / 2;
        int c = compare(items_[static_cast<size_t>(mid)].get(), key);
        if (c == 0) return mid;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -2;
}
