#pragma once
// The one quicksort of the table passes. Records with equal keys end in whatever order this particular
// sort leaves them, and that order decides which colour gets which table index, so every pass that sorts
// table records uses this routine and no other.

#include <utility>
#include <vector>

namespace morlo::gif {

// Sorts items[lo..hi] by key, highest first: pivot is the key at (lo + hi) / 2; i runs up while the key
// is greater than the pivot, j runs down while it is less; i <= j swaps and moves both; until i > j; then
// lo..j and i..hi are sorted in that order.
template <class T, class Key>
void quickSortDescending(std::vector<T>& items, int lo, int hi, const Key& key) {
    while (lo < hi) {
        int i = lo;
        int j = hi;
        const auto pivot = key(items[static_cast<std::size_t>((lo + hi) / 2)]);
        do {
            while (key(items[static_cast<std::size_t>(i)]) > pivot)
                ++i;
            while (key(items[static_cast<std::size_t>(j)]) < pivot)
                --j;
            if (i <= j) {
                std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (lo < j)
            quickSortDescending(items, lo, j, key);
        lo = i; // the part i..hi, iteratively
    }
}

template <class T, class Key> void quickSortDescending(std::vector<T>& items, const Key& key) {
    if (items.size() > 1)
        quickSortDescending(items, 0, static_cast<int>(items.size()) - 1, key);
}

} // namespace morlo::gif
