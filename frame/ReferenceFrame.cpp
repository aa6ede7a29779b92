#include "frame/ReferenceFrame.h"

#include <exception>

#include "dtm/DTMMain.h"
#include "frame/FileWriting.h"
#include "platform/os/IEventLoop.h"

namespace kv {

std::vector<std::string> ReferenceFrame::KnownDeviceTypes() {
    return {"KV6274PA"};
}

ReferenceFrame::ReferenceFrame(std::shared_ptr<IEventLoop> loop, std::shared_ptr<IPrompt> prompt)
    : loop_(std::move(loop)), prompt_(std::move(prompt)) {}

ReferenceFrame::~ReferenceFrame() = default;

FrameInstance* ReferenceFrame::Find(const std::string& systemTag) {
    for (const auto& instance : instances_) {
        if (instance->systemTag == systemTag)
            return instance.get();
    }
    return nullptr;
}

std::unique_ptr<FrameInstance> ReferenceFrame::NewInstance(const std::string& systemTag,
                                                           const std::string& deviceType,
                                                           FrameFault& fault) {
    bool known = false;
    for (const std::string& t : KnownDeviceTypes())
        known = known || t == deviceType;
    if (!known) {
        fault = {.kind = FrameFault::kNoDtm, .tag = systemTag, .name = deviceType};
        return nullptr;
    }
    auto instance = std::make_unique<FrameInstance>();
    instance->systemTag = systemTag;
    instance->deviceType = deviceType;
    instance->container = std::make_shared<FrameContainer>();
    try {
        instance->dtm = DTMMain::Create(loop_, prompt_);
    } catch (const std::exception& e) {
        fault = {.kind = FrameFault::kDtmNotCreated, .tag = systemTag, .name = e.what()};
        return nullptr;
    }
    return instance;
}

bool ReferenceFrame::SetUp(FrameInstance& instance, FrameFault& fault) {
    if (!instance.dtm->Environment(instance.systemTag, instance.container)) {
        fault = {.kind = FrameFault::kEnvironmentRefused, .tag = instance.systemTag};
        return false;
    }
    // The user manager's answer is the DTM's; a refused user information leaves it as it was.
    if (!userInfo_.empty())
        instance.dtm->Config(userInfo_);
    instance.dtm->SetLanguage(language_);
    return true;
}

FrameInstance* ReferenceFrame::AddInstance(const std::string& systemTag,
                                           const std::string& deviceType, FrameFault& fault) {
    if (systemTag.empty()) {
        fault = {.kind = FrameFault::kNoTagGiven};
        return nullptr;
    }
    if (Find(systemTag)) {
        fault = {.kind = FrameFault::kTagTaken, .tag = systemTag};
        return nullptr;
    }
    std::unique_ptr<FrameInstance> instance = NewInstance(systemTag, deviceType, fault);
    if (!instance)
        return nullptr;
    if (!instance->dtm->Environment(systemTag, instance->container)) {
        fault = {.kind = FrameFault::kEnvironmentRefused, .tag = systemTag};
        return nullptr;
    }
    if (!instance->dtm->InitNew(deviceType)) {
        fault = {.kind = FrameFault::kDeviceTypeRefused, .tag = systemTag, .name = deviceType};
        return nullptr;
    }
    if (!userInfo_.empty())
        instance->dtm->Config(userInfo_);
    instance->dtm->SetLanguage(language_);
    instances_.push_back(std::move(instance));
    return instances_.back().get();
}

bool ReferenceFrame::SaveProject(const std::string& path, FrameFault& fault) {
    // Each instance's bag is written into the project's text and dropped before the next one,
    // and the text goes to the file a piece at a time.
    constexpr size_t kPiece = size_t{1} << 20;
    const auto produce = [&](const TextSink& write, FrameFault& reason) {
        try {
            ProjectWriter project;
            for (const auto& instance : instances_) {
                PropertyBag bag;
                bag.Reserve(instance->storedBag.Count());
                if (!instance->dtm->WriteProperties(bag)) {
                    reason = {.kind = FrameFault::kInstanceNotSaved,
                              .path = path,
                              .tag = instance->systemTag};
                    return false;
                }
                bag.AddMissing(instance->storedBag);
                project.Add(instance->systemTag, instance->deviceType, bag);
                if (project.PendingSize() >= kPiece && !project.WriteOut(write))
                    return false;
            }
            return write(project.Finish());
        } catch (const std::exception& e) {
            reason = {.kind = FrameFault::kNotSaved, .path = path, .name = e.what()};
            return false;
        }
    };
    if (!WriteFileInPlace(path, produce, fault))
        return false;
    // Only a project file in place makes the instances' data stored: a save that fails at any
    // step leaves every instance as modified as it was.
    for (const auto& instance : instances_)
        instance->dtm->SaveCompleted();
    return true;
}

bool ReferenceFrame::LoadProject(const std::string& path, FrameFault& fault) {
    FrameProject project;
    if (!project.Load(path, fault, KnownDeviceTypes(), &diagnostics_))
        return false;
    std::vector<std::unique_ptr<FrameInstance>> loaded;
    for (ProjectInstance& stored : project.instances) {
        std::unique_ptr<FrameInstance> instance =
            NewInstance(stored.systemTag, stored.deviceType, fault);
        if (instance && !instance->dtm->ReadProperties(stored.bag)) {
            fault = {.kind = FrameFault::kStoredDataRefused, .tag = stored.systemTag};
            instance.reset();
        } else if (instance && !SetUp(*instance, fault)) {
            instance.reset();
        }
        if (!instance) {
            // The instance's fault is told as the project's damage.
            fault.path = path;
            return false;
        }
        instance->storedBag = std::move(stored.bag);
        loaded.push_back(std::move(instance));
    }
    instances_ = std::move(loaded);
    return true;
}

}  // namespace kv
