#include "DayListSort.h"

#include <algorithm>
#include <cmath>

namespace tanzo {
namespace {

bool before(const ScheduleEntry& a, const ScheduleEntry& b) {
    return a.dateSerial < b.dateSerial ||
           (a.dateSerial == b.dateSerial && a.startTime < b.startTime);
}

// Counts, over the original positions, how many entries of smaller keys
// have been placed so far.
class PositionCounter {
public:
    explicit PositionCounter(size_t size) : m_tree(size + 1, 0) {}
    void add(size_t position) {
        for (size_t i = position + 1; i < m_tree.size(); i += i & (~i + 1))
            ++m_tree[i];
    }
    // Entries added at positions below `position`.
    size_t countBelow(size_t position) const {
        size_t total = 0;
        for (size_t i = position; i > 0; i -= i & (~i + 1))
            total += m_tree[i];
        return total;
    }

private:
    std::vector<size_t> m_tree;
};

// An entry's key on its own, compact, so that sorting does not walk the
// entries themselves.
struct Key {
    float date;
    float time;
    size_t index;
    bool operator<(const Key& other) const {
        return date < other.date || (date == other.date && time < other.time);
    }
};

// The keys in order, equal keys in file order.
std::vector<Key> sortedKeys(const DayList& list) {
    std::vector<Key> keys(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        keys[i] = {list[i].dateSerial, list[i].startTime, i};
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a < b)
            return true;
        if (b < a)
            return false;
        return a.index < b.index;
    });
    return keys;
}

// The run of equal keys byKey[start, end) in the order the exchange sort
// leaves it (see sortDayList), written to result[start, end). `smaller`
// holds the file positions of every entry of a smaller key.
void orderRun(const std::vector<size_t>& byKey, size_t start, size_t end,
              const PositionCounter& smaller, std::vector<size_t>& result) {
    std::vector<size_t> run;
    run.reserve(end - start);
    size_t step = 0;
    for (size_t k = start; k < end; ++k) {
        const size_t block = smaller.countBelow(byKey[k]);
        if (block > step && !run.empty())
            std::rotate(run.begin(), run.begin() + (block - step) % run.size(), run.end());
        step = std::max(step, block);
        run.push_back(byKey[k]);
    }
    // `start` entries have smaller keys; the ones after the run's last block
    // still rotate it.
    if (start > step)
        std::rotate(run.begin(), run.begin() + (start - step) % run.size(), run.end());
    std::copy(run.begin(), run.end(), result.begin() + static_cast<ptrdiff_t>(start));
}

} // namespace

void exchangeSortDayList(DayList& list) {
    const size_t n = list.size();
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            if (before(list[j], list[i]))
                std::swap(list[i], list[j]);
        }
    }
}

// The exchange sort moves a run of equal keys only while entries of smaller
// keys are still being pulled forward; what it does to such a run depends
// only on where those smaller entries stand, not on their values or on the
// larger ones. Pass i picks the smallest remaining entry; when the first
// remaining entry of the run stands before the first remaining smaller entry,
// that pass carries it to where the smaller one stood, past every entry of
// the run in between. So, with the run split into blocks B0, B1, ... by the
// smaller entries (in file order), the run's order evolves as
//     order = B0; for each smaller entry t: order = rotate-left-by-one(order) + B(t)
// and once no smaller entry remains, the run is taken in that order.
// Rotations between two non-empty blocks are combined into one.
void sortDayList(DayList& list) {
    const size_t n = list.size();
    if (n < 2)
        return;
    // The argument above needs a total order; NaN keys do not have one.
    const bool unordered = std::any_of(list.begin(), list.end(), [](const ScheduleEntry& e) {
        return std::isnan(e.dateSerial) || std::isnan(e.startTime);
    });
    if (unordered) {
        exchangeSortDayList(list);
        return;
    }

    const std::vector<Key> keys = sortedKeys(list);
    std::vector<size_t> byKey(n);
    for (size_t i = 0; i < n; ++i)
        byKey[i] = keys[i].index;

    std::vector<size_t> result(n);
    PositionCounter smaller(n);
    size_t start = 0;
    while (start < n) {
        size_t end = start + 1;
        while (end < n && !(keys[start] < keys[end]))
            ++end;
        if (end - start == 1)
            result[start] = byKey[start];
        else
            orderRun(byKey, start, end, smaller, result);
        for (size_t k = start; k < end; ++k)
            smaller.add(byKey[k]);
        start = end;
    }

    DayList ordered;
    ordered.reserve(n);
    for (size_t index : result)
        ordered.push_back(std::move(list[index]));
    list = std::move(ordered);
}

} // namespace tanzo
