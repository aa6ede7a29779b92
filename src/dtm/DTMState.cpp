#include "dtm/DTMState.h"

namespace kv {

void DTMState::Init(IDTMContext& context) {
    m_Archive = std::make_shared<kv::Archive>();
    context.AddPersistObject(m_Archive, kv::Archive::kTypeName);
    m_LastOpPhase = NewOperationPhase();
    m_Navigation = std::make_shared<clsNavigation>();
    m_Navigation->AttachDTMContext(context.SharedContext());
}

}  // namespace kv
