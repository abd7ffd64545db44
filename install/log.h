#pragma once
// The plain-text log of an unattended install (/LOG=<file>): appended to, one entry per
// line, each line headed by the local date and time. A message of several lines becomes a
// heading line and one line per line of the message, each starting with "| ", so that the
// text reads back exactly (every line break, CR LF, CR or LF, ends a line).
#include <string>

// The lines of one entry, each ending in CR LF: "<stamp>  <heading>" and, when `text` is
// not empty, "<stamp>  | <line>" for every line of it (empty lines included).
std::string LogEntry(const std::string& stamp, const std::string& heading,
                     const std::string& text = {});

class InstallLog {
public:
    // Appends to `path`; an empty path logs nothing. The file is opened for each entry, so
    // that what was logged stays when the program is killed, and another instance may
    // append too.
    explicit InstallLog(std::string path) : path_(std::move(path)) {}
    InstallLog(const InstallLog&) = delete;
    InstallLog& operator=(const InstallLog&) = delete;

    void Write(const std::string& heading, const std::string& text = {});
    // False once an entry could not be appended (the install goes on without it).
    bool Working() const { return working_; }

private:
    std::string path_;
    bool working_ = true;
};
