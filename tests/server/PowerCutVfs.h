#pragma once

// A power cut for SQLite, inside the test process: a VFS over the system's default one that
// keeps, for every database and log file, what each write since the file's last sync
// overwrote. cut() puts those bytes back and cuts each file to its size at its last sync, as
// a machine that lost its power would find its disk; from then on every write, sync, cut and
// delete fails, so connections still open change nothing more. powerOn() lets the next
// connections work again.
//
//   PowerCutVfs &vfs = PowerCutVfs::install(); // the process's default VFS from now on
//   ... open stores, write ...
//   vfs.whileOn([&] { answered.append(n); });  // counts only what happened before the cut
//   vfs.cut();
//   ... close every connection ...
//   vfs.powerOn();
//
// The WAL index ("-shm") is memory and is not kept: SQLite builds it again from the log.
// Needs libsqlite3 (the one Qt's SQLite driver uses).

#include <sqlite3.h>

#include <algorithm>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvanta::test {

class PowerCutVfs
{
public:
    static PowerCutVfs &install()
    {
        static PowerCutVfs vfs;
        return vfs;
    }

    // Drops every write not yet synced; writes fail until powerOn().
    void cut()
    {
        const std::lock_guard lock(m_mutex);
        for (const auto &[path, state] : m_files) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            for (auto undo = state.undo.rbegin(); undo != state.undo.rend(); ++undo)
                [[maybe_unused]] const auto n =
                    ::pwrite(fd, undo->bytes.data(), undo->bytes.size(), undo->offset);
            [[maybe_unused]] const int cutShort = ::ftruncate(fd, state.syncedSize);
            ::close(fd);
        }
        m_files.clear();
        m_on = false;
    }
    void powerOn()
    {
        const std::lock_guard lock(m_mutex);
        m_on = true;
    }
    // Runs step unless the power is cut, with the cut held off meanwhile; whether it ran.
    template <typename Step> bool whileOn(Step step)
    {
        const std::lock_guard lock(m_mutex);
        if (m_on)
            step();
        return m_on;
    }

private:
    struct Undo
    {
        sqlite3_int64 offset = 0;
        std::string bytes;
    };
    struct FileState
    {
        sqlite3_int64 syncedSize = 0;
        std::vector<Undo> undo; // in the order written
    };
    struct File
    {
        sqlite3_file base;
        sqlite3_file *real;
        std::string *path; // null: a file that no power cut concerns
    };

    PowerCutVfs()
    {
        m_real = sqlite3_vfs_find(nullptr);
        m_vfs = *m_real;
        m_vfs.zName = "powercut";
        m_vfs.pNext = nullptr;
        m_vfs.szOsFile = int(sizeof(File)) + m_real->szOsFile;
        m_vfs.pAppData = this;
        m_vfs.xOpen = &xOpen;
        m_vfs.xDelete = &xDelete;
        m_methods.iVersion = 3;
        m_methods.xClose = [](sqlite3_file *f) {
            File *file = self(f);
            const int rc = file->real->pMethods->xClose(file->real);
            delete file->path;
            return rc;
        };
        m_methods.xRead = [](sqlite3_file *f, void *out, int n, sqlite3_int64 at) {
            return self(f)->real->pMethods->xRead(self(f)->real, out, n, at);
        };
        m_methods.xWrite = [](sqlite3_file *f, const void *in, int n, sqlite3_int64 at) {
            return vfsOf(f).write(self(f), in, n, at);
        };
        m_methods.xTruncate = [](sqlite3_file *f, sqlite3_int64 size) {
            return vfsOf(f).truncate(self(f), size);
        };
        m_methods.xSync = [](sqlite3_file *f, int flags) { return vfsOf(f).sync(self(f), flags); };
        m_methods.xFileSize = [](sqlite3_file *f, sqlite3_int64 *size) {
            return self(f)->real->pMethods->xFileSize(self(f)->real, size);
        };
        m_methods.xLock = [](sqlite3_file *f, int level) {
            return self(f)->real->pMethods->xLock(self(f)->real, level);
        };
        m_methods.xUnlock = [](sqlite3_file *f, int level) {
            return self(f)->real->pMethods->xUnlock(self(f)->real, level);
        };
        m_methods.xCheckReservedLock = [](sqlite3_file *f, int *out) {
            return self(f)->real->pMethods->xCheckReservedLock(self(f)->real, out);
        };
        m_methods.xFileControl = [](sqlite3_file *f, int op, void *arg) {
            return self(f)->real->pMethods->xFileControl(self(f)->real, op, arg);
        };
        m_methods.xSectorSize = [](sqlite3_file *f) {
            return self(f)->real->pMethods->xSectorSize(self(f)->real);
        };
        m_methods.xDeviceCharacteristics = [](sqlite3_file *f) {
            return self(f)->real->pMethods->xDeviceCharacteristics(self(f)->real);
        };
        m_methods.xShmMap = [](sqlite3_file *f, int page, int size, int extend, void volatile **out) {
            return self(f)->real->pMethods->xShmMap(self(f)->real, page, size, extend, out);
        };
        m_methods.xShmLock = [](sqlite3_file *f, int offset, int n, int flags) {
            return self(f)->real->pMethods->xShmLock(self(f)->real, offset, n, flags);
        };
        m_methods.xShmBarrier = [](sqlite3_file *f) { self(f)->real->pMethods->xShmBarrier(self(f)->real); };
        m_methods.xShmUnmap = [](sqlite3_file *f, int remove) {
            return self(f)->real->pMethods->xShmUnmap(self(f)->real, remove);
        };
        // No mapped pages: every read and write goes through the methods above.
        m_methods.xFetch = [](sqlite3_file *, sqlite3_int64, int, void **out) {
            *out = nullptr;
            return SQLITE_OK;
        };
        m_methods.xUnfetch = [](sqlite3_file *, sqlite3_int64, void *) { return SQLITE_OK; };
        sqlite3_vfs_register(&m_vfs, 1);
    }

    static File *self(sqlite3_file *f) { return reinterpret_cast<File *>(f); }
    static PowerCutVfs &of(sqlite3_vfs *vfs) { return *static_cast<PowerCutVfs *>(vfs->pAppData); }
    static PowerCutVfs &vfsOf(sqlite3_file *) { return install(); }

    static int xOpen(sqlite3_vfs *vfs, const char *name, sqlite3_file *f, int flags, int *outFlags)
    {
        PowerCutVfs &me = of(vfs);
        File *file = self(f);
        file->real = reinterpret_cast<sqlite3_file *>(file + 1);
        file->path = nullptr;
        const int rc = me.m_real->xOpen(me.m_real, name, file->real, flags, outFlags);
        if (rc != SQLITE_OK || !file->real->pMethods) {
            f->pMethods = nullptr;
            return rc;
        }
        f->pMethods = &me.m_methods;
        const int kept = SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL;
        if (name && (flags & kept)) {
            file->path = new std::string(name);
            const std::lock_guard lock(me.m_mutex);
            if (!me.m_files.count(*file->path)) {
                sqlite3_int64 size = 0;
                file->real->pMethods->xFileSize(file->real, &size);
                me.m_files[*file->path].syncedSize = size; // what is there when first opened is on disk
            }
        }
        return SQLITE_OK;
    }

    static int xDelete(sqlite3_vfs *vfs, const char *name, int syncDir)
    {
        PowerCutVfs &me = of(vfs);
        const std::lock_guard lock(me.m_mutex);
        if (!me.m_on)
            return SQLITE_IOERR_DELETE;
        me.m_files.erase(name);
        return me.m_real->xDelete(me.m_real, name, syncDir);
    }

    // The bytes of [at, at + n) that the file has now; n < 0: to its end.
    static std::string bytesAt(sqlite3_file *real, sqlite3_int64 at, sqlite3_int64 n)
    {
        sqlite3_int64 size = 0;
        real->pMethods->xFileSize(real, &size);
        const sqlite3_int64 have = std::max<sqlite3_int64>(0, n < 0 ? size - at : std::min(n, size - at));
        std::string bytes(std::size_t(have), '\0');
        if (have > 0)
            real->pMethods->xRead(real, bytes.data(), int(have), at);
        return bytes;
    }

    FileState *stateOf(File *file) { return file->path ? &m_files[*file->path] : nullptr; }

    int write(File *file, const void *in, int n, sqlite3_int64 at)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_on)
            return SQLITE_IOERR_WRITE;
        if (FileState *state = stateOf(file))
            state->undo.push_back({at, bytesAt(file->real, at, n)});
        return file->real->pMethods->xWrite(file->real, in, n, at);
    }
    int truncate(File *file, sqlite3_int64 size)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_on)
            return SQLITE_IOERR_TRUNCATE;
        if (FileState *state = stateOf(file))
            state->undo.push_back({size, bytesAt(file->real, size, -1)});
        return file->real->pMethods->xTruncate(file->real, size);
    }
    int sync(File *file, int flags)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_on)
            return SQLITE_IOERR_FSYNC;
        const int rc = file->real->pMethods->xSync(file->real, flags);
        if (rc == SQLITE_OK) {
            if (FileState *state = stateOf(file)) {
                state->undo.clear();
                file->real->pMethods->xFileSize(file->real, &state->syncedSize);
            }
        }
        return rc;
    }

    std::mutex m_mutex;
    bool m_on = true;
    std::map<std::string, FileState> m_files; // by path
    sqlite3_vfs *m_real = nullptr;
    sqlite3_vfs m_vfs = {};
    sqlite3_io_methods m_methods = {};
};

} // namespace corvanta::test
