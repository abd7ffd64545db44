#include "install/uninstaller_file.h"

#include "engine/files.h"
#include "engine/uninstaller_image.h"
#include "install/registration.h"
#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"
#include "toolkit/win32_error.h"

#include <windows.h>

namespace {

// The program's own file, read where asked. A read that fails raises the system's message.
class OwnFile : public PeFileBytes {
public:
    explicit OwnFile(HANDLE file) : file_(file) {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file_, &size))
            throw tk::Exception(tk::SystemErrorMessage(GetLastError()));
        size_ = static_cast<std::uint64_t>(size.QuadPart);
    }
    std::uint64_t Size() const override { return size_; }
    void Read(std::uint64_t offset, char* out, std::size_t n) const override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        const bool ok = ReadFile(file_, out, static_cast<DWORD>(n), &read, &at) != 0;
        if (!ok || read != n)
            throw tk::Exception(tk::SystemErrorMessage(ok ? ERROR_HANDLE_EOF : GetLastError()));
    }

private:
    HANDLE file_;
    std::uint64_t size_ = 0;
};

} // namespace

std::string WriteUninstallerFile(const std::string& target) {
    const std::string source = OwnProgramPath();
    if (source.empty()) return tk::SystemErrorMessage(ERROR_FILENAME_EXCED_RANGE);
    tk::FileHandle file(CreateFileW(tk::AnsiToWide(source).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return tk::SystemErrorMessage(GetLastError());
    unsigned long error = 0;
    try {
        const OwnFile installer(file.Get());
        error = WriteFileAnew(target, [&](const PieceWriter& write) {
            UninstallerPieces(installer, write);
        });
    } catch (const ELinkedPath&) {
        throw;
    } catch (const tk::Exception& e) {
        return e.Message();
    }
    return error == 0 ? std::string() : tk::SystemErrorMessage(error);
}
