// The reference frame drives a DTM instance against the simulated positioner: connection with
// the identity check, start-up reads, upload, download with its write-protection check, busy
// answers, a dropped connection, disconnect and release, and the documents the frame asks for.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/DtmElements.h"
#include "core/clsDataElement.h"
#include "dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/FrameContainer.h"
#include "frame/ScriptedPrompt.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/FdtDocuments.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/PropertyBag.h"
#include "platform/runtime/TransactionGroup.h"
#include "support/DeviceLog.h"
#include "support/FrameInstanceFixture.h"
#include "value/NumberText.h"

namespace kv {
namespace {

using test_support::Address;
using test_support::OnceEach;
using test_support::RequestsAt;

const Address kTagDesc{0, 18};
const Address kSoftwareRevision{0, 24};
const Address kHardwareRevision{0, 25};
const Address kDeviceId{0, 27};
const Address kSerialNumber{0, 28};
const Address kDiagnosis{0, 29};
const Address kWriteLocking{0, 34};
const Address kHwWriteProtection{0, 41};
const Address kDirectory{1, 0};
const Address kPvScale{1, 27};
const Address kReadback{1, 28};
const Address kCheckBack{1, 49};

const char* const kMismatchText =
    "The connected device (ident number 2910, device id KV9999, profile revision 300) does not "
    "match this DTM.\nExpected: ident number 2910, device id KV6274, profile revision 300.\n"
    "Connect anyway?";

// One instance of the reference frame with the simulated positioner behind its channel.
struct Bench : test_support::FrameBench {
    explicit Bench(SimOptions options = {}, std::vector<int32_t> answers = {})
        : FrameBench(std::make_shared<ScriptedPrompt>(std::move(answers)), options) {}
    DTMMain& Dtm() { return *instance->dtm; }
    clsDataElement& At(const std::string& path) { return ElementAt(Ctx().Parameters(), path); }
    // Communication set, connected with a matching device, start-up reads done, log cleared.
    void Online() { ASSERT_TRUE(FrameBench::Online()); }
    // Requests that reached the device, per address.
    std::map<Address, int> Logged(bool writes) const { return RequestsAt(*device, writes); }
    // The addresses of the elements the frame's transfer picks, each once: a record member is
    // transferred with its record.
    template <class Pred>
    std::map<Address, int> Once(Pred pred) {
        return OnceEach(Ctx().Parameters(), pred);
    }
};

std::vector<uint8_t> Padded(const std::string& text, size_t length) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.resize(length, ' ');
    return bytes;
}

// --- connection and identity check ---

TEST(EndToEndConnect, IdentityCheckDecidesTheConnection) {
    struct Case {
        const char* name;
        SimOptions options;
        std::vector<int32_t> answers;
        bool connected;
        bool asked;
        bool startupReads;
    };
    SimOptions otherId;
    otherId.deviceId = "KV9999";
    SimOptions blankPadded;
    blankPadded.deviceId = "  KV6274";
    SimOptions otherIdent;
    otherIdent.identNumber = 0x1234;
    SimOptions otherRevision;
    otherRevision.profileRevision = 0x0301;
    const Case cases[] = {
        {"matching device", {}, {}, true, false, true},
        {"blanks around the device id", blankPadded, {}, true, false, true},
        {"other device id, Yes", otherId, {6}, true, true, false},
        {"other device id, No", otherId, {7}, false, true, false},
        // Only No refuses: any other answer of the box accepts the device.
        {"other device id, Cancel", otherId, {2}, true, true, false},
        {"other device id, OK", otherId, {1}, true, true, false},
        {"other ident number, No", otherIdent, {7}, false, true, false},
        {"other profile revision, No", otherRevision, {7}, false, true, false},
        {"other profile revision, Yes", otherRevision, {6}, true, true, false},
    };
    for (const Case& c : cases) {
        Bench b(c.options, c.answers);
        ASSERT_TRUE(b.session->SetCommunication()) << c.name;
        EXPECT_EQ(b.session->Connect(), c.connected) << c.name;
        EXPECT_EQ(b.session->IsConnected(), c.connected) << c.name;
        ASSERT_EQ(b.prompt->questions.size(), c.asked ? 1u : 0u) << c.name;
        if (c.asked) {
            EXPECT_EQ(b.prompt->questions[0].second, 52) << c.name;
        }
        if (c.options.deviceId == "KV9999") {
            EXPECT_EQ(b.prompt->questions[0].first, kMismatchText) << c.name;
        }
        if (!c.connected) {
            EXPECT_EQ(b.Ctx().CommunicationManager().CommObject()->ErrorCode(), cecRefused)
                << c.name;
        }
        // The identity is read once; the start-up reads follow only a match, the read-back with
        // the unit of its scale.
        std::map<Address, int> reads = b.Logged(false);
        EXPECT_EQ(reads[kDeviceId], 1) << c.name;
        EXPECT_EQ(reads[kDirectory], 1) << c.name;
        const std::map<Address, int> startup = {
            {kTagDesc, 1},  {kSoftwareRevision, 1}, {kHardwareRevision, 1}, {kSerialNumber, 1},
            {kReadback, 1}, {kPvScale, 1},          {kDiagnosis, 1},        {kCheckBack, 1}};
        reads.erase(kDeviceId);
        reads.erase(kDirectory);
        const std::map<Address, int> none;
        EXPECT_EQ(reads, c.startupReads ? startup : none) << c.name;
        EXPECT_TRUE(b.Logged(true).empty()) << c.name;
        EXPECT_TRUE(b.prompt->messages.empty()) << c.name;
    }
}

TEST(EndToEndConnect, StartupReadsShowTheDeviceAndKeepTheProjectsValues) {
    // A project saved with its own tag, connected to a device with another one.
    Bench b;
    clsDataElement& tag = b.At("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("FV-200"));
    b.Ctx().Parameters().ElementChanged(tag, "");
    PropertyBag saved;
    ASSERT_TRUE(b.Dtm().WriteProperties(saved));
    b.Dtm().SaveCompleted();
    ASSERT_EQ(b.At("~/DataStatus").TransientValue().toLong(), edsDatabase);
    b.device->SetRecord(0, 18, Padded("FEED VALVE 7", 32));
    b.device->SetRecord(0, 28, Padded("99887766", 16));
    b.Online();
    // The device's own values arrive: the read-only ones are shown, the writable tag is the
    // device's only beside the project's.
    EXPECT_EQ(b.At("PHYS/DEVICE_SER_NUM").TransientValue().toString(), "99887766");
    EXPECT_EQ(tag.DeviceValue().toString(), "FEED VALVE 7");
    EXPECT_EQ(tag.TransientValue().toString(), "FV-200");
    EXPECT_EQ(b.At("~/Tag").TransientValue().toString(), "FV-200");
    EXPECT_EQ(b.Ctx().Parameters().ModifiedState(), 0);
    // Watching leaves the data-set state as the project's values are: stored.
    EXPECT_EQ(b.At("~/DataStatus").TransientValue().toLong(), edsDatabase);
    // Saved again, the project keeps its tag, and a download would send it.
    PropertyBag again;
    ASSERT_TRUE(b.Dtm().WriteProperties(again));
    EXPECT_EQ(again.Read("PHYS/TAG_DESC"), std::optional<Variant>(Variant("FV-200")));
    EXPECT_EQ(again.Read("~/Tag"), std::optional<Variant>(Variant("FV-200")));
    EXPECT_TRUE(b.Events().All().empty());

    // A page's read brings the device's tag into the project.
    TransactionGroup group;
    group.Init(b.Ctx());
    group.AddElement(tag, false);
    ASSERT_EQ(group.Execute({}, true, false), 0);
    b.session->Settle();
    EXPECT_EQ(tag.TransientValue().toString(), "FEED VALVE 7");
    EXPECT_EQ(b.At("~/Tag").TransientValue().toString(), "FEED VALVE 7");
    EXPECT_EQ(b.At("~/DataStatus").TransientValue().toLong(), edsIndefinite);
}

TEST(EndToEndConnect, TheFramesCopyFollowsTheTag) {
    Bench b;
    FrameContainer& frame = b.Container();
    auto tagOfCopy = [&] { return ParameterDisplayText(frame.ParameterDocument(), "~/Tag"); };
    // An edit of the tag is sent.
    clsDataElement& tag = b.At("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("FV-8"));
    b.Ctx().Parameters().ElementChanged(tag, "");
    EXPECT_EQ(b.Events().Count(FrameEvent::kParametersChanged), 1u);
    EXPECT_EQ(tagOfCopy(), std::optional<std::string>("FV-8"));

    // The connection reads the device's tag, but the instance keeps its own: nothing is sent.
    // A read brings the device's; a read of the same tag sends nothing.
    b.device->SetRecord(0, 18, Padded("FEED VALVE 7", 32));
    ASSERT_TRUE(b.session->SetCommunication());
    ASSERT_TRUE(b.session->Connect());
    EXPECT_EQ(b.Events().Count(FrameEvent::kParametersChanged), 1u);
    for (int read = 0; read < 2; ++read) {
        TransactionGroup group;
        group.Init(b.Ctx());
        group.AddElement(tag, false);
        ASSERT_EQ(group.Execute({}, true, false), 0);
        b.session->Settle();
    }
    EXPECT_EQ(b.Events().Count(FrameEvent::kParametersChanged), 2u);
    EXPECT_EQ(tagOfCopy(), std::optional<std::string>("FEED VALVE 7"));
}

// --- upload ---

TEST(EndToEndUpload, ReadsEveryUploadAddressExactlyOnce) {
    Bench b;
    b.Online();
    b.device->SetRecord(0, 28, Padded("12121212", 16));
    EXPECT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    IDTMContext& ctx = b.Ctx();
    const auto expected = b.Once([&](clsDataElement& e) { return e.IsUploadParam(ctx); });
    EXPECT_GT(expected.size(), 50u);
    EXPECT_EQ(b.Logged(false), expected);
    EXPECT_TRUE(b.Logged(true).empty());
    EXPECT_EQ(b.At("PHYS/DEVICE_SER_NUM").TransientValue().toString(), "12121212");
    EXPECT_EQ(b.Events().Count(FrameEvent::kUploadFinished), 1u);
    EXPECT_EQ(b.Events().Count(FrameEvent::kParametersChanged), 1u);
    EXPECT_GT(b.Events().Count(FrameEvent::kProgress), 0u);
    EXPECT_TRUE(b.prompt->messages.empty());
}

TEST(EndToEndUpload, BusyAnswersAreRepeatedUntilTheDeviceAnswers) {
    Bench b;
    b.Online();
    b.device->SetRecord(0, 28, Padded("31313131", 16));
    b.device->SetBusy(2);
    EXPECT_EQ(b.session->Upload("U1", "PHYS/DEVICE_SER_NUM"), std::optional<bool>(true));
    EXPECT_EQ(b.Logged(false), (std::map<Address, int>{{kSerialNumber, 3}}));
    EXPECT_EQ(b.At("PHYS/DEVICE_SER_NUM").TransientValue().toString(), "31313131");
    EXPECT_EQ(b.At("PHYS/DEVICE_SER_NUM").StatusFlags() & (sfCommErrorMask | sfDpv1ErrorMask), 0);
}

TEST(EndToEndUpload, DroppedConnectionEndsTheUploadWithACommunicationError) {
    Bench b;
    b.Online();
    ASSERT_TRUE(b.Dtm().UploadRequest("U1", ""));
    b.loop->RunUntilIdle(40);  // part of the upload is done
    b.session->Channel().DropConnection();
    b.session->Settle();
    ASSERT_EQ(b.Events().Count(FrameEvent::kUploadFinished), 1u);
    const std::vector<FrameEvent>& events = b.Events().All();
    EXPECT_FALSE(events.back().success);
    // Right before, the frame hears why: a communication error.
    const FrameEvent& transfer = events[events.size() - 2];
    EXPECT_EQ(transfer.kind, FrameEvent::kTransferFinished);
    EXPECT_FALSE(transfer.success);
    EXPECT_NE(transfer.failure & sfCommErrorMask, 0);
    EXPECT_EQ(transfer.failure & sfDpv1ErrorMask, 0);
    ICommObject& comm = *b.Ctx().CommunicationManager().CommObject();
    EXPECT_TRUE(comm.ErrorPending());
    EXPECT_EQ(comm.ErrorCode(), cecConnectionLost);
    EXPECT_FALSE(b.session->IsConnected());
    // The last element of the data set to be read was never reached: it carries the error.
    EXPECT_EQ(b.At("FUNC/1/AO/CHECK_BACK/").StatusFlags() & sfCommErrorMask,
              cecConnectionLost << 16);
    // A download can no longer start: refused at once, nothing written.
    EXPECT_FALSE(b.Dtm().DownloadRequest("D1", ""));
    EXPECT_TRUE(b.Logged(true).empty());
}

// --- download ---

TEST(EndToEndDownload, WritesWhatIsDownloadableAndReadsBackWhatIsReadBack) {
    Bench b;
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    b.device->ClearLog();
    clsDataElement& tag = b.At("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("NEW TAG"));
    b.Ctx().Parameters().ElementChanged(tag, "");

    EXPECT_EQ(b.session->Download("D1"), std::optional<bool>(true));
    IDTMContext& ctx = b.Ctx();
    const auto written = b.Once([&](clsDataElement& e) { return e.IsDownloadParam(ctx); });
    EXPECT_EQ(b.Logged(true), written);
    // The protection is read first, then every written element that is read from the device
    // is read back once.
    const auto& log = b.device->Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(Address(log[0].slot, log[0].index), kWriteLocking);
    EXPECT_EQ(Address(log[1].slot, log[1].index), kHwWriteProtection);
    std::map<Address, int> readBack;
    for (size_t i = 2; i < log.size(); ++i) {
        if (!log[i].write)
            ++readBack[{log[i].slot, log[i].index}];
    }
    const auto expectedBack = b.Once([&](clsDataElement& e) {
        return e.IsDownloadParam(ctx) && (e.ElementMode() & emUpload) != 0;
    });
    EXPECT_EQ(readBack, expectedBack);
    EXPECT_EQ(b.device->Record(0, 18), Padded("NEW TAG", 32));
    EXPECT_TRUE(b.prompt->questions.empty());
}

TEST(EndToEndDownload, AValueWithoutAWireFormStopsItsWriteMarkedAndNamed) {
    Bench b;
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    const std::vector<uint8_t> before = b.device->Record(0, 18);
    b.device->ClearLog();
    b.prompt->messages.clear();
    clsDataElement& tag = b.At("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("TAG \xCE\xA9"));  // Omega has no Windows-1252 code

    EXPECT_EQ(b.session->Download("D1"), std::optional<bool>(false));
    EXPECT_EQ(b.Logged(true).count(kTagDesc), 0u);
    EXPECT_FALSE(b.Logged(true).empty());  // the other values are written
    EXPECT_EQ(b.device->Record(0, 18), before);
    EXPECT_EQ(tag.StatusFlags() & sfInputErrorMask, 0x6000);
    ASSERT_FALSE(b.prompt->messages.empty());
    EXPECT_EQ(b.prompt->messages.back(),
              "The parameters could not be written to the device. PHYS/TAG_DESC: Invalid input");
    // Why the value was not sent is kept in the instance's log.
    EXPECT_EQ(b.Ctx().Diagnostics().Entries().size(), 1u) << b.Ctx().Diagnostics().Text();
    b.expectCleanLogs = false;
}

TEST(EndToEndDownload, ATextGoesBackWithTheBytesTheCodePageLeavesUndefined) {
    Bench b;
    std::vector<uint8_t> tag = Padded("TAG", 32);
    tag[3] = 0x81;
    tag[4] = 0x9D;
    b.device->SetRecord(0, 18, tag);
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    EXPECT_EQ(b.At("PHYS/TAG_DESC").StatusFlags() & sfInputErrorMask, 0);
    b.device->SetRecord(0, 18, Padded("OTHER", 32));
    EXPECT_EQ(b.session->Download("D1"), std::optional<bool>(true));
    EXPECT_EQ(b.device->Record(0, 18), tag);
}

TEST(EndToEndDownload, LockedDeviceRefusesTheDownloadWithoutWriting) {
    struct Case {
        const char* name;
        bool writeLocked;
        bool hardware;
        const char* message;
    };
    const Case cases[] = {
        {"write locking", true, false,
         "Writing is locked in the positioner (write locking). Release the lock before writing "
         "parameters."},
        {"hardware switch", false, true,
         "The positioner is write-protected by its hardware switch. Parameters cannot be "
         "written."},
        {"both", true, true,
         "The positioner is write-protected by its hardware switch. Parameters cannot be "
         "written."},
    };
    for (const Case& c : cases) {
        SimOptions options;
        options.hardwareWriteProtection = c.hardware;
        Bench b(options);
        if (c.writeLocked)
            b.device->SetRecord(0, 34, {0x00, 0x00});
        b.Online();
        EXPECT_EQ(b.session->Download("D1"), std::optional<bool>(false)) << c.name;
        EXPECT_TRUE(b.Logged(true).empty()) << c.name;
        EXPECT_EQ(b.Logged(false),
                  (std::map<Address, int>{{kWriteLocking, 1}, {kHwWriteProtection, 1}}))
            << c.name;
        ASSERT_EQ(b.prompt->questions.size(), 1u) << c.name;
        EXPECT_EQ(b.prompt->questions[0], std::make_pair(std::string(c.message), 0)) << c.name;
        // The device's lock was judged; the project keeps its own value to download.
        EXPECT_TRUE(b.At("PHYS/WRITE_LOCKING").TransientValue().looseEquals(Variant(2457)))
            << c.name;
        // The next download is taken again.
        EXPECT_TRUE(b.Dtm().DownloadRequest("D2", "")) << c.name;
    }
}

TEST(EndToEndDownload, DownloadsThatCannotGoOnEndFalseWithoutWriting) {
    enum class Fault {
        ProtectionUnreadable,
        CancelledDuringCheck,
        LostBeforeTheDownload,
        ReleasedDuringCheck
    };
    struct Case {
        const char* name;
        Fault fault;
        bool messageShown;
    };
    const Case cases[] = {
        {"protection cannot be read", Fault::ProtectionUnreadable, true},
        {"cancelled while the protection is read", Fault::CancelledDuringCheck, false},
        {"connection lost before the download starts", Fault::LostBeforeTheDownload, false},
        {"instance released while the protection is read", Fault::ReleasedDuringCheck, false},
    };
    for (const Case& c : cases) {
        Bench b;
        b.Online();
        bool dropped = false;
        if (c.fault == Fault::ProtectionUnreadable) {
            SimFault refused;
            refused.errorCode = kDpv1AccessDenied;
            b.device->InjectFault(0, 34, refused);
        } else if (c.fault == Fault::LostBeforeTheDownload) {
            // The connection breaks as the last protection answer is on its way.
            b.session->Channel().SetTrace([&](const std::string& line) {
                if (!dropped && line.rfind("< slot=0 index=41", 0) == 0) {
                    dropped = true;
                    b.session->Channel().DropConnection();
                }
            });
        }
        ASSERT_TRUE(b.Dtm().DownloadRequest("D1", "")) << c.name;
        if (c.fault == Fault::CancelledDuringCheck) {
            EXPECT_TRUE(b.Dtm().CancelAction("D1")) << c.name;
        }
        if (c.fault == Fault::ReleasedDuringCheck) {
            EXPECT_TRUE(b.Dtm().PrepareToRelease()) << c.name;
        }
        b.session->Settle();
        b.loop->Advance(100);
        ASSERT_EQ(b.Events().Count(FrameEvent::kDownloadFinished), 1u) << c.name;
        const FrameEvent& end = b.Events().All().back();
        EXPECT_EQ(end.kind, FrameEvent::kDownloadFinished) << c.name;
        EXPECT_EQ(end.id, "D1") << c.name;
        EXPECT_FALSE(end.success) << c.name;
        EXPECT_TRUE(b.Logged(true).empty()) << c.name;
        EXPECT_EQ(b.prompt->questions.size(), c.messageShown ? 1u : 0u) << c.name;
    }
}

TEST(EndToEndDownload, SecondDownloadWhileTheFirstIsCheckedIsRefused) {
    Bench b;
    b.Online();
    ASSERT_TRUE(b.Dtm().DownloadRequest("D1", ""));
    EXPECT_FALSE(b.Dtm().DownloadRequest("D2", "PHYS/"));
    b.session->RunUntil([&] { return b.Events().Count(FrameEvent::kDownloadFinished) > 0; });
    b.session->Settle();
    ASSERT_EQ(b.Events().Count(FrameEvent::kDownloadFinished), 1u);
    const FrameEvent& end = b.Events().All().back();
    EXPECT_EQ(end.id, "D1");
    EXPECT_TRUE(end.success);
    // D1's path (the whole data set) was downloaded, not D2's.
    EXPECT_GT(b.Logged(true).count({1, 161}), 0u);
}

// --- disconnect and release ---

TEST(EndToEndRelease, DisconnectAndReleaseInEveryOrder) {
    enum class Order {
        DisconnectThenRelease,  // PrepareToReleaseCommunication, wait, Release.., PrepareToRelease
        ReleaseWhileConnected,  // PrepareToRelease disconnects at once
        ReleaseDuringDisconnect,  // PrepareToRelease before the disconnect ends
        DisconnectTwice,          // a second PrepareToReleaseCommunication while one runs
        NotConnected,             // communication set, never connected
    };
    struct Case {
        const char* name;
        Order order;
        size_t preparedCommunication;  // PreparedToReleaseCommunication events
    };
    const Case cases[] = {
        {"disconnect, then release", Order::DisconnectThenRelease, 1},
        {"release while connected", Order::ReleaseWhileConnected, 0},
        {"release during the disconnect", Order::ReleaseDuringDisconnect, 0},
        {"disconnect asked twice", Order::DisconnectTwice, 1},
        {"never connected", Order::NotConnected, 1},
    };
    for (const Case& c : cases) {
        Bench b;
        if (c.order == Order::NotConnected) {
            ASSERT_TRUE(b.session->SetCommunication()) << c.name;
        } else {
            b.Online();
        }
        DTMMain& dtm = b.Dtm();
        switch (c.order) {
            case Order::DisconnectThenRelease:
                EXPECT_FALSE(dtm.ReleaseCommunication()) << c.name;  // still connected
                EXPECT_TRUE(dtm.PrepareToReleaseCommunication()) << c.name;
                EXPECT_EQ(b.Events().Count(FrameEvent::kPreparedToReleaseCommunication), 0u)
                    << c.name;
                b.session->Settle();
                EXPECT_TRUE(dtm.ReleaseCommunication()) << c.name;
                break;
            case Order::ReleaseWhileConnected:
                break;
            case Order::ReleaseDuringDisconnect:
                EXPECT_TRUE(dtm.PrepareToReleaseCommunication()) << c.name;
                break;
            case Order::DisconnectTwice:
                EXPECT_TRUE(dtm.PrepareToReleaseCommunication()) << c.name;
                EXPECT_TRUE(dtm.PrepareToReleaseCommunication()) << c.name;
                b.session->Settle();
                break;
            case Order::NotConnected:
                EXPECT_TRUE(dtm.PrepareToReleaseCommunication()) << c.name;
                EXPECT_EQ(b.Events().Count(FrameEvent::kPreparedToReleaseCommunication), 1u)
                    << c.name;
                break;
        }
        EXPECT_TRUE(dtm.PrepareToRelease()) << c.name;
        b.session->Settle();
        b.loop->Advance(5000);
        EXPECT_FALSE(b.session->IsConnected()) << c.name;
        EXPECT_FALSE(b.session->Channel().IsConnected()) << c.name;
        EXPECT_EQ(b.Ctx().CommunicationManager().Communication(), nullptr) << c.name;
        EXPECT_EQ(b.Ctx().Parameters().DataSetState(), 4) << c.name;
        EXPECT_EQ(b.Events().Count(FrameEvent::kPreparedToReleaseCommunication),
                  c.preparedCommunication)
            << c.name;
        EXPECT_EQ(b.Events().Count(FrameEvent::kPreparedToRelease), 1u) << c.name;
        EXPECT_EQ(b.Events().All().back().kind, FrameEvent::kPreparedToRelease) << c.name;
        EXPECT_TRUE(b.prompt->messages.empty()) << c.name;
    }
}

TEST(EndToEndRelease, UnsavedChangesAskTheFrameToSaveOnce) {
    Bench b;
    b.Online();
    clsDataElement& tag = b.At("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("CHANGED"));
    b.Ctx().Parameters().ElementChanged(tag, "");
    EXPECT_TRUE(b.Dtm().PrepareToRelease());
    EXPECT_TRUE(b.Dtm().PrepareToRelease());
    EXPECT_EQ(b.Events().Count(FrameEvent::kRequestSave), 1u);
    EXPECT_EQ(b.Events().Count(FrameEvent::kPreparedToRelease), 2u);
}

TEST(EndToEndRelease, ReleasedCommunicationCanBeSetAndConnectedAgain) {
    Bench b;
    b.Online();
    EXPECT_FALSE(b.session->SetCommunication());  // refused while connected
    ASSERT_TRUE(b.session->Disconnect());
    EXPECT_FALSE(b.Dtm().SetCommunication(nullptr));
    ASSERT_TRUE(b.session->SetCommunication());
    EXPECT_TRUE(b.session->Connect());
}

TEST(EndToEndRelease, FramesDataSetLockReachesTheUserInterfaces) {
    Bench b;
    EXPECT_FALSE(b.Dtm().OnUnlockDataSet("PV-101", "L1"));  // not locked
    b.Dtm().OnLockDataSet("PV-101", "L1");
    EXPECT_TRUE(b.Ctx().GUIManager().Locked());
    EXPECT_TRUE(b.Dtm().OnUnlockDataSet("PV-101", "L1"));
    EXPECT_FALSE(b.Ctx().GUIManager().Locked());
}

// --- documents, functions, channels ---

TEST(EndToEndDocuments, ParametersRoundTripAndABadDocumentLeavesTheDataSetUnlocked) {
    Bench b;
    std::string xml = b.Dtm().GetParameters("PHYS/");
    EXPECT_NE(xml.find(R"(name="PHYS/TAG_DESC")"), std::string::npos);
    EXPECT_EQ(xml.find("FUNC/1/AO/"), std::string::npos);
    const std::string doc =
        R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><DtmVariables parameterPath="PHYS/">)"
        R"(<DtmVariable name="TAG_DESC"><fdt:Value><fdt:Display string="IMPORTED"/></fdt:Value>)"
        R"(</DtmVariable></DtmVariables></FDT>)";
    EXPECT_TRUE(b.Dtm().SetParameters("PHYS/", doc));
    EXPECT_EQ(b.At("PHYS/TAG_DESC").TransientValue().toString(), "IMPORTED");
    EXPECT_FALSE(b.Ctx().Parameters().Locked());
    for (const char* bad : {"", "<FDT>", "<Other/>"}) {
        EXPECT_FALSE(b.Dtm().SetParameters("", bad)) << bad;
        EXPECT_FALSE(b.Ctx().Parameters().Locked()) << bad;
    }
}

// A parameter document of one variable per entry: path and display text.
std::string ParameterDocument(const std::vector<std::pair<std::string, std::string>>& variables) {
    std::string doc = R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><DtmVariables>)";
    for (const auto& [path, display] : variables) {
        doc += "<DtmVariable name=\"" + path + "\"><fdt:Value><fdt:Display string=\"" + display +
               "\"/></fdt:Value></DtmVariable>";
    }
    return doc + "</DtmVariables></FDT>";
}

// What the last import did not take, as the frame tells it in English.
std::vector<std::string> Rejected(Bench& b) {
    std::vector<std::string> texts;
    for (const ImportRefusal& refusal :
         dynamic_cast<ParameterXMLConverter&>(b.Ctx().ParameterXMLConverter()).Refusals())
        texts.push_back(Describe(refusal, FrameWordsOf(langEnglish)));
    return texts;
}

// The device's bytes of an element (of its record for a member).
std::vector<uint8_t> DeviceBytes(Bench& b, const std::string& path) {
    const clsDataElement& e = b.At(path).TransferElement(b.Ctx().Parameters());
    return b.device->Record(static_cast<uint8_t>(e.Slot), static_cast<uint8_t>(e.index));
}

TEST(EndToEndDocuments, AnImportTakesOnlyValuesATypedInputWouldPass) {
    Bench b;
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    struct Case {
        std::string path;
        std::string display;
        std::string reason;
    };
    const std::vector<Case> refused = {
        {"TRANS/1/Act/SETP_CUTOFF_DEC", "1000[%]", "the value \"1000\" is out of range"},
        {"FUNC/1/AO/FSAFE_TYPE", "7", "the value \"7\" is no entry of the value list"},
        {"FUNC/1/AO/IN_CHANNEL", "-1", "the value \"-1\" is out of range"},
        {"PHYS/DESCRIPTOR", std::string(40, 'D'), "is too long"},
        // The last character cut in its UTF-8 sequence; one without a code on the wire.
        {"PHYS/DEVICE_MESSAGE", "Valve \xC3", "has a character the device cannot take"},
        {"PHYS/DEVICE_INSTAL_DATE", "Valve \xCE\xA9", "has a character the device cannot take"},
        // Control characters, as typed input refuses them.
        {"PHYS/MFR/TEXT_INPUT_1", "A&#9;B", "has a character the device cannot take"},
        {"PHYS/MFR/TEXT_INPUT_2", "&#1;", "has a character the device cannot take"},
        // No value, which would go on the wire as zeros.
        {"TRANS/1/Act/TRAVEL_LIMIT_UP", "[%]", "the text is empty, the element needs a value"},
        {"PHYS/ALERT_KEY", "", "the text is empty, the element needs a value"},
        {"TRANS/1/Act/SETP_CUTOFF_INC", "10[furlongs]", "the unit \"furlongs\" is not known"},
    };
    std::vector<std::pair<std::string, std::string>> variables;
    std::map<std::string, Variant> before;
    std::map<std::string, std::vector<uint8_t>> onDevice;
    for (const Case& c : refused) {
        variables.emplace_back(c.path, c.display);
        before[c.path] = b.At(c.path).TransientValue();
        onDevice[c.path] = DeviceBytes(b, c.path);
    }
    // Valid neighbours: a range's end and a text of 32 characters of two UTF-8 bytes each.
    std::string umlauts;
    for (int i = 0; i < 32; ++i)
        umlauts += "\xC3\xA4";
    variables.emplace_back("TRANS/1/Act/TRAVEL_LIMIT_LOW", "99.9[%]");
    variables.emplace_back("PHYS/TAG_DESC", umlauts);
    const int16_t unit = b.At("TRANS/1/Act/SETP_CUTOFF_INC").nTransientUnit;

    EXPECT_FALSE(b.Dtm().SetParameters("", ParameterDocument(variables)));
    ASSERT_EQ(Rejected(b).size(), refused.size());
    for (size_t i = 0; i < refused.size(); ++i) {
        const Case& c = refused[i];
        SCOPED_TRACE(c.path);
        EXPECT_NE(Rejected(b)[i].find(c.path + ": "), std::string::npos) << Rejected(b)[i];
        EXPECT_NE(Rejected(b)[i].find(c.reason), std::string::npos) << Rejected(b)[i];
        EXPECT_EQ(b.At(c.path).TransientValue(), before[c.path]);
    }
    EXPECT_EQ(b.At("TRANS/1/Act/SETP_CUTOFF_INC").nTransientUnit, unit);
    EXPECT_EQ(b.At("TRANS/1/Act/TRAVEL_LIMIT_LOW").TransientValue(), Variant(99.9f));
    EXPECT_EQ(b.At("PHYS/TAG_DESC").TransientValue(), Variant(umlauts));

    // The download writes the valid values and leaves the device's own where a value was refused.
    EXPECT_EQ(b.session->Download("D1"), std::optional<bool>(true));
    for (const Case& c : refused)
        EXPECT_EQ(DeviceBytes(b, c.path), onDevice[c.path]) << c.path;
    EXPECT_EQ(DeviceBytes(b, "PHYS/TAG_DESC"), std::vector<uint8_t>(32, 0xE4));
}

// The data bytes of the last write request to an element's address.
std::vector<uint8_t> LastWrite(Bench& b, const std::string& path) {
    const clsDataElement& e = b.At(path).TransferElement(b.Ctx().Parameters());
    std::vector<uint8_t> data;
    for (const Dpv1Request& request : b.device->Log()) {
        if (request.write && request.slot == e.Slot && request.index == e.index)
            data = request.data;
    }
    return data;
}

TEST(EndToEndDocuments, ADocumentSetsNothingTheUserCouldNotType) {
    Bench b;
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    // What no user can set now: values the device only reports, a transmission length that
    // the valve type leaves out, an output that the block's mode write-protects.
    const std::vector<std::pair<std::string, std::string>> untypable = {
        {"PHYS/DEVICE_SER_NUM", "X-1"},
        {"PHYS/SOFTWARE_REVISION", "9.99"},
        {"TRANS/1/Act/MFR/TRANSM_LENGTH", "50[mm]"},
        {"FUNC/1/AO/OUT/Value", "50[%]"},
    };
    std::map<std::string, Variant> before;
    for (const auto& [path, display] : untypable)
        before[path] = b.At(path).TransientValue();
    auto variables = untypable;
    variables.emplace_back("PHYS/DESCRIPTOR", "IMPORTED");
    // Passed over, they fail the import no more than a document of another device would.
    EXPECT_TRUE(b.Dtm().SetParameters("", ParameterDocument(variables)));
    ASSERT_EQ(Rejected(b).size(), untypable.size());
    for (size_t i = 0; i < untypable.size(); ++i) {
        const std::string& path = untypable[i].first;
        EXPECT_EQ(Rejected(b)[i].rfind(path + ": passed over, ", 0), 0u) << Rejected(b)[i];
        EXPECT_EQ(b.At(path).TransientValue(), before[path]) << path;
    }
    EXPECT_EQ(b.At("PHYS/DESCRIPTOR").TransientValue(), Variant("IMPORTED"));
    // The download sends the output the device gave, not the document's 50 %.
    b.device->ClearLog();
    ASSERT_EQ(b.session->Download("D1"), std::optional<bool>(true));
    const std::vector<uint8_t> out = LastWrite(b, "FUNC/1/AO/OUT/Value");
    ASSERT_GE(out.size(), 4u);
    EXPECT_NE(std::vector<uint8_t>(out.begin(), out.begin() + 4),
              (std::vector<uint8_t>{0x42, 0x48, 0x00, 0x00}));

    // An observer imports the instance's own document, with a descriptor of its own: what the
    // observer may not set holds the document's values already, which sets nothing and
    // refuses nothing (the data-set state that the new descriptor changes is passed over).
    ASSERT_TRUE(b.Dtm().Config(R"(<FDT><UserInformation role="Observer"/></FDT>)"));
    pugi::xml_document own;
    ASSERT_TRUE(own.load_string(b.Dtm().GetParameters("").c_str()));
    own.select_node("//DtmVariable[@name='PHYS/DESCRIPTOR']/fdt:Value/fdt:Display")
        .node()
        .attribute("string")
        .set_value("OWN");
    std::ostringstream text;
    own.save(text);
    EXPECT_TRUE(b.Dtm().SetParameters("", text.str()));
    EXPECT_EQ(Rejected(b),
              std::vector<std::string>{"~/DataStatus: passed over, it is write-protected at "
                                       "the moment"});
    EXPECT_EQ(b.At("PHYS/DESCRIPTOR").TransientValue(), Variant("OWN"));
    // The station address is the observer's to set no more: the import names it and fails.
    const Variant address = b.At("~/Address").TransientValue();
    EXPECT_FALSE(b.Dtm().SetParameters(
        "", ParameterDocument({{"~/Address", "17"}, {"PHYS/DESCRIPTOR", "OBSERVED"}})));
    ASSERT_EQ(Rejected(b).size(), 1u);
    EXPECT_EQ(Rejected(b)[0], "~/Address: it asks for user level 2, the user has level 1");
    EXPECT_EQ(b.At("~/Address").TransientValue(), address);
    EXPECT_EQ(b.At("PHYS/DESCRIPTOR").TransientValue(), Variant("OBSERVED"));
}

// A single as the device holds it: four bytes, the most significant first.
std::vector<uint8_t> SingleBytes(float value) {
    const auto bits = std::bit_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits >> 24), static_cast<uint8_t>(bits >> 16),
            static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits)};
}

std::vector<uint8_t> Head(const std::vector<uint8_t>& bytes, size_t n) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min(n, bytes.size()));
}

TEST(EndToEndDownload, AnInvertedScaleAndItsSetpointGoBackAsTheyCame) {
    Bench b;
    // The scale's value at 100 % below its value at 0 %, as another tool may set it, and a
    // setpoint between the two.
    std::vector<uint8_t> scale = b.device->Record(kPvScale.first, kPvScale.second);
    ASSERT_GE(scale.size(), 8u);
    const std::vector<uint8_t> up = SingleBytes(0.0f);
    const std::vector<uint8_t> lo = SingleBytes(100.0f);
    std::copy(up.begin(), up.end(), scale.begin());
    std::copy(lo.begin(), lo.end(), scale.begin() + 4);
    ASSERT_TRUE(b.device->SetRecord(kPvScale.first, kPvScale.second, scale));
    std::vector<uint8_t> setpoint = SingleBytes(40.0f);
    setpoint.push_back(0x80);
    const clsDataElement& sp = b.At("FUNC/1/AO/SP/Value");
    ASSERT_TRUE(b.device->SetRecord(static_cast<uint8_t>(sp.Slot), static_cast<uint8_t>(sp.index),
                                    setpoint));
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    EXPECT_EQ(b.session->Download("D1"), std::optional<bool>(true));
    EXPECT_EQ(LastWrite(b, "FUNC/1/AO/SP/Value"), setpoint);
    EXPECT_EQ(LastWrite(b, "FUNC/1/AO/PV_SCALE/Up_Val"), scale);
}

TEST(EndToEndDocuments, AValueInAnotherUnitReachesTheDeviceInTheUnitItHolds) {
    Bench b;
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    clsDataElement& travel = b.At("TRANS/1/Act/RATED_TRAVEL");
    ASSERT_EQ(travel.UnitString(b.Ctx()), "mm");
    // The rated travel in centimetres, and an output scale that the document gives in
    // millimetres together with the unit it takes: the scale's values follow their unit.
    EXPECT_TRUE(
        b.Dtm().SetParameters("", ParameterDocument({{"TRANS/1/Act/RATED_TRAVEL", "2.5[cm]"},
                                                     {"FUNC/1/AO/OUT_SCALE/Up_Val", "30[mm]"},
                                                     {"FUNC/1/AO/OUT_SCALE/Lo_Val", "0[mm]"},
                                                     {"FUNC/1/AO/OUT_SCALE/Unit", "1013"}})))
        << Rejected(b)[0];
    EXPECT_EQ(travel.TransientValue(), Variant(25.0f));
    EXPECT_EQ(travel.UnitString(b.Ctx()), "mm");
    EXPECT_EQ(b.At("FUNC/1/AO/OUT_SCALE/Up_Val").TransientValue(), Variant(30.0f));
    EXPECT_EQ(b.At("FUNC/1/AO/OUT_SCALE/Up_Val").UnitString(b.Ctx()), "mm");
    ASSERT_EQ(b.session->Download("D1"), std::optional<bool>(true));
    EXPECT_EQ(Head(DeviceBytes(b, "TRANS/1/Act/RATED_TRAVEL"), 4), SingleBytes(25.0f));
    const std::vector<uint8_t> scale = DeviceBytes(b, "FUNC/1/AO/OUT_SCALE/Up_Val");
    ASSERT_GE(scale.size(), 10u);
    EXPECT_EQ(Head(scale, 4), SingleBytes(30.0f));
    EXPECT_EQ(std::vector<uint8_t>(scale.begin() + 8, scale.begin() + 10),
              (std::vector<uint8_t>{0x03, 0xF5}));  // 1013, mm
    // Read back, value and unit still say the same.
    ASSERT_EQ(b.session->Upload("U2"), std::optional<bool>(true));
    EXPECT_EQ(travel.TransientValue(), Variant(25.0f));
    EXPECT_EQ(travel.UnitString(b.Ctx()), "mm");

    // A unit that does not convert into the element's is refused and named.
    EXPECT_FALSE(
        b.Dtm().SetParameters("", ParameterDocument({{"TRANS/1/Act/RATED_TRAVEL", "2.5[s]"}})));
    ASSERT_EQ(Rejected(b).size(), 1u);
    EXPECT_EQ(Rejected(b)[0],
              "TRANS/1/Act/RATED_TRAVEL: the value \"2.5\" in \"s\" does not "
              "convert into \"mm\"");
    EXPECT_EQ(travel.TransientValue(), Variant(25.0f));
}

// A choice in a parameter row: the typed value, its report and the rules of a user's choice.
void Choose(Bench& b, const std::string& path, const std::string& text) {
    clsDataElement& e = b.At(path);
    const Variant value = e.GetTypedInput(Variant(text), NumberLocale::Invariant());
    ASSERT_EQ(e.CalcParamErrorFlags(b.Ctx(), value), 0) << path << " " << text;
    e.SetTransientValue(value);
    b.Ctx().Parameters().ElementChanged(e, "");
    DispatchParamLinkEvent(e, b.Ctx());
}

// The document with its variables in reverse order.
std::string Reversed(const std::string& document) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(document.c_str()));
    pugi::xml_node list = doc.child("FDT").child("DtmVariables");
    std::vector<pugi::xml_node> variables;
    for (pugi::xml_node v = list.child("DtmVariable"); v; v = v.next_sibling("DtmVariable"))
        variables.push_back(v);
    for (const pugi::xml_node& v : variables)
        list.prepend_move(v);
    std::ostringstream out;
    doc.save(out);
    return out.str();
}

// The data of every write of one download, by address.
using WrittenData = std::map<Address, std::vector<uint8_t>>;
WrittenData DownloadedData(Bench& b) {
    WrittenData data;
    EXPECT_TRUE(b.FrameBench::Online());
    EXPECT_EQ(b.session->Download("D1"), std::optional<bool>(true));
    for (const Dpv1Request& request : b.device->Log()) {
        if (request.write)
            data[{request.slot, request.index}] = request.data;
    }
    return data;
}

// The addresses whose writes differ, as "slot/index".
std::string Differences(const WrittenData& a, const WrittenData& b) {
    std::set<Address> addresses;
    for (const WrittenData* data : {&a, &b}) {
        for (const auto& [address, bytes] : *data)
            addresses.insert(address);
    }
    std::string text;
    for (const Address& at : addresses) {
        const auto x = a.find(at);
        const auto y = b.find(at);
        if (x == a.end() || y == b.end() || x->second != y->second)
            text += " " + std::to_string(at.first) + "/" + std::to_string(at.second);
    }
    return text;
}

TEST(EndToEndDocuments, AnExportedConfigurationImportsWholeIntoAFreshInstanceInAnyOrder) {
    const std::string tb = "TRANS/1/Act/";
    const std::string ao = "FUNC/1/AO/";
    struct Configuration {
        const char* name;
        std::vector<std::pair<std::string, std::string>> choices;  // in the user's order
    };
    const Configuration configurations[] = {
        {"rotary valve",
         {{tb + "VALVE_TYPE", "1"},
          {tb + "RATED_TRAVEL", "60"},
          {tb + "MFR/TRANSM_CODE/Value", "12"},
          {ao + "OUT_SCALE/Up_Val", "60"}}},
        {"linear valve on a NAMUR rib",
         {{tb + "MFR/ATTACHMENT", "1"},
          {tb + "MFR/TRANSM_LENGTH", "55"},
          {tb + "MFR/TRANSM_PIN_POS", "2"},
          {tb + "RATED_TRAVEL", "30"}}},
        {"user-defined characteristic, nominal range",
         {{tb + "LIN_TYPE", "3"},
          {tb + "MFR/CHARACT_TYPE", "Quick opening"},
          {tb + "MFR/INIT_METHOD", "1"}}},
        {"setpoint scale in centimetres",
         {{ao + "PV_SCALE/Unit", "1012"},
          {ao + "PV_SCALE/Up_Val", "3"},
          {ao + "PV_SCALE/Lo_Val", "0.5"},
          {ao + "SP/Value", "2"}}},
        {"rotary valve, output scale in revolutions",
         {{tb + "VALVE_TYPE", "1"},
          {ao + "OUT_SCALE/Unit", "1004"},
          {ao + "OUT_SCALE/Up_Val", "0.25"},
          {tb + "RATED_TRAVEL", "120"}}},
    };
    for (const Configuration& configuration : configurations) {
        SCOPED_TRACE(configuration.name);
        Bench source;
        for (const auto& [path, text] : configuration.choices)
            Choose(source, path, text);
        const std::string document = source.Dtm().GetParameters("");
        const WrittenData written = DownloadedData(source);
        for (const bool reversed : {false, true}) {
            SCOPED_TRACE(reversed ? "reversed" : "in document order");
            Bench target;
            EXPECT_TRUE(target.Dtm().SetParameters("", reversed ? Reversed(document) : document));
            for (const std::string& rejected : Rejected(target))
                EXPECT_NE(rejected.find(": passed over, "), std::string::npos) << rejected;
            for (const auto& choice : configuration.choices) {
                const clsDataElement& chosen = source.At(choice.first);
                const clsDataElement& arrived = target.At(choice.first);
                EXPECT_EQ(
                    arrived.TransientValue().toString() + " " + arrived.UnitString(target.Ctx()),
                    chosen.TransientValue().toString() + " " + chosen.UnitString(source.Ctx()))
                    << choice.first;
            }
            EXPECT_EQ(Differences(DownloadedData(target), written), "");
            // The notice of a new initialisation method is for the user at the row alone.
            EXPECT_TRUE(target.prompt->questions.empty());
        }
    }
}

TEST(EndToEndDocuments, TheLargestSingleRoundTripsThroughDocumentAndDevice) {
    // A device that holds FLT_MAX at the top of its input scale.
    Bench a;
    const clsDataElement& upA = a.At("FUNC/1/AO/PV_SCALE/Up_Val");
    std::vector<uint8_t> scale =
        a.device->Record(static_cast<uint8_t>(upA.Slot), static_cast<uint8_t>(upA.index));
    ASSERT_GE(scale.size(), 4u);
    const std::vector<uint8_t> max = SingleBytes(FLT_MAX);
    std::copy(max.begin(), max.end(), scale.begin());
    ASSERT_TRUE(a.device->SetRecord(static_cast<uint8_t>(upA.Slot), static_cast<uint8_t>(upA.index),
                                    scale));
    a.Online();
    ASSERT_EQ(a.session->Upload("U1"), std::optional<bool>(true));
    ASSERT_EQ(upA.TransientValue(), Variant(FLT_MAX));
    const std::string document = a.Dtm().GetParameters("");
    EXPECT_NE(document.find(R"(string="3.4028235E+38[%]")"), std::string::npos);

    // Another instance takes the whole document and sends FLT_MAX to its own device.
    Bench b;
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    EXPECT_TRUE(b.Dtm().SetParameters("", document));
    for (const std::string& rejected : Rejected(b))
        EXPECT_NE(rejected.find(": passed over, "), std::string::npos) << rejected;
    EXPECT_EQ(b.At("FUNC/1/AO/PV_SCALE/Up_Val").TransientValue(), Variant(FLT_MAX));
    ASSERT_EQ(b.session->Download("D1"), std::optional<bool>(true));
    EXPECT_EQ(Head(DeviceBytes(b, "FUNC/1/AO/PV_SCALE/Up_Val"), 4), max);
}

TEST(EndToEndDocuments, AnImportWhileADownloadRunsIsRefusedNotLost) {
    Bench b;
    b.Online();
    ASSERT_EQ(b.session->Upload("U1"), std::optional<bool>(true));
    const std::string doc = ParameterDocument({{"PHYS/TAG_DESC", "IMPORTED"}});
    const Variant tag = b.At("PHYS/TAG_DESC").TransientValue();
    // Past the write-protection check the writes run and their read-back follows.
    ASSERT_TRUE(b.Dtm().DownloadRequest("D1", ""));
    ASSERT_TRUE(b.session->RunUntil(
        [&] { return (b.Ctx().OnlineParameterService().OnlineMode() & omDownload) != 0; }));
    EXPECT_FALSE(b.Dtm().SetParameters("", doc));
    ASSERT_EQ(Rejected(b).size(), 1u);
    EXPECT_EQ(Rejected(b)[0], "an upload or download with the device runs");
    EXPECT_EQ(b.At("PHYS/TAG_DESC").TransientValue(), tag);
    b.session->RunUntil([&] { return b.Events().Count(FrameEvent::kDownloadFinished) > 0; });
    b.session->Settle();
    ASSERT_EQ(b.Events().Count(FrameEvent::kDownloadFinished), 1u);
    EXPECT_TRUE(b.Events().All().back().success);

    // Once the download has ended the same document is taken and waits for the next one.
    EXPECT_TRUE(b.Dtm().SetParameters("", doc));
    EXPECT_EQ(b.At("PHYS/TAG_DESC").TransientValue(), Variant("IMPORTED"));
    EXPECT_EQ(b.Ctx().Parameters().ModifiedState(), 1);
}

TEST(EndToEndDocuments, FunctionsDocumentationUserInterfacesAndChannels) {
    Bench b;
    const std::string phase =
        R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><OperationPhase phase="engineering"/></FDT>)";
    EXPECT_NE(b.Dtm().GetFunctions(phase).find(R"(<FunctionGroup name="Trend" flags="0")"),
              std::string::npos);
    ASSERT_TRUE(b.session->SetCommunication());
    const std::string functions = b.Dtm().GetFunctions(phase);
    size_t at = 0;
    for (const char* group : {"Trend", "Measure", "Diagnosis", "Simulation", "Operation"}) {
        at = functions.find(std::string("<FunctionGroup name=\"") + group + "\" flags=\"4\"", at);
        EXPECT_NE(at, std::string::npos) << group;
    }
    EXPECT_EQ(b.Dtm().GetFunctions("<FDT/>"), "");

    auto call = [](int id) {
        return R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><FunctionCall applicationId=")" +
               std::to_string(id) + R"("/></FDT>)";
    };
    EXPECT_NE(b.Dtm().GetDocumentation(call(1)).find("DocumentVariable"), std::string::npos);
    EXPECT_EQ(b.Dtm().GetDocumentation("not a call"), "");
    EXPECT_EQ(b.Dtm().GetActiveXProgId(call(1)), "KV6274PA.ctlNavigationMain");
    const std::string guid = b.Dtm().GetActiveXGuid(call(1));
    ASSERT_EQ(guid.size(), 38u);
    EXPECT_EQ(guid.front(), '{');
    EXPECT_EQ(guid.back(), '}');
    EXPECT_EQ(guid, b.Dtm().GetActiveXGuid(call(2)));  // one control for both functions
    for (int id : {4, 6})
        EXPECT_EQ(b.Dtm().GetActiveXGuid(call(id)), "") << id;
    EXPECT_EQ(b.Dtm().GetActiveXGuid("junk"), "");
    EXPECT_FALSE(b.Dtm().InvokeFunctionRequest("I1", "junk"));
    EXPECT_FALSE(b.Dtm().InvokeFunctionRequest("I1", call(1)));

    const auto channels = b.Dtm().GetChannels();
    EXPECT_EQ(channels.size(), 13u);

    const std::string information = b.Dtm().GetInformation();
    EXPECT_NE(information.find("<DtmInformation"), std::string::npos);
    EXPECT_EQ(information.find("$("), std::string::npos);
}

}  // namespace
}  // namespace kv
