#pragma once
// A list of references that can keep itself sorted by a compare function and
// find items by a leftmost binary search.

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <vector>

namespace rs {

template <class T> class TExList
{
public:
    using TCompare = int (*)(const T*, const T*);

    int Count() const { return int(FItems.size()); }
    T* operator[](int i) const { return FItems[std::size_t(i)]; }
    T* Items(int i) const { return (i >= 0 && i < Count()) ? FItems[std::size_t(i)] : nullptr; }
    bool Sorted() const { return FSorted; }
    TCompare Compare() const { return FCompare; }

    int Add(T* item)
    {
        if (FSorted && FCompare) {
            int index;
            Find(item, index);
            FItems.insert(FItems.begin() + index, item);
            return index;
        }
        FItems.push_back(item);
        return Count() - 1;
    }

    void Insert(int index, T* item) { FItems.insert(FItems.begin() + index, item); }
    void Delete(int index) { FItems.erase(FItems.begin() + index); }
    void Clear() { FItems.clear(); }
    // Replaces count items from index with items, in one move of the tail.
    void Replace(int index, int count, const std::vector<T*>& items)
    {
        auto at = FItems.begin() + index;
        const int common = std::min(count, int(items.size()));
        std::copy(items.begin(), items.begin() + common, at);
        if (count > common)
            FItems.erase(at + common, at + count);
        else
            FItems.insert(at + common, items.begin() + common, items.end());
    }
    void Reserve(int n) { FItems.reserve(std::size_t(n)); }

    // Sorted: leftmost binary search (index = first equal item, or the insertion
    // position). Otherwise: identity search, index -1 when absent.
    bool Find(const T* item, int& index) const
    {
        if (FSorted && FCompare) {
            int lo = 0, hi = Count() - 1;
            bool found = false;
            while (lo <= hi) {
                int mid = (lo + hi) / 2;
                int c = FCompare(FItems[std::size_t(mid)], item);
                if (c < 0)
                    lo = mid + 1;
                else {
                    hi = mid - 1;
                    if (c == 0)
                        found = true;
                }
            }
            index = lo;
            return found;
        }
        auto it = std::find(FItems.begin(), FItems.end(), item);
        index = it == FItems.end() ? -1 : int(it - FItems.begin());
        return index >= 0;
    }

    int IndexOf(const T* item) const
    {
        if (FSorted && FCompare) {
            if (!item)
                return -1;
            int index;
            if (!Find(item, index))
                return -1;
            // Equal keys may precede the item itself; walk the run of equals.
            for (int i = index; i < Count() && FCompare(FItems[std::size_t(i)], item) == 0; ++i)
                if (FItems[std::size_t(i)] == item)
                    return i;
            return index;
        }
        for (int i = Count() - 1; i >= 0; --i)
            if (FItems[std::size_t(i)] == item)
                return i;
        return -1;
    }

    int Remove(const T* item)
    {
        int i = -1;
        for (int k = Count() - 1; k >= 0; --k)
            if (FItems[std::size_t(k)] == item) {
                i = k;
                break;
            }
        if (i >= 0)
            Delete(i);
        return i;
    }

    void SetSorted(bool value)
    {
        if (value) {
            if (!FCompare)
                throw std::logic_error("Undefined Compare Method.");
            std::stable_sort(FItems.begin(), FItems.end(),
                             [this](const T* a, const T* b) { return FCompare(a, b) < 0; });
        }
        FSorted = value;
    }

    void SetCompare(TCompare f)
    {
        if (f == FCompare)
            return;
        FCompare = f;
        if (FSorted && f)
            std::stable_sort(FItems.begin(), FItems.end(), [f](const T* a, const T* b) { return f(a, b) < 0; });
    }

    typename std::vector<T*>::const_iterator begin() const { return FItems.begin(); }
    typename std::vector<T*>::const_iterator end() const { return FItems.end(); }

private:
    std::vector<T*> FItems;
    bool FSorted = false;
    TCompare FCompare = nullptr;
};

} // namespace rs
