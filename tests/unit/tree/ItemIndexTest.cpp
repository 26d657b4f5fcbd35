// The resource tree's index of items by node id, against a std::map doing the same.
#include "DataBase/EntityDao/Tree/ItemIndex.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::unique_ptr<STRCT_VideoItem> item(const std::string& _strID)
{
    auto pItem = std::make_unique<STRCT_VideoChannel>();
    pItem->m_strID = _strID;
    pItem->m_strNodeID = _strID;
    return pItem;
}

void expectSame(const ItemIndex& _index, const std::map<std::string, STRCT_VideoItem*>& _reference)
{
    ASSERT_EQ(_index.size(), static_cast<int>(_reference.size()));
    std::vector<STRCT_VideoItem*> vecExpected;
    for (const auto& entry : _reference)
        vecExpected.push_back(entry.second);
    const std::vector<STRCT_VideoItem*> vecIterated(_index.begin(), _index.end());
    EXPECT_EQ(vecIterated, vecExpected);  // id order
    const QVector<STRCT_VideoItem*> vecValues = _index.values();
    EXPECT_EQ(std::vector<STRCT_VideoItem*>(vecValues.cbegin(), vecValues.cend()), vecExpected);
}

TEST(ItemIndex, RandomInsertsReplacementsAndRemovalsMatchAnOrderedMap)
{
    // Few distinct ids and many operations: long probe runs, wrap-around at the table's end,
    // removals in the middle of runs, growth while full of collisions.
    std::mt19937 random(20261211);
    std::vector<std::unique_ptr<STRCT_VideoItem>> owned;
    ItemIndex index;
    std::map<std::string, STRCT_VideoItem*> reference;
    for (int iStep = 0; iStep < 20000; ++iStep) {
        const std::string strID = "node-" + std::to_string(random() % 700);
        const unsigned uAction = random() % 10;
        if (uAction < 6) {
            owned.push_back(item(strID));
            index.insert(owned.back().get());
            reference[strID] = owned.back().get();
        } else if (uAction < 9) {
            const auto it = reference.find(strID);
            if (it != reference.end()) {
                EXPECT_TRUE(index.remove(it->second));
                reference.erase(it);
            }
        } else {
            // Another item under a stored id is not the stored one: nothing is taken out.
            auto pOther = item(strID);
            EXPECT_FALSE(index.remove(pOther.get()));
        }
        const auto it = reference.find(strID);
        ASSERT_EQ(index.value(strID), it != reference.end() ? it->second : nullptr) << "step " << iStep;
        ASSERT_EQ(index.value(QString::fromStdString(strID)), index.value(strID));
        if (iStep % 1000 == 0)
            expectSame(index, reference);
    }
    expectSame(index, reference);
    for (const auto& entry : reference)
        EXPECT_EQ(index.value(entry.first), entry.second);
    EXPECT_EQ(index.value(std::string("absent")), nullptr);
}

TEST(ItemIndex, ReplacingKeepsOneEntryAndClearEmpties)
{
    ItemIndex index;
    EXPECT_EQ(index.value(std::string("a")), nullptr);
    EXPECT_EQ(index.begin(), index.end());
    auto pFirst = item("a");
    auto pSecond = item("a");
    index.insert(pFirst.get());
    index.insert(pSecond.get());
    EXPECT_EQ(index.size(), 1);
    EXPECT_EQ(index.value(std::string("a")), pSecond.get());
    EXPECT_FALSE(index.remove(pFirst.get()));
    EXPECT_EQ(index.value(std::string("a")), pSecond.get());
    index.clear();
    EXPECT_TRUE(index.isEmpty());
    EXPECT_EQ(index.value(std::string("a")), nullptr);
    EXPECT_EQ(index.begin(), index.end());
}

}  // namespace
