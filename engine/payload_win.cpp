#include "engine/payload.h"

#include "toolkit/handles_win.h"

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

namespace {

// The executable's own file, opened once for all items and kept open to the end (the
// system keeps it open for the image anyway). INVALID_HANDLE_VALUE when it cannot be.
HANDLE ExecutableFile() {
    static const tk::FileHandle file([] {
        std::vector<wchar_t> path(32768);
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0 || length >= path.size()) return INVALID_HANDLE_VALUE;
        return CreateFileW(path.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    }());
    return file.Valid() ? file.Get() : INVALID_HANDLE_VALUE;
}

// A resource read from the executable's file rather than through its mapped image:
// mapped pages, once touched, stay in the process's memory until it ends, while what
// ReadFile passes through stays in the system's file cache. Wherever the file cannot be
// used (not found, not opened, a read that fails or comes up short, a header that differs
// from the image's) the bytes come from the mapped image as before.
class StoredBytesInFile : public StoredBytes {
public:
    explicit StoredBytesInFile(std::string_view mapped)
        : mapped_(mapped), offset_(tk::ImageFileOffset(mapped)),
          fromFile_(offset_ >= 0 && ExecutableFile() != INVALID_HANDLE_VALUE) {}
    std::size_t Size() const override { return mapped_.size(); }
    // Some of the bytes read came from the file.
    bool UsedFile() const { return usedFile_; }

    void Read(std::size_t offset, char* out, std::size_t n) noexcept override {
        if (fromFile_ && ReadFromFile(offset, out, n)) {
            usedFile_ = true;
            return;
        }
        fromFile_ = false; // from here on, the image
        std::memcpy(out, mapped_.data() + offset, n);
    }

private:
    bool ReadFromFile(std::size_t offset, char* out, std::size_t n) noexcept {
        OVERLAPPED at{};
        const std::uint64_t position = static_cast<std::uint64_t>(offset_) + offset;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD read = 0;
        if (!ReadFile(ExecutableFile(), out, static_cast<DWORD>(n), &read, &at) || read != n)
            return false;
        // The header is checked against the image: a file replaced on disk since the
        // program started is not read.
        if (offset == 0 && std::memcmp(out, mapped_.data(), std::min<std::size_t>(n, 64)) != 0)
            return false;
        return true;
    }

    std::string_view mapped_;
    std::int64_t offset_;
    bool fromFile_;
    bool usedFile_ = false;
};

void LoadItem(const std::string& key, const std::string& name, tInstItem& item) {
    item.FileName.clear();
    // FindRcData finds the resource by name in any case (FindResourceA upper-cases
    // string names).
    const std::string_view mapped = tk::FindRcData(name);
    StoredBytesInFile stored(mapped);
    try {
        ReadStoredPayload(key, stored, item);
        if (!item.Contents.empty() || !stored.UsedFile()) return;
    } catch (const EDecompressionError&) {
        if (!stored.UsedFile()) throw;
    }
    // What the file gave did not load. The file may have been replaced since the program
    // started, by one whose bytes only begin like ours: the image holds the program's own.
    ReadStoredPayload(key, mapped, item);
}

// The items of one LoadPayloadItems call, taken in catalogue order by whichever thread is
// free. An item that raises keeps its error; no item after the first that raised is begun.
class ParallelLoad {
public:
    ParallelLoad(const std::vector<std::string>& names, std::vector<tInstItem>& items)
        : key_(BuildPayloadKeyStream()), names_(names), items_(items), errors_(names.size()) {}

    void Work() noexcept {
        for (;;) {
            const std::size_t i = next_.fetch_add(1);
            if (i >= names_.size() || i > firstError_.load()) return;
            try {
                LoadItem(key_, names_[i], items_[i]);
            } catch (...) {
                errors_[i] = std::current_exception();
                std::size_t first = firstError_.load();
                while (i < first && !firstError_.compare_exchange_weak(first, i)) {
                }
            }
        }
    }
    // Raises the error of the first item in catalogue order that raised one.
    void RaiseFirstError() const {
        const std::size_t first = firstError_.load();
        if (first < errors_.size()) std::rethrow_exception(errors_[first]);
    }

private:
    const std::string key_; // built once: the key stream's generator is not thread-safe
    const std::vector<std::string>& names_;
    std::vector<tInstItem>& items_;
    std::vector<std::exception_ptr> errors_;
    std::atomic<std::size_t> next_{0};
    std::atomic<std::size_t> firstError_{SIZE_MAX};
};

DWORD WINAPI LoadOnThread(void* load) {
    static_cast<ParallelLoad*>(load)->Work();
    return 0;
}

} // namespace

void LoadPayloadItem(const std::string& name, tInstItem& item) {
    LoadItem(BuildPayloadKeyStream(), name, item);
}

std::vector<tInstItem> LoadPayloadItems(const std::vector<std::string>& names) {
    std::vector<tInstItem> items(names.size());
    ParallelLoad load(names, items);
    // Inflating takes nearly all of the time: one thread per processor, this one included,
    // up to four.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const std::size_t processors = std::max<std::size_t>(system.dwNumberOfProcessors, 1);
    const std::size_t helpers =
        std::min({processors, std::max<std::size_t>(names.size(), 1), std::size_t{4}}) - 1;
    std::vector<HANDLE> threads;
    threads.reserve(helpers); // nothing may raise once a thread works on `load`
    for (std::size_t i = 0; i < helpers; ++i) {
        // A thread that cannot be made leaves its share to the others.
        if (HANDLE thread = CreateThread(nullptr, 0, LoadOnThread, &load, 0, nullptr))
            threads.push_back(thread);
    }
    load.Work();
    if (!threads.empty()) {
        WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
        for (HANDLE thread : threads)
            CloseHandle(thread);
    }
    load.RaiseFirstError();
    return items;
}

// zlib's crc32(), which inflate refers to for gzip streams only: the payload bodies are
// zlib streams (window bits 15), so it is never called. Defined here, in a file that
// every installer links, it keeps zlib's table-driven version and its 5 KB of tables out
// of the executable. The plain bit-at-a-time CRC-32 (zlib's polynomial, 0xEDB88320) is
// right if ever used.
uLong crc32(uLong crc, const Bytef* buf, uInt len) {
    if (buf == nullptr) return 0;
    std::uint32_t c = ~static_cast<std::uint32_t>(crc);
    for (uInt i = 0; i < len; ++i) {
        c ^= buf[i];
        for (int bit = 0; bit < 8; ++bit)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}
