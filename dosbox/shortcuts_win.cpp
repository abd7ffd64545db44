#include "dosbox/shortcuts.h"

#include "dosbox/com_win.h"
#include "dosbox/conf.h"
#include "dosbox/conf_core.h"
#include "dosbox/shortcuts_core.h"
#include "engine/ucargo.h"
#include "toolkit/format.h"
#include "toolkit/wide.h"
#include "toolkit/win32_error.h"
#include "ui/dialogs.h"

#include <windows.h>

#include <shlobj.h>

namespace {

// The sibling product's program: where it lies in the install folder, the product is started
// from inside the sibling product and needs no DOSBox set-up of its own.
constexpr char kSiblingProgramName[] = "tarn.exe";
// The product's DOS program, which dosbox.conf starts.
constexpr char kDosProgramName[] = "tarnw.exe";

DosBoxMessageHook messageHook = nullptr;

std::string GuidText(const GUID& guid) {
    return tk::Format("{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                      static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                      guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                      guid.Data4[6], guid.Data4[7]);
}

// The system's text for a COM failure code. Not every code has one (Wine has none for
// REGDB_E_CLASSNOTREG), and a message that began with ", ClassID" would tell the user nothing.
std::string OleErrorText(unsigned long code) {
    std::string text = tk::SystemErrorMessage(code);
    if (text.empty()) text = tk::Format("OLE error %08lX", code);
    return text;
}

bool IsExistingFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// One more level of COM on this thread for as long as it lives. The GUI thread already has its
// apartment, so this only counts up and down again; when the thread is in a multithreaded
// apartment the call fails and nothing must be undone.
class ComInitialization {
public:
    ComInitialization() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    ~ComInitialization() {
        if (initialised_) CoUninitialize();
    }

private:
    bool initialised_;
};

} // namespace

EOleSysError::EOleSysError(unsigned long code, const std::string& classId)
    : tk::Exception(tk::Format("%s, ClassID: %s", OleErrorText(code).c_str(), classId.c_str())) {}

EIntfCastError::EIntfCastError() : tk::Exception("Interface not supported") {}

ComPtr<IUnknown> CreateComObject(const CLSID& clsid) {
    ComPtr<IUnknown> object;
    const HRESULT result =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, kIidUnknown,
                         reinterpret_cast<void**>(object.Receive()));
    if (FAILED(result)) throw EOleSysError(static_cast<unsigned long>(result), GuidText(clsid));
    return object;
}

void* QueryComInterfaceRaw(IUnknown* object, const IID& iid) {
    void* pointer = nullptr;
    if (FAILED(object->QueryInterface(iid, &pointer)) || pointer == nullptr) throw EIntfCastError();
    return pointer;
}

void CreateShellLink(const std::string& linkPath, const std::string& target,
                     const std::string& arguments, const std::string& description,
                     const std::string& iconPath, int iconIndex, int hotkey) {
    const std::wstring wideLinkPath = tk::AnsiToWide(linkPath);
    const std::string workingDirectory = SplitProgramPath(target).Folder;
    const ComPtr<IUnknown> object = CreateComObject(kClsidShellLink);
    const auto link = QueryComInterface<IShellLinkA>(object.Get(), kIidShellLinkA);
    const auto file = QueryComInterface<IPersistFile>(object.Get(), kIidPersistFile);
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(workingDirectory.c_str());
    link->SetArguments(arguments.c_str());
    link->SetIconLocation(iconPath.c_str(), iconIndex);
    link->SetDescription(description.c_str());
    link->SetShowCmd(SW_SHOWNORMAL);
    const WORD hotkeyWord = static_cast<WORD>(hotkey & 0xFFFF);
    if (hotkeyWord != 0) link->SetHotkey(hotkeyWord);
    file->Save(wideLinkPath.c_str(), FALSE);
}

void SetUpDosBox(const std::string& installFolder, const std::string& desktopFolder) {
    if (IsExistingFile(installFolder + kSiblingProgramName)) return;
    WriteDosBoxConf(installFolder + kDosProgramName);

    const std::string shortcutName = DosBoxShortcutName();
    const std::string iconPath = installFolder + kProductIconName;
    const std::string dosBoxLink = desktopFolder + shortcutName + ".lnk";
    const std::string printLink = desktopFolder + kPrintLinkName;
    if (IsExistingFile(dosBoxLink)) DeleteFileA(dosBoxLink.c_str());
    if (IsExistingFile(printLink)) DeleteFileA(printLink.c_str());
    {
        ComInitialization com;
        CreateShellLink(dosBoxLink, DosBoxExePath, DosBoxLinkArguments(installFolder),
                        kDosBoxLinkDescription, iconPath, 0, 0);
        CreateShellLink(printLink, installFolder + kPrintUtilityName, "f", kPrintLinkDescription,
                        iconPath, 0, kPrintLinkHotkey);
    }

    const std::string message = DosBoxClosingMessage(shortcutName);
    if (messageHook != nullptr)
        messageHook(message);
    else
        ShowInfo(message);
}

void SetDosBoxMessageHookForTesting(DosBoxMessageHook hook) {
    messageHook = hook;
}
