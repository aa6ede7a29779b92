#pragma once
// The frame's project file: the DTM instances of a project, each with its system tag, its device
// type and its property bag, in one XML file:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <FrameProject version="1">
//     <Instance systemTag="PV-101" deviceType="KV6274PA">
//       <PropertyBag> ... </PropertyBag>          (the property bag's own XML form)
//     </Instance>
//     ...
//   </FrameProject>
//
// Writing follows frame/FileWriting.h: through a temporary file renamed over the project file
// (never a half-written project), through a symbolic link, keeping the file's permissions, and
// never over a read-only file. Reading checks the whole file before anything is taken; a damaged
// file gives a fault that names the file and the damage and loads nothing.

#include <cstddef>
#include <string>
#include <vector>

#include "frame/FileWriting.h"
#include "frame/FrameFault.h"
#include "platform/runtime/PropertyBag.h"

namespace kv {

class DiagnosticLog;

struct ProjectInstance {
    std::string systemTag;
    std::string deviceType;
    PropertyBag bag;
};

// Writes a project's text instance by instance, so that only the instance being written is held
// as XML: Add every instance, then Finish gives the text (that FrameProject::ToXml gives).
class ProjectWriter {
  public:
    // expectedInstances: how many instances will be added (room is made for them).
    explicit ProjectWriter(size_t expectedInstances = 0);
    void Add(const std::string& systemTag, const std::string& deviceType, const PropertyBag& bag);
    std::string Finish();
    // The text made since it was last written out, and writing it out: write takes it and the
    // writer keeps its room for what follows, so that a large project's text goes to its file
    // as it is made. False when write fails.
    size_t PendingSize() const { return text_.size(); }
    [[nodiscard]] bool WriteOut(const TextSink& write);

  private:
    std::string text_;
    size_t expected_;
    size_t instances_ = 0;
};

class FrameProject {
  public:
    // The name of a project file's root element, and the version of the files it reads.
    static constexpr const char* kRootName = "FrameProject";
    static constexpr const char* kFileVersion = "1";

    std::vector<ProjectInstance> instances;

    // The project's XML text.
    std::string ToXml() const;
    // Takes a project text. False, the project unchanged and the damage in 'fault' (which names
    // no file), when the text is damaged: not well-formed, not a project, an instance without a
    // system tag or device type, a repeated system tag, an element the project does not know,
    // or a property bag that does not read completely (a property without name, of an unknown
    // type, whose value does not read as its type, or repeated). knownDeviceTypes, when not
    // empty, lists the device types an instance may have.
    [[nodiscard]] bool FromXml(const std::string& text, FrameFault& fault,
                               const std::vector<std::string>& knownDeviceTypes = {});

    // Writes the project file (see above). False, with the reason in 'fault' and the file on
    // disk unchanged, when it cannot be written or is read-only.
    [[nodiscard]] bool Save(const std::string& path, FrameFault& fault) const;
    // Reads a project file: it loads exactly as its whole text does with FromXml. False, the
    // project unchanged and the reason, naming the file, in 'fault', when it cannot be read, is
    // no regular file (a pipe or a device: refused, never waited for) or is damaged. The file is
    // opened once and never written. It is read in parts on several threads where it can be cut
    // safely, else whole; 'log', when given, records that fewer threads could be started than
    // were asked for. Throws std::bad_alloc where the file does not fit in memory.
    [[nodiscard]] bool Load(const std::string& path, FrameFault& fault,
                            const std::vector<std::string>& knownDeviceTypes = {},
                            DiagnosticLog* log = nullptr);
};

}  // namespace kv
