#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::test {

// A small CardDAV server of our own (misbehaving_server.py under Python, in
// its own process on 127.0.0.1) that misbehaves one chosen way, for what no
// real server does on demand. It serves alice's principal /u/ (also her
// address book home) with one book /u/book/ of two cards, and logs every
// request. Behaviours (see the script):
//   normal                 a plain, correct server
//   redirect               every request answered with `status`, Location
//                          `target` + the request's path (its own path when
//                          `target` is empty: a loop)
//   same-origin-redirect   /old/X answered with `status` to /X
//   outside-hrefs          listings also name ../other/x.vcf, /elsewhere/y.vcf,
//                          %2e%2e/other/w.vcf and `target`u/book/z.vcf
//   stall-headers          a listing's headers, then nothing
//   stall-body             half a listing, then nothing
//   slow-moving            a listing in pieces 0.3 s apart
//   endless-body           a listing that never ends
//   endless-507            every sync-collection cut short (507) with a new token
//   big-card               a third card with a 10 MB photo
//   huge-token             a sync token of 100,000 bytes
//   xandikos-reports       supported-report without its report wrapper
//   no-report-set          no supported-report-set; sync-collection answers 501
//   server-error           every request answered with 503
//   big-listing            sync-collection lists `target` (a number) cards of about 2 KB
class MisbehavingServer {
public:
    explicit MisbehavingServer(std::string behaviour, std::string target = {}, int status = 307);
    ~MisbehavingServer();
    MisbehavingServer(const MisbehavingServer&) = delete;
    MisbehavingServer& operator=(const MisbehavingServer&) = delete;

    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    std::string BookUrl() const { return BaseUrl() + "u/book/"; }

    struct Request {
        std::string method;
        std::string path;
        bool withPassword = false;  // an Authorization header was sent
        std::string body;           // the local name of the body's root element, "-" when none
    };
    // Every request received so far, in order.
    std::vector<Request> Requests() const;

private:
    void Stop();

    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace orvane::test
