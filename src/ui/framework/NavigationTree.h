#pragma once
// The navigation tree of the main window as it is designed: the text its navigation control
// holds before any run-time change (every page, its heading and the nodes the DTM functions
// open).

namespace kv {

// The design-time tree document (root "treeview", 52 "node" elements "Node0" to "Node51").
const char* DesignTimeTreeStructure();

}  // namespace kv
