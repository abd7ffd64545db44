#pragma once
// An executable's bytes read from an open file where they are asked for (PeFileBytes), so
// that its resources are found without reading a file of hundreds of megabytes whole.
#include "engine/pe_resources.h"

class PeFileOnHandle : public PeFileBytes {
public:
    // `file`: a HANDLE opened for reading, which the caller keeps open. Raises the system's
    // message when its size cannot be read.
    explicit PeFileOnHandle(void* file);
    std::uint64_t Size() const override { return size_; }
    // Raises the system's message for a read that fails or comes short.
    void Read(std::uint64_t offset, char* out, std::size_t n) const override;

private:
    void* file_;
    std::uint64_t size_ = 0;
};
