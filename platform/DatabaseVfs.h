#pragma once

namespace platform {

// The name of the database engine's file layer that the program's own connections use: the
// system's default one, with each of the engine's syncs of the database, its journal or its
// log, the folder syncs the engine makes on its own, and each removal of such a file, taken
// through the file-step seam (platform/FileSteps.h) first. Registered with the engine at the
// first call; any thread may call it.
const char* DatabaseVfsName();

}  // namespace platform
