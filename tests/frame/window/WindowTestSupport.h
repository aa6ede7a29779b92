#pragma once
// What the frame window's tests share: the window's manual loop and Qt's events run together,
// as the program's Qt-backed loop does, and the page nodes of a navigation tree.

#include <QApplication>
#include <QCoreApplication>
#include <cstdint>
#include <functional>
#include <pugixml.hpp>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/ManualEventLoop.h"

namespace kv::test_support {

// The deletions and the events that Qt holds back.
inline void RunQtEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// Lets the loop and Qt run until done() holds, at most maxMs of loop time; whether it holds.
inline bool PumpUntil(ManualEventLoop& loop, const std::function<bool()>& done,
                      int64_t maxMs = 30000) {
    const int64_t end = loop.NowMs() + maxMs;
    while (!done() && loop.NowMs() < end) {
        loop.RunUntilIdle();
        RunQtEvents();
        if (!done() && !loop.HasPending())
            loop.Advance(10);
    }
    return done();
}

// The page nodes of a tree document: key and ProgID, in document order.
inline std::vector<std::pair<std::string, std::string>> PageNodes(const std::string& tree) {
    std::vector<std::pair<std::string, std::string>> nodes;
    pugi::xml_document doc;
    doc.load_string(tree.c_str());
    for (const pugi::xpath_node& n : doc.select_nodes("//node[@ctl != '']"))
        nodes.emplace_back(n.node().attribute("key").value(), n.node().attribute("ctl").value());
    return nodes;
}

}  // namespace kv::test_support
