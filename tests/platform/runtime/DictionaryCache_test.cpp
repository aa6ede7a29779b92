// The process-wide store of parsed dictionaries: documents are read once, until they are
// forgotten; an instance keeps the document it holds.

#include <gtest/gtest.h>

#include "platform/runtime/DTMDictionary.h"
#include "support/ModelContext.h"

namespace kv {
namespace {

using test_support::DictionaryDoc;
using test_support::TempFolder;

TEST(DictionaryCache, ForgottenDocumentsAreReadAgain) {
    TempFolder folder;
    folder.Write("D_9.xml", DictionaryDoc(9, R"(<keys><entry key="k" text="first"/></keys>)"));
    DTMDictionary before;
    ASSERT_TRUE(before.LoadFrom(folder.path, "D"));

    folder.Write("D_9.xml", DictionaryDoc(9, R"(<keys><entry key="k" text="second"/></keys>)"));
    DTMDictionary cached;
    ASSERT_TRUE(cached.LoadFrom(folder.path, "D"));
    EXPECT_EQ(cached.GetText("keys", "k", "text"), Variant("first"));

    DTMDictionary::ForgetLoadedDocuments();
    DTMDictionary reread;
    ASSERT_TRUE(reread.LoadFrom(folder.path, "D"));
    EXPECT_EQ(reread.GetText("keys", "k", "text"), Variant("second"));
    EXPECT_EQ(before.GetText("keys", "k", "text"), Variant("first"));
}

}  // namespace
}  // namespace kv
