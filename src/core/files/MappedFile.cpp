#include "files/MappedFile.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace {

// The maps the handler watches. A slot is taken by setting its start (its
// length is set first); the handler reads only these atomics.
struct Slot {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::size_t> length{0};
    std::atomic<bool> cut{false};
};

Slot watchedMaps[MappedFile::MaxMaps];
struct sigaction previousAction;

std::uintptr_t pageSize()
{
    static const std::uintptr_t size = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    return size;
}

// Passes the signal on as if this handler were not there.
void passOn(int signal, siginfo_t *info, void *context)
{
    if (previousAction.sa_flags & SA_SIGINFO) {
        if (previousAction.sa_sigaction) {
            previousAction.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previousAction.sa_handler == SIG_IGN) {
        return;
    } else if (previousAction.sa_handler != SIG_DFL) {
        previousAction.sa_handler(signal);
        return;
    }
    // The default action: the fault happens again on return and ends the
    // program as it would have without this handler.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(SIGBUS, &fallback, nullptr);
}

// Only what is safe in a signal handler: atomics and system calls.
void onBusError(int signal, siginfo_t *info, void *context)
{
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot &slot : watchedMaps) {
        const std::uintptr_t start = slot.start.load(std::memory_order_acquire);
        const std::size_t length = slot.length.load(std::memory_order_acquire);
        if (start == 0 || address < start || address - start >= length)
            continue;
        // Zeros from the page that failed to the end of the map.
        const std::uintptr_t page = address & ~(pageSize() - 1);
        const std::uintptr_t end = (start + length + pageSize() - 1) & ~(pageSize() - 1);
        if (::mmap(reinterpret_cast<void *>(page), end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0)
            == MAP_FAILED)
            break;
        slot.cut.store(true, std::memory_order_release);
        return;
    }
    passOn(signal, info, context);
}

bool installHandler()
{
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    // The handler before is known before this one can run.
    return ::sigaction(SIGBUS, nullptr, &previousAction) == 0 && ::sigaction(SIGBUS, &action, nullptr) == 0;
}

int takeSlot(std::uintptr_t start, std::size_t length)
{
    for (int n = 0; n < MappedFile::MaxMaps; ++n) {
        std::uintptr_t free = 0;
        // Claimed with a start no map has (1), then given its length and start.
        if (watchedMaps[n].start.compare_exchange_strong(free, 1, std::memory_order_acq_rel)) {
            watchedMaps[n].cut.store(false, std::memory_order_relaxed);
            watchedMaps[n].length.store(length, std::memory_order_release);
            watchedMaps[n].start.store(start, std::memory_order_release);
            return n;
        }
    }
    return -1;
}

} // namespace

MappedFile::MappedFile(int fd, std::int64_t size)
{
    static std::once_flag installed;
    static bool watching = false;
    std::call_once(installed, [] { watching = installHandler(); });
    if (!watching || size <= 0 || std::uint64_t(size) > std::uint64_t(SIZE_MAX))
        return;
    m_length = std::size_t(size);
    // Read ahead and entered into the page table in one call: on a virtual
    // machine each page fault costs far more than the page's bytes.
    void *data = ::mmap(nullptr, m_length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (data == MAP_FAILED)
        return;
    m_slot = takeSlot(reinterpret_cast<std::uintptr_t>(data), m_length);
    if (m_slot < 0) {
        ::munmap(data, m_length);
        return;
    }
    m_data = static_cast<const char *>(data);
}

MappedFile::~MappedFile()
{
    if (!m_data)
        return;
    watchedMaps[m_slot].start.store(0, std::memory_order_release);
    ::munmap(const_cast<char *>(m_data), m_length);
}

QByteArray MappedFile::bytes() const
{
    return m_data ? QByteArray::fromRawData(m_data, qsizetype(m_length)) : QByteArray();
}

bool MappedFile::cut() const
{
    return m_data && watchedMaps[m_slot].cut.load(std::memory_order_acquire);
}
