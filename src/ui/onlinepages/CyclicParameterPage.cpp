#include "ui/onlinepages/CyclicParameterPage.h"

namespace kv {

CyclicParameterPage::CyclicParameterPage(const PageDesign& design, QWidget* parent)
    : CyclicPage(design, parent) {}

CyclicParameterPage::~CyclicParameterPage() = default;

}  // namespace kv
