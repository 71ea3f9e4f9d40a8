#include <dlfcn.h>

#include <array>
#include <mutex>
#include <string>

#include "CardDavErrors.h"
#include "LazyLibraries.h"
#include "core/Error.h"

namespace orvane::carddav::lazy {
namespace {

// The names the system's loader knows them by (set by the build from the
// libraries it found).
constexpr std::array<const char*, 4> kSonames{ORVANE_CURL_SONAME, ORVANE_XML_SONAME, ORVANE_SSL_SONAME,
                                              ORVANE_CRYPTO_SONAME};

void* Handle(Library library) {
    static std::array<void*, 4> handles{};
    static std::mutex mutex;
    const auto index = static_cast<std::size_t>(library);
    const std::lock_guard lock(mutex);
    if (!handles[index]) {
        // Local: nothing else in the program is bound to these libraries' names.
        handles[index] = dlopen(kSonames[index], RTLD_NOW | RTLD_LOCAL);
        if (!handles[index]) {
            const char* why = dlerror();
            throw Error(errnum::Library, std::string("The library ") + kSonames[index] +
                                             ", which synchronizing needs, cannot be loaded: " + (why ? why : "not found") +
                                             ". Reinstall Orvane's package to have it installed again.");
        }
    }
    return handles[index];
}

}  // namespace

void* Symbol(Library library, const char* name) {
    void* handle = Handle(library);
    if (void* function = dlsym(handle, name)) return function;
    throw Error(errnum::Library, std::string("The library ") + kSonames[static_cast<std::size_t>(library)] +
                                     " has no function " + name + "; it is not the version Orvane was built with.");
}

}  // namespace orvane::carddav::lazy
