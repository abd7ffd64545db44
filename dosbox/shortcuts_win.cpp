#include "dosbox/shortcuts.h"

#include "dosbox/com_win.h"
#include "dosbox/conf.h"
#include "dosbox/conf_core.h"
#include "engine/ucargo.h"
#include "resources/product.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"
#include "toolkit/win32_error.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {

std::string GuidText(const GUID& guid) {
    return tk::Format("{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                      static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                      guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                      guid.Data4[6], guid.Data4[7]);
}

} // namespace

std::string ShellLinkErrorText(unsigned long code) {
    // Not every code has a text (Wine has none for REGDB_E_CLASSNOTREG), and a message that
    // began with ", ClassID" or ended after "Could not ..." would tell the user nothing.
    std::string text = tk::SystemErrorMessage(code);
    if (text.empty()) text = tk::Format("OLE error %08lX", code);
    return text;
}

EOleSysError::EOleSysError(unsigned long code, const std::string& classId)
    : tk::Exception(
          tk::Format("%s, ClassID: %s", ShellLinkErrorText(code).c_str(), classId.c_str())) {}

EIntfCastError::EIntfCastError() : tk::Exception("Interface not supported") {}

tk::ComPtr<IUnknown> CreateComObject(const CLSID& clsid) {
    tk::ComPtr<IUnknown> object;
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

namespace {

// The bytes of the link file that `link` would save, from its stream form (which is what
// IPersistFile::Save writes).
std::string LinkFileBytes(IUnknown* link) {
    const auto persist = QueryComInterface<IPersistStream>(link, kIidPersistStream);
    tk::ComPtr<IStream> stream;
    HRESULT result = CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive());
    if (FAILED(result))
        throw EOleSysError(static_cast<unsigned long>(result), GuidText(kClsidShellLink));
    result = persist->Save(stream.Get(), FALSE);
    ULARGE_INTEGER size{};
    const LARGE_INTEGER none{};
    HGLOBAL memory = nullptr;
    if (FAILED(result) || FAILED(result = stream->Seek(none, STREAM_SEEK_CUR, &size)) ||
        FAILED(result = GetHGlobalFromStream(stream.Get(), &memory)))
        throw EOleSysError(static_cast<unsigned long>(result), GuidText(kClsidShellLink));
    const void* bytes = GlobalLock(memory);
    std::string data(static_cast<const char*>(bytes), static_cast<size_t>(size.QuadPart));
    GlobalUnlock(memory);
    return data;
}

} // namespace

unsigned long CreateShellLink(const Shortcut& shortcut) {
    const tk::ComPtr<IUnknown> object = CreateComObject(kClsidShellLink);
    const auto link = QueryComInterface<IShellLinkA>(object.Get(), kIidShellLinkA);
    link->SetPath(shortcut.Target.c_str());
    link->SetWorkingDirectory(shortcut.WorkingFolder.c_str());
    link->SetArguments(shortcut.Arguments.c_str());
    link->SetIconLocation(shortcut.IconPath.c_str(), shortcut.IconIndex);
    link->SetDescription(shortcut.Description.c_str());
    link->SetShowCmd(SW_SHOWNORMAL);
    const WORD hotkeyWord = static_cast<WORD>(shortcut.HotKey & 0xFFFF);
    if (hotkeyWord != 0) link->SetHotkey(hotkeyWord);
    // Written by the installer's own file rule rather than by the link object, which would
    // write through a link planted under the shortcut's name. The desktop folder itself may
    // be a link (a redirected desktop): only the name is checked.
    const unsigned long error =
        WriteFileChecked(shortcut.LinkPath, LinkFileBytes(object.Get()), LinkedFolders::Follow);
    if (error == 0) SHChangeNotify(SHCNE_CREATE, SHCNF_PATHA, shortcut.LinkPath.c_str(), nullptr);
    return error;
}

std::string MakeShortcut(const Shortcut& shortcut) {
    try {
        if (unsigned long error = CreateShellLink(shortcut); error != 0)
            return ShortcutNotMadeMessage(shortcut.LinkPath, ShellLinkErrorText(error));
    } catch (const ELinkedPath&) {
        return ShortcutNotMadeMessage(shortcut.LinkPath, LinkedNameReason());
    }
    return {};
}

bool ReadShellLink(const std::string& linkPath, std::string& target, std::string& arguments) {
    std::string bytes;
    return ReadFileBytes(linkPath, bytes) == 0 && ReadShellLinkBytes(bytes, target, arguments);
}

bool ReadShellLinkBytes(const std::string& bytes, std::string& target, std::string& arguments) {
    target.clear();
    arguments.clear();
    try {
        const tk::ComPtr<IUnknown> object = CreateComObject(kClsidShellLink);
        const auto link = QueryComInterface<IShellLinkA>(object.Get(), kIidShellLinkA);
        const auto persist = QueryComInterface<IPersistStream>(object.Get(), kIidPersistStream);
        // The stream takes the memory and frees it.
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
        if (memory == nullptr) return false;
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(GlobalLock(memory)));
        GlobalUnlock(memory);
        tk::ComPtr<IStream> stream;
        if (FAILED(CreateStreamOnHGlobal(memory, TRUE, stream.Receive()))) {
            GlobalFree(memory);
            return false;
        }
        if (FAILED(persist->Load(stream.Get()))) return false;
        char path[MAX_PATH] = {};
        char args[1024] = {};
        // SLGP_RAWPATH: the path as stored, environment strings unexpanded.
        if (FAILED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)) ||
            FAILED(link->GetArguments(args, sizeof args)))
            return false;
        target = path;
        arguments = args;
        return true;
    } catch (const tk::Exception&) {
        return false;
    }
}

unsigned long CreateShellLink(const std::string& linkPath, const std::string& target,
                              const std::string& arguments, const std::string& description,
                              const std::string& iconPath, int iconIndex, int hotkey) {
    Shortcut shortcut;
    shortcut.LinkPath = linkPath;
    shortcut.Target = target;
    shortcut.Arguments = arguments;
    shortcut.WorkingFolder = SplitProgramPath(target).Folder;
    shortcut.Description = description;
    shortcut.IconPath = iconPath;
    shortcut.IconIndex = iconIndex;
    shortcut.HotKey = hotkey;
    return CreateShellLink(shortcut);
}

DosBoxSetUpResult SetUpDosBox(const std::string& installFolder, const std::string& desktopFolder) {
    if (FileExists(installFolder + SiblingProgramFile)) return {};

    std::vector<std::string> notMade;
    const std::string conf = installFolder + kDosBoxConfName;
    try {
        if (unsigned long error = WriteDosBoxConf(installFolder + DosProgramFile); error != 0)
            notMade.push_back(FileNotWrittenMessage(conf, ShellLinkErrorText(error)));
    } catch (const ELinkedPath&) {
        notMade.push_back(FileNotWrittenMessage(conf, LinkedNameReason()));
    }

    // Old link files go first; a link under their names is left to the write, which takes it
    // away by its own name or refuses (DeleteFileA would remove what it leads to under Wine).
    const Shortcut links[] = {
        DosBoxShortcut(installFolder, desktopFolder, DosBoxExePath, DosBoxExeBuild),
        PrintShortcut(installFolder, desktopFolder)};
    for (const Shortcut& link : links)
        if (FileExists(link.LinkPath) && !IsLinkedName(link.LinkPath))
            DeleteFileA(link.LinkPath.c_str());
    {
        // The GUI thread already has its apartment; this only adds a matching level.
        tk::ComInitialization com;
        for (const Shortcut& link : links)
            if (std::string problem = MakeShortcut(link); !problem.empty())
                notMade.push_back(problem);
    }

    if (notMade.empty()) return {true, DosBoxClosingMessage(DosBoxShortcutName())};
    DosBoxSetUpResult result{false, {}};
    for (const std::string& paragraph : notMade)
        result.Message += (result.Message.empty() ? "" : "\r\n\r\n") + paragraph;
    return result;
}
