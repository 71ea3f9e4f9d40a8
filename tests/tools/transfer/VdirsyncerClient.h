#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ToolRun.h"

namespace orvane::test {

// Debian's vdirsyncer keeping a folder of .vcf files (a "vdir") in step with
// one CardDAV address book, as a phone or khard user keeps their contacts:
// the other client that changes the book between our runs. Its config,
// status folder, HOME and XDG folders all live under root.
class VdirsyncerClient {
public:
    VdirsyncerClient(std::filesystem::path root, const std::string& bookUrl, const std::string& user,
                     const std::string& password);

    // The vdirsyncer program found on PATH, or "" when it is not installed.
    static std::string Program();

    const std::filesystem::path& Vdir() const { return vdir_; }
    // `vdirsyncer discover` (every question answered yes), then the status of a run.
    ToolOutcome Discover() const;
    ToolOutcome Sync() const;

    // The user's own edits of the folder, as an editor or khard makes them.
    void WriteCard(const std::string& fileName, const std::string& text) const;
    std::string ReadCard(const std::string& fileName) const;
    void RemoveCard(const std::string& fileName) const;
    // The .vcf files of the folder, sorted.
    std::vector<std::string> CardFiles() const;
    // The file of the card with that UID, or "".
    std::string FileWithUid(const std::string& uid) const;

private:
    ToolOutcome Run(const std::vector<std::string>& arguments, const std::string& input) const;

    std::filesystem::path root_;
    std::filesystem::path vdir_;
    std::filesystem::path config_;
};

}  // namespace orvane::test
