#pragma once
// The reference frame's project at run time: the DTM instances it created or loaded, each with
// its container, and the project file they are saved to and loaded from.
//
// A new instance: the DTM object is created, gets its environment, InitNew with the device
// type, the user information (Config) and the language. A stored instance: the DTM object is
// created, loads its property bag, then gets its environment (so that the DTM checks the stored
// device type against its catalogue), the user information and the language.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame/FrameContainer.h"
#include "frame/FrameFault.h"
#include "frame/FrameProject.h"
#include "platform/os/IEventLoop.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "value/DiagnosticLog.h"

namespace kv {

class DTMMain;

struct FrameInstance {
    std::string systemTag;
    std::string deviceType;
    std::shared_ptr<DTMMain> dtm;
    std::shared_ptr<FrameContainer> container;
    // The bag the instance was loaded from: its properties that the DTM does not write are
    // saved again with the instance.
    PropertyBag storedBag;
};

class ReferenceFrame {
  public:
    // The device types whose DTM this frame can create.
    static std::vector<std::string> KnownDeviceTypes();

    ReferenceFrame(std::shared_ptr<IEventLoop> loop, std::shared_ptr<IPrompt> prompt);
    ~ReferenceFrame();

    // The user information and the language every instance gets.
    void SetUserInformation(const std::string& userInfo) { userInfo_ = userInfo; }
    void SetLanguage(int32_t languageId) { language_ = languageId; }
    int32_t Language() const { return language_; }

    // Creates and sets up a new instance. nullptr, with the reason in 'fault', when the tag is
    // empty or taken, the device type unknown, or the DTM refuses a step.
    [[nodiscard]] FrameInstance* AddInstance(const std::string& systemTag,
                                             const std::string& deviceType, FrameFault& fault);
    FrameInstance* Find(const std::string& systemTag);
    const std::vector<std::unique_ptr<FrameInstance>>& Instances() const { return instances_; }

    // Every instance saves itself into its bag, which keeps the stored properties that the DTM
    // does not write; the project file is written as a whole, and only then does every
    // instance count as saved. False, with the reason, when an instance cannot save or the file
    // cannot be written: the file on disk then stays as it was, and so does every instance
    // (modified state, stored values, data status).
    [[nodiscard]] bool SaveProject(const std::string& path, FrameFault& fault);
    // Loads a project file and replaces the instances by its instances. False, with the reason
    // naming the file, when the file is damaged or any of its instances cannot be loaded; then
    // nothing is loaded and the instances stay as they were.
    [[nodiscard]] bool LoadProject(const std::string& path, FrameFault& fault);
    // What the frame itself met and went on: fewer threads than asked for while a project file
    // was read.
    DiagnosticLog& Diagnostics() { return diagnostics_; }
    const DiagnosticLog& Diagnostics() const { return diagnostics_; }

  private:
    [[nodiscard]] std::unique_ptr<FrameInstance> NewInstance(const std::string& systemTag,
                                                             const std::string& deviceType,
                                                             FrameFault& fault);
    [[nodiscard]] bool SetUp(FrameInstance& instance, FrameFault& fault);

    std::shared_ptr<IEventLoop> loop_;
    std::shared_ptr<IPrompt> prompt_;
    std::vector<std::unique_ptr<FrameInstance>> instances_;
    std::string userInfo_;
    int32_t language_ = langEnglish;
    DiagnosticLog diagnostics_;
};

}  // namespace kv
