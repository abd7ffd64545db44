#include "install/uninstaller_file.h"

#include "engine/files.h"
#include "engine/pe_file_win.h"
#include "engine/uninstaller_image.h"
#include "install/registration.h"
#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"
#include "toolkit/win32_error.h"

#include <windows.h>

std::string WriteUninstallerFile(const std::string& target) {
    const std::string source = OwnProgramPath();
    if (source.empty()) return tk::SystemErrorMessage(ERROR_FILENAME_EXCED_RANGE);
    tk::FileHandle file(CreateFileW(tk::AnsiToWide(source).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return tk::SystemErrorMessage(GetLastError());
    unsigned long error = 0;
    try {
        const PeFileOnHandle installer(file.Get());
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
