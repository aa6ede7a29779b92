#pragma once
// What a frame's container told its observers, in order, for a test to look at: the frame
// itself keeps no record of its events. A container gone first (its instance removed or its
// project reopened) leaves the record as it was.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "frame/FrameContainer.h"

namespace kv::test_support {

class EventRecord {
  public:
    explicit EventRecord(const std::shared_ptr<FrameContainer>& container)
        : container_(container),
          observer_(container->AddEventObserver(
              [this](const FrameEvent& event) { events_.push_back(event); })) {}
    ~EventRecord() {
        if (const std::shared_ptr<FrameContainer> container = container_.lock())
            container->RemoveEventObserver(observer_);
    }
    EventRecord(const EventRecord&) = delete;
    EventRecord& operator=(const EventRecord&) = delete;

    const std::vector<FrameEvent>& All() const { return events_; }
    size_t Count(FrameEvent::Kind kind) const {
        return static_cast<size_t>(
            std::count_if(events_.begin(), events_.end(),
                          [kind](const FrameEvent& e) { return e.kind == kind; }));
    }
    void Clear() { events_.clear(); }

  private:
    std::weak_ptr<FrameContainer> container_;
    size_t observer_;
    std::vector<FrameEvent> events_;
};

}  // namespace kv::test_support
