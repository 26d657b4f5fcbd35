// The compact rights the mediator holds: dropping objects renumbers the ids kept without
// mixing them up, and merged rights take the place a fresh read gives them.
#include "DataBase/EntityDao/User/CLS_RoleRights.h"

#include <tuple>

#include <gtest/gtest.h>

namespace {

QStringList lines(const CLS_RoleRights& _rights)
{
    QStringList lst;
    const AuthorityMap mapAuth = _rights.ToMap("r");
    for (auto it = mapAuth.cbegin(); it != mapAuth.cend(); ++it) {
        for (const STRCT_Authority& auth : it.value()) {
            lst << QStringLiteral("%1 %2 %3").arg(it.key()).arg(auth.m_strObjID).arg(auth.m_iStatus);
        }
    }
    return lst;
}

// Rights from "type id status" triples, each id added once.
CLS_RoleRights rightsOf(const QList<std::tuple<int, QString, int>>& _lst)
{
    CLS_RoleRights rights;
    QMap<QString, quint32> mapIds;
    for (const auto& r : _lst) {
        const QString& strID = std::get<1>(r);
        if (!mapIds.contains(strID)) {
            mapIds.insert(strID, rights.AddObject(strID));
        }
        rights.Append(std::get<0>(r), mapIds.value(strID), std::get<2>(r));
    }
    return rights;
}

}  // namespace

TEST(RoleRights, DropKeepsTheOtherObjectsAndTheirOrder)
{
    CLS_RoleRights rights = rightsOf(
        {{1, "a", 0}, {1, "bb", 1}, {1, "c", 1}, {2, "bb", 1}, {3, "a", 1}, {3, "ddd", 1}, {3, "", 1}});
    ASSERT_EQ(rights.Count(), 7);

    rights.Drop({"nope"});
    EXPECT_EQ(rights.Count(), 7);

    rights.Drop({"bb", "a", "a"});
    EXPECT_EQ(lines(rights), (QStringList{"1 c 1", "3 ddd 1", "3  1"}));
    EXPECT_EQ(rights.Types(), (QList<qint32>{1, 3})) << "type 2 lost its only right";
    EXPECT_EQ(rights.ObjectsWith(3, 1), (QSet<QString>{"ddd", ""}));

    // Ids added after a drop do not collide with the renumbered ones.
    rights.Merge(rightsOf({{3, "e", 1}, {1, "bb", 0}}));
    EXPECT_EQ(lines(rights), (QStringList{"1 bb 0", "1 c 1", "3 ddd 1", "3  1", "3 e 1"}));
    EXPECT_EQ(rights.ObjectsWith(1, 1), QSet<QString>{"c"});
    EXPECT_TRUE(rights.ObjectsWith(2, 1).isEmpty());

    rights.Drop({"c", "ddd", "", "e", "bb"});
    EXPECT_TRUE(rights.IsEmpty());
    EXPECT_EQ(rights.Count(), 0);
}

// Within a type the rights stay ordered by status; merged ones come after those held with the
// same status, in their own order.
TEST(RoleRights, MergeFollowsStatusThenArrival)
{
    CLS_RoleRights rights = rightsOf({{1, "h0", 0}, {1, "h1", 1}, {1, "h2", 2}, {4, "h1", 1}});
    rights.Merge(rightsOf({{1, "n1", 2}, {1, "n2", 0}, {1, "n3", 1}, {1, "n4", 0}, {5, "n1", 1}}));
    EXPECT_EQ(lines(rights), (QStringList{"1 h0 0", "1 n2 0", "1 n4 0", "1 h1 1", "1 n3 1", "1 h2 2",
                                          "1 n1 2", "4 h1 1", "5 n1 1"}));
}
