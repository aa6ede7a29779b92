#pragma once
// The cyclic parameter page: the parameter page (read and write of its rows on its own
// transaction group) that also refreshes its rows cyclically with the cyclic add-ons, whose
// reads run in the cycle control's group: the page's read repeated, which takes the device's
// values as a read does (the instance's modified state stays). The operation-mode pages and the
// simulation page are built on it, and the command page extends it. Its release: the site, the
// cycling, then the page's own group.

#include "ui/onlinepages/CyclicPage.h"
#include "ui/parameterpages/ParameterPage.h"

namespace kv {

class CyclicParameterPage : public CyclicPage<ParameterPage> {
    Q_OBJECT

  public:
    explicit CyclicParameterPage(const PageDesign& design, QWidget* parent = nullptr);
    ~CyclicParameterPage() override;
};

}  // namespace kv
