// The program's owning list: slots own their items, Delete leaves a hole
// that Pack closes, and the sort keeps the order of equal keys that group
// numbering relies on.
#pragma once

#include <memory>
#include <vector>

class TLISTITEM {
public:
    virtual ~TLISTITEM() = default;
};

class TVARNOKLIST {
public:
    using CompareFunc = int (*)(const TLISTITEM* a, const TLISTITEM* b);

    TVARNOKLIST() = default;
    TVARNOKLIST(const TVARNOKLIST&) = delete;
    TVARNOKLIST& operator=(const TVARNOKLIST&) = delete;
    virtual ~TVARNOKLIST() = default;

    int Count() const { return static_cast<int>(items_.size()); }

    // Both throw std::out_of_range for an index outside 0 .. Count - 1.
    TLISTITEM* Get(int i) const;
    void Put(int i, std::unique_ptr<TLISTITEM> item);  // destroys the item it replaces

    virtual int Add(std::unique_ptr<TLISTITEM> item);  // returns the new index
    void Delete(int i);                                 // destroys the item, keeps its (now empty) slot
    std::unique_ptr<TLISTITEM> Extract(int i);          // takes the item out, leaving its slot empty
    void Pack();                                        // drops empty slots, keeping the order of the rest
    void Clear();

    // Quicksort, pivot at (lo + hi) / 2, called as compare(pivot, element).
    // The list must be packed.
    void Sort(CompareFunc compare);
    void Sort();
    virtual int Compare(const TLISTITEM* a, const TLISTITEM* b) const;

    // Index of an element that compares equal to key (compare(element, key)
    // == 0) in a list sorted by compare, or -2.
    int Search(const TLISTITEM* key, CompareFunc compare) const;

private:
    template <class Cmp>
    void quickSort(int lo, int hi, const Cmp& compare);
    void checkIndex(int i) const;

    std::vector<std::unique_ptr<TLISTITEM>> items_;
};

// A list whose items are all of one type, with typed access.
template <class T>
class TTYPEDLIST : public TVARNOKLIST {
public:
    T* Get(int i) const { return static_cast<T*>(TVARNOKLIST::Get(i)); }
    T* operator[](int i) const { return Get(i); }
};
