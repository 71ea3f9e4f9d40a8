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

    // `vdirsyncer discover` (every question answered yes), then the status of a run.
    ToolOutcome Discover() const;
    ToolOutcome Sync() const;

    // A card file of the folder, written as the user's editor or khard writes it.
    void WriteCard(const std::string& fileName, const std::string& text) const;
    std::string ReadCard(const std::string& fileName) const;

private:
    ToolOutcome Run(const std::vector<std::string>& arguments, const std::string& input) const;

    std::filesystem::path root_;
    std::filesystem::path vdir_;
    std::filesystem::path config_;
};

}  // namespace orvane::test
