// The standard library's exceptions in a program linked as the installers are: with
// app/exception_strings.cpp's members in place of the library's string object. Each
// exception is thrown by the library, copied, assigned and caught, and its message read
// back. Exit code 0 when all hold; each failure is printed.
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Expect(bool holds, const char* what, const char* got) {
    if (holds) return;
    std::printf("FAILED: %s (got \"%s\")\n", what, got);
    ++failures;
}

} // namespace

int main(int argc, char**) {
    // argc keeps the compiler from seeing the outcome.
    const std::string text = "abc";
    try {
        (void)text.at(static_cast<std::size_t>(argc) + 10);
        Expect(false, "at() past the end raises out_of_range", "nothing");
    } catch (const std::out_of_range& e) {
        Expect(std::strstr(e.what(), "basic_string::at") != nullptr &&
                   std::strstr(e.what(), "which is 11") != nullptr,
               "out_of_range names at() and the position", e.what());
    }
    try {
        std::vector<int> v;
        v.reserve(v.max_size() + static_cast<std::size_t>(argc));
        Expect(false, "reserve() beyond max_size raises length_error", "nothing");
    } catch (const std::length_error& e) {
        Expect(std::strcmp(e.what(), "vector::reserve") == 0, "length_error's message", e.what());
    }
    try {
        throw std::runtime_error(std::string(100, 'x') + "!");
    } catch (const std::runtime_error& e) {
        std::runtime_error copy(e);
        Expect(std::strlen(copy.what()) == 101 && copy.what()[100] == '!', "a copy's message",
               copy.what());
        copy = std::runtime_error("assigned");
        Expect(std::strcmp(copy.what(), "assigned") == 0, "an assigned message", copy.what());
        Expect(std::strlen(e.what()) == 101, "the original after the copy's assignment",
               e.what());
    }
    std::printf(failures == 0 ? "all held\n" : "%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
