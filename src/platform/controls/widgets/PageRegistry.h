#pragma once
// The page factory of the navigation control: the page libraries register a creator for each
// page ProgID ("KV6274PA.ctlId"), and the control creates the page of a selected tree node
// through it. A ProgID without a creator shows an empty page.

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace kv {

class PageRegistry {
  public:
    // Makes a new, parentless page. The widget must also implement INavigationPage.
    using Creator = std::function<std::unique_ptr<QWidget>()>;

    // The registry of the program: its page libraries register here at start-up, and every
    // navigation control uses it unless it was given another.
    static PageRegistry& Instance();

    // Registers the creator of a ProgID, in place of an earlier one. An empty ProgID or creator
    // throws std::invalid_argument.
    void Register(const std::string& progId, Creator creator);
    void Unregister(const std::string& progId);
    bool Contains(const std::string& progId) const;
    // A new page for the ProgID; nullptr when none is registered. Throws what the creator
    // throws.
    std::unique_ptr<QWidget> Create(const std::string& progId) const;

  private:
    std::map<std::string, Creator> creators_;
};

}  // namespace kv
