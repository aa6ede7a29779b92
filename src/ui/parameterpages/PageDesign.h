#pragma once
// The designer data of a page: what the page carries, in designer order, with positions in
// twips and the designer properties of each child. Pages are built from these tables by their
// template; a reader can check each table line by line against the page's description.

#include <cstdint>
#include <string>
#include <vector>

#include "value/Variant.h"

namespace kv {

class PropertyBag;

// The kinds of child controls that pages carry.
enum class ChildKind {
    Separator,      // titled separator (ctlSeparator)
    Parameter,      // parameter row (ctlParameter)
    ParamHelp,      // help pane (ctlParamHelp)
    ParamSite,      // invisible binding site (ctlParamSite)
    Cycle,          // cyclic-refresh control (ctlCycle)
    Bar,            // bar graph (ctlBar)
    Archive,        // archive control (ctlDTMArchive)
    Label,          // caption label
    Frame,          // captioned frame
    CommandButton,  // push button
    PictureBox,     // picture
};

// A position in twips (15 twips are one pixel at 96 dpi). Invisible children have all zero.
struct TwipRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// One designer property: its key in lower case ("parametertag", "controltype", "locked",
// "labelwidth", "unittext", "interval", "color", ...) and its value.
struct DesignProperty {
    std::string key;
    Variant value;
};

struct ChildDesign {
    ChildKind kind;
    std::string name;    // "sepTitle", "ctlParameter", "cmdSave", ...
    int32_t index = -1;  // control-array index; -1 for a child outside an array
    TwipRect pos;
    std::vector<DesignProperty> props;
    int32_t tabIndex = -1;  // tab order where the page gives one; -1 otherwise
    std::string container;  // the picture box that holds the child; empty: the page itself
};

// The designer properties of a child under their keys, as its control reads them.
PropertyBag DesignBag(const ChildDesign& child);

// Single pages initialise and release only themselves; composite pages also their children.
enum class PageForm { Single, Composite };

// The template a page is built on.
enum class PageTemplate {
    Parameter,        // parameter page: read and write of its rows
    CyclicDisplay,    // live values only, no read or write of its own
    CyclicParameter,  // live values with read and write
    Command,          // device commands after a write-protection check
    ChannelAssign,    // cyclic configuration committed with Save; no read or write
    BusAddress,       // station address committed with Set; no read or write
    Archive,          // trend recording with the archive control; no read or write
};

// Which children follow the page's width (and the archive control also its height).
enum class ResizeForm {
    Narrow,   // separators and rows
    Wide,     // separators, rows, bars and picture boxes
    Archive,  // separators and rows by width; the archive control and picture boxes by both
};

// How the device reports a command that runs on after its write: the element ("%d" as in the
// command's path) and its values while the command runs and when it has ended. Without an
// element the write is the command's end.
struct CommandProgress {
    std::string statusPath;
    int32_t running = 0;
    int32_t done = 0;
    std::vector<int32_t> failed{};
};

// One device command of a command page, in the page's button order.
struct CommandDesign {
    std::string button;       // "cmdWarmStart"
    std::string alertKey;     // confirmation text key; empty: no question is asked
    std::string elementPath;  // "%d" stands for the page's block number
    int32_t value = 0;        // the command value
    bool value32 = false;     // put as a 32-bit integer (else 16-bit)
    std::string doneKey;      // key whose text "meld_quit_reset" quotes
    CommandProgress progress{};
};

// A bar graph fed from the data set: its value and the two scale ends ("%d" as in the rows).
struct BarDesign {
    std::string bar;    // "barAORb"
    std::string value;  // sets Value and the tooltip
    std::string lower;  // sets LimitMin and RangeMin
    std::string upper;  // sets LimitMax and RangeMax
};

struct PageDesign {
    std::string className;  // "ctlId"; the ProgID is "KV6274PA." followed by it
    PageForm form = PageForm::Single;
    PageTemplate templ = PageTemplate::Parameter;
    ResizeForm resize = ResizeForm::Narrow;
    int32_t readWriteOption = 3;            // 3 read and write, 1 read only, 0 no read or write
    std::vector<ChildDesign> children{};    // in designer order
    std::vector<CommandDesign> commands{};  // command pages only
    bool blockIndex = true;         // the page has BlockIndex (property-bag key "BlockIndex")
    bool relIndexLabels = false;    // rows show their element's relative index before the label
    std::vector<BarDesign> bars{};  // in the order the page refreshes them
};

}  // namespace kv
