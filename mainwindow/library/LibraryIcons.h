#pragma once

#include "platform/gui/ImageList.h"

namespace library {

// The library's small pictures: "QM-73" (the database), "CloseFolder" and "OpenFolder" (groups),
// "Interval0", "Interval1", "Interval2", "Alarm0" (trends), "History", "AEvent", "TEvent",
// "PEvent" and "Change" (the logs).
platform::ImageList LibraryImages();

}  // namespace library
