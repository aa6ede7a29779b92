#pragma once
// The framework's user interfaces that the frame opens by ProgID and the navigation control
// creates for tree nodes: the main window (KV6274PA.ctlNavigationMain) and the About page
// (KV6274PA.ctlAbout). The program registers them once at start-up.

namespace kv {

class PageRegistry;

// Registers the creators of both ProgIDs (an earlier registration is replaced).
void RegisterFrameworkUserInterfaces(PageRegistry& registry);

}  // namespace kv
