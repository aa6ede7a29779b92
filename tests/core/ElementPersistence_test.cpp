// Property-bag keys and parameter-document part of the data element, and the save and load walks
// of the runtime over a whole data set.

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <cfloat>
#include <set>

#include "core/ProjectHelpers.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/FdtDocuments.h"
#include "platform/runtime/PropertyBag.h"
#include "platform/runtime/Transaction.h"
#include "support/PersistenceFixture.h"
#include "value/Text.h"

namespace kv {
namespace {

using Instance = test_support::PersistenceInstance;

// One data set of every kind of value, built the same way in each instance.
void BuildSample(Instance& in) {
    in.Add("PHYS/DIAGNOSIS/", vtOctetString, ByteArray{{0, 0}, 0});
    in.Add("PHYS/TAG_DESC", vtVisibleString, "");
    in.Add("PHYS/WRITE_LOCKING", vtUnsigned16, Variant(int32_t{2457}));
    in.Add("TRANS/1/Act/SELF_CALIB_CMD", vtUnsigned8, Variant(uint8_t{0}));
    in.Add("TRANS/1/Act/DEADBAND", vtFloat, Variant(0.5f)).nInitUnit = 1342;
    in.Add("TRANS/1/Act/TRAVEL", vtDouble, Variant(100.0));
    in.Add("TRANS/1/Act/COUNTER", vtInteger32, Variant(int32_t{0}));
    in.Add("TRANS/1/Act/OFFSET", vtInteger16, Variant(int16_t{0}));
    in.Add("TRANS/1/Act/TOTAL", vtUnsigned32, Variant(0.0));
    in.Add("TRANS/1/Act/ENABLE", vtByte, Variant(false));
    in.Add("TRANS/1/Act/RECORD/", vtRecord);
    for (const auto& e : in.data->Elements())
        AsDataElement(*e).InitNew();
}

TEST(ElementPersistence, SavedDataSetLoadsIntoFreshInstanceUnchanged) {
    Instance a;
    BuildSample(a);
    a.At("PHYS/DIAGNOSIS/").SetTransientValue(ByteArray{{0x01, 0xAB}, 0});
    a.At("PHYS/TAG_DESC").SetTransientValue("Valve <1> & \"2\"");
    a.At("PHYS/WRITE_LOCKING").SetTransientValue(int32_t{0});
    a.At("TRANS/1/Act/SELF_CALIB_CMD").SetTransientValue(uint8_t{3});
    auto& deadband = a.At("TRANS/1/Act/DEADBAND");
    deadband.SetTransientValue(0.1f);
    deadband.nTransientUnit = 1054;
    a.At("TRANS/1/Act/TRAVEL").SetTransientValue(1.0 / 3.0);
    a.At("TRANS/1/Act/COUNTER").SetTransientValue(int32_t{-2147483647 - 1});
    a.At("TRANS/1/Act/OFFSET").SetTransientValue(int16_t{-5});
    a.At("TRANS/1/Act/TOTAL").SetTransientValue(4294967295.0);
    a.At("TRANS/1/Act/ENABLE").SetTransientValue(true);
    auto& offset = a.At("TRANS/1/Act/OFFSET");
    offset.SetStatusFlag(sfNeeded | 0x2000 | 0x30000 | 0x200000);
    offset.SetParamOptional(true);
    a.At("TRANS/1/Act/COUNTER").SetValidity(false);

    PropertyBag bag;
    ASSERT_TRUE(a.context.WriteProperties(bag));
    EXPECT_EQ(bag.Read("PHYS/DIAGNOSIS/")->str(), "01AB");
    // The bag goes through its project-file form on the way.
    PropertyBag reread;
    ASSERT_TRUE(reread.LoadXml(bag.ToXml()));

    Instance b;
    BuildSample(b);
    // Error bits of the fresh instance do not survive the load either.
    b.At("PHYS/TAG_DESC").SetStatusFlag(0x4000 | 0x10000);
    ASSERT_TRUE(b.context.ReadProperties(reread));

    for (const auto& ea : a.data->Elements()) {
        SCOPED_TRACE(ea->Name());
        const clsDataElement& x = AsDataElement(*ea);
        const clsDataElement& y = b.At(ea->Name());
        EXPECT_EQ(y.TransientValue(), x.TransientValue());
        EXPECT_EQ(y.PersistentValue(), x.TransientValue());
        EXPECT_EQ(y.nTransientUnit, x.nTransientUnit);
        EXPECT_EQ(y.nPersistentUnit, x.nTransientUnit);
        EXPECT_EQ(y.RawStatusWord() & sfPersistMask, x.RawStatusWord() & sfPersistMask);
        EXPECT_EQ(y.RawStatusWord() & 0x00FFF000, 0);
    }
    EXPECT_EQ(b.data->ModifiedState(), 0);
    EXPECT_FALSE(b.data->BulkUpdateActive());
}

TEST(ElementPersistence, ACompletedSaveCopiesTransientIntoPersistent) {
    Instance in;
    auto& e = in.Add("P", vtFloat, Variant(1.5f));
    e.nTransientUnit = 1342;
    PropertyBag bag;
    EXPECT_TRUE(e.WriteToPropBag(bag, in.context));
    // The bag alone stores nothing: its file may still fail.
    EXPECT_TRUE(e.PersistentValue().isEmpty());
    EXPECT_EQ(e.nPersistentUnit, 0);
    EXPECT_FALSE(e.IsStored());
    e.SaveCompleted();
    EXPECT_EQ(e.PersistentValue(), Variant(1.5f));
    EXPECT_EQ(e.nPersistentUnit, 1342);
    EXPECT_TRUE(e.IsStored());
    e.nTransientUnit = 1343;  // a unit of its own is a change too
    EXPECT_FALSE(e.IsStored());
    EXPECT_EQ(*bag.Read("p.unit"), Variant(int16_t{1342}));
    EXPECT_EQ(*bag.Read("P.Flags"), Variant(int32_t{sfValid}));
}

// A number is stored in the type its element's value type gives from the first save on, whatever
// the value was set from; a number that the type cannot hold as it is stays as it is, so that a
// load gives back what was saved.
TEST(ElementPersistence, AStoredNumberKeepsTheTypeOfItsElement) {
    struct Case {
        int32_t type;
        Variant initial;
        Variant later;
        VarType stored;       // of both saves
        VarType storedLater;  // of the second save
    };
    const Case cases[] = {
        {vtUnsigned8, Variant(int16_t{126}), Variant(uint8_t{55}), VarType::Byte, VarType::Byte},
        {vtUnsigned16, Variant(int16_t{3}), Variant(40000.0), VarType::Long, VarType::Long},
        {vtInteger16, Variant(int32_t{5}), Variant(uint8_t{9}), VarType::Integer, VarType::Integer},
        {vtInteger32, Variant(int16_t{-1}), Variant(7.0), VarType::Long, VarType::Long},
        {vtUnsigned32, Variant(int32_t{7}), Variant(int16_t{8}), VarType::Double, VarType::Double},
        {vtFloat, Variant(15.0), Variant(int16_t{60}), VarType::Single, VarType::Single},
        {vtDouble, Variant(1.5f), Variant(int32_t{2}), VarType::Double, VarType::Double},
        // What the type cannot hold unchanged is kept as it stands.
        {vtUnsigned8, Variant(uint8_t{1}), Variant(int32_t{300}), VarType::Byte, VarType::Long},
        {vtInteger32, Variant(int32_t{1}), Variant(2.5), VarType::Long, VarType::Double},
        {vtFloat, Variant(1.5f), Variant(0.1), VarType::Single, VarType::Double},
        {vtUnsigned8, Variant(uint8_t{1}), Variant("12x"), VarType::Byte, VarType::String},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.later.toString());
        Instance in;
        auto& e = in.Add("E", c.type, c.initial);
        e.InitNew();
        PropertyBag first;
        ASSERT_TRUE(e.WriteToPropBag(first, in.context));
        EXPECT_EQ(first.Read("E")->type(), c.stored);
        EXPECT_TRUE(VariantsEqual(*first.Read("E"), c.initial));
        e.SetTransientValue(c.later);
        PropertyBag second;
        ASSERT_TRUE(e.WriteToPropBag(second, in.context));
        EXPECT_EQ(second.Read("E")->type(), c.storedLater);
        EXPECT_TRUE(VariantsEqual(*second.Read("E"), c.later));
    }
}

TEST(ElementPersistence, MissingOrEmptyValues) {
    Instance in;
    auto& n = in.Add("N", vtInteger32, Variant(int32_t{7}));
    auto& s = in.Add("S", vtVisibleString, "init");
    n.SetPersistentValue(int32_t{42});
    n.SetTransientValue(int32_t{1});
    PropertyBag empty;
    EXPECT_TRUE(n.ReadFromPropBag(empty, in.context));
    EXPECT_EQ(n.TransientValue(), Variant(int32_t{7}));
    EXPECT_EQ(n.PersistentValue(), Variant(int32_t{42}));
    EXPECT_EQ(n.RawStatusWord() & sfValid, sfValid);

    PropertyBag bag;
    bag.Write("N", "");
    bag.Write("S", "");
    n.ReadFromPropBag(bag, in.context);
    s.ReadFromPropBag(bag, in.context);
    EXPECT_TRUE(n.TransientValue().isEmpty());
    EXPECT_EQ(s.TransientValue(), Variant(""));

    // An octet string whose text is no hex text falls back to the initial value.
    auto& o = in.Add("O", vtOctetString, ByteArray{{9}, 0});
    bag.Write("O", "0G");
    o.ReadFromPropBag(bag, in.context);
    EXPECT_EQ(o.TransientValue(), Variant(ByteArray{{9}, 0}));
    EXPECT_EQ(in.context.Diagnostics().Entries().size(), 1u);
}

TEST(ElementPersistence, DamagedStoredValuesAreKeptMarkedAndNeverSent) {
    // A value that its element would refuse as input loads as it is, with the mark that the
    // input gets, and no write request carries it; a sound value beside it stays unmarked.
    struct Case {
        const char* name;
        int32_t type;
        int32_t length;
        const char* stored;  // the property in the project file's form
        int32_t mark;
    };
    const std::string megabyte(1 << 20, 'x');
    const Case cases[] = {
        {"long text", vtVisibleString, 32, "String\" value=\"{x}", 0x5000},
        {"invalid UTF-8", vtVisibleString, 32, "String\" value=\"A\xC3(", 0x6000},
        {"1e300 in a float", vtFloat, 4, "Double\" value=\"1e300", 0x4000},
        {"nan", vtFloat, 4, "Single\" value=\"nan", 0x2000},
        {"inf", vtFloat, 4, "Single\" value=\"-inf", 0x2000},
        {"choice beyond its type", vtUnsigned8, 1, "Long\" value=\"300", 0x4000},
        {"text for a number", vtUnsigned16, 2, "String\" value=\"nan", 0x2000},
        {"sound", vtUnsigned16, 2, "Long\" value=\"7", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Instance in;
        clsDataElement& e = AddDataElement(*in.data, "E", Variant(), c.type, c.length);
        e.InitNew();
        e.Slot = 1;
        e.index = 20;
        e.DataPosition = 0;
        std::string stored = c.stored;
        ReplaceAll(stored, "{x}", megabyte);
        PropertyBag bag;
        ASSERT_TRUE(bag.LoadXml("<PropertyBag><Property name=\"E\" type=\"" + stored +
                                "\"/></PropertyBag>"));
        ASSERT_TRUE(bag.Contains("E"));
        EXPECT_TRUE(e.ReadFromPropBag(bag, in.context));
        EXPECT_TRUE(VariantsEqual(e.TransientValue(), *bag.Read("E")));
        EXPECT_EQ(e.StatusFlags() & sfInputErrorMask, c.mark);
        Transaction job;
        EXPECT_EQ(in.model->BuildTransactionRequest(in.context, job, true, e), c.mark == 0);
    }
}

TEST(ElementPersistence, StoredFlagsKeepOnlyThePersistedBits) {
    Instance in;
    auto& e = in.Add("E", vtUnsigned8, Variant(uint8_t{0}));
    e.SetRawStatusWord(0x1000000 | 0x1 | 0x2 | 0x10 | 0x2000 | 0x50000 | 0x300000);
    PropertyBag bag;
    bag.Write("E.Flags", Variant(int32_t{-1}));
    EXPECT_TRUE(e.ReadFromPropBag(bag, in.context));
    EXPECT_EQ(e.RawStatusWord(), 0x0F000008 | 0x1 | 0x2 | 0x10);

    // A word that is no number counts as "valid" and fails the call; the error bits still go.
    e.SetRawStatusWord(0x2000 | 0x8);
    bag.Write("E.Flags", "lots");
    EXPECT_FALSE(e.ReadFromPropBag(bag, in.context));
    EXPECT_EQ(e.RawStatusWord(), sfValid);
}

TEST(ElementPersistence, StoredUnitForms) {
    Instance in;
    auto& e = in.Add("F", vtFloat, Variant(1.0f));
    e.nInitUnit = 1013;  // mm
    struct Case {
        const char* what;
        std::optional<Variant> stored;
        int16_t expected;
    };
    const Case cases[] = {
        {"16-bit code", Variant(int16_t{1342}), 1342},
        {"byte code", Variant(uint8_t{200}), 200},
        {"32-bit code", Variant(int32_t{1054}), 1054},
        {"32-bit code beyond 16 bits", Variant(int32_t{70000}), 1013},
        {"numeric text", Variant("1342"), 1342},
        {"unit text", Variant("%"), 1342},
        {"code text", Variant("#1998"), 1998},
        {"empty text", Variant(""), 1013},
        {"double", Variant(1342.0), 1013},
        {"missing", std::nullopt, 1013},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PropertyBag bag;
        bag.Write("F", Variant(2.0f));
        if (c.stored)
            bag.Write("F.Unit", *c.stored);
        e.nTransientUnit = 0;
        e.ReadFromPropBag(bag, in.context);
        EXPECT_EQ(e.nTransientUnit, c.expected);
    }
}

TEST(ElementPersistence, UnitTextSharedByTwoCodesKeepsTheElementsCode) {
    Instance in;
    in.Units().PROFIBUSProfil3UnitString(1343, "%");  // a second code with the text of 1342
    auto& e = in.Add("F", vtFloat, Variant(1.0f));
    e.nInitUnit = 1343;
    e.nTransientUnit = 1343;
    PropertyBag bag;
    e.WriteToPropBag(bag, in.context);
    bag.Write("F.Unit", "%");
    e.ReadFromPropBag(bag, in.context);
    EXPECT_EQ(e.nTransientUnit, 1343);
}

// --- parameter document ---

pugi::xml_node NewVariable(pugi::xml_document& doc, const std::string& name) {
    pugi::xml_node node = doc.append_child("DtmVariable");
    node.append_attribute("name").set_value(name.c_str());
    return node;
}

// Reads a variable as the import does: a first reading takes what the element takes as it
// stands, the second judges it (no rules follow between them here).
VariableReading Read(clsDataElement& e, pugi::xml_node node, IDTMContext& context) {
    const VariableReading first = e.ReadFromDtmVariable(node, context, false);
    const VariableReading second = e.ReadFromDtmVariable(node, context, true);
    return first.Taken() ? first : second;
}

void SetDisplay(pugi::xml_node node, const char* text) {
    node.append_child("fdt:Value")
        .append_child("fdt:Display")
        .append_attribute("string")
        .set_value(text);
}

TEST(ElementPersistence, FloatWithUnitRoundTripsThroughParameterDocument) {
    Instance in;
    auto& e = in.Add("TRANS/1/Act/DEADBAND", vtFloat, Variant(0.0f));
    e.RelIndex = 8;
    e.Description = "Dead band";
    e.SetTransientValue(12.5f);
    e.nTransientUnit = 1342;
    pugi::xml_document doc;
    pugi::xml_node node = NewVariable(doc, e.Name());
    EXPECT_TRUE(e.WriteToDtmVariable(node, in.context));
    EXPECT_STREQ(node.attribute("descriptor").value(), "Dead band");
    EXPECT_STREQ(node.attribute("statusFlag").value(), "ok");
    pugi::xml_node value = node.child("fdt:Value");
    EXPECT_STREQ(value.attribute("readAccess").value(), "true");
    EXPECT_STREQ(value.attribute("writeAccess").value(), "true");
    EXPECT_STREQ(value.child("fdt:Display").attribute("string").value(), "12.5[%]");

    e.SetTransientValue(0.0f);
    EXPECT_TRUE(Read(e, node, in.context).Taken());
    EXPECT_EQ(e.TransientValue(), Variant(12.5f));
    EXPECT_EQ(e.nTransientUnit, 1342);
}

TEST(ElementPersistence, FloatWithoutUnitReadsBackWithoutUnit) {
    Instance in;
    // A defined code whose text is empty must not be taken for "no unit".
    in.Units().PROFIBUSProfil3UnitString(1000, "");
    auto& e = in.Add("F", vtFloat, Variant(0.0f));
    e.SetTransientValue(-0.25f);
    pugi::xml_document doc;
    pugi::xml_node node = NewVariable(doc, "F");
    e.WriteToDtmVariable(node, in.context);
    EXPECT_STREQ(node.child("fdt:Value").child("fdt:Display").attribute("string").value(),
                 "-.25[]");
    EXPECT_STREQ(node.child("fdt:Value").attribute("readAccess").value(), "false");
    e.SetTransientValue(1.0f);
    EXPECT_TRUE(Read(e, node, in.context).Taken());
    EXPECT_EQ(e.TransientValue(), Variant(-0.25f));
    EXPECT_EQ(e.nTransientUnit, 0);
}

// The device holds a value in the element's unit: a value of the document in another unit is
// converted into it, and the element's unit stays, whatever the document says.
TEST(ElementPersistence, ValuesInAnotherUnitTakeTheElementsUnit) {
    Instance in;
    auto& travel = in.Add("TRANS/1/Act/RATED_TRAVEL", vtFloat, Variant(15.0f));
    travel.nInitUnit = 1013;  // mm
    travel.InitNew();
    travel.SetRange(0, Variant(0.0), Variant(255.9));
    auto& plain = in.Add("FUNC/1/AO/SIMULATE/Value", vtFloat, Variant(0.0f));
    using K = ImportRefusal;
    struct Case {
        clsDataElement* element;
        const char* display;
        std::optional<float> taken;  // nullopt: refused, for this reason
        ImportRefusal::Kind reason;
    };
    const Case cases[] = {
        {&travel, "2.5[cm]", 25.0f, K::kNotTaken},
        {&travel, "2.5[#1012]", 25.0f, K::kNotTaken},
        {&travel, ".1[m]", 100.0f, K::kNotTaken},
        {&travel, "2.5[mm]", 2.5f, K::kNotTaken},
        {&travel, "2.5[]", 2.5f, K::kNotTaken},  // a number without a unit is in the element's
        {&travel, "2.5", 2.5f, K::kNotTaken},
        {&travel, "25.6[cm]", std::nullopt, K::kOutOfRange},
        {&travel, "2.5[s]", std::nullopt, K::kNotConvertible},
        {&travel, "2.5[%]", std::nullopt, K::kNotConvertible},
        {&travel, "1e36[km]", std::nullopt, K::kNotConvertible},
        {&travel, "2.5[furlongs]", std::nullopt, K::kUnknownUnit},
        {&plain, "2.5[mm]", std::nullopt, K::kNotConvertible},
    };
    pugi::xml_document doc;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display);
        clsDataElement& e = *c.element;
        const int16_t unit = e.nTransientUnit;
        e.SetTransientValue(Variant(7.0f));
        pugi::xml_node node = NewVariable(doc, e.Name());
        SetDisplay(node, c.display);
        const VariableReading reading = Read(e, node, in.context);
        EXPECT_EQ(reading.Taken(), c.taken.has_value());
        EXPECT_EQ(e.TransientValue(), Variant(c.taken.value_or(7.0f)));
        EXPECT_EQ(e.nTransientUnit, unit);
        if (c.taken)
            continue;
        // The refusal names the document's value and unit, and the element's unit.
        const ImportRefusal& refusal = reading.refusal;
        EXPECT_EQ(refusal.kind, c.reason);
        EXPECT_EQ(refusal.value + "[" + refusal.unit + "]", c.display);
        EXPECT_EQ(refusal.elementUnit, &e == &travel ? "mm" : "");
        // A value out of range names the range, in the element's unit.
        const std::vector<ImportRefusal::Limits> limits = {{Variant(0.0), Variant(255.9)}};
        EXPECT_EQ(refusal.limits,
                  c.reason == K::kOutOfRange ? limits : std::vector<ImportRefusal::Limits>{});
    }
}

TEST(ElementPersistence, ParameterDocumentReadEdgeCases) {
    Instance in;
    auto& f = in.Add("PHYS/LIMIT", vtFloat, Variant(1.0f));
    f.nTransientUnit = 1013;
    auto& o = in.Add("PHYS/DIAGNOSIS/", vtOctetString, ByteArray{{0}, 0});
    o.SetTransientValue(ByteArray{{0x01, 0xAB}, 0});
    pugi::xml_document doc;

    // An octet string travels as hex text.
    pugi::xml_node on = NewVariable(doc, o.Name());
    o.WriteToDtmVariable(on, in.context);
    EXPECT_STREQ(on.child("fdt:Value").child("fdt:Display").attribute("string").value(), "01AB");
    o.SetTransientValue(ByteArray{{0}, 0});
    EXPECT_TRUE(Read(o, on, in.context).Taken());
    EXPECT_EQ(o.TransientValue(), Variant(ByteArray{{0x01, 0xAB}, 0}));

    // A name relative to the element's record matches; another element's name does not, and
    // its status flag is not taken either.
    pugi::xml_node rel = NewVariable(doc, "LIMIT");
    SetDisplay(rel, "2.5[mm]");
    EXPECT_TRUE(Read(f, rel, in.context).Taken());
    EXPECT_EQ(f.TransientValue(), Variant(2.5f));
    pugi::xml_node other = NewVariable(doc, "PHYS/OTHER");
    other.append_attribute("statusFlag").set_value("invalid");
    SetDisplay(other, "9[mm]");
    EXPECT_FALSE(Read(f, other, in.context).Taken());
    EXPECT_EQ(f.TransientValue(), Variant(2.5f));
    EXPECT_TRUE(f.Validity());

    // A value that does not convert leaves value and unit as they were.
    pugi::xml_node bad = NewVariable(doc, f.Name());
    SetDisplay(bad, "abc[%]");
    bad.append_attribute("statusFlag").set_value("invalid");
    EXPECT_FALSE(Read(f, bad, in.context).Taken());
    EXPECT_EQ(f.TransientValue(), Variant(2.5f));
    EXPECT_EQ(f.nTransientUnit, 1013);
    EXPECT_FALSE(f.Validity());
    // An element that is not valid now is passed over, its status flag too.
    pugi::xml_node good = NewVariable(doc, f.Name());
    SetDisplay(good, "3[mm]");
    good.append_attribute("statusFlag").set_value("ok");
    EXPECT_EQ(Read(f, good, in.context).refusal.kind, ImportRefusal::kNotValid);
    EXPECT_EQ(f.TransientValue(), Variant(2.5f));
    EXPECT_FALSE(f.Validity());
    f.SetValidity(true);

    // An empty text gives no value to an element that has one; it leaves one without a value
    // as it is.
    pugi::xml_node empty = NewVariable(doc, f.Name());
    SetDisplay(empty, "[mm]");
    const VariableReading refused = Read(f, empty, in.context);
    EXPECT_EQ(refused.refusal.kind, ImportRefusal::kNoValue);
    EXPECT_EQ(f.TransientValue(), Variant(2.5f));
    auto& unset = in.Add("PHYS/UNSET", vtUnsigned16, Variant());
    pugi::xml_node nothing = NewVariable(doc, unset.Name());
    SetDisplay(nothing, "");
    EXPECT_EQ(Read(unset, nothing, in.context).kind, VariableReading::kUnchanged);
    EXPECT_TRUE(unset.TransientValue().isEmpty());

    // No display: nothing taken.
    pugi::xml_node none = NewVariable(doc, f.Name());
    none.append_attribute("descriptor").set_value("Limit");
    EXPECT_FALSE(Read(f, none, in.context).Taken());
    EXPECT_EQ(f.Description, "Limit");

    // A text without a point is read in the user's locale.
    in.context.SetLocale(NumberLocale{',', '.'});
    pugi::xml_node comma = NewVariable(doc, f.Name());
    SetDisplay(comma, "1,5[mm]");
    EXPECT_TRUE(Read(f, comma, in.context).Taken());
    EXPECT_EQ(f.TransientValue(), Variant(1.5f));
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

// The device's whole data set, as the model builds it.
struct ModelInstance : test_support::PersistenceInstance {
    ModelInstance() {
        context.SetDictionary(std::make_shared<DTMDictionary>());
        model->CreateModel(context);
        for (const auto& e : data->Elements())
            e->InitNew();
        // As the DTM object does: the language runs the access rules once before any save.
        model->SetLanguage(context, 0x409);
    }
};

TEST(ElementPersistence, WholeModelSurvivesSaveAndLoad) {
    ModelInstance a;
    ASSERT_GT(a.data->Elements().size(), 100u);
    // Change a value of each kind where the model has one.
    std::set<int32_t> changedTypes;
    for (const auto& p : a.data->Elements()) {
        clsDataElement& e = AsDataElement(*p);
        if (!changedTypes.insert(e.ValueType()).second)
            continue;
        switch (e.ValueType()) {
            case vtFloat:
                e.SetTransientValue(Variant(42.25f));
                break;
            case vtVisibleString:
                e.SetTransientValue(Variant("Changed"));
                break;
            case vtOctetString:
                e.SetTransientValue(Variant(ByteArray{{0x5A, 0xA5}, 0}));
                break;
            default:
                break;
        }
        e.SetStatusFlag(sfNeeded);
        a.data->ElementChanged(e, "");  // the model keeps paired elements in step
    }
    PropertyBag bag;
    ASSERT_TRUE(a.context.WriteProperties(bag));
    PropertyBag file;
    ASSERT_TRUE(file.LoadXml(bag.ToXml()));

    ModelInstance b;
    ASSERT_TRUE(b.context.ReadProperties(file));
    for (const auto& p : a.data->Elements()) {
        SCOPED_TRACE(p->Name());
        // The data-set state is worked out anew after a load.
        if (p->Name() == "~/DataStatus")
            continue;
        const clsDataElement& x = AsDataElement(*p);
        const clsDataElement& y = b.At(p->Name());
        EXPECT_TRUE(VariantsEqual(y.TransientValue(), x.TransientValue()));
        EXPECT_EQ(y.nTransientUnit, x.nTransientUnit);
        EXPECT_EQ(y.RawStatusWord() & sfPersistMask, x.RawStatusWord() & sfPersistMask);
        EXPECT_EQ(y.RawStatusWord() & 0x00FFF000, 0);
    }
}

TEST(ElementPersistence, WholeModelSurvivesParameterExportAndImport) {
    ModelInstance a;
    // Every float that the user can set moves within its range: to its range's lower end, or by
    // 1.5 without a range; singles whose seven-digit text would read back as another single,
    // and the limits of the type, go to the first elements without a range: the ends of the
    // scales (whose values' ranges follow them), the cascade input and the simulation.
    std::vector<float> spread = {12345678.0f, 16777218.0f, 0.1f,
                                 FLT_MAX,     -FLT_MAX,    1.17549435E-38f};
    for (const auto& p : a.data->Elements()) {
        clsDataElement& e = AsDataElement(*p);
        if (e.ValueType() != vtFloat || !e.TransientValue().isNumber() || !e.Validity() ||
            e.InputBarrierOf(a.context) != InputBarrier::kNone)
            continue;
        if (const std::optional<ValueRange> range = e.GetRange(0)) {
            e.SetTransientValue(Variant(range->min.toSingle()));
        } else if (!spread.empty()) {
            e.SetTransientValue(Variant(spread.back()));
            spread.pop_back();
        } else {
            e.SetTransientValue(Variant(e.TransientValue().toSingle() + 1.5f));
        }
        a.data->ElementChanged(e, "");
    }
    ASSERT_TRUE(spread.empty());
    // Both ends of a range, and a large single within one.
    a.At("TRANS/1/Act/TRAVEL_LIMIT_LOW").SetTransientValue(Variant(99.9f));
    a.At("TRANS/1/Act/SERVO_GAIN_1").SetTransientValue(Variant(10.0f));
    a.At("TRANS/1/Act/TOTAL_VALVE_TRAVEL_LIMIT").SetTransientValue(Variant(12345678.0f));
    // A value that only the device reports, read from another device.
    a.At("PHYS/DEVICE_SER_NUM").SetTransientValue(Variant("SN-4711"));
    a.model->DataSetChanged(a.context);  // paired elements in step, as after any import
    ParameterXMLConverter converter;
    const std::string xml = converter.GetParametersXml(a.context, "", 64);
    ModelInstance b;
    ModelInstance before;
    b.data->Lock();
    const bool ok = converter.SetParametersXml("", b.context, xml, 64);
    b.data->Unlock();
    EXPECT_TRUE(ok);
    // Only elements that no user could set now, whose values differ, are passed over; they keep
    // their values.
    std::set<std::string> passedOver;
    for (const ImportRefusal& refusal : converter.Refusals()) {
        EXPECT_TRUE(refusal.PassedOver()) << refusal.path << " " << int{refusal.kind};
        passedOver.insert(refusal.path);
    }
    EXPECT_TRUE(passedOver.count("PHYS/DEVICE_SER_NUM"));
    for (const auto& p : a.data->Elements()) {
        SCOPED_TRACE(p->Name());
        if (p->Name() == "~/DataStatus")
            continue;
        const clsDataElement& x =
            passedOver.count(p->Name()) ? before.At(p->Name()) : AsDataElement(*p);
        const clsDataElement& y = b.At(p->Name());
        EXPECT_TRUE(VariantsEqual(y.TransientValue(), x.TransientValue()))
            << y.TransientValue().toString() << " / " << x.TransientValue().toString();
        EXPECT_EQ(y.nTransientUnit, x.nTransientUnit);
        EXPECT_EQ(y.Validity(), x.Validity());
    }
}

}  // namespace
}  // namespace kv
