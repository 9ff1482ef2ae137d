#include "WalIndexGuard.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace corvanta::server {

namespace {

std::atomic<bool> g_lost = false;
std::atomic_flag g_busy = ATOMIC_FLAG_INIT;
struct sigaction g_previous;
long g_pageSize = 4096;

std::uintptr_t hexValue(const char *&p)
{
    std::uintptr_t value = 0;
    for (;; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9')
            value = value * 16 + std::uintptr_t(c - '0');
        else if (c >= 'a' && c <= 'f')
            value = value * 16 + std::uintptr_t(c - 'a' + 10);
        else
            return value;
    }
}

// One line of /proc/self/maps: "START-END PERMS OFFSET DEV INODE   PATH".
bool isWalIndexLine(const char *line, std::size_t size, std::uintptr_t address)
{
    const char *p = line;
    const std::uintptr_t start = hexValue(p);
    if (*p++ != '-')
        return false;
    const std::uintptr_t end = hexValue(p);
    static const char kSuffix[] = "-shm";
    const std::size_t suffix = sizeof kSuffix - 1;
    return address >= start && address < end && size > suffix &&
           std::memcmp(line + size - suffix, kSuffix, suffix) == 0;
}

// Only async-signal-safe calls: open, read, close.
bool inWalIndex(std::uintptr_t address)
{
    const int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    static char buffer[8192];
    std::size_t used = 0;
    bool found = false;
    for (;;) {
        const ssize_t got = ::read(fd, buffer + used, sizeof buffer - used);
        if (got <= 0)
            break;
        used += std::size_t(got);
        std::size_t lineStart = 0;
        for (std::size_t i = 0; i < used; ++i) {
            if (buffer[i] != '\n')
                continue;
            found = found || isWalIndexLine(buffer + lineStart, i - lineStart, address);
            lineStart = i + 1;
        }
        if (lineStart == 0 && used == sizeof buffer) // a line longer than the buffer: skipped
            used = 0;
        std::memmove(buffer, buffer + lineStart, used - lineStart);
        used -= lineStart;
    }
    ::close(fd);
    return found;
}

void say(const char *text)
{
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void onBusError(int signal, siginfo_t *info, void *context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    while (g_busy.test_and_set(std::memory_order_acquire)) {
    }
    bool handled = false;
    if (inWalIndex(address)) {
        static char copy[65536];
        void *page = reinterpret_cast<void *>(address & ~std::uintptr_t(g_pageSize - 1));
        const std::size_t size = std::size_t(g_pageSize);
        if (size <= sizeof copy) {
            std::memcpy(copy, page, size); // reading the page still works
            if (::mmap(page, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
                MAP_FAILED) {
                std::memcpy(page, copy, size);
                handled = true;
                if (!g_lost.exchange(true))
                    say("corvanta-server: the database's WAL index file (-shm) cannot be written (made "
                        "read-only or immutable?); every request fails until it is mended and the server "
                        "restarted\n");
            }
        }
    }
    g_busy.clear(std::memory_order_release);
    if (handled)
        return;
    // Not the WAL index: whoever handled it before (the default ends the process).
    if (g_previous.sa_flags & SA_SIGINFO) {
        if (g_previous.sa_sigaction) {
            g_previous.sa_sigaction(signal, info, context);
            return;
        }
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    ::signal(signal, SIG_DFL); // the fault comes again on return and ends the process
}

} // namespace

void installWalIndexGuard()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_pageSize = ::sysconf(_SC_PAGESIZE);
        struct sigaction action = {};
        action.sa_sigaction = &onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &g_previous);
        ::signal(SIGXFSZ, SIG_IGN);
    });
}

bool walIndexLost()
{
    return g_lost.load(std::memory_order_relaxed);
}

} // namespace corvanta::server
