#include "tests/support/TempProgramFolder.h"

namespace testsupport {

TempProgramFolder::TempProgramFolder() : paths_(dir_.path()) {}

}  // namespace testsupport
