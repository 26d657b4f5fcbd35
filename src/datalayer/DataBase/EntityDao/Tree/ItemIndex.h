// The resource tree's items by node id. An open-addressing table of item pointers: the key is
// the item's own m_strNodeID, so the index costs one pointer slot per item (at most 4/3 of a
// slot with the table's spare room) and no node or key copy. An item must not change its node
// id while it is in the index, and must stay alive until it is taken out (or the index cleared).
//
// Iteration is in id order, as callers that list items rely on: the order is built on the first
// iteration after a change (under its own lock, so that readers holding only the tree's read
// lock may iterate at once) and kept until the next change.
#ifndef TESSEL_DATALAYER_ITEM_INDEX_H
#define TESSEL_DATALAYER_ITEM_INDEX_H

#include "I_DataMediator.h"

#include <QString>
#include <QVector>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class ItemIndex
{
public:
    using const_iterator = std::vector<STRCT_VideoItem*>::const_iterator;

    ItemIndex() = default;
    ItemIndex(const ItemIndex&) = delete;
    ItemIndex& operator=(const ItemIndex&) = delete;

    /// The items in id order; valid until the index changes.
    const_iterator begin() const { return ordered().cbegin(); }
    const_iterator end() const { return ordered().cend(); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    int size() const { return static_cast<int>(m_uCount); }
    bool isEmpty() const { return m_uCount == 0; }
    void clear()
    {
        std::vector<STRCT_VideoItem*>().swap(m_slots);
        m_uCount = 0;
        changed();
    }

    STRCT_VideoItem* value(std::string_view _id) const
    {
        if (m_slots.empty())
            return nullptr;
        for (size_t i = home(_id);; i = next(i)) {
            STRCT_VideoItem* pItem = m_slots[i];
            if (pItem == nullptr)
                return nullptr;
            if (std::string_view(pItem->m_strNodeID) == _id)
                return pItem;
        }
    }
    STRCT_VideoItem* value(const std::string& _strID) const { return value(std::string_view(_strID)); }
    STRCT_VideoItem* value(const QString& _strID) const { return value(_strID.toStdString()); }

    /// Stores the item under its node id, in place of one stored there before.
    void insert(STRCT_VideoItem* _pItem)
    {
        if ((m_uCount + 1) * 4 > m_slots.size() * 3)
            grow();
        const std::string_view id(_pItem->m_strNodeID);
        size_t i = home(id);
        for (; m_slots[i] != nullptr; i = next(i)) {
            if (std::string_view(m_slots[i]->m_strNodeID) == id) {
                m_slots[i] = _pItem;
                changed();
                return;
            }
        }
        m_slots[i] = _pItem;
        ++m_uCount;
        changed();
    }

    /// Takes the item out when it is the one stored under its node id.
    bool remove(const STRCT_VideoItem* _pItem)
    {
        if (m_slots.empty())
            return false;
        const std::string_view id(_pItem->m_strNodeID);
        size_t i = home(id);
        for (; m_slots[i] != _pItem; i = next(i)) {
            if (m_slots[i] == nullptr || std::string_view(m_slots[i]->m_strNodeID) == id)
                return false;  // absent, or another item under that id
        }
        // Backward shift: later entries of the run move up so that no look-up stops early.
        for (size_t j = next(i);; j = next(j)) {
            STRCT_VideoItem* pItem = m_slots[j];
            if (pItem == nullptr)
                break;
            const size_t h = home(pItem->m_strNodeID);
            // pItem may fill slot i unless its home lies cyclically in (i, j].
            const bool bHomeBetween = i <= j ? (h > i && h <= j) : (h > i || h <= j);
            if (!bHomeBetween) {
                m_slots[i] = pItem;
                i = j;
            }
        }
        m_slots[i] = nullptr;
        --m_uCount;
        changed();
        return true;
    }

    /// The items in id order.
    QVector<STRCT_VideoItem*> values() const
    {
        const std::vector<STRCT_VideoItem*>& vecItems = ordered();
        return QVector<STRCT_VideoItem*>(vecItems.cbegin(), vecItems.cend());
    }

private:
    size_t home(std::string_view _id) const { return std::hash<std::string_view>()(_id) & (m_slots.size() - 1); }
    size_t next(size_t _i) const { return (_i + 1) & (m_slots.size() - 1); }

    void grow()
    {
        std::vector<STRCT_VideoItem*> old(std::max<size_t>(16, m_slots.size() * 2), nullptr);
        old.swap(m_slots);
        for (STRCT_VideoItem* pItem : old) {
            if (pItem == nullptr)
                continue;
            size_t i = home(pItem->m_strNodeID);
            while (m_slots[i] != nullptr)
                i = next(i);
            m_slots[i] = pItem;
        }
    }

    // Under the tree's write lock: no reader iterates.
    void changed()
    {
        m_bOrdered.store(false, std::memory_order_relaxed);
        m_ordered.clear();
    }

    const std::vector<STRCT_VideoItem*>& ordered() const
    {
        if (m_bOrdered.load(std::memory_order_acquire))
            return m_ordered;
        std::lock_guard<std::mutex> lock(m_orderMutex);
        if (!m_bOrdered.load(std::memory_order_relaxed)) {
            m_ordered.clear();
            m_ordered.reserve(m_uCount);
            for (STRCT_VideoItem* pItem : m_slots) {
                if (pItem != nullptr)
                    m_ordered.push_back(pItem);
            }
            std::sort(m_ordered.begin(), m_ordered.end(), [](const STRCT_VideoItem* _a, const STRCT_VideoItem* _b) {
                return _a->m_strNodeID < _b->m_strNodeID;
            });
            m_bOrdered.store(true, std::memory_order_release);
        }
        return m_ordered;
    }

    std::vector<STRCT_VideoItem*> m_slots;  ///< a power of two of them, or none
    size_t m_uCount = 0;
    mutable std::mutex m_orderMutex;
    mutable std::vector<STRCT_VideoItem*> m_ordered;
    mutable std::atomic<bool> m_bOrdered{true};
};

#endif  // TESSEL_DATALAYER_ITEM_INDEX_H
