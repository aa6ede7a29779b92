#include "platform/runtime/TransactionGroup.h"

#include <algorithm>
#include <unordered_map>

#include "platform/runtime/CommunicationManager.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ProcessId.h"
#include "value/Text.h"

namespace kv {

namespace {

// Batch numbers are unique in the program, so that keys of two groups never meet either.
uint64_t NextBatch() {
    static uint64_t last = 0;
    return ++last;
}

}  // namespace

TransactionGroup::TransactionGroup(GroupReads reads) : state_(std::make_shared<State>()) {
    state_->reads = reads;
}

void TransactionGroup::SetReads(GroupReads reads) {
    state_->reads = reads;
}

TransactionGroup::~TransactionGroup() = default;

void TransactionGroup::Init(IDTMContext& context) {
    state_->context = &context;
}

bool TransactionGroup::AddElement(IPrivateDataElement& element, bool isWrite) {
    IDTMContext* context = state_->context;
    if (context == nullptr)
        return false;
    return Guarded(context->Diagnostics(), "TransactionGroup::AddElement", false, [&] {
        IParameters& parameters = context->Parameters();
        if (parameters.Item(element.Name()) != &element)
            return false;
        const std::string path = TransferPath(parameters, element.Name());
        for (const TransactionJob& r : state_->requests) {
            if (r.path == path && r.isWrite == isWrite)
                return true;
        }
        if (state_->requests.empty())
            state_->batch = NextBatch();
        state_->endedKey.clear();
        state_->requests.push_back(TransactionJob{path, isWrite});
        return true;
    });
}

void TransactionGroup::Clear() {
    state_->requests.clear();
    state_->endedKey.clear();
}

bool TransactionGroup::Busy() const {
    return state_->busy;
}

int32_t TransactionGroup::ConnectionStatus() const {
    IDTMContext* context = state_->context;
    if (context == nullptr)
        return 2;
    return Guarded(context->Diagnostics(), "TransactionGroup::ConnectionStatus", int32_t{1},
                   [&] { return context->CommunicationManager().IsOnline() ? 0 : 1; });
}

int32_t TransactionGroup::Execute(std::weak_ptr<IPrivateProcess> callback, bool clearWhenDone,
                                  bool reportProgress) {
    State& s = *state_;
    if (s.context == nullptr)
        return 2;
    if (s.busy)
        return s.clearWhenDone ? 5 : 6;
    if (ConnectionStatus() != 0)
        return 1;
    return Guarded(s.context->Diagnostics(), "TransactionGroup::Execute", int32_t{7}, [&] {
        IParameters& parameters = s.context->Parameters();
        // The requests in the data set's order; a write before a read of the same element.
        std::unordered_map<std::string, size_t> position;
        const auto& elements = parameters.Elements();
        for (size_t i = 0; i < elements.size(); ++i)
            position.emplace(elements[i]->Name(), i);
        std::vector<std::pair<size_t, TransactionJob>> ordered;
        for (const TransactionJob& r : s.requests) {
            auto it = position.find(r.path);
            if (it != position.end())
                ordered.emplace_back(it->second * 2 + (r.isWrite ? 0 : 1), r);
        }
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });

        TransactionProcess process;
        process.processId = NewProcessId();
        for (auto& [pos, job] : ordered)
            process.jobs.push_back(job);
        process.callback = std::move(callback);
        process.reportProgress = reportProgress;
        process.title = "Reading and writing parameters";
        process.reads = s.reads;
        std::weak_ptr<State> weak = state_;
        const std::string id = process.processId;
        process.onEnd = [weak, id](bool) {
            auto st = weak.lock();
            if (!st || st->processId != id)
                return;
            st->busy = false;
            if (st->clearWhenDone && !st->requests.empty()) {
                st->endedKey = KeyOf(*st);
                st->requests.clear();
            }
        };
        if (!s.context->CommunicationManager().StartProcess(std::move(process)))
            return 7;
        s.processId = id;
        s.busy = true;
        s.clearWhenDone = clearWhenDone;
        return 0;
    });
}

bool TransactionGroup::OwnsProcess(const std::string& processId) const {
    return !processId.empty() && EqualsNoCase(processId, state_->processId);
}

std::string TransactionGroup::KeyOf(const State& state) {
    std::string key;
    for (const TransactionJob& r : state.requests)
        key += r.path + "\n";
    return key + "#" + std::to_string(state.batch);
}

std::string TransactionGroup::Elements() const {
    if (state_->requests.empty())
        return state_->endedKey;
    return KeyOf(*state_);
}

void TransactionGroup::Close() {
    State& s = *state_;
    if (s.busy && s.context != nullptr) {
        Guarded(s.context->Diagnostics(), "TransactionGroup::Close",
                [&] { s.context->CommunicationManager().CancelProcess(s.processId); });
    }
    s.requests.clear();
    s.endedKey.clear();
    s.context = nullptr;
}

std::vector<TransactionJob> TransactionGroup::Requests() const {
    return state_->requests;
}

}  // namespace kv
