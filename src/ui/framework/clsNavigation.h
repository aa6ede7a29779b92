#pragma once
// The navigation tree model of an instance: the design-time tree text, the current text, and the
// tree derived from it for the functions the DTM offers now (the attribute invisibleStatus),
// pushed into every open main window.

#include <memory>
#include <string>

#include "ui/framework/clsHiddenRef.h"
#include "value/SharedText.h"

namespace kv {

class IDTMContext;

class clsNavigation {
  public:
    // Starts from the design-time tree of the main window.
    clsNavigation();
    explicit clsNavigation(std::string designTimeTree);
    ~clsNavigation();

    // Keeps the context without keeping it alive (the context owns this model).
    void AttachDTMContext(const std::shared_ptr<IDTMContext>& context);
    // nullptr before AttachDTMContext or once the context is gone.
    std::shared_ptr<IDTMContext> DTMContext() const { return m_DTMContext.Item(); }

    const std::string& InitialTreeStructure() const { return m_InitialTreeStructure.str(); }
    // A different text is stored and pushed to the open main windows; an equal one changes
    // nothing.
    void SetCurTreeStructure(const std::string& text);
    // The stored text with invisibleStatus="0" on the node of every function that the function
    // list of the last operation phase offers. Empty on failure: a stored text that does not
    // parse (an OK box with the parse error), no context, or a function list that does not load
    // (its error shown through the context).
    std::string CurTreeStructure() const;
    const std::string& StoredTreeStructure() const { return m_CurTreeStructure.str(); }
    // Pushes the current tree into every open main window; nothing when it cannot be derived.
    void UpdatecurTreeStructure() const;

  private:
    std::string DeriveTree(IDTMContext& context) const;

    clsHiddenRef<IDTMContext> m_DTMContext;
    // The design-time tree is one text for the process; an instance holds its own text only
    // once its tree was replaced.
    SharedText m_InitialTreeStructure;
    SharedText m_CurTreeStructure;
};

// The holder of an instance's tree model (the DTM's state object, reached as
// IDTMContext::StateObject).
class INavigationHolder {
  public:
    virtual ~INavigationHolder() = default;
    virtual std::shared_ptr<clsNavigation> Navigation() const = 0;
};

}  // namespace kv
