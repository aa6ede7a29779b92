// The runtime's channel collection, its property-bag walks, and the PROFIBUS channel parameter
// object with its document.

#include "platform/runtime/Channels.h"

#include <gtest/gtest.h>

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "devicemodel/clsChannel.h"
#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/ProfibusChannelParameter.h"
#include "platform/runtime/PropertyBag.h"
#include "value/Date.h"
#include "value/DiagnosticLog.h"

namespace kv {
namespace {

// Every property set, with the type it has in a channel.
void FillAll(IProfibusChannelParameter& p) {
    p.SetProtocolId(Variant("036D1497-387B-11D4-86E1-00E0987270B9"));
    p.SetInitFlag(Variant(false));
    p.SetTag(Variant("Stellwert <1> & \"2\" 'ä'"));
    p.SetVendor(Variant("KARVEL AG"));
    p.SetVersion(Variant("1.0.0"));
    p.SetDate(Variant::FromDate(DateSerial(2026, 12, 8)));
    p.SetDescriptor(Variant("Valve positioner"));
    p.SetName(Variant("SP value"));
    p.SetChannelId(Variant("SP_Val"));
    p.SetAssigned(Variant(true));
    p.SetChannelNumber(Variant(int32_t{-2147483647 - 1}));
    p.SetFloatValue(Variant(int32_t{1}));
    p.SetChannelFlag(Variant(int32_t{2147483647}));
    p.SetDescription(Variant("Setpoint"));
    p.SetBitPosition(Variant(int16_t{-32768}));
    p.SetBitLength(Variant(int16_t{32767}));
    p.SetChannelOption(Variant(int16_t{0}));
    p.SetSlot(Variant(int16_t{1}));
    p.SetIndex(Variant(int16_t{25}));
    p.SetDataType(Variant("float"));
    p.SetSignalType(Variant("output"));
    p.SetFrameApplicationTag(Variant("FIC-100 SP"));
    p.SetGroupName(Variant("Outputs"));
}

std::vector<Variant> Properties(const IProfibusChannelParameter& p) {
    std::vector<Variant> values;
    for (int32_t n = 0; n < kChannelPropertyCount; ++n)
        values.push_back(p.Get(static_cast<ChannelProperty>(n)));
    return values;
}

TEST(ChannelParameterDocument, EveryPropertyRoundTrips) {
    ProfibusChannelParameter p;
    FillAll(p);
    ProfibusChannelParameter back;
    ASSERT_TRUE(back.FromXml(p.ToXml(nullptr), nullptr)) << p.ToXml(nullptr);
    EXPECT_EQ(Properties(back), Properties(p));
}

TEST(ChannelParameterDocument, HasTheFdtChannelShape) {
    ProfibusChannelParameter p;
    FillAll(p);
    DTMContext context(std::make_shared<ManualEventLoop>());
    context.SetSystemTag("DTM_7");
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(p.ToXml(&context).c_str()));
    const pugi::xml_node channel = doc.child("FDT").child("FDTChannel");
    ASSERT_TRUE(channel);
    EXPECT_STREQ(channel.attribute("nodeId").value(), "DTM_7");
    EXPECT_STREQ(channel.attribute("channelId").value(), "SP_Val");
    EXPECT_STREQ(channel.attribute("assigned").value(), "true");
    EXPECT_STREQ(channel.attribute("channelNumber").value(), "-2147483648");
    EXPECT_STREQ(channel.attribute("tag").value(), "Stellwert <1> & \"2\" 'ä'");
    EXPECT_STREQ(channel.child("DTM").attribute("date").value(), "2026-12-08");
    EXPECT_STREQ(channel.child("ProfibusDPAddress").attribute("index").value(), "25");
    EXPECT_STREQ(channel.child("BitRange").attribute("bitLength").value(), "32767");
}

TEST(ChannelParameterDocument, EmptyPropertiesAreLeftOutAndReadBackEmpty) {
    ProfibusChannelParameter p;
    p.SetChannelId(Variant("POS_D_Val"));
    const std::string xml = p.ToXml(nullptr);
    EXPECT_EQ(xml.find("slot="), std::string::npos) << xml;
    ProfibusChannelParameter back;
    FillAll(back);
    ASSERT_TRUE(back.FromXml(xml, nullptr));
    EXPECT_EQ(Properties(back), Properties(p));
}

TEST(ChannelParameterDocument, UnreadableDocumentsChangeNothing) {
    const char* const cases[] = {
        "",
        "<FDT><FDTChannel channelId=\"A\">",
        "<FDT/>",
        "<Channel channelId=\"A\"/>",
        "<FDT><FDTChannel/></FDT>",
        "<FDT><FDTChannel channelId=\"\"/></FDT>",
        "<FDT><FDTChannel channelId=\"A\" assigned=\"TRUE\"/></FDT>",
        "<FDT><FDTChannel channelId=\"A\" channelNumber=\"1.5\"/></FDT>",
        "<FDT><FDTChannel channelId=\"A\" channelNumber=\"2147483648\"/></FDT>",
        "<FDT><FDTChannel channelId=\"A\"><BitRange bitPosition=\"32768\"/></FDTChannel></FDT>",
        "<FDT><FDTChannel channelId=\"A\"><BitRange bitLength=\" 8\"/></FDTChannel></FDT>",
        "<FDT><FDTChannel channelId=\"A\"><DTM date=\"2026-13-01\"/></FDTChannel></FDT>",
    };
    for (const char* xml : cases) {
        SCOPED_TRACE(xml);
        ProfibusChannelParameter p;
        FillAll(p);
        const auto before = Properties(p);
        EXPECT_FALSE(p.FromXml(xml, nullptr));
        EXPECT_EQ(Properties(p), before);
    }
}

// --- the collection ---

class PlainChannel : public IPrivateChannel {
  public:
    Variant Assigned() const override { return Variant::Null(); }
};

std::shared_ptr<clsChannel> MakeChannel(const std::string& id) {
    auto channel = std::make_shared<clsChannel>();
    channel->SetChannelId(id);
    return channel;
}

TEST(Channels, AddFindAndLetGo) {
    DTMContext context(std::make_shared<ManualEventLoop>());
    auto a = MakeChannel("A");
    auto b = MakeChannel("B");
    {
        Channels channels(&context);
        channels.Add(a);
        channels.Add(std::make_shared<PlainChannel>());
        channels.Add(b);
        EXPECT_THROW(channels.Add(nullptr), std::invalid_argument);
        EXPECT_EQ(channels.Count(), 3);
        EXPECT_EQ(channels.Item("B"), b.get());
        EXPECT_EQ(channels.Item("b"), nullptr);
        EXPECT_EQ(a->Parent(), &channels);
        EXPECT_EQ(a->Context(), &context);
        const auto fdt = channels.FdtChannels();
        ASSERT_EQ(fdt.size(), 2u);
        EXPECT_EQ(fdt[0].get(), static_cast<IFdtChannel*>(a.get()));
        EXPECT_EQ(fdt[1].get(), static_cast<IFdtChannel*>(b.get()));
        channels.Clear();
        EXPECT_EQ(channels.Count(), 0);
        EXPECT_EQ(a->Parent(), nullptr);
        channels.Add(b);
    }
    // The frame may hold a channel longer than the instance keeps its collection.
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(b->GetChannelPath(), "");
}

TEST(Channels, DataSetHoldsACollectionOfItsContext) {
    DTMContext context(std::make_shared<ManualEventLoop>());
    DataSet dataSet(context);
    auto* channels = dynamic_cast<Channels*>(&dataSet.Channels());
    ASSERT_NE(channels, nullptr);
    EXPECT_EQ(channels->Context(), &context);
}

TEST(Channels, PropertyBagKeepsActiveAndBitPosition) {
    Channels saved;
    for (const char* id : {"SP_Val", "SP_Stat", "POS_D_Val"})
        saved.Add(MakeChannel(id));
    saved.Item("SP_Val")->SetActive(false);
    static_cast<clsChannel*>(saved.Item("SP_Stat"))
        ->ProfibusChannelParameter()
        .SetBitPosition(Variant(int16_t{72}));
    saved.Item("POS_D_Val")->SetActive(true);
    saved.SetModified(1);
    DiagnosticLog log;
    PropertyBag bag;
    ASSERT_TRUE(SaveChannels(saved, bag, log));
    EXPECT_EQ(saved.Modified(), 1);  // until the save is completed
    EXPECT_EQ(bag.Read("SP_Val.Active"), Variant(false));
    EXPECT_EQ(bag.Read("SP_Stat.BitPosition"), Variant(int16_t{72}));
    EXPECT_EQ(bag.Read("POS_D_Val.Active"), Variant(true));

    Channels loaded;
    for (const char* id : {"SP_Val", "SP_Stat", "POS_D_Val", "RCAS_IN_Val"})
        loaded.Add(MakeChannel(id));
    ASSERT_TRUE(LoadChannels(loaded, bag, log));
    const struct {
        const char* id;
        bool active;
        int16_t position;
    } expected[] = {{"SP_Val", false, 0},
                    {"SP_Stat", true, 72},
                    {"POS_D_Val", true, 0},
                    {"RCAS_IN_Val", false, 0}};
    for (const auto& row : expected) {
        auto* c = static_cast<clsChannel*>(loaded.Item(row.id));
        EXPECT_EQ(c->Active(), row.active) << row.id;
        EXPECT_EQ(c->ProfibusChannelParameter().BitPosition(), Variant(row.position)) << row.id;
    }
    EXPECT_TRUE(log.Empty()) << log.Text();
}

TEST(Channels, UnreadableBagEntryKeepsThatChannelAndReadsTheOthers) {
    Channels channels;
    auto bad = MakeChannel("SP_Val");
    auto good = MakeChannel("SP_Stat");
    bad->ProfibusChannelParameter().SetBitPosition(Variant(int16_t{8}));
    channels.Add(bad);
    channels.Add(good);
    PropertyBag bag;
    bag.Write("SP_Val.Active", Variant(false));
    bag.Write("SP_Val.BitPosition", Variant(int32_t{40000}));
    bag.Write("SP_Stat.Active", Variant(false));
    bag.Write("SP_Stat.BitPosition", Variant(int16_t{32}));
    DiagnosticLog log;
    EXPECT_FALSE(LoadChannels(channels, bag, log));
    EXPECT_TRUE(bad->Active());
    EXPECT_EQ(bad->ProfibusChannelParameter().BitPosition(), Variant(int16_t{8}));
    EXPECT_FALSE(good->Active());
    EXPECT_EQ(good->ProfibusChannelParameter().BitPosition(), Variant(int16_t{32}));
}

}  // namespace
}  // namespace kv
