#pragma once

#include <QSet>

#include <vector>

// Turns one ordered list into another of the same order in a few contiguous
// steps, so a list model can announce each one (insert, remove) instead of
// resetting. Elements are matched by key; the common head and tail are
// skipped, so a change at one place costs one step. Two kept elements whose
// order changed are moved as a removal and an insertion.
namespace talvoro {

struct DiffStep
{
    enum class Kind { remove, insert };
    Kind kind;
    qsizetype position; // in the list as it is when the step is taken
    qsizetype count;
};

// `before(step)` runs before `current` changes, `after(step)` right after.
// Kept elements keep their old values; inserted ones are copied from `target`.
template<class T, class KeyOf, class Before, class After>
void applySequenceDiff(std::vector<T> &current, const std::vector<T> &target, KeyOf keyOf, Before before,
                       After after)
{
    using Key = decltype(keyOf(target.front()));
    const qsizetype oldSize = qsizetype(current.size());
    const qsizetype newSize = qsizetype(target.size());
    qsizetype head = 0;
    while (head < oldSize && head < newSize && keyOf(current[size_t(head)]) == keyOf(target[size_t(head)])) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < oldSize - head && tail < newSize - head
           && keyOf(current[size_t(oldSize - 1 - tail)]) == keyOf(target[size_t(newSize - 1 - tail)])) {
        ++tail;
    }
    const qsizetype oldEnd = oldSize - tail;
    const qsizetype newEnd = newSize - tail;

    const auto remove = [&](qsizetype position, qsizetype count) {
        const DiffStep step{DiffStep::Kind::remove, position, count};
        before(step);
        current.erase(current.begin() + position, current.begin() + position + count);
        after(step);
    };
    const auto insert = [&](qsizetype position, qsizetype from, qsizetype count) {
        const DiffStep step{DiffStep::Kind::insert, position, count};
        before(step);
        current.insert(current.begin() + position, target.begin() + from, target.begin() + from + count);
        after(step);
    };
    if (head == oldEnd) {
        if (head < newEnd)
            insert(head, head, newEnd - head);
        return;
    }
    if (head == newEnd) {
        remove(head, oldEnd - head);
        return;
    }

    // The differing middle: `current` is target[head, j) followed by
    // old[i, oldEnd) while the walk goes on.
    const std::vector<T> old(current.begin() + head, current.begin() + oldEnd);
    QSet<Key> oldKeys, newKeys, movedOut;
    oldKeys.reserve(qsizetype(old.size()));
    for (const T &element : old)
        oldKeys.insert(keyOf(element));
    newKeys.reserve(newEnd - head);
    for (qsizetype j = head; j < newEnd; ++j)
        newKeys.insert(keyOf(target[size_t(j)]));

    qsizetype i = 0;
    const qsizetype oldCount = qsizetype(old.size());
    qsizetype j = head;
    qsizetype position = head;
    while (i < oldCount || j < newEnd) {
        if (i < oldCount && j < newEnd && keyOf(old[size_t(i)]) == keyOf(target[size_t(j)])) {
            ++i, ++j, ++position;
            continue;
        }
        // Gone, or kept but out of order (taken out here, put in again where
        // the target has it).
        const bool targetWaits = j < newEnd && oldKeys.contains(keyOf(target[size_t(j)]))
            && !movedOut.contains(keyOf(target[size_t(j)]));
        const auto leaves = [&](qsizetype k) {
            const Key key = keyOf(old[size_t(k)]);
            if (j < newEnd && key == keyOf(target[size_t(j)]))
                return false;
            return !newKeys.contains(key) || targetWaits;
        };
        if (i < oldCount && leaves(i)) {
            qsizetype count = 0;
            while (i + count < oldCount && leaves(i + count)) {
                if (newKeys.contains(keyOf(old[size_t(i + count)])))
                    movedOut.insert(keyOf(old[size_t(i + count)]));
                ++count;
            }
            remove(position, count);
            i += count;
            continue;
        }
        const auto enters = [&](qsizetype k) {
            const Key key = keyOf(target[size_t(k)]);
            return !oldKeys.contains(key) || movedOut.contains(key);
        };
        qsizetype count = 0;
        while (j + count < newEnd && enters(j + count))
            ++count;
        if (count == 0) {
            // Unreachable for two lists of one order; take the rest whole.
            if (i < oldCount)
                remove(position, oldCount - i);
            if (j < newEnd)
                insert(position, j, newEnd - j);
            return;
        }
        insert(position, j, count);
        position += count;
        j += count;
    }
}

} // namespace talvoro
