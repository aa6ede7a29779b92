// The binding site: one link per row of its page in designer order, made from the prototype;
// the calls it passes on, the edit overlay, the release, the status pictures, and links that
// unbind or destroy rows while the site walks them.

#include <gtest/gtest.h>

#include <QFrame>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "RowEventLog.h"
#include "platform/controls/widgets/StatusImages.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/PropertyBag.h"
#include "support/NullFakes.h"

namespace kv {
namespace {

using test_support::NamedElement;
using test_support::ShowActive;
using Log = std::vector<std::string>;

// A link that binds a row to the element named by its tag and writes every call into a log
// shared by all links made from one prototype.
class FakeLink : public IPrivateParamLink {
  public:
    struct Shared {
        Log log;
        std::map<std::string, NamedElement*> elements;
        std::vector<std::weak_ptr<FakeLink>> made;
        const IStatusImages* images = nullptr;
        std::string text;
        // Runs inside UpdateParameter of the link of that tag.
        std::map<std::string, std::function<void()>> onUpdate;
    };

    explicit FakeLink(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

    std::shared_ptr<IPrivateParamLink> GetNewParamLink() override {
        auto link = std::make_shared<FakeLink>(shared_);
        shared_->made.push_back(link);
        return link;
    }
    IPrivateDataElement* DataElement() override { return element_; }
    IParameterRow* ParameterCtl() override { return row_; }
    void InitLink(IDTMContext&, IParameterRow& row, const IStatusImages& images,
                  const std::string& text) override {
        row_ = &row;
        tag_ = row.ParameterTag();
        const auto it = shared_->elements.find(tag_);
        element_ = it == shared_->elements.end() ? nullptr : it->second;
        shared_->images = &images;
        shared_->text = text;
        Write("InitLink");
    }
    void TerminateLink() override {
        Write("TerminateLink");
        element_ = nullptr;
        row_ = nullptr;
    }
    void InitLanguageDependent(int32_t languageId) override {
        Write("Language " + std::to_string(languageId));
    }
    void UpdateParameter() override {
        Write("Update");
        const auto it = shared_->onUpdate.find(tag_);
        if (it != shared_->onUpdate.end())
            it->second();
    }
    void ValidateParameter() override { Write("Validate"); }
    void OnChange() override { Write("Change"); }

    // Locks the row as a link does for a write-protected element.
    void Lock(bool locked) { row_->SetLocked(locked); }

  private:
    void Write(const std::string& what) { shared_->log.push_back(tag_ + ": " + what); }

    std::shared_ptr<Shared> shared_;
    IPrivateDataElement* element_ = nullptr;
    IParameterRow* row_ = nullptr;
    std::string tag_;
};

class ParamSiteTest : public ::testing::Test {
  protected:
    ParamSiteTest()
        : context(std::make_shared<DTMContext>(std::make_shared<ManualEventLoop>())),
          shared(std::make_shared<FakeLink::Shared>()),
          prototype(std::make_shared<FakeLink>(shared)) {
        page.resize(480, 400);
        shared->elements = {{"A", &a}, {"B", &b}};
    }

    ctlParameter* AddRow(QWidget* parent, const std::string& tag) {
        auto* row = new ctlParameter(parent);
        row->SetParameterTag(tag);
        return row;
    }

    void BindRows(std::initializer_list<std::string> tags) {
        for (const std::string& tag : tags)
            AddRow(&page, tag);
        site = new ctlParamSite(&page);
        site->Init(*context, "GUI.page$", prototype);
        shared->log.clear();
    }

    std::shared_ptr<DTMContext> context;
    QWidget page;
    NamedElement a;
    NamedElement b;
    std::shared_ptr<FakeLink::Shared> shared;
    std::shared_ptr<FakeLink> prototype;
    ctlParamSite* site = nullptr;
};

TEST_F(ParamSiteTest, InitBindsEveryRowOfThePageInDesignerOrderThroughCopiesOfThePrototype) {
    AddRow(&page, "A");
    auto* frame = new QFrame(&page);  // rows inside a frame belong to the page
    AddRow(frame, "B");
    auto* nested = new QWidget(&page);  // a nested page binds its own rows
    AddRow(nested, "N");
    new ctlParamSite(nested);
    AddRow(&page, "C");
    site = new ctlParamSite(&page);
    site->Init(*context, "GUI.page$", prototype);
    EXPECT_EQ(shared->log, (Log{"A: InitLink", "B: InitLink", "C: InitLink"}));
    EXPECT_EQ(shared->made.size(), 3u);
    EXPECT_EQ(site->Rows().size(), 3u);
    EXPECT_EQ(shared->text, "GUI.page$");
    ASSERT_NE(shared->images, nullptr);
    EXPECT_EQ(shared->images, &site->Images());
    EXPECT_TRUE(site->isHidden());
}

TEST_F(ParamSiteTest, InitWithoutAPrototypeIsRefused) {
    site = new ctlParamSite(&page);
    EXPECT_THROW(site->Init(*context, "GUI", nullptr), std::invalid_argument);
}

TEST_F(ParamSiteTest, ParameterChangedReachesOnlyTheRowsOfThatElement) {
    BindRows({"A", "B", "A", "unknown"});
    site->ParameterChanged(a);
    EXPECT_EQ(shared->log, (Log{"A: Update", "A: Update"}));
    shared->log.clear();
    NamedElement other;
    site->ParameterChanged(other);
    EXPECT_TRUE(shared->log.empty());
}

TEST_F(ParamSiteTest, SetChangesLanguageAndValidationReachEveryRowInOrder) {
    BindRows({"A", "B"});
    site->ParameterSetChanged();
    site->SetLanguage(0x407);
    site->Validate();
    EXPECT_EQ(shared->log, (Log{"A: Update", "B: Update", "A: Language 1031", "B: Language 1031",
                                "A: Validate", "B: Validate"}));
}

TEST_F(ParamSiteTest, TheRowsEventsReachTheirLinksUntilRelease) {
    BindRows({"A"});
    ctlParameter* row = site->Rows().at(0);
    ShowActive(page);
    auto* field = row->findChild<QLineEdit*>();
    field->setFocus();
    QTest::keyClicks(field, "1");
    EXPECT_EQ(shared->log, (Log{"A: Change"}));
    site->Release();
    EXPECT_EQ(shared->log, (Log{"A: Change", "A: TerminateLink"}));
    QTest::keyClicks(field, "2");
    EXPECT_EQ(shared->log.size(), 2u);
    EXPECT_EQ(site->GetParamLink(*row), nullptr);
}

TEST_F(ParamSiteTest, ReleaseEndsEveryBindingInOrderOnce) {
    BindRows({"A", "B"});
    site->Release();
    site->Release();
    site->ParameterSetChanged();
    EXPECT_EQ(shared->log, (Log{"A: TerminateLink", "B: TerminateLink"}));
}

TEST_F(ParamSiteTest, ASecondInitReleasesTheFirstBinding) {
    BindRows({"A"});
    site->Init(*context, "GUI", prototype);
    EXPECT_EQ(shared->log, (Log{"A: TerminateLink", "A: InitLink"}));
    EXPECT_EQ(site->Rows().size(), 1u);
}

TEST_F(ParamSiteTest, GetParamLinkAnswersTheLinkOfTheRow) {
    BindRows({"A", "B"});
    const std::vector<ctlParameter*> rows = site->Rows();
    IPrivateParamLink* link = site->GetParamLink(*rows[1]);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->DataElement(), &b);
    EXPECT_EQ(link->ParameterCtl(), rows[1]);
    ctlParameter stranger;
    EXPECT_EQ(site->GetParamLink(stranger), nullptr);
}

TEST_F(ParamSiteTest, EnableEditNeverUnlocksARowThatTheLinkOrTheDesignerLocked) {
    AddRow(&page, "A");
    ctlParameter* designLocked = AddRow(&page, "B");
    PropertyBag bag;
    bag.Write("locked", Variant(true));
    designLocked->ReadProperties(bag);
    AddRow(&page, "C");
    site = new ctlParamSite(&page);
    site->Init(*context, "GUI", prototype);
    const std::vector<ctlParameter*> rows = site->Rows();
    shared->made.at(2).lock()->Lock(true);  // the link of C locks its row

    site->EnableEdit(false);
    for (ctlParameter* row : rows)
        EXPECT_TRUE(row->ReadOnly());
    site->EnableEdit(true);
    EXPECT_FALSE(rows[0]->ReadOnly());
    EXPECT_TRUE(rows[1]->ReadOnly());
    EXPECT_TRUE(rows[2]->ReadOnly());
    EXPECT_TRUE(rows[2]->Locked());
    // The overlay in force at Init applies to the rows bound then.
    site->EnableEdit(false);
    site->Init(*context, "GUI", prototype);
    EXPECT_TRUE(site->Rows().at(0)->ReadOnly());
}

TEST_F(ParamSiteTest, ADestroyedRowLosesItsLinkAndIsSkipped) {
    BindRows({"A", "B"});
    std::weak_ptr<FakeLink> linkOfA = shared->made.at(0);
    delete site->Rows().at(0);
    EXPECT_TRUE(linkOfA.expired());
    site->ParameterSetChanged();
    site->Release();
    EXPECT_EQ(shared->log, (Log{"B: Update", "B: TerminateLink"}));
}

TEST_F(ParamSiteTest, ALinkMayDestroyALaterRowWhileTheSiteWalks) {
    BindRows({"A", "B", "C"});
    ctlParameter* rowB = site->Rows().at(1);
    shared->onUpdate["A"] = [rowB] { delete rowB; };
    site->ParameterSetChanged();
    EXPECT_EQ(shared->log, (Log{"A: Update", "C: Update"}));
}

TEST_F(ParamSiteTest, ALinkMayReleaseTheSiteWhileTheSiteWalks) {
    BindRows({"A", "B"});
    shared->onUpdate["A"] = [this] { site->Release(); };
    site->ParameterSetChanged();
    EXPECT_EQ(shared->log, (Log{"A: Update", "A: TerminateLink", "B: TerminateLink"}));
}

TEST_F(ParamSiteTest, ALinkMayDestroyTheWholePageWhileTheSiteWalks) {
    auto* owner = new QWidget;
    AddRow(owner, "A");
    AddRow(owner, "B");
    site = new ctlParamSite(owner);
    site->Init(*context, "GUI", prototype);
    shared->log.clear();
    shared->onUpdate["A"] = [owner] { delete owner; };
    site->ParameterSetChanged();
    EXPECT_EQ(shared->log, (Log{"A: Update"}));
}

TEST_F(ParamSiteTest, ASiteDestroyedWithoutReleaseTellsTheLinksNothing) {
    BindRows({"A"});
    ctlParameter* row = site->Rows().at(0);
    std::weak_ptr<FakeLink> link = shared->made.at(0);
    delete site;
    EXPECT_TRUE(shared->log.empty());
    EXPECT_TRUE(link.expired());
    row->SetValue(Variant("still usable"));
}

TEST(StatusImagesTest, EveryStatusKeyHasASixteenPixelPicture) {
    StatusImages images;
    for (const char* key :
         {"CommErr", "AnyErr", "RangeErr", "InputErr", "Needed", "Changed", "Dynamic1", "Dynamic2",
          "OptionalParam", "Locked", "Blank", "Initial", "SavedValue", "OnlineValue"}) {
        EXPECT_TRUE(images.Contains(key)) << key;
        EXPECT_EQ(StatusImages::Pixmap(key).size(), QSize(16, 16)) << key;
    }
    EXPECT_FALSE(images.Contains(""));
    EXPECT_FALSE(images.Contains("Unknown"));
    EXPECT_FALSE(images.Contains("../status/Locked"));
    EXPECT_TRUE(StatusImages::Pixmap("Unknown").isNull());
}

TEST(StatusImagesTest, ThePicturesDifferFromEachOther) {
    const char* keys[] = {"CommErr", "AnyErr",     "RangeErr",   "InputErr",      "Needed",
                          "Changed", "Dynamic1",   "Dynamic2",   "OptionalParam", "Locked",
                          "Initial", "SavedValue", "OnlineValue"};
    for (const char* a : keys) {
        for (const char* b : keys) {
            if (std::string(a) < std::string(b)) {
                EXPECT_NE(StatusImages::Pixmap(a).toImage(), StatusImages::Pixmap(b).toImage())
                    << a << " " << b;
            }
        }
    }
}

}  // namespace
}  // namespace kv
