// The name index must answer exactly as a first-match scan over the list it
// indexes, whatever the mix of asking and storing, at every size: small
// tables, and large ones whose new entries wait behind a filter.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/name_index.h"

namespace zeb {
namespace {

struct IndexedList {
    std::vector<std::string> names;  // the caller's list, positions into it
    NameIndex index;
    std::unordered_map<std::string, std::uint32_t> firstPosition;  // the scan's answer

    auto nameAt() const {
        return [this](std::uint32_t at) { return std::string_view(names[at]); };
    }
    std::uint32_t expected(const std::string& name) const {
        const auto found = firstPosition.find(name);
        return found == firstPosition.end() ? NameIndex::kAbsent : found->second;
    }
    // Appends a name to the list and stores it; `askFirst` asks for it with
    // the same view just before, as a declaration does.
    void declare(const std::string& name, bool askFirst) {
        names.push_back(name);
        const auto position = static_cast<std::uint32_t>(names.size() - 1);
        const std::string_view stored = names.back();
        if (askFirst) {
            EXPECT_EQ(index.find(stored, nameAt()), expected(name)) << name;
        }
        index.insert(stored, position, nameAt());
        firstPosition.emplace(name, position);
    }
};

// Names of a few shapes and lengths (1 to 20 bytes), some drawn again.
std::string randomName(std::mt19937_64& random, std::size_t pool) {
    const std::size_t n = random() % pool;
    static const char* const kStems[] = {"m", "loc", "team_", "alpha-bravo-charlie"};
    return std::string(kStems[n % 4]) + std::to_string(n / 4);
}

class NameIndexTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(NameIndexTest, AnswersAsAFirstMatchScan) {
    const std::size_t declarations = GetParam();
    std::mt19937_64 random(declarations);
    IndexedList list;
    // A pool a little larger than the number of declarations: most names are
    // new, some come again (a duplicate keeps its first position).
    const std::size_t pool = declarations + declarations / 8 + 1;
    for (std::size_t i = 0; i < declarations; ++i) {
        list.declare(randomName(random, pool), random() % 4 != 0);
        if (random() % 16 == 0) {
            const std::string asked = randomName(random, pool);
            ASSERT_EQ(list.index.find(asked, list.nameAt()), list.expected(asked)) << asked;
        }
    }
    // Every name the list holds, and names it never held, asked at the end.
    for (const std::string& name : list.names) ASSERT_EQ(list.index.find(name, list.nameAt()), list.expected(name));
    for (std::size_t i = 0; i < 1000; ++i) {
        const std::string absent = "never" + std::to_string(i);
        ASSERT_EQ(list.index.find(absent, list.nameAt()), NameIndex::kAbsent);
    }
}

// From a handful of names, through the growth steps, to tables well past the
// size where the filter starts.
INSTANTIATE_TEST_SUITE_P(Sizes, NameIndexTest, ::testing::Values(1, 11, 12, 200, 50000, 300000));

// A name asked with one view and stored with another (a copy elsewhere) is
// still found once, at its first position.
TEST(NameIndex, CopiesOfANameAreOneName) {
    IndexedList list;
    for (int i = 0; i < 100000; ++i) list.declare("n" + std::to_string(i), true);
    const std::string copy = "n777";
    EXPECT_EQ(list.index.find(copy, list.nameAt()), 777u);
    list.declare("n777", false);
    EXPECT_EQ(list.index.find(copy, list.nameAt()), 777u);
}

TEST(NameIndex, ClearForgetsEverything) {
    IndexedList list;
    for (int i = 0; i < 70000; ++i) list.declare("n" + std::to_string(i), true);
    list.index.clear();
    EXPECT_TRUE(list.index.empty());
    EXPECT_EQ(list.index.find("n5", list.nameAt()), NameIndex::kAbsent);
}

}  // namespace
}  // namespace zeb
