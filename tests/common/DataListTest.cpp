#include "common/DataList.h"
#include "common/KException.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A list of ints 0..n-1 (as pointers into `storage`) whose handler records removals.
struct Fixture {
    int storage[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    std::vector<int> removed;
    TDataList list;
    explicit Fixture(int n)
    {
        list.SetOnRemoveItem([this](TDataList *sender, void *data) {
            EXPECT_EQ(sender, &list);
            removed.push_back(*static_cast<int *>(data));
        });
        for (int i = 0; i < n; ++i)
            list.Add(&storage[i]);
    }
    std::vector<int> walk()
    {
        std::vector<int> out;
        if (list.Empty())
            return out;
        for (list.First(); !list.Eof(); list.Next())
            out.push_back(*static_cast<int *>(list.CurrentItemData()));
        return out;
    }
};

std::string errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const KException &e) {
        return e.message().toStdString();
    }
    return "";
}

} // namespace

TEST(DataList, AddReturnsIndexAndWalkKeepsOrder)
{
    Fixture f(0);
    EXPECT_TRUE(f.list.Empty());
    EXPECT_EQ(f.list.Count(), 0);
    EXPECT_EQ(f.list.Add(&f.storage[5]), 0);
    EXPECT_EQ(f.list.Add(&f.storage[6]), 1);
    EXPECT_EQ(f.list.Add(&f.storage[7]), 2);
    EXPECT_EQ(f.walk(), (std::vector<int>{5, 6, 7}));
    EXPECT_TRUE(f.list.Eof());
    EXPECT_EQ(errorOf([&] { f.list.CurrentItemData(); }), "Items not found");
    EXPECT_EQ(errorOf([&] { f.list.Next(); }), "Items not found");
}

struct EditCase {
    const char *name;
    int initial;
    std::function<void(Fixture &)> op;
    std::string error;          // expected message, empty for none
    std::vector<int> after;     // walk afterwards
    std::vector<int> removed;   // handler calls in order
};

void PrintTo(const EditCase &c, std::ostream *os) { *os << c.name; }

class DataListEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(DataListEdit, Outcome)
{
    const EditCase &c = GetParam();
    Fixture f(c.initial);
    EXPECT_EQ(errorOf([&] { c.op(f); }), c.error);
    EXPECT_EQ(f.walk(), c.after);
    EXPECT_EQ(f.removed, c.removed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DataListEdit,
    ::testing::Values(
        EditCase{"DeleteOnlyItem", 1, [](Fixture &f) { f.list.Delete(0); }, "", {}, {0}},
        EditCase{"DeleteMiddle", 3, [](Fixture &f) { f.list.Delete(1); }, "", {0, 2}, {1}},
        EditCase{"DeleteLast", 3, [](Fixture &f) { f.list.Delete(2); }, "", {0, 1}, {2}},
        EditCase{"DeletePastEnd", 3, [](Fixture &f) { f.list.Delete(3); }, "Invalid index 3", {0, 1, 2}, {}},
        EditCase{"DeleteNegative", 3, [](Fixture &f) { f.list.Delete(-1); }, "Invalid index -1", {0, 1, 2}, {}},
        EditCase{"DeleteOnEmpty", 0, [](Fixture &f) { f.list.Delete(0); }, "Invalid index 0", {}, {}},
        EditCase{"InsertIntoEmpty", 0, [](Fixture &f) { f.list.Insert(0, &f.storage[7]); }, "", {7}, {}},
        EditCase{"InsertFront", 2, [](Fixture &f) { f.list.Insert(0, &f.storage[7]); }, "", {7, 0, 1}, {}},
        EditCase{"InsertBetween", 2, [](Fixture &f) { f.list.Insert(1, &f.storage[7]); }, "", {0, 7, 1}, {}},
        EditCase{"InsertAtCount", 2, [](Fixture &f) { f.list.Insert(2, &f.storage[7]); }, "Invalid index 2", {0, 1}, {}},
        EditCase{"InsertOneOnEmpty", 0, [](Fixture &f) { f.list.Insert(1, &f.storage[7]); }, "Invalid index 1", {}, {}},
        EditCase{"InsertNegative", 1, [](Fixture &f) { f.list.Insert(-2, &f.storage[7]); }, "Invalid index -2", {0}, {}},
        EditCase{"ClearInOrder", 3, [](Fixture &f) { f.list.Clear(); }, "", {}, {0, 1, 2}},
        EditCase{"ClearEmpty", 0, [](Fixture &f) { f.list.Clear(); }, "", {}, {}},
        EditCase{"FirstOnEmpty", 0, [](Fixture &f) { f.list.First(); }, "Items not found", {}, {}},
        EditCase{"NextBeforeFirst", 2, [](Fixture &f) { f.list.Next(); }, "Items not found", {0, 1}, {}},
        EditCase{"FindNextBeforeFirst", 2, [](Fixture &f) { f.list.FindNext(); }, "Items not found", {0, 1}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DataList, ModifiedAndEofFlags)
{
    Fixture f(2);
    EXPECT_TRUE(f.list.Modified());
    f.list.First();
    EXPECT_FALSE(f.list.Modified());
    EXPECT_TRUE(f.list.FindNext());
    f.list.Next();
    EXPECT_FALSE(f.list.FindNext());
    f.list.Next();
    EXPECT_TRUE(f.list.Eof());
    // Adding after a finished walk does not restart it.
    f.list.Add(&f.storage[2]);
    EXPECT_TRUE(f.list.Eof());
    EXPECT_TRUE(f.list.Modified());
    f.list.Delete(0);
    EXPECT_TRUE(f.list.Modified());
}

TEST(DataList, ClearDoesNotShowTheItemToItsHandler)
{
    int a = 1, b = 2;
    TDataList list;
    std::vector<int> countsSeen;
    list.SetOnRemoveItem([&](TDataList *s, void *) { countsSeen.push_back(s->Count()); });
    list.Add(&a);
    list.Add(&b);
    list.Clear();
    EXPECT_EQ(countsSeen, (std::vector<int>{1, 0}));
}

TEST(DataList, DeletingTheCursorItemLeavesNoDanglingCursor)
{
    Fixture f(3);
    f.list.First();
    f.list.Next(); // on item 1
    f.list.Delete(1);
    EXPECT_EQ(errorOf([&] { f.list.CurrentItemData(); }), "Items not found");
    f.list.First();
    f.list.Clear();
    EXPECT_EQ(errorOf([&] { f.list.CurrentItemData(); }), "Items not found");
}

TEST(DataList, DestructionReleasesEveryItem)
{
    std::vector<int> removed;
    int items[3] = {10, 20, 30};
    {
        TDataList list;
        list.SetOnRemoveItem([&](TDataList *, void *d) { removed.push_back(*static_cast<int *>(d)); });
        for (int &i : items)
            list.Add(&i);
    }
    EXPECT_EQ(removed, (std::vector<int>{10, 20, 30}));
}

TEST(DataList, OwningHandlerLeavesNothingBehind)
{
    // Checked under valgrind/LeakSanitizer: heap records released by the handler.
    TDataList list;
    list.SetOnRemoveItem([](TDataList *, void *d) { delete static_cast<std::string *>(d); });
    for (int i = 0; i < 100; ++i)
        list.Add(new std::string(std::to_string(i)));
    list.Delete(50);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 98);
}
