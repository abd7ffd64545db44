#include "engine/folder_access.h"

#include "engine/files.h"
#include "toolkit/account_win.h"
#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"

#include <windows.h>

#include <aclapi.h>
#include <authz.h>

#include <vector>

namespace {

using SidBytes = std::vector<unsigned char>;

SidBytes WellKnown(WELL_KNOWN_SID_TYPE kind) {
    SidBytes sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(kind, nullptr, sid.data(), &size)) return {};
    sid.resize(size);
    return sid;
}

// Who the SIDs found in owners and entries are (Trustee).
class Trustees {
public:
    Trustees() {
        for (WELL_KNOWN_SID_TYPE kind : {WinLocalSystemSid, WinBuiltinAdministratorsSid})
            administrative_.push_back(WellKnown(kind));
        administrative_.push_back(Sid(SECURITY_NT_AUTHORITY, {80, 956008885, 3418522649u,
                                                              1831038044, 1853292631, 2271478464u}));
        // The administrator installing (an install for all users needs the rights): what it
        // owns or may change is an administrator's.
        if (tk::HasAdministratorRights()) administrative_.push_back(tk::ProcessUserSid());
        for (WELL_KNOWN_SID_TYPE kind : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid,
                                         WinInteractiveSid, WinLocalSid})
            standard_.push_back(WellKnown(kind));
        creators_ = {WellKnown(WinCreatorOwnerSid), WellKnown(WinCreatorGroupSid)};
        ownerRights_ = Sid(SECURITY_CREATOR_SID_AUTHORITY, {4});
    }

    Trustee Of(PSID sid) const {
        if (sid == nullptr || !IsValidSid(sid)) return Trustee::Other;
        if (In(administrative_, sid)) return Trustee::Administrative;
        if (In(standard_, sid)) return Trustee::StandardUser;
        if (In(creators_, sid)) return Trustee::Creator;
        if (Same(ownerRights_, sid)) return Trustee::OwnerRights;
        return Trustee::Other;
    }
    bool IsCreator(PSID sid) const { return In(creators_, sid); }
    // The standard user's groups, Everyone first.
    const std::vector<SidBytes>& Standard() const { return standard_; }
    PSID Administrators() const { return const_cast<unsigned char*>(administrative_[1].data()); }

private:
    // A SID by its authority and sub-authorities (those CreateWellKnownSid does not know on
    // XP).
    static SidBytes Sid(SID_IDENTIFIER_AUTHORITY authority, const std::vector<DWORD>& parts) {
        DWORD p[8] = {};
        for (std::size_t i = 0; i < parts.size() && i < 8; ++i)
            p[i] = parts[i];
        PSID sid = nullptr;
        if (!AllocateAndInitializeSid(&authority, static_cast<BYTE>(parts.size()), p[0], p[1], p[2],
                                      p[3], p[4], p[5], p[6], p[7], &sid))
            return {};
        const auto* first = static_cast<const unsigned char*>(sid);
        SidBytes bytes(first, first + GetLengthSid(sid));
        FreeSid(sid);
        return bytes;
    }
    static bool Same(const SidBytes& known, PSID sid) {
        return !known.empty() && EqualSid(const_cast<unsigned char*>(known.data()), sid);
    }
    static bool In(const std::vector<SidBytes>& known, PSID sid) {
        for (const SidBytes& one : known)
            if (Same(one, sid)) return true;
        return false;
    }

    std::vector<SidBytes> administrative_, standard_, creators_;
    SidBytes ownerRights_;
};

// The system's access check for a user who has the standard user's groups and nothing else.
class StandardUserCheck {
public:
    explicit StandardUserCheck(const Trustees& trustees) {
        const std::vector<SidBytes>& groups = trustees.Standard();
        if (groups.size() < 2 || groups[0].empty()) {
            state_ = SystemCheck::Failed;
            return;
        }
        LUID none{};
        if (!AuthzInitializeResourceManager(AUTHZ_RM_FLAG_NO_AUDIT, nullptr, nullptr, nullptr,
                                            nullptr, &manager_) ||
            !AuthzInitializeContextFromSid(AUTHZ_SKIP_TOKEN_GROUPS,
                                           const_cast<unsigned char*>(groups[0].data()), manager_,
                                           nullptr, none, nullptr, &everyone_)) {
            state_ = Failure();
            return;
        }
        std::vector<SID_AND_ATTRIBUTES> more;
        for (std::size_t i = 1; i < groups.size(); ++i) {
            if (groups[i].empty()) {
                state_ = SystemCheck::Failed;
                return;
            }
            more.push_back({const_cast<unsigned char*>(groups[i].data()),
                            SE_GROUP_ENABLED | SE_GROUP_MANDATORY});
        }
        if (!AuthzAddSidsToContext(everyone_, more.data(), static_cast<DWORD>(more.size()),
                                   nullptr, 0, &user_)) {
            state_ = Failure();
            return;
        }
        state_ = SystemCheck::Granted;
    }
    StandardUserCheck(const StandardUserCheck&) = delete;
    StandardUserCheck& operator=(const StandardUserCheck&) = delete;
    ~StandardUserCheck() {
        if (user_ != nullptr) AuthzFreeContext(user_);
        if (everyone_ != nullptr) AuthzFreeContext(everyone_);
        if (manager_ != nullptr) AuthzFreeResourceManager(manager_);
    }

    // The rights the user would get on an object of `descriptor`.
    SystemCheck Check(PSECURITY_DESCRIPTOR descriptor, std::uint32_t& granted) const {
        if (state_ != SystemCheck::Granted) return state_;
        AUTHZ_ACCESS_REQUEST request{};
        request.DesiredAccess = MAXIMUM_ALLOWED;
        ACCESS_MASK rights = 0;
        DWORD error = 0;
        AUTHZ_ACCESS_REPLY reply{};
        reply.ResultListLength = 1;
        reply.GrantedAccessMask = &rights;
        reply.Error = &error;
        if (!AuthzAccessCheck(0, user_, &request, nullptr, descriptor, nullptr, 0, &reply,
                              nullptr))
            return Failure();
        // Denied everything is an answer too.
        if (error != ERROR_SUCCESS && error != ERROR_ACCESS_DENIED) return SystemCheck::Failed;
        granted = error == ERROR_SUCCESS ? rights : 0;
        return SystemCheck::Granted;
    }

private:
    // Wine's authz.dll implements none of these: there the entries alone decide.
    static SystemCheck Failure() {
        return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? SystemCheck::Unavailable
                                                            : SystemCheck::Failed;
    }

    SystemCheck state_ = SystemCheck::Failed;
    AUTHZ_RESOURCE_MANAGER_HANDLE manager_ = nullptr;
    AUTHZ_CLIENT_CONTEXT_HANDLE everyone_ = nullptr;
    AUTHZ_CLIENT_CONTEXT_HANDLE user_ = nullptr;
};

// An object's owner and DACL, read through a handle on the name itself: a link is looked at,
// not what it leads to.
class Descriptor {
public:
    explicit Descriptor(const std::wstring& path) {
        tk::FileHandle object(CreateFileW(
            path.c_str(), READ_CONTROL,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        read_ = object.Valid() &&
                GetSecurityInfo(object.Get(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                    DACL_SECURITY_INFORMATION,
                                &owner_, nullptr, &dacl_, nullptr, &descriptor_) == ERROR_SUCCESS;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (descriptor_ != nullptr) LocalFree(descriptor_);
    }
    bool Read() const { return read_; }
    PSECURITY_DESCRIPTOR Get() const { return descriptor_; }
    PSID Owner() const { return owner_; }
    PACL Dacl() const { return dacl_; }

private:
    bool read_ = false;
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    PSID owner_ = nullptr;
    PACL dacl_ = nullptr;
};

// The DACL's entries for the rule; false when one cannot be read.
bool EntriesOf(PACL dacl, const Trustees& trustees, std::vector<AccessEntry>& entries) {
    if (dacl == nullptr) return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) return false;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        AccessEntry entry;
        entry.type = header->AceType;
        entry.flags = header->AceFlags;
        entry.mask = static_cast<const ACCESS_ALLOWED_ACE*>(ace)->Mask;
        switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_DENIED_ACE_TYPE:
            entry.trustee = trustees.Of(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart);
            break;
        case ACCESS_DENIED_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
        case SYSTEM_AUDIT_ACE_TYPE:
        case SYSTEM_ALARM_ACE_TYPE:
        case SYSTEM_AUDIT_OBJECT_ACE_TYPE:
        case SYSTEM_ALARM_OBJECT_ACE_TYPE:
        case SYSTEM_AUDIT_CALLBACK_ACE_TYPE:
        case SYSTEM_ALARM_CALLBACK_ACE_TYPE:
        case SYSTEM_AUDIT_CALLBACK_OBJECT_ACE_TYPE:
        case SYSTEM_ALARM_CALLBACK_OBJECT_ACE_TYPE:
        case SYSTEM_MANDATORY_LABEL_ACE_TYPE:
            entry.allowing = false;
            break;
        default:
            // Object, callback, conditional entries and types newer than this program: what
            // they allow may reach a user.
            entry.allowing = true;
        }
        entries.push_back(entry);
    }
    return true;
}

// The security a new file made in the folder of `folder` would get: the entries it inherits,
// as its own, owned by the administrators.
class NewFileDescriptor {
public:
    NewFileDescriptor(const Descriptor& folder, const Trustees& trustees) {
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorOwner(&descriptor_, trustees.Administrators(), FALSE);
        SetSecurityDescriptorGroup(&descriptor_, trustees.Administrators(), FALSE);
        const PACL dacl = folder.Dacl();
        if (dacl == nullptr) return; // the folder itself is open to everyone
        const BYTE revision = dacl->AclRevision;
        std::vector<std::vector<unsigned char>> inherited;
        DWORD size = sizeof(ACL);
        GENERIC_MAPPING files = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                                 FILE_ALL_ACCESS};
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            void* ace = nullptr;
            if (!GetAce(dacl, i, &ace)) return;
            const auto* header = static_cast<const ACE_HEADER*>(ace);
            if (!(header->AceFlags & OBJECT_INHERIT_ACE)) continue;
            // CREATOR OWNER stands for whoever makes the file: the administrator installing.
            if ((header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
                 header->AceType == ACCESS_DENIED_ACE_TYPE) &&
                trustees.IsCreator(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart))
                continue;
            std::vector<unsigned char> copy(static_cast<const unsigned char*>(ace),
                                            static_cast<const unsigned char*>(ace) +
                                                header->AceSize);
            auto* own = reinterpret_cast<ACCESS_ALLOWED_ACE*>(copy.data());
            own->Header.AceFlags = 0;
            MapGenericMask(&own->Mask, &files);
            size += header->AceSize;
            inherited.push_back(std::move(copy));
        }
        acl_.resize((size + 3) & ~3u);
        auto* acl = reinterpret_cast<PACL>(acl_.data());
        if (!InitializeAcl(acl, static_cast<DWORD>(acl_.size()), revision)) return;
        for (auto& ace : inherited)
            if (!AddAce(acl, revision, MAXDWORD, ace.data(), static_cast<DWORD>(ace.size())))
                return;
        ready_ = SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) != FALSE;
    }
    bool Ready() const { return ready_; }
    PSECURITY_DESCRIPTOR Get() { return &descriptor_; }

private:
    SECURITY_DESCRIPTOR descriptor_{};
    std::vector<unsigned char> acl_;
    bool ready_ = false;
};

class Looker {
public:
    Looker() : check_(trustees_) {}

    // UsersMayChange for the object at `path`.
    bool OpenToUsers(const std::wstring& path, LookedAt what) {
        const Descriptor object(path);
        AccessLook look = Look(object, what);
        return UsersMayChange(look);
    }

    // The folder itself, then what a new file in it would get.
    bool FolderOpenToUsers(const std::wstring& folder) {
        const Descriptor object(folder);
        if (UsersMayChange(Look(object, LookedAt::InstallFolder))) return true;
        AccessLook newFile = Look(object, LookedAt::File);
        newFile.owner = Trustee::Administrative;
        newFile.entries = EntriesForNewFiles(newFile.entries);
        NewFileDescriptor inherited(object, trustees_);
        newFile.system = inherited.Ready() ? check_.Check(inherited.Get(), newFile.systemGranted)
                                           : SystemCheck::Failed;
        if (object.Dacl() == nullptr) newFile.hasDacl = false;
        return UsersMayChange(newFile);
    }

private:
    AccessLook Look(const Descriptor& object, LookedAt what) {
        AccessLook look;
        look.what = what;
        if (!object.Read()) return look;
        look.read = EntriesOf(object.Dacl(), trustees_, look.entries);
        look.owner = trustees_.Of(object.Owner());
        look.hasDacl = object.Dacl() != nullptr;
        look.system = check_.Check(object.Get(), look.systemGranted);
        return look;
    }

    Trustees trustees_;
    StandardUserCheck check_;
};

enum class Presence { Folder, Missing, Unknown };

// Missing also where a file stands: making the folder fails then, and says why.
Presence FolderPresence(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::Missing
                                                                             : Presence::Unknown;
    }
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? Presence::Folder : Presence::Missing;
}

} // namespace

std::string PlaceOpenToUsers(const std::string& folderText) {
    const std::string folder = AddTrailingBackslash(folderText);
    Looker looker;
    const std::vector<std::string> folders = FoldersAbove(folder);
    for (const std::string& above : folders) {
        const std::wstring path = tk::AnsiToWide(above);
        const Presence presence = FolderPresence(path);
        // Not there: the install makes it, closed to users.
        if (presence == Presence::Missing) continue;
        if (presence == Presence::Unknown ||
            looker.OpenToUsers(path, &above == &folders.front() ? LookedAt::Root
                                                                : LookedAt::Parent))
            return above;
    }
    const std::wstring path = tk::AnsiToWide(folder);
    const Presence presence = FolderPresence(path);
    if (presence == Presence::Missing) return {};
    if (presence == Presence::Unknown || looker.FolderOpenToUsers(path)) return folder;
    WIN32_FIND_DATAW found{};
    tk::FindHandle listing(FindFirstFileW((path + L"*").c_str(), &found));
    if (!listing.Valid()) return GetLastError() == ERROR_FILE_NOT_FOUND ? std::string() : folder;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (looker.OpenToUsers(path + name, found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY
                                                ? LookedAt::InstallFolder
                                                : LookedAt::File)) {
            std::string ansi; // '?' for what the code page cannot show: it names the file only
            tk::WideToAnsiExact(name, ansi);
            return folder + ansi;
        }
    } while (FindNextFileW(listing.Get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES ? std::string() : folder;
}
