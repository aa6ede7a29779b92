#pragma once
// The status pictures of the parameter rows: 16x16 pictures compiled into the library, one per
// image key ("CommErr", "AnyErr", "RangeErr", "InputErr", "Needed", "Changed", "Dynamic1",
// "Dynamic2", "OptionalParam", "Locked", "Blank", "Initial", "SavedValue", "OnlineValue").

#include <QPixmap>
#include <string>

#include "platform/controls/ControlInterfaces.h"

namespace kv {

class StatusImages : public IStatusImages {
  public:
    StatusImages();
    // The one collection of the program; it lives as long as the program.
    static const StatusImages& Shared();
    bool Contains(const std::string& key) const override;
    // The picture of the key; a null pixmap for "" and for a key without a picture.
    static QPixmap Pixmap(const std::string& key);
};

}  // namespace kv
