// Stand-in for the product's print utility: sends a file, as it is, to the default
// printer through the Windows print spooler (a RAW document), so that the "print to
// file" output of the DOS program reaches a real printer.
//
//   spool32 FILE
//
// Exit codes: 0 sent; 1 no such file, no default printer, or the spooler refused;
// 2 usage. Messages go to the console, one line each.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

namespace {

class File {
public:
    explicit File(HANDLE h) : h_(h) {}
    ~File() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

class Printer {
public:
    explicit Printer(const char* name) {
        if (!OpenPrinterA(const_cast<char*>(name), &h_, nullptr)) h_ = nullptr;
    }
    ~Printer() {
        if (docOpen_) EndDocPrinter(h_);
        if (h_ != nullptr) ClosePrinter(h_);
    }
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;
    HANDLE get() const { return h_; }
    bool StartDoc(const char* title) {
        DOC_INFO_1A info{};
        info.pDocName = const_cast<char*>(title);
        info.pDatatype = const_cast<char*>("RAW"); // the file already speaks the printer's language
        docOpen_ = StartDocPrinterA(h_, 1, reinterpret_cast<BYTE*>(&info)) != 0;
        return docOpen_;
    }
    bool EndDoc() {
        docOpen_ = false;
        return EndDocPrinter(h_) != 0;
    }

private:
    HANDLE h_ = nullptr;
    bool docOpen_ = false;
};

int Fail(const char* format, const char* a = "", const char* b = "") {
    std::fprintf(stderr, format, a, b);
    std::fputc('\n', stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: spool32 FILE\nSends FILE to the default printer.\n");
        return 2;
    }
    const char* path = argv[1];
    File file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return Fail("spool32: there is no file %s to print", path);
        return Fail("spool32: cannot open %s", path);
    }

    char printer[512];
    DWORD length = sizeof printer;
    if (!GetDefaultPrinterA(printer, &length))
        return Fail("spool32: no default printer is set up; %s was not printed", path);
    Printer spooler(printer);
    if (spooler.get() == nullptr) return Fail("spool32: cannot open the printer %s", printer);
    if (!spooler.StartDoc(path) || !StartPagePrinter(spooler.get()))
        return Fail("spool32: the printer %s refused the document %s", printer, path);

    unsigned long long total = 0;
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        DWORD put = 0;
        if (!WritePrinter(spooler.get(), buffer, got, &put) || put != got)
            return Fail("spool32: writing %s to the printer %s failed", path, printer);
        total += got;
    }
    EndPagePrinter(spooler.get());
    if (!spooler.EndDoc()) return Fail("spool32: the printer %s did not accept %s", printer, path);
    std::printf("spool32: sent %llu bytes of %s to %s\n", total, path, printer);
    return 0;
}
