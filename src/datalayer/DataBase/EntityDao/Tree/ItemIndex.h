// The resource tree's items by node id, in id order. The keys are views of the items' own
// m_strNodeID, so an item's id is stored once: an item must not change its node id while it is
// in the index, and must stay alive until it is taken out (or the index cleared).
#ifndef TESSEL_DATALAYER_ITEM_INDEX_H
#define TESSEL_DATALAYER_ITEM_INDEX_H

#include "I_DataMediator.h"

#include <QString>
#include <QVector>

#include <functional>
#include <map>
#include <string>
#include <string_view>

class ItemIndex
{
    using Map = std::map<std::string_view, STRCT_VideoItem*, std::less<>>;

public:
    /// Iterates over the items (not the keys), in id order.
    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = STRCT_VideoItem*;
        using difference_type = std::ptrdiff_t;
        using pointer = STRCT_VideoItem* const*;
        using reference = STRCT_VideoItem* const&;

        explicit const_iterator(Map::const_iterator _it) : m_it(_it) {}
        reference operator*() const { return m_it->second; }
        const_iterator& operator++()
        {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator old = *this;
            ++m_it;
            return old;
        }
        bool operator==(const const_iterator& _other) const { return m_it == _other.m_it; }
        bool operator!=(const const_iterator& _other) const { return m_it != _other.m_it; }

    private:
        Map::const_iterator m_it;
    };

    const_iterator begin() const { return const_iterator(m_map.cbegin()); }
    const_iterator end() const { return const_iterator(m_map.cend()); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    int size() const { return static_cast<int>(m_map.size()); }
    bool isEmpty() const { return m_map.empty(); }
    void clear() { m_map.clear(); }

    STRCT_VideoItem* value(const std::string& _strID) const
    {
        const auto it = m_map.find(std::string_view(_strID));
        return it != m_map.end() ? it->second : nullptr;
    }
    STRCT_VideoItem* value(const QString& _strID) const { return value(_strID.toStdString()); }

    /// Stores the item under its node id, in place of one stored there before.
    void insert(STRCT_VideoItem* _pItem)
    {
        const std::string_view key(_pItem->m_strNodeID);
        const auto it = m_map.find(key);
        if (it != m_map.end()) {
            // The key must view the stored item's own id.
            m_map.erase(it);
        }
        m_map.emplace(key, _pItem);
    }

    /// Takes the item out when it is the one stored under its node id.
    bool remove(const STRCT_VideoItem* _pItem)
    {
        const auto it = m_map.find(std::string_view(_pItem->m_strNodeID));
        if (it == m_map.end() || it->second != _pItem)
            return false;
        m_map.erase(it);
        return true;
    }

    /// The items in id order.
    QVector<STRCT_VideoItem*> values() const
    {
        QVector<STRCT_VideoItem*> vecItems;
        vecItems.reserve(size());
        for (const auto& entry : m_map)
            vecItems.append(entry.second);
        return vecItems;
    }

private:
    Map m_map;
};

#endif  // TESSEL_DATALAYER_ITEM_INDEX_H
