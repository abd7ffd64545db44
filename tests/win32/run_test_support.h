#pragma once
// What the installation run tests share: a front end that records what the run tells and
// asks and answers from a script, and a throw-away folder tree.
#include "install/front_end.h"

#include <windows.h>

#include <string>
#include <vector>

// Records the run's calls as lines ("Begin", "Ask <question>", "Tell[<caption>] <text>",
// "Finished", "End"); progress calls are counted, not recorded.
class RecordingFrontEnd : public InstallFrontEnd {
public:
    std::vector<std::string> Events;
    std::vector<std::string> Files; // SetCurrentFile, in order
    std::uint32_t Total = 0;
    std::uint32_t Done = 0;
    int FilesDone = 0;
    // The answer to every question; Cancelled() says yes once this many files are done
    // (-1: never).
    bool Answer = true;
    int CancelAfterFiles = -1;

    void Begin() override { Events.push_back("Begin"); }
    void SetTotalBytes(std::uint32_t total) override { Total = total; }
    void SetCurrentFile(const std::string& path) override { Files.push_back(path); }
    void SetBytesDone(std::uint32_t done) override {
        Done = done;
        ++FilesDone;
    }
    bool Cancelled() override { return CancelAfterFiles >= 0 && FilesDone >= CancelAfterFiles; }
    void Finished() override { Events.push_back("Finished"); }
    void End() override { Events.push_back("End"); }
    void Tell(const std::string& caption, const std::string& text) override {
        Events.push_back("Tell[" + caption + "] " + text);
    }
    bool Ask(const std::string& question) override {
        Events.push_back("Ask " + question);
        return Answer;
    }
};

// A fresh folder under the temporary folder (ending in a backslash), removed with
// everything in it at the end.
class TempTree {
public:
    explicit TempTree(const std::string& name) {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + name + std::to_string(GetCurrentProcessId()) + "\\";
        Remove(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempTree() { Remove(path_); }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    const std::string& Path() const { return path_; }

    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string path = folder + name;
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(path + "\\");
                else
                    DeleteFileA(path.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
    }

private:
    std::string path_;
};

inline bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void PutFile(const std::string& path, const std::string& data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(file);
}
