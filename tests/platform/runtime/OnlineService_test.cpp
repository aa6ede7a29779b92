// Transaction groups and the online service against the simulated positioner with the device's
// whole data model.

#include <gtest/gtest.h>

#include <algorithm>
#include <pugixml.hpp>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "support/OnlineFixture.h"

namespace kv {

using namespace test_support;
using Instance = OnlineInstance;

namespace {

OnlineParameterService& Service(Instance& in) {
    return dynamic_cast<OnlineParameterService&>(in.context.OnlineParameterService());
}

TEST(OnlineService, UploadReadsEveryUploadAddressExactlyOnce) {
    Instance in;
    in.device->SetDeviceId("KV6274");
    ASSERT_TRUE(in.Connect());
    const std::set<Address> expected =
        in.Addresses([](clsDataElement& e) { return (e.ElementMode() & emUpload) != 0; });
    ASSERT_GT(expected.size(), 20u);

    ASSERT_TRUE(Service(in).UploadRequest("U1", ""));
    EXPECT_FALSE(Service(in).UploadRequest("U1", ""));  // the same action runs already
    EXPECT_TRUE(in.events->uploads.empty());
    in.loop->RunUntilIdle();

    ASSERT_EQ(in.events->uploads.size(), 1u);
    EXPECT_EQ(in.events->uploads[0], std::make_pair(std::string("U1"), true));
    // One document, at the end, although the upload brought a new tag.
    EXPECT_EQ(in.events->parametersChanged, 1);
    EXPECT_TRUE(in.Logged(true).empty());
    const std::map<Address, int> reads = in.Logged(false);
    std::set<Address> read;
    for (const auto& [address, count] : reads) {
        EXPECT_EQ(count, 1) << address.first << "/" << address.second;
        read.insert(address);
    }
    EXPECT_EQ(read, expected);
    // Values arrived; the walk after the upload ran as a bulk update, which is over now.
    EXPECT_EQ(in.At("PHYS/DEVICE_ID").TransientValue().toString(), "KV6274");
    EXPECT_GT(in.gui->bulk, 0);
    EXPECT_FALSE(in.data->BulkUpdateActive());
    // The frame saw the progress, whose last report ends the display, and got the whole data
    // set's parameter document with the values read.
    ASSERT_FALSE(in.events->progress.empty());
    EXPECT_EQ(in.events->progress.back(), 100);
    EXPECT_FALSE(in.events->shown.back());
    EXPECT_EQ(std::count(in.events->shown.begin(), in.events->shown.end(), false), 1);
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(in.events->parameterDocument.c_str()));
    EXPECT_EQ(document.select_nodes("/FDT/DtmVariables/DtmVariable").size(),
              in.context.Parameters().Elements().size());
    EXPECT_STREQ(document
                     .select_node("/FDT/DtmVariables/DtmVariable[@name='PHYS/DEVICE_ID']"
                                  "/fdt:Value/fdt:Display")
                     .node()
                     .attribute("string")
                     .value(),
                 "KV6274");
}

TEST(OnlineService, AnUploadTakesTheDevicesValueOverAnEditNotYetWritten) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    clsDataElement& tag = in.At("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("VALVE 7"));
    tag.SetStatusFlag(sfEditedOnline);
    EXPECT_EQ(Service(in).OnlineMode(), 0);
    ASSERT_TRUE(Service(in).UploadRequest("U1", ""));
    EXPECT_EQ(Service(in).OnlineMode(), 1);
    in.loop->RunUntilIdle();
    EXPECT_EQ(Service(in).OnlineMode(), 0);
    EXPECT_EQ(tag.TransientValue().str(), "-/-");
    EXPECT_EQ(tag.StatusFlags() & sfEditedOnline, 0);
}

TEST(OnlineService, UploadOfAPartReadsOnlyThatPart) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    ASSERT_TRUE(Service(in).UploadRequest("U2", "PHYS/DIAGNOSIS/"));
    in.loop->RunUntilIdle();
    const Address diag = in.AddressOf("PHYS/DIAGNOSIS/");
    EXPECT_EQ(in.Logged(false), (std::map<Address, int>{{diag, 1}}));
}

TEST(OnlineService, DownloadWritesEachAddressOnceAndReadsBack) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    clsDataElement& tagDesc = in.At("PHYS/TAG_DESC");
    tagDesc.SetTransientValue(Variant("VALVE 7"));
    tagDesc.SetStatusFlag(sfEditedOnline);  // an edit on a page, not yet written
    const std::set<Address> expected =
        in.Addresses([&](clsDataElement& e) { return e.IsDownloadParam(in.context); });
    ASSERT_FALSE(expected.empty());

    ASSERT_TRUE(Service(in).DownloadRequest("D1", ""));
    EXPECT_EQ(Service(in).OnlineMode(), 2);
    EXPECT_TRUE(in.events->downloads.empty());
    in.loop->RunUntilIdle();
    EXPECT_EQ(Service(in).OnlineMode(), 0);
    ASSERT_EQ(in.events->downloads.size(), 1u);
    EXPECT_EQ(in.events->downloads[0].first, "D1");
    // Written and read back: the edit is no longer pending.
    EXPECT_EQ(tagDesc.StatusFlags() & sfEditedOnline, 0);
    EXPECT_EQ(tagDesc.DeviceValue().str(), "VALVE 7");

    std::set<Address> written;
    for (const auto& [address, count] : in.Logged(true)) {
        EXPECT_EQ(count, 1) << address.first << "/" << address.second;
        written.insert(address);
    }
    EXPECT_EQ(written, expected);
    // TAG_DESC: 32 bytes, blank padded, written before it is read back.
    const Address tag = in.AddressOf("PHYS/TAG_DESC");
    std::vector<uint8_t> bytes(32, ' ');
    const std::string text = "VALVE 7";
    std::copy(text.begin(), text.end(), bytes.begin());
    EXPECT_EQ(in.device->Record(uint8_t(tag.first), uint8_t(tag.second)), bytes);
    int writeAt = -1, readAt = -1, i = 0;
    for (const Dpv1Request& r : in.device->Log()) {
        if (Address{r.slot, r.index} == tag)
            (r.write ? writeAt : readAt) = i;
        ++i;
    }
    EXPECT_GE(writeAt, 0);
    EXPECT_GT(readAt, writeAt);
    // Every read is a read-back of an address that was written and is read from the device.
    for (const auto& [address, count] : in.Logged(false)) {
        EXPECT_EQ(count, 1);
        EXPECT_TRUE(written.count(address));
    }
}

TEST(OnlineService, DownloadThatCannotStartIsReportedToTheFrameLater) {
    Instance in;  // not connected
    EXPECT_FALSE(Service(in).DownloadRequest("D2", ""));
    EXPECT_TRUE(in.events->downloads.empty());
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.events->downloads.size(), 1u);
    EXPECT_EQ(in.events->downloads[0], std::make_pair(std::string("D2"), false));
    EXPECT_FALSE(Service(in).UploadRequest("U", ""));
}

TEST(OnlineService, CancelledUploadEndsOnceUnsuccessfully) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    ASSERT_TRUE(Service(in).UploadRequest("U3", ""));
    in.loop->RunUntilIdle(3);
    EXPECT_TRUE(Service(in).CancelAction("U3"));
    EXPECT_FALSE(Service(in).CancelAction("U3"));
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.events->uploads.size(), 1u);
    EXPECT_EQ(in.events->uploads[0], std::make_pair(std::string("U3"), false));
    EXPECT_FALSE(Service(in).CancelAction("other"));
}

TEST(OnlineService, AnAnswerCutShortFailsTheUploadAndKeepsTheRecordsValues) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    ASSERT_TRUE(Service(in).UploadRequest("U1", ""));
    in.loop->RunUntilIdle();
    // PV_SCALE changes in the device, but its answer comes one byte short.
    const std::vector<uint8_t> scale = in.device->Record(1, 27);
    ASSERT_EQ(scale.size(), 11u);
    std::vector<uint8_t> changed = scale;
    changed[0] = 0x43;  // Up_Val 100 -> 200 (0x42C80000 -> 0x43480000)
    changed[1] = 0x48;
    changed[10] = uint8_t(scale[10] + 1);  // DecPoint
    ASSERT_TRUE(in.device->SetRecord(1, 27, changed));
    in.device->InjectFault(1, 27, SimFault{.shortLength = 10, .times = 1});

    ASSERT_TRUE(Service(in).UploadRequest("U2", ""));
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.events->uploads.size(), 2u);
    EXPECT_EQ(in.events->uploads[1], std::make_pair(std::string("U2"), false));
    for (const char* member : {"Up_Val", "Lo_Val", "Unit", "DecPoint"}) {
        clsDataElement& e = in.At(std::string("FUNC/1/AO/PV_SCALE/") + member);
        EXPECT_EQ(e.StatusFlags() & sfDpv1ErrorMask, 0x500000) << member;
    }
    EXPECT_EQ(in.At("FUNC/1/AO/PV_SCALE/Up_Val").DeviceValue().toDouble(), 100.0);
    EXPECT_EQ(in.At("FUNC/1/AO/PV_SCALE/DecPoint").TransientValue().toLong(), scale[10]);
    // Every other record was taken.
    EXPECT_EQ(in.At("PHYS/WRITE_LOCKING").StatusFlags() & sfDpv1ErrorMask, 0);

    // Answered whole, the next upload succeeds and takes the record.
    ASSERT_TRUE(Service(in).UploadRequest("U3", ""));
    in.loop->RunUntilIdle();
    EXPECT_EQ(in.events->uploads.back(), std::make_pair(std::string("U3"), true));
    EXPECT_EQ(in.At("FUNC/1/AO/PV_SCALE/Up_Val").DeviceValue().toDouble(), 200.0);
    EXPECT_EQ(in.At("FUNC/1/AO/PV_SCALE/DecPoint").StatusFlags() & sfDpv1ErrorMask, 0);
}

TEST(OnlineService, StartUploadReadsTheMarkedElementsUnderTheCallersId) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    for (const char* p : {"PHYS/WRITE_LOCKING", "PHYS/HW_WRITE_PROTECTION"}) {
        clsDataElement& e = in.At(p);
        e.SetStatusFlags(e.StatusFlags() | 0x10);
    }
    ASSERT_TRUE(Service(in).StartUpload("P-1", "", 0, 0x10, 0, 0, in.process));
    EXPECT_TRUE(in.process->finished.empty());
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_EQ(in.process->finished[0], std::make_pair(std::string("P-1"), true));
    EXPECT_EQ(in.Logged(false),
              (std::map<Address, int>{{in.AddressOf("PHYS/WRITE_LOCKING"), 1},
                                      {in.AddressOf("PHYS/HW_WRITE_PROTECTION"), 1}}));
    EXPECT_EQ(in.At("PHYS/WRITE_LOCKING").TransientValue().toLong(), 2457);
}

TEST(TransactionGroupTest, OneRequestPerRecordInDataSetOrder) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    TransactionGroup group;
    EXPECT_EQ(group.ConnectionStatus(), 2);
    EXPECT_EQ(group.Execute(in.process, true, true), 2);
    group.Init(in.context);
    EXPECT_EQ(group.ConnectionStatus(), 0);
    // Two members of one record and a plain element added after them.
    std::vector<IPrivateDataElement*> members = in.data->RecordMembers("PHYS/DIAGNOSIS/");
    ASSERT_GE(members.size(), 2u);
    ASSERT_TRUE(group.AddElement(*members[1], false));
    ASSERT_TRUE(group.AddElement(*members[0], false));
    ASSERT_TRUE(group.AddElement(in.At("PHYS/TAG_DESC"), false));
    const std::string key = group.Elements();
    EXPECT_EQ(key.rfind("PHYS/DIAGNOSIS/\nPHYS/TAG_DESC\n#", 0), 0u) << key;
    const auto listed = in.comm->GetGroupElements(group.Elements());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0]->Name(), "PHYS/DIAGNOSIS/");

    ASSERT_EQ(group.Execute(in.process, true, true), 0);
    EXPECT_TRUE(group.Busy());
    EXPECT_EQ(group.Execute(in.process, true, true), 5);
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_TRUE(in.process->finished[0].second);
    EXPECT_TRUE(group.OwnsProcess(in.process->finished[0].first));
    EXPECT_FALSE(group.OwnsProcess("other"));
    EXPECT_FALSE(group.OwnsProcess(""));
    EXPECT_FALSE(group.Busy());
    // The requests are forgotten with the end of the process; whoever the end calls back still
    // finds their key, until the next request or Clear.
    EXPECT_EQ(group.Elements(), key);
    EXPECT_EQ(in.comm->GetGroupElements(group.Elements()).size(), 2u);
    group.Clear();
    EXPECT_EQ(group.Elements(), "");
    // The same elements again are another batch, with another key.
    ASSERT_TRUE(group.AddElement(*members[0], false));
    ASSERT_TRUE(group.AddElement(in.At("PHYS/TAG_DESC"), false));
    EXPECT_NE(group.Elements(), key);
    EXPECT_EQ(group.Elements().rfind("PHYS/DIAGNOSIS/\nPHYS/TAG_DESC\n#", 0), 0u);
    // TAG_DESC (relative index 2) comes before DIAGNOSIS (13) in the data set.
    ASSERT_EQ(in.device->Log().size(), 2u);
    EXPECT_EQ((Address{in.device->Log()[0].slot, in.device->Log()[0].index}),
              in.AddressOf("PHYS/TAG_DESC"));
    EXPECT_EQ((Address{in.device->Log()[1].slot, in.device->Log()[1].index}),
              in.AddressOf("PHYS/DIAGNOSIS/"));
    EXPECT_EQ(in.process->progress, (std::vector<int32_t>{50, 100}));
}

TEST(TransactionGroupTest, CyclicGroupKeepsItsRequestsAndAnswersSixWhileBusy) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    TransactionGroup group;
    group.Init(in.context);
    group.AddElement(in.At("PHYS/TAG_DESC"), false);
    for (int tick = 1; tick <= 3; ++tick) {
        ASSERT_EQ(group.Execute(in.process, false, false), 0);
        EXPECT_EQ(group.Execute(in.process, false, false), 6);
        in.loop->RunUntilIdle();
        EXPECT_EQ(in.process->finished.size(), size_t(tick));
    }
    EXPECT_EQ(in.device->RequestCount(uint8_t(in.AddressOf("PHYS/TAG_DESC").first),
                                      uint8_t(in.AddressOf("PHYS/TAG_DESC").second)),
              3);
    EXPECT_TRUE(in.events->progress.empty());  // a cyclic read does not report to the frame
    // Close ends a running process once and unbinds the group.
    ASSERT_EQ(group.Execute(in.process, false, false), 0);
    group.Close();
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.process->finished.size(), 4u);
    EXPECT_FALSE(in.process->finished[3].second);
    EXPECT_EQ(group.ConnectionStatus(), 2);
}

TEST(TransactionGroupTest, AnEmptyGroupStillEndsThroughTheLoop) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    TransactionGroup group;
    group.Init(in.context);
    ASSERT_EQ(group.Execute(in.process, true, true), 0);
    EXPECT_TRUE(in.process->finished.empty());
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_TRUE(in.process->finished[0].second);
}

TEST(TransactionGroupTest, WriteOfACommandAndItsReadBack) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    clsDataElement& locking = in.At("PHYS/WRITE_LOCKING");
    locking.SetTransientValue(Variant(int32_t(0)));
    TransactionGroup group;
    group.Init(in.context);
    group.AddElement(locking, true);
    ASSERT_EQ(group.Execute(in.process, true, true), 0);
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_TRUE(in.process->finished[0].second);
    const Address a = in.AddressOf("PHYS/WRITE_LOCKING");
    EXPECT_EQ(in.device->Record(uint8_t(a.first), uint8_t(a.second)), (std::vector<uint8_t>{0, 0}));
    // Written, then read back (the element is read from the device).
    ASSERT_EQ(in.device->Log().size(), 2u);
    EXPECT_TRUE(in.device->Log()[0].write);
    EXPECT_FALSE(in.device->Log()[1].write);
}

}  // namespace
}  // namespace kv
