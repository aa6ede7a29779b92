// The value-list type: entries as the lists are written, the lookup of a value's text, the change
// of one entry, and one parsed form for every list of the same text.

#include "value/ValueList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kv {
namespace {

TEST(ValueList, EntriesAreReadOnceWhenTheListIsSet) {
    const ValueList list("0:Closed|1:Open|no colon|x:Odd|&H10:Hex| 2 :Blanks|3:a:b");
    const std::vector<ValueList::Entry>& entries = list.Entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].number, 0);
    EXPECT_EQ(entries[0].text, "Closed");
    EXPECT_EQ(entries[2].number, -1);  // "x" is no number
    EXPECT_EQ(entries[2].key, "x");
    EXPECT_EQ(entries[3].number, 16);  // a hexadecimal number counts too
    EXPECT_EQ(entries[4].number, 2);
    EXPECT_EQ(entries[5].text, "a:b");  // the text after the first colon
    EXPECT_EQ(list.TextOf(1), "Open");
    EXPECT_EQ(list.TextOf(7), std::nullopt);
    EXPECT_EQ(list, "0:Closed|1:Open|no colon|x:Odd|&H10:Hex| 2 :Blanks|3:a:b");

    const ValueList none;
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(none.Entries().empty());
    EXPECT_TRUE(ValueList("").empty());
}

TEST(ValueList, TheFirstEntryOfTheNumberTakesTheNewText) {
    const ValueList list("1:One|11:Eleven|1:Again|plain");
    EXPECT_EQ(list.WithText(11, "XI"), "1:One|11:XI|1:Again|plain");
    EXPECT_EQ(list.WithText(1, "I"), "1:I|11:Eleven|1:Again|plain");
    EXPECT_EQ(list.WithText(5, "V"), list.str());  // no such entry: unchanged
    EXPECT_EQ(list.WithText(1, "I").TextOf(1), "I");
}

TEST(ValueList, ListsOfOneTextShareTheirParsedForm) {
    const std::string text = "0:Off|1:On";
    const ValueList a(text);
    const ValueList b{SharedText(text)};
    EXPECT_EQ(&a.Entries(), &b.Entries());
    const ValueList other("0:Off|1:On|2:Blinking");
    EXPECT_NE(&a.Entries(), &other.Entries());
    {
        // A form no list holds any more is made anew.
        const ValueList gone("5:Five");
        EXPECT_EQ(gone.TextOf(5), "Five");
    }
    EXPECT_EQ(ValueList("5:Five").TextOf(5), "Five");
}

}  // namespace
}  // namespace kv
