#pragma once

// SQLite's WAL index is a file ("...-shm") mapped into memory and written there. When that
// file cannot be written any more (made immutable, say), the kernel answers a write to the
// mapping with SIGBUS, which would end the whole server. The guard turns it into an error:
// the faulting page becomes a private copy, the write goes on, and from then on every
// request fails (status 500) until the files are mended and the server restarted, since
// this process's index no longer matches the file's.
namespace corvanta::server {

// Installs the handler once (and ignores SIGXFSZ, so a file grown past its size limit fails
// its write instead of ending the process).
void installWalIndexGuard();
// True once a write to the WAL index failed.
bool walIndexLost();

} // namespace corvanta::server
