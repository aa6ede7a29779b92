#include "platform/controls/widgets/LastResort.h"

namespace kv {

DiagnosticLog& WidgetDiagnostics() {
    static DiagnosticLog log;
    return log;
}

}  // namespace kv
