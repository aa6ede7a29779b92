#pragma once
// The FDT 1.2 interfaces that a DTM implements for the frame. Documents travel as XML text;
// objects as shared pointers.

#include <memory>
#include <string>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"

namespace kv {

class IDtm {
  public:
    virtual ~IDtm() = default;
    virtual bool Environment(const std::string& systemTag,
                             std::shared_ptr<IFdtContainer> container) = 0;
    virtual bool InitNew(const std::string& deviceType) = 0;
    virtual bool Config(const std::string& userInfo) = 0;
    virtual bool SetLanguage(int32_t languageId) = 0;
    virtual bool PrivateDialogEnabled(bool enabled) = 0;
    virtual bool PrepareToDelete() = 0;
    virtual bool SetCommunication(std::shared_ptr<IFdtCommunication> communication) = 0;
    virtual bool ReleaseCommunication() = 0;
    virtual bool PrepareToReleaseCommunication() = 0;
    virtual bool PrepareToRelease() = 0;
    virtual std::string GetFunctions(const std::string& operationPhase) = 0;
    virtual bool InvokeFunctionRequest(const std::string& invokeId,
                                       const std::string& functionCall) = 0;
};

class IDtmActiveXInformation {
  public:
    virtual ~IDtmActiveXInformation() = default;
    virtual std::string GetActiveXProgId(const std::string& functionCall) = 0;
    virtual std::string GetActiveXGuid(const std::string& functionCall) = 0;
};

class IFdtChannel {
  public:
    virtual ~IFdtChannel() = default;
    virtual std::string GetChannelPath() = 0;
    virtual std::string GetChannelParameters(const std::string& a, const std::string& b) = 0;
    virtual bool SetChannelParameters(const std::string& a, const std::string& b,
                                      const std::string& xml) = 0;
};

class IDtmChannel {
  public:
    virtual ~IDtmChannel() = default;
    // The DTM's process channels as the frame sees them.
    virtual std::vector<std::shared_ptr<IFdtChannel>> GetChannels() = 0;
};

class IDtmDocumentation {
  public:
    virtual ~IDtmDocumentation() = default;
    virtual std::string GetDocumentation(const std::string& functionCall) = 0;
};

class IDtmInformation {
  public:
    virtual ~IDtmInformation() = default;
    virtual std::string GetInformation() = 0;
};

class IDtmOnlineParameter {
  public:
    virtual ~IDtmOnlineParameter() = default;
    virtual bool UploadRequest(const std::string& invokeId, const std::string& parameterPath) = 0;
    virtual bool DownloadRequest(const std::string& invokeId, const std::string& parameterPath) = 0;
    virtual bool CancelAction(const std::string& invokeId) = 0;
};

class IDtmParameter {
  public:
    virtual ~IDtmParameter() = default;
    virtual std::string GetParameters(const std::string& parameterPath) = 0;
    virtual bool SetParameters(const std::string& parameterPath, const std::string& xml) = 0;
};

// The frame's events about its data set that the DTM hands on to its runtime.
class IFdtEvents {
  public:
    virtual ~IFdtEvents() = default;
    virtual void OnChildParameterChanged(const std::string& systemTag) = 0;
    virtual void OnLockDataSet(const std::string& systemTag, const std::string& invokeId) = 0;
    virtual void OnParameterChanged(const std::string& systemTag, const std::string& xml) = 0;
    virtual bool OnUnlockDataSet(const std::string& systemTag, const std::string& invokeId) = 0;
};

// A user interface of the DTM created by the frame.
class IDtmActiveXControl {
  public:
    virtual ~IDtmActiveXControl() = default;
    virtual bool Init(const std::string& guiFunctionCall, const std::string& functionCall,
                      std::shared_ptr<IDtm> dtm) = 0;
    virtual bool PrepareToRelease() = 0;
};

}  // namespace kv
