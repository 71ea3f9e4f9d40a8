#pragma once

#include <array>
#include <streambuf>

namespace orvane::detail {

// A stream buffer over an open file descriptor that keeps the errno of the
// first failed write, so the failure can be reported with its cause.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd = -1);
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

    void Attach(int fd) { fd_ = fd; }
    // Writes what is buffered; false (with Error() set) on failure.
    bool Drain();
    // The errno of the first failed write; 0 while none failed.
    int Error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    int fd_;
    int error_ = 0;
    std::array<char, 65536> buffer_{};
};

}  // namespace orvane::detail
