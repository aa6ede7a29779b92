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
                                                           std::string& error) {
    bool known = false;
    for (const std::string& t : KnownDeviceTypes())
        known = known || t == deviceType;
    if (!known) {
        error = "The device type \"" + deviceType + "\" has no DTM in this frame.";
        return nullptr;
    }
    auto instance = std::make_unique<FrameInstance>();
    instance->systemTag = systemTag;
    instance->deviceType = deviceType;
    instance->container = std::make_shared<FrameContainer>();
    try {
        instance->dtm = DTMMain::Create(loop_, prompt_);
    } catch (const std::exception& e) {
        error = "The DTM of \"" + systemTag + "\" cannot be created: " + e.what();
        return nullptr;
    }
    return instance;
}

bool ReferenceFrame::SetUp(FrameInstance& instance, std::string& error) {
    if (!instance.dtm->Environment(instance.systemTag, instance.container)) {
        error = "The DTM of \"" + instance.systemTag + "\" refuses its environment.";
        return false;
    }
    // The user manager's answer is the DTM's; a refused user information leaves it as it was.
    if (!userInfo_.empty())
        instance.dtm->Config(userInfo_);
    instance.dtm->SetLanguage(language_);
    return true;
}

FrameInstance* ReferenceFrame::AddInstance(const std::string& systemTag,
                                           const std::string& deviceType, std::string& error) {
    if (systemTag.empty()) {
        error = "An instance needs a system tag.";
        return nullptr;
    }
    if (Find(systemTag)) {
        error = "The project already holds an instance \"" + systemTag + "\".";
        return nullptr;
    }
    std::unique_ptr<FrameInstance> instance = NewInstance(systemTag, deviceType, error);
    if (!instance)
        return nullptr;
    if (!instance->dtm->Environment(systemTag, instance->container)) {
        error = "The DTM of \"" + systemTag + "\" refuses its environment.";
        return nullptr;
    }
    if (!instance->dtm->InitNew(deviceType)) {
        error = "The DTM of \"" + systemTag + "\" cannot set up the device type \"" + deviceType +
                "\".";
        return nullptr;
    }
    if (!userInfo_.empty())
        instance->dtm->Config(userInfo_);
    instance->dtm->SetLanguage(language_);
    instances_.push_back(std::move(instance));
    return instances_.back().get();
}

bool ReferenceFrame::SaveProject(const std::string& path, std::string& error) {
    // Each instance's bag is written into the project's text and dropped before the next one,
    // and the text goes to the file a piece at a time.
    constexpr size_t kPiece = size_t{1} << 20;
    const auto produce = [&](const TextSink& write, std::string& reason) {
        try {
            ProjectWriter project;
            for (const auto& instance : instances_) {
                PropertyBag bag;
                bag.Reserve(instance->storedBag.Count());
                if (!instance->dtm->WriteProperties(bag)) {
                    reason = "Cannot save the project " + path + ": the DTM of \"" +
                             instance->systemTag +
                             "\" cannot save its data. The file was not changed.";
                    return false;
                }
                bag.AddMissing(instance->storedBag);
                project.Add(instance->systemTag, instance->deviceType, bag);
                if (project.PendingSize() >= kPiece && !project.WriteOut(write))
                    return false;
            }
            return write(project.Finish());
        } catch (const std::exception& e) {
            reason = "Cannot save the project " + path + ": " + e.what();
            return false;
        }
    };
    if (!WriteFileInPlace(path, produce, error))
        return false;
    // Only a project file in place makes the instances' data stored: a save that fails at any
    // step leaves every instance as modified as it was.
    for (const auto& instance : instances_)
        instance->dtm->SaveCompleted();
    return true;
}

bool ReferenceFrame::LoadProject(const std::string& path, std::string& error) {
    FrameProject project;
    if (!project.Load(path, error, KnownDeviceTypes(), &diagnostics_))
        return false;
    std::vector<std::unique_ptr<FrameInstance>> loaded;
    for (ProjectInstance& stored : project.instances) {
        std::string reason;
        std::unique_ptr<FrameInstance> instance =
            NewInstance(stored.systemTag, stored.deviceType, reason);
        if (instance && !instance->dtm->ReadProperties(stored.bag))
            reason = "the DTM of \"" + stored.systemTag + "\" refuses its stored data";
        else if (instance && !SetUp(*instance, reason))
            instance.reset();
        if (!instance || !reason.empty()) {
            error = "The project " + path + " is damaged: " + reason + ". Nothing was loaded.";
            return false;
        }
        instance->storedBag = std::move(stored.bag);
        loaded.push_back(std::move(instance));
    }
    instances_ = std::move(loaded);
    return true;
}

}  // namespace kv
