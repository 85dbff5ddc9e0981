#pragma once

// The tariff rules the editor and the provider file share: the order of a
// day class's entries and the key a new provider gets.

#include "model/TETypes.h"

// The key a new provider of this name gets: up to four capitals from the start
// of the name (KeyLetters) and the first counter from 0001 upward that gives
// a key no provider of the list has, compared as the INI file compares names
// (letter case folded): tele0001 in the list takes TELE0001 too. The
// record's Name holds the letter prefix, its DisplayName the name.
TKeyAndName NewProviderKey(const QString &name, const QList<TKeyAndName> &providers);
// Appends NewProviderKey(name, providers) to providers.
void AddNewProviderKey(const QString &name, QList<TKeyAndName> &providers);

// Drops entries whose Interval is 0 and sorts the list by TTariffEntry::SortKey
// (bytes, unsigned) with the editor's quicksort, which is not stable. The
// sort key is defined here with the rule it serves.
void SortTariffEntries(TTariffEntryList &entries);

// The quicksort scheme of the editor: middle element as pivot, indices moving
// inwards, swap, recurse on both parts. less(a, b) compares two elements.
template<typename List, typename Less>
void EditorQuickSort(List &list, qsizetype l, qsizetype r, Less less)
{
    while (l < r) {
        qsizetype i = l, j = r;
        const auto pivot = list.at((l + r) / 2);
        do {
            while (less(list.at(i), pivot))
                ++i;
            while (less(pivot, list.at(j)))
                --j;
            if (i <= j) {
                list.swapItemsAt(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        // Recurse on the smaller part and loop on the larger one, so that the
        // stack stays shallow; the order of the two parts does not change the result.
        if (j - l < r - i) {
            if (l < j)
                EditorQuickSort(list, l, j, less);
            l = i;
        } else {
            if (i < r)
                EditorQuickSort(list, i, r, less);
            r = j;
        }
    }
}
