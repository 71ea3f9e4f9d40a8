#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::toolkit {

// The standard file dialogs, modal. A filter lists choices separated by
// ";;", each a name and its patterns: "Contacts (*.vcf *.csv);;All files (*)".

// The files chosen to open; none when the user cancels.
std::vector<std::string> ShowOpenFiles(const std::string& title, const std::string& filter);

struct SaveChoice {
    std::string path;           // empty when the user cancels
    std::int32_t filterIndex;   // which choice of the filter was selected, from 0
};
// The file to save to, with the filter choice the user made.
SaveChoice ShowSaveFile(const std::string& title, const std::string& filter, const std::string& suggestedName);

// While one of these lives, the file dialogs are not shown: each records
// what it would have shown and returns the next queued answer (a cancel
// when none is queued).
class FileDialogTester {
public:
    struct Dialog {
        bool save;
        std::string title;
        std::string filter;
    };

    FileDialogTester();
    ~FileDialogTester();
    FileDialogTester(const FileDialogTester&) = delete;
    FileDialogTester& operator=(const FileDialogTester&) = delete;

    void QueueOpen(std::vector<std::string> files) { opens_.push_back(std::move(files)); }
    void QueueSave(SaveChoice choice) { saves_.push_back(std::move(choice)); }
    const std::vector<Dialog>& Shown() const { return shown_; }

private:
    friend std::vector<std::string> ShowOpenFiles(const std::string&, const std::string&);
    friend SaveChoice ShowSaveFile(const std::string&, const std::string&, const std::string&);
    std::vector<std::vector<std::string>> opens_;
    std::vector<SaveChoice> saves_;
    std::vector<Dialog> shown_;
};

}  // namespace orvane::toolkit
