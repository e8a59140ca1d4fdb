#pragma once
// The list's eight switch images, one per switch code 1..8, drawn by the
// program itself.
#include <QIcon>

namespace lomtra {

// An empty icon for 0 or any other number (no image).
QIcon SwitchImage(int code);

}  // namespace lomtra
