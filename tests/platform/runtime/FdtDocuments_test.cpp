// The FDT documents of the runtime: function calls, operation phases, the parameter document and
// the information and function documents.

#include "platform/runtime/FdtDocuments.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "support/PersistenceFixture.h"
#include "value/Date.h"

namespace kv {
namespace {

using Instance = test_support::PersistenceInstance;

TEST(FdtDocuments, FunctionCallParsesAndWritesItsDocument) {
    Instance in;
    FunctionCall call;
    EXPECT_TRUE(call.Parse(
        R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><FunctionCall applicationId="14" functionId="F14" argument="3"/></FDT>)",
        in.context));
    EXPECT_EQ(call.ApplicationId(), 14);
    EXPECT_EQ(call.FunctionId(), "F14");
    EXPECT_EQ(call.FunctionArgument(), Variant("3"));

    FunctionCall back;
    ASSERT_TRUE(back.Parse(call.ToXml(in.context), in.context));
    EXPECT_EQ(back.ApplicationId(), 14);
    EXPECT_EQ(back.FunctionId(), "F14");
    EXPECT_EQ(back.FunctionArgument(), Variant("3"));

    EXPECT_TRUE(back.Parse("<FDT><FunctionCall applicationId=\"501\"/></FDT>", in.context));
    EXPECT_TRUE(back.FunctionArgument().isEmpty());
    EXPECT_EQ(back.FunctionId(), "");

    for (const char* bad : {"", "<FDT/>", "<FDT><FunctionCall/></FDT>",
                            "<FDT><FunctionCall applicationId=\"x\"/></FDT>",
                            "<FDT><FunctionCall applicationId=\"99999999999\"/></FDT>",
                            "<FunctionCall applicationId=\"1\"/>", "<FDT><FunctionCall"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(back.Parse(bad, in.context));
        EXPECT_EQ(back.ApplicationId(), 501);
    }
}

TEST(FdtDocuments, OperationPhase) {
    Instance in;
    OperationPhase phase;
    EXPECT_EQ(phase.Phase(), "");
    EXPECT_TRUE(phase.Parse("<FDT><OperationPhase phase=\"engineering\"/></FDT>", in.context));
    OperationPhase back;
    EXPECT_TRUE(back.Parse(phase.ToXml(in.context), in.context));
    EXPECT_EQ(back.Phase(), "engineering");
    EXPECT_FALSE(back.Parse("<FDT><OperationPhase/></FDT>", in.context));
    EXPECT_FALSE(back.Parse("nonsense", in.context));
    EXPECT_EQ(back.Phase(), "engineering");
}

void BuildSample(Instance& in) {
    auto& f = in.Add("TRANS/1/Act/DEADBAND", vtFloat, Variant(0.5f));
    f.nInitUnit = 1013;
    f.InitNew();
    f.RelIndex = 20;
    in.Add("PHYS/TAG_DESC", vtVisibleString, "").RelIndex = 8;
    in.Add("PHYS/DIAGNOSIS/", vtOctetString, ByteArray{{0, 0, 0, 0}, 0});
    in.Add("PHYS/WRITE_LOCKING", vtUnsigned16, Variant(int32_t{2457}));
    in.Add("FUNC/1/AO/SIMULATE", vtByte, Variant(false));
}

TEST(FdtDocuments, ExportedParametersImportIntoFreshInstance) {
    Instance a;
    BuildSample(a);
    auto& f = a.At("TRANS/1/Act/DEADBAND");
    f.SetTransientValue(12.5f);
    a.At("PHYS/TAG_DESC").SetTransientValue("Valve & <1>");
    a.At("PHYS/DIAGNOSIS/").SetTransientValue(ByteArray{{0x01, 0xAB, 0x00, 0x10}, 0});
    a.At("PHYS/WRITE_LOCKING").SetTransientValue(int32_t{0});
    a.At("PHYS/WRITE_LOCKING").SetValidity(false);
    a.At("FUNC/1/AO/SIMULATE").SetTransientValue(true);

    ParameterXMLConverter converter;
    std::string xml = converter.GetParametersXml(a.context, "", 64);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(xml.c_str())) << xml;
    EXPECT_STREQ(doc.child("FDT").attribute("xmlns:fdt").value(),
                 "x-schema:FDTDataTypesSchema.xml");
    EXPECT_EQ(doc.select_nodes("/FDT/DtmVariables/DtmVariable").size(), 5u);

    Instance b;
    BuildSample(b);
    EXPECT_TRUE(converter.SetParametersXml("", b.context, xml, 64));
    EXPECT_TRUE(converter.Refusals().empty());
    EXPECT_EQ(converter.Taken(), 5);
    for (const auto& e : a.data->Elements()) {
        SCOPED_TRACE(e->Name());
        const clsDataElement& x = AsDataElement(*e);
        const clsDataElement& y = b.At(e->Name());
        EXPECT_EQ(y.TransientValue(), x.TransientValue());
        EXPECT_EQ(y.nTransientUnit, x.nTransientUnit);
        EXPECT_EQ(y.Validity(), x.Validity());
    }
    EXPECT_FALSE(b.data->BulkUpdateActive());
    EXPECT_EQ(b.data->ModifiedState(), 1);

    // Only the elements below a path.
    pugi::xml_document part;
    part.load_string(converter.GetParametersXml(a.context, "PHYS/", 64).c_str());
    EXPECT_EQ(part.select_nodes("/FDT/DtmVariables/DtmVariable").size(), 3u);
}

TEST(FdtDocuments, ImportReportsWhatItDidNotTake) {
    Instance in;
    BuildSample(in);
    in.At("PHYS/TAG_DESC").SetValueTypeLength(32);
    // Texts of a megabyte: the list quotes their beginnings.
    const std::string huge(1 << 20, 'D');
    const std::string xml = R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><DtmVariables>
  <DtmVariable name="PHYS/NO_SUCH"><fdt:Value><fdt:Display string="1"/></fdt:Value></DtmVariable>
  <DtmVariable name="PHYS/WRITE_LOCKING"><fdt:Value><fdt:Display string="lots"/></fdt:Value></DtmVariable>
  <DtmVariable name="TRANS/1/Act/DEADBAND"><fdt:Value/></DtmVariable>
  <DtmVariable><fdt:Value><fdt:Display string="1"/></fdt:Value></DtmVariable>
  <DtmVariable name="PHYS/TAG_DESC"><fdt:Value><fdt:Display string=")" +
                            huge + R"("/></fdt:Value></DtmVariable>
  <DtmVariable name=")" + huge +
                            R"("><fdt:Value><fdt:Display string="1"/></fdt:Value></DtmVariable>
  <DtmVariable name="TAG_DESC"><fdt:Value><fdt:Display string="Taken"/></fdt:Value></DtmVariable>
</DtmVariables></FDT>)";
    ParameterXMLConverter converter;
    EXPECT_FALSE(converter.SetParametersXml("PHYS", in.context, xml, 64));
    EXPECT_EQ(converter.Taken(), 1);
    // Each variable by its place and name, and what it names; a long text by its beginning.
    using K = ImportRefusal;
    const std::vector<ImportRefusal> refusals = {
        {.kind = K::kNoSuchElement, .position = 1, .path = "PHYS/NO_SUCH"},
        {.kind = K::kNotAValue, .position = 2, .path = "PHYS/WRITE_LOCKING", .value = "lots"},
        {.kind = K::kNotTaken, .position = 3, .path = "TRANS/1/Act/DEADBAND"},
        {.kind = K::kNoSuchElement, .position = 4},
        {.kind = K::kTooLong,
         .position = 5,
         .path = "PHYS/TAG_DESC",
         .value = huge.substr(0, 36) + " ...",
         .limits = {{Variant(), Variant(int32_t{32})}}},
        {.kind = K::kNoSuchElement, .position = 6, .path = huge.substr(0, 76) + " ..."},
    };
    EXPECT_EQ(converter.Refusals(), refusals);
    EXPECT_EQ(in.At("PHYS/TAG_DESC").TransientValue(), Variant("Taken"));
    EXPECT_EQ(in.At("PHYS/WRITE_LOCKING").TransientValue(), Variant(int32_t{2457}));
    EXPECT_EQ(in.At("TRANS/1/Act/DEADBAND").TransientValue(), Variant(0.5f));
    EXPECT_EQ(in.At("TRANS/1/Act/DEADBAND").nTransientUnit, 1013);
    EXPECT_FALSE(in.data->BulkUpdateActive());

    for (const char* bad : {"", "<FDT>", "<FDT/>", "<Other><DtmVariables/></Other>"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(converter.SetParametersXml("", in.context, bad, 64));
        EXPECT_EQ(converter.Taken(), 0);
        EXPECT_EQ(converter.Refusals(), std::vector<ImportRefusal>{{.kind = K::kNoDocument}});
    }
    EXPECT_TRUE(converter.SetParametersXml("", in.context, "<FDT><DtmVariables/></FDT>", 64));
    EXPECT_EQ(in.data->ModifiedState(), 1);
}

struct IdentityModel : clsDataModel {
    std::string DTMName() const override { return "KV6274PA"; }
    std::string DTMVendor() const override { return "Vendor & Co"; }
    std::string DTMVersion() const override { return "1.0.10"; }
    std::string DTMDescriptor() const override { return "Positioner"; }
    double DTMDate() const override { return DateSerial(2026, 12, 8); }
};

TEST(FdtDocuments, InformationAndUnknownTemplates) {
    Instance in;
    in.data->SetDataModel(std::make_shared<IdentityModel>());
    DtmInfoBuilder info;
    std::optional<std::string> xml = info.BuildInformation(in.context);
    ASSERT_TRUE(xml);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(xml->c_str()));
    pugi::xml_node n = doc.child("FDT").child("DtmInformation");
    EXPECT_STREQ(n.attribute("name").value(), "KV6274PA");
    EXPECT_STREQ(n.attribute("vendor").value(), "Vendor & Co");
    EXPECT_STREQ(n.attribute("version").value(), "1.0.10");
    EXPECT_STREQ(n.attribute("date").value(), "2026-12-08");
    EXPECT_STREQ(n.attribute("descriptor").value(), "Positioner");

    in.data->SetDataModel(nullptr);
    EXPECT_EQ(info.BuildInformation(in.context), std::nullopt);

    DocumentBuilder docs;
    EXPECT_EQ(docs.BuildDocument(in.context, "Other", 0xFFFFFFF, ""), std::nullopt);
    xml = docs.BuildDocument(in.context, "DTMDoc", 0, "Title");
    ASSERT_TRUE(xml);
    ASSERT_TRUE(doc.load_string(xml->c_str()));
    EXPECT_STREQ(doc.child("FDT").attribute("title").value(), "Title");
    EXPECT_TRUE(doc.child("FDT").child("DocumentVariables"));

    FunctionListBuilder list;
    EXPECT_EQ(list.BuildFunctions(in.context, "Other"), std::nullopt);
    list.AddFunctionGroup("Operation", 0, 0);
    list.AddFunctionGroup("Trend", 4, 0);
    xml = list.BuildFunctions(in.context, "DTMFunctions");
    ASSERT_TRUE(xml);
    ASSERT_TRUE(doc.load_string(xml->c_str()));
    auto groups = doc.select_nodes("/FDT/Functions/FunctionGroup");
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_STREQ(groups[0].node().attribute("name").value(), "Operation");
    EXPECT_STREQ(groups[1].node().attribute("flags").value(), "4");
    EXPECT_EQ(doc.select_nodes("/FDT/Functions/FunctionGroup[@name='Operation']/Function").size(),
              5u);
}

}  // namespace
}  // namespace kv
