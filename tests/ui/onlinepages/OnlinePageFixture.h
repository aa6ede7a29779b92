#pragma once
// What the online page tests share: the frame's instance with the simulated positioner (the
// parameter pages' bench), a host that stands in for the navigation control around a page (its
// member chain NavigationPanes.dtmInfo.Cycle.CyclicRefresh, whose real changes reach the hosted
// pages as the control passes them on), a prompt that can act while a question is open, and the
// cycle control's requests.

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/runtime/TransactionGroup.h"
#include "ui/framework/FakeNavigationControl.h"
#include "ui/framework/widgets/ctlCycle.h"
#include "ui/onlinepages/CommandPage.h"
#include "ui/onlinepages/CyclicDisplayPage.h"
#include "ui/onlinepages/CyclicParameterPage.h"
#include "ui/onlinepages/OnlinePages.h"
#include "ui/parameterpages/PageFixture.h"

namespace kv::onlinetest {

using pagetest::Address;
using pagetest::ElementOf;
using pagetest::PageBench;
using pagetest::RowOf;

// A widget standing in for the navigation control around its pages: the pages find its panes
// through INavigationPanesHost; every real change of its cycle switch is recorded and passed on
// to every page it hosts, as the control does.
class PanesHost : public QWidget, public INavigationPanesHost {
  public:
    PanesHost() {
        relay_ = std::make_shared<Relay>(this);
        nav.events = relay_;
        resize(1000, 900);
    }
    INavigationPanes& NavigationPanes() override { return nav.NavigationPanes(); }
    // The switch of the control's DTM pane.
    int16_t Switch() const { return nav.dtm.cyclicRefresh; }
    // The control's own switch, as the user sets it in its DTM pane.
    void SetSwitch(int16_t value) { nav.dtm.SetCyclicRefresh(value); }

    test_support::FakeNavigationControl nav;
    // Every real change of the switch, in order.
    std::vector<int16_t> changes;

  private:
    class Relay : public INavigationEvents {
      public:
        explicit Relay(PanesHost* host) : host_(host) {}
        void CyclicRefreshChanged(int16_t value) override {
            if (!host_)
                return;
            host_->changes.push_back(value);
            for (QObject* child : host_->children()) {
                if (auto* page = dynamic_cast<IPrivateGUICycle*>(child))
                    page->SetCyclicRefresh(value);
            }
        }

      private:
        QPointer<PanesHost> host_;
    };
    std::shared_ptr<Relay> relay_;
};

// An online page in its host, shown, initialised as a main window's child "7.<class>$" (the
// next page "8.<class>$", ...) with the block number as its bag would give it.
struct OnlinePage {
    std::unique_ptr<PanesHost> host = std::make_unique<PanesHost>();
    PageBase* page = nullptr;

    PageBase* operator->() const { return page; }
    ctlCycle& Cycle() const {
        ctlCycle* cycle = nullptr;
        if (auto* display = dynamic_cast<CyclicDisplayPage*>(page))
            cycle = display->Cycle();
        else if (auto* parameter = dynamic_cast<CyclicParameterPage*>(page))
            cycle = parameter->Cycle();
        if (cycle == nullptr)
            throw std::runtime_error(page->Name() + " has no cycle control");
        return *cycle;
    }
    IPrivateGUICycle& Switch() const { return dynamic_cast<IPrivateGUICycle&>(*page); }
    CommandPage& Commands() const { return dynamic_cast<CommandPage&>(*page); }
    // The paths the cycle control's group reads.
    std::vector<std::string> Requests() const {
        std::vector<std::string> paths;
        auto* group = dynamic_cast<TransactionGroup*>(Cycle().TransGrp());
        if (group != nullptr) {
            for (const TransactionJob& job : group->Requests())
                paths.push_back(job.path);
        }
        return paths;
    }
};

// A page of a table (which must outlive it) in a host, not yet initialised.
inline OnlinePage HostPage(std::unique_ptr<PageBase> made, int16_t blockIndex = 1) {
    if (!made)
        throw std::runtime_error("no page");
    OnlinePage hosted;
    made->SetBlockIndex(blockIndex);
    hosted.page = made.release();
    hosted.page->setParent(hosted.host.get());
    hosted.page->resize(hosted.page->DesignSize());
    hosted.host->show();
    hosted.page->show();
    return hosted;
}

inline OnlinePage OpenOnlinePage(PageBench& b, const std::string& className,
                                 int16_t blockIndex = 1) {
    OnlinePage hosted = HostPage(CreateOnlinePage(className), blockIndex);
    const std::string call = std::to_string(b.nextCall++) + "." + className + "$";
    if (!hosted->Init(call, "", b.Dtm()))
        throw std::runtime_error("Init of " + className + " failed");
    return hosted;
}

// A prompt whose script can act while a question is open (before it is answered).
class ActingPrompt : public ScriptedPrompt {
  public:
    using ScriptedPrompt::ScriptedPrompt;
    int32_t Ask(const std::string& prompt, int32_t style) override {
        if (onAsk) {
            auto act = std::move(onAsk);
            onAsk = nullptr;
            act();
        }
        return ScriptedPrompt::Ask(prompt, style);
    }
    // Runs once, at the next question.
    std::function<void()> onAsk;
};

}  // namespace kv::onlinetest
