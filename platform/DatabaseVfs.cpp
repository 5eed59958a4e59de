#include "platform/DatabaseVfs.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstddef>
#include <mutex>

#include <sqlite3.h>

#include "platform/FileSteps.h"

namespace platform {

namespace {

constexpr char VfsName[] = "qm73-steps";

// The engine's own layer, which does the work.
sqlite3_vfs* realVfs = nullptr;

// A file of the engine as this layer opens it; the real layer's file follows it in the same
// block of memory.
struct StepFile {
    sqlite3_file base;
    // The name the engine gave, valid until the file is closed; null for a temporary file.
    const char* name;
    // Whether the file's syncs are steps: the database, its journal and its log.
    bool watched;
    // The real layer syncs the folder as well at the first sync of a journal or a log it has
    // just made: the folder's sync is a step of its own.
    bool folderSyncPending;
};

constexpr size_t RealOffset = (sizeof(StepFile) + 7) & ~size_t(7);

sqlite3_file* realOf(sqlite3_file* file) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + RealOffset);
}

StepFile* stepOf(sqlite3_file* file) {
    return reinterpret_cast<StepFile*>(file);
}

QString pathOf(const char* name) {
    return QFile::decodeName(name);
}

QString folderOf(const char* name) {
    return QFileInfo(pathOf(name)).absolutePath();
}

// ---- the file's methods: each goes on to the real one --------------------------------------

int stepClose(sqlite3_file* file) {
    sqlite3_file* real = realOf(file);
    return real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
}

int stepRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xRead(real, buffer, amount, offset);
}

int stepWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xWrite(real, buffer, amount, offset);
}

int stepTruncate(sqlite3_file* file, sqlite3_int64 size) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xTruncate(real, size);
}

int stepSync(sqlite3_file* file, int flags) {
    StepFile* step = stepOf(file);
    if (step->watched) {
        if (FileStepRefusal(FileStep::SyncFile, pathOf(step->name))) return SQLITE_IOERR_FSYNC;
        if (step->folderSyncPending && FileStepRefusal(FileStep::SyncFolder, folderOf(step->name)))
            return SQLITE_IOERR_DIR_FSYNC;
    }
    step->folderSyncPending = false;
    sqlite3_file* real = realOf(file);
    return real->pMethods->xSync(real, flags);
}

int stepFileSize(sqlite3_file* file, sqlite3_int64* size) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xFileSize(real, size);
}

int stepLock(sqlite3_file* file, int level) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xLock(real, level);
}

int stepUnlock(sqlite3_file* file, int level) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xUnlock(real, level);
}

int stepCheckReservedLock(sqlite3_file* file, int* reserved) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xCheckReservedLock(real, reserved);
}

int stepFileControl(sqlite3_file* file, int op, void* arg) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xFileControl(real, op, arg);
}

int stepSectorSize(sqlite3_file* file) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xSectorSize(real);
}

int stepDeviceCharacteristics(sqlite3_file* file) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xDeviceCharacteristics(real);
}

int stepShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** mapped) {
    sqlite3_file* real = realOf(file);
    if (real->pMethods->iVersion < 2) return SQLITE_IOERR_SHMMAP;
    return real->pMethods->xShmMap(real, region, size, extend, mapped);
}

int stepShmLock(sqlite3_file* file, int offset, int n, int flags) {
    sqlite3_file* real = realOf(file);
    if (real->pMethods->iVersion < 2) return SQLITE_IOERR_SHMLOCK;
    return real->pMethods->xShmLock(real, offset, n, flags);
}

void stepShmBarrier(sqlite3_file* file) {
    sqlite3_file* real = realOf(file);
    if (real->pMethods->iVersion >= 2) real->pMethods->xShmBarrier(real);
}

int stepShmUnmap(sqlite3_file* file, int deleteFlag) {
    sqlite3_file* real = realOf(file);
    if (real->pMethods->iVersion < 2) return SQLITE_OK;
    return real->pMethods->xShmUnmap(real, deleteFlag);
}

int stepFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** page) {
    sqlite3_file* real = realOf(file);
    if (real->pMethods->iVersion < 3) {
        *page = nullptr;
        return SQLITE_OK;
    }
    return real->pMethods->xFetch(real, offset, amount, page);
}

int stepUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
    sqlite3_file* real = realOf(file);
    if (real->pMethods->iVersion < 3) return SQLITE_OK;
    return real->pMethods->xUnfetch(real, offset, page);
}

const sqlite3_io_methods stepMethods = {
    3,
    stepClose,
    stepRead,
    stepWrite,
    stepTruncate,
    stepSync,
    stepFileSize,
    stepLock,
    stepUnlock,
    stepCheckReservedLock,
    stepFileControl,
    stepSectorSize,
    stepDeviceCharacteristics,
    stepShmMap,
    stepShmLock,
    stepShmBarrier,
    stepShmUnmap,
    stepFetch,
    stepUnfetch,
};

// ---- the layer's methods -------------------------------------------------------------------

int stepOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    StepFile* step = stepOf(file);
    step->base.pMethods = nullptr;
    const int kind = flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL |
                              SQLITE_OPEN_SUPER_JOURNAL);
    step->name = name;
    step->watched = name != nullptr && kind != 0;
    // As the real layer does: a journal or a log it makes has its folder synced at its first
    // sync, so that the file's name is on the disk with what it holds.
    step->folderSyncPending =
        step->watched && (flags & SQLITE_OPEN_CREATE) && kind != SQLITE_OPEN_MAIN_DB;
    sqlite3_file* real = realOf(file);
    real->pMethods = nullptr;
    const int result = realVfs->xOpen(realVfs, name, real, flags, outFlags);
    // A file the real layer set up is closed through this layer, whatever the open returned.
    if (real->pMethods) step->base.pMethods = &stepMethods;
    return result;
}

int stepDelete(sqlite3_vfs*, const char* name, int syncFolder) {
    if (FileStepRefusal(FileStep::Remove, pathOf(name))) return SQLITE_IOERR_DELETE;
    const int result = realVfs->xDelete(realVfs, name, 0);
    if (result != SQLITE_OK || !syncFolder) return result;
    const QString folder = folderOf(name);
    if (FileStepRefusal(FileStep::SyncFolder, folder)) return SQLITE_IOERR_DIR_FSYNC;
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // As the real layer: a folder that cannot be opened has nothing to sync.
    if (fd < 0) return SQLITE_OK;
    const int synced = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    return synced == 0 || error == EINVAL ? SQLITE_OK : SQLITE_IOERR_DIR_FSYNC;
}

int stepAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    return realVfs->xAccess(realVfs, name, flags, result);
}

int stepFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return realVfs->xFullPathname(realVfs, name, size, out);
}

void* stepDlOpen(sqlite3_vfs*, const char* name) {
    return realVfs->xDlOpen(realVfs, name);
}

void stepDlError(sqlite3_vfs*, int size, char* message) {
    realVfs->xDlError(realVfs, size, message);
}

void (*stepDlSym(sqlite3_vfs*, void* library, const char* symbol))(void) {
    return realVfs->xDlSym(realVfs, library, symbol);
}

void stepDlClose(sqlite3_vfs*, void* library) {
    realVfs->xDlClose(realVfs, library);
}

int stepRandomness(sqlite3_vfs*, int size, char* out) {
    return realVfs->xRandomness(realVfs, size, out);
}

int stepSleep(sqlite3_vfs*, int microseconds) {
    return realVfs->xSleep(realVfs, microseconds);
}

int stepCurrentTime(sqlite3_vfs*, double* now) {
    return realVfs->xCurrentTime(realVfs, now);
}

int stepGetLastError(sqlite3_vfs*, int size, char* out) {
    return realVfs->xGetLastError ? realVfs->xGetLastError(realVfs, size, out) : 0;
}

int stepCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    if (realVfs->iVersion >= 2 && realVfs->xCurrentTimeInt64)
        return realVfs->xCurrentTimeInt64(realVfs, now);
    double days = 0;
    const int result = realVfs->xCurrentTime(realVfs, &days);
    *now = static_cast<sqlite3_int64>(days * 86400000.0);
    return result;
}

int stepSetSystemCall(sqlite3_vfs*, const char* name, sqlite3_syscall_ptr call) {
    return realVfs->iVersion >= 3 ? realVfs->xSetSystemCall(realVfs, name, call) : SQLITE_NOTFOUND;
}

sqlite3_syscall_ptr stepGetSystemCall(sqlite3_vfs*, const char* name) {
    return realVfs->iVersion >= 3 ? realVfs->xGetSystemCall(realVfs, name) : nullptr;
}

const char* stepNextSystemCall(sqlite3_vfs*, const char* name) {
    return realVfs->iVersion >= 3 ? realVfs->xNextSystemCall(realVfs, name) : nullptr;
}

sqlite3_vfs stepVfs;

}  // namespace

const char* DatabaseVfsName() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        realVfs = sqlite3_vfs_find(nullptr);
        stepVfs = sqlite3_vfs{};
        stepVfs.iVersion = 3;
        stepVfs.szOsFile = static_cast<int>(RealOffset) + realVfs->szOsFile;
        stepVfs.mxPathname = realVfs->mxPathname;
        stepVfs.zName = VfsName;
        stepVfs.xOpen = stepOpen;
        stepVfs.xDelete = stepDelete;
        stepVfs.xAccess = stepAccess;
        stepVfs.xFullPathname = stepFullPathname;
        stepVfs.xDlOpen = stepDlOpen;
        stepVfs.xDlError = stepDlError;
        stepVfs.xDlSym = stepDlSym;
        stepVfs.xDlClose = stepDlClose;
        stepVfs.xRandomness = stepRandomness;
        stepVfs.xSleep = stepSleep;
        stepVfs.xCurrentTime = stepCurrentTime;
        stepVfs.xGetLastError = stepGetLastError;
        stepVfs.xCurrentTimeInt64 = stepCurrentTimeInt64;
        stepVfs.xSetSystemCall = stepSetSystemCall;
        stepVfs.xGetSystemCall = stepGetSystemCall;
        stepVfs.xNextSystemCall = stepNextSystemCall;
        sqlite3_vfs_register(&stepVfs, 0);
    });
    return VfsName;
}

}  // namespace platform
