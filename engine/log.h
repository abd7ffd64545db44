#pragma once
// The plain-text log of an unattended install (/LOG=<file>): appended to, one entry per
// line, each line headed by the local date and time. A message of several lines becomes a
// heading line and one line per line of the message, each starting with "| ", so that the
// text reads back exactly (every line break, CR LF, CR or LF, ends a line).
#include <string>
#include <vector>

// The lines of one entry, each ending in CR LF: "<stamp>  <heading>" and, when `text` is
// not empty, "<stamp>  | <line>" for every line of it (empty lines included). A line break
// in the heading (a command line ending in CR LF) becomes a blank, so that every line of the
// log begins with its stamp.
std::string LogEntry(const std::string& stamp, const std::string& heading,
                     const std::string& text = {});

class InstallLog {
public:
    // Appends to `path`; an empty path logs nothing. The file is opened for each entry, so
    // that what was logged stays when the program is killed, and another instance may
    // append too. While the log's folder does not exist (it may be the install folder, not
    // made yet) the entries are held, and written with the first entry after it exists.
    // A log made `held` keeps every entry until Release (or drops them all at Refuse).
    explicit InstallLog(std::string path, bool held = false)
        : path_(std::move(path)), releasing_(!held) {}
    InstallLog(const InstallLog&) = delete;
    InstallLog& operator=(const InstallLog&) = delete;

    void Write(const std::string& heading, const std::string& text = {});
    // Writes what is held and every entry from now on; Refuse drops them and writes nothing
    // ever (a log that would land on a file of the install).
    void Release();
    void Refuse() {
        held_.clear();
        working_ = false;
    }
    // False once an entry could not be appended for another reason than a missing folder
    // (the install goes on without the log).
    bool Working() const { return working_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string held_;
    bool releasing_;
    bool working_ = true;
    void Append();
};

// True when `path` names one of `files` (after NormalFolderPath, ASCII case ignored).
bool IsOneOf(const std::string& path, const std::vector<std::string>& files);

// The message of an unattended install whose log would be written over by the install.
std::string LogIsInstalledFileMessage(const std::string& log);
