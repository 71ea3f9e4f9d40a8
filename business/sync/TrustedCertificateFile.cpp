#include "sync/TrustedCertificateFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/Error.h"
#include "carddav/CardDavErrors.h"

namespace orvane::sync {

TrustedCertificateFile::TrustedCertificateFile(const std::optional<std::string>& pem) {
    if (!pem || pem->empty()) return;
    std::string name = (std::filesystem::temp_directory_path() / "orvane-ca-XXXXXX").string();
    const int fd = mkstemp(name.data());  // mode 0600
    if (fd < 0)
        throw Error(carddav::errnum::CaFile, "The trusted certificate cannot be written to a temporary file: " +
                                                 std::string(std::strerror(errno)));
    path_ = name;
    std::size_t written = 0;
    while (written < pem->size()) {
        const ssize_t n = ::write(fd, pem->data() + written, pem->size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            throw Error(carddav::errnum::CaFile, "The trusted certificate cannot be written to " + path_ + ".");
        }
        written += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

TrustedCertificateFile::~TrustedCertificateFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

}  // namespace orvane::sync
