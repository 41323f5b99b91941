#pragma once

#include <QHash>
#include <QUuid>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

// The rows of a live query in their order, kept in blocks of a few hundred
// rows: inserting or removing a row moves at most one block and renumbers the
// block starts, and an id finds its row in O(1) (id → block and offset, plus
// the block's start). Reading row i is a binary search over the blocks.
// `IdOf` reads a row's id.
template<class T, class IdOf>
class LiveResults
{
    struct Block
    {
        std::vector<T> rows;
        qsizetype start = 0;
    };
    struct Location
    {
        Block *block = nullptr;
        qsizetype offset = 0;
    };

public:
    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T *;
        using reference = const T &;

        const_iterator() = default;
        reference operator*() const { return (*m_blocks)[m_block]->rows[size_t(m_offset)]; }
        pointer operator->() const { return &**this; }
        const_iterator &operator++()
        {
            if (++m_offset >= qsizetype((*m_blocks)[m_block]->rows.size())) {
                ++m_block;
                m_offset = 0;
            }
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator &other) const
        {
            return m_block == other.m_block && m_offset == other.m_offset;
        }

    private:
        friend class LiveResults;
        const_iterator(const std::vector<std::unique_ptr<Block>> *blocks, size_t block, qsizetype offset)
            : m_blocks(blocks), m_block(block), m_offset(offset)
        {
        }
        const std::vector<std::unique_ptr<Block>> *m_blocks = nullptr;
        size_t m_block = 0;
        qsizetype m_offset = 0;
    };

    qsizetype size() const { return m_size; }
    qsizetype count() const { return m_size; }
    bool empty() const { return m_size == 0; }
    bool isEmpty() const { return m_size == 0; }

    const T &operator[](qsizetype index) const
    {
        const auto [block, offset] = locate(index);
        return m_blocks[block]->rows[size_t(offset)];
    }
    const T &at(qsizetype index) const { return (*this)[index]; }
    const T &front() const { return m_blocks.front()->rows.front(); }
    const T &back() const { return m_blocks.back()->rows.back(); }
    const_iterator begin() const { return {&m_blocks, 0, 0}; }
    const_iterator end() const { return {&m_blocks, m_blocks.size(), 0}; }
    std::vector<T> toVector() const { return {begin(), end()}; }

    // The row of the record with this id; -1 when it is not among them.
    qsizetype indexOf(const QUuid &id) const
    {
        const auto it = m_index.constFind(id);
        return it == m_index.constEnd() ? -1 : it->block->start + it->offset;
    }

    // The first row not ordered before `value` by `less`.
    template<class Less>
    qsizetype lowerBound(const T &value, Less less) const
    {
        const auto block = std::partition_point(m_blocks.begin(), m_blocks.end(), [&](const auto &b) {
            return less(b->rows.back(), value);
        });
        if (block == m_blocks.end())
            return m_size;
        const auto &rows = (*block)->rows;
        return (*block)->start + (std::lower_bound(rows.begin(), rows.end(), value, less) - rows.begin());
    }

    void assign(std::vector<T> rows)
    {
        m_blocks.clear();
        m_index.clear();
        m_index.reserve(qsizetype(rows.size()));
        m_size = qsizetype(rows.size());
        for (size_t first = 0; first < rows.size(); first += kFillSize) {
            auto block = std::make_unique<Block>();
            const size_t last = std::min(rows.size(), first + kFillSize);
            block->rows.assign(std::make_move_iterator(rows.begin() + qsizetype(first)),
                               std::make_move_iterator(rows.begin() + qsizetype(last)));
            block->start = qsizetype(first);
            reindex(*block, 0);
            m_blocks.push_back(std::move(block));
        }
    }

    void insert(qsizetype index, T value)
    {
        if (m_blocks.empty())
            m_blocks.push_back(std::make_unique<Block>());
        auto [b, offset] = index == m_size ? std::pair{m_blocks.size() - 1, index - m_blocks.back()->start}
                                           : locate(index);
        Block &block = *m_blocks[b];
        block.rows.insert(block.rows.begin() + offset, std::move(value));
        ++m_size;
        reindex(block, offset);
        if (block.rows.size() > kMaxBlockSize) {
            // Split in halves: the second half becomes the next block.
            auto next = std::make_unique<Block>();
            const auto middle = block.rows.begin() + qsizetype(block.rows.size() / 2);
            next->rows.assign(std::make_move_iterator(middle), std::make_move_iterator(block.rows.end()));
            block.rows.erase(middle, block.rows.end());
            next->start = block.start + qsizetype(block.rows.size());
            reindex(*next, 0);
            m_blocks.insert(m_blocks.begin() + qsizetype(b) + 1, std::move(next));
        }
        renumberFrom(b + 1);
    }

    void erase(qsizetype index)
    {
        auto [b, offset] = locate(index);
        Block &block = *m_blocks[b];
        m_index.remove(IdOf{}(block.rows[size_t(offset)]));
        block.rows.erase(block.rows.begin() + offset);
        --m_size;
        reindex(block, offset);
        if (block.rows.empty()) {
            m_blocks.erase(m_blocks.begin() + qsizetype(b));
        } else if (b > 0 && block.rows.size() < kMinBlockSize
                   && m_blocks[b - 1]->rows.size() + block.rows.size() <= kFillSize) {
            // Join a small block to the one before, so deletions do not
            // leave a long list of tiny blocks.
            Block &previous = *m_blocks[b - 1];
            const qsizetype joinedAt = qsizetype(previous.rows.size());
            previous.rows.insert(previous.rows.end(), std::make_move_iterator(block.rows.begin()),
                                 std::make_move_iterator(block.rows.end()));
            reindex(previous, joinedAt);
            m_blocks.erase(m_blocks.begin() + qsizetype(b));
        }
        renumberFrom(b);
    }

    // A new value for the row, whose id and place stay.
    void replace(qsizetype index, T value)
    {
        const auto [b, offset] = locate(index);
        m_blocks[b]->rows[size_t(offset)] = std::move(value);
    }

private:
    static constexpr size_t kMaxBlockSize = 512;
    static constexpr size_t kFillSize = 256;
    static constexpr size_t kMinBlockSize = 64;

    std::pair<size_t, qsizetype> locate(qsizetype index) const
    {
        const auto after = std::partition_point(m_blocks.begin(), m_blocks.end(),
                                                [index](const auto &b) { return b->start <= index; });
        const size_t b = size_t(after - m_blocks.begin()) - 1;
        return {b, index - m_blocks[b]->start};
    }
    void reindex(Block &block, qsizetype from)
    {
        for (qsizetype i = from; i < qsizetype(block.rows.size()); ++i)
            m_index.insert(IdOf{}(block.rows[size_t(i)]), Location{&block, i});
    }
    void renumberFrom(size_t b)
    {
        qsizetype start = b == 0 ? 0 : m_blocks[b - 1]->start + qsizetype(m_blocks[b - 1]->rows.size());
        for (; b < m_blocks.size(); ++b) {
            m_blocks[b]->start = start;
            start += qsizetype(m_blocks[b]->rows.size());
        }
    }

    std::vector<std::unique_ptr<Block>> m_blocks;
    QHash<QUuid, Location> m_index;
    qsizetype m_size = 0;
};
