#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::toolkit {

// Style codes: the sum of one button set and one icon.
inline constexpr std::int32_t vbOKOnly = 0;
inline constexpr std::int32_t vbOKCancel = 1;
inline constexpr std::int32_t vbAbortRetryIgnore = 2;
inline constexpr std::int32_t vbYesNoCancel = 3;
inline constexpr std::int32_t vbYesNo = 4;
inline constexpr std::int32_t vbRetryCancel = 5;
inline constexpr std::int32_t vbCritical = 16;
inline constexpr std::int32_t vbQuestion = 32;
inline constexpr std::int32_t vbExclamation = 48;
inline constexpr std::int32_t vbInformation = 64;

// Answers.
inline constexpr std::int32_t vbOK = 1;
inline constexpr std::int32_t vbCancel = 2;
inline constexpr std::int32_t vbAbort = 3;
inline constexpr std::int32_t vbRetry = 4;
inline constexpr std::int32_t vbIgnore = 5;
inline constexpr std::int32_t vbYes = 6;
inline constexpr std::int32_t vbNo = 7;

// Shows a modal message box and waits for the answer. An empty title gives
// the program's title.
std::int32_t MsgBox(const std::string& prompt, std::int32_t buttons = vbOKOnly, const std::string& title = {});

// While one of these lives, MsgBox shows no dialog: it records what it would
// have shown and returns the next queued answer, or the style's first
// button (OK, Yes, Abort, Retry) when none is queued.
class MsgBoxTester {
public:
    struct Message {
        std::string prompt;
        std::int32_t style;
        std::string title;
    };

    MsgBoxTester();
    ~MsgBoxTester();
    MsgBoxTester(const MsgBoxTester&) = delete;
    MsgBoxTester& operator=(const MsgBoxTester&) = delete;

    void QueueAnswer(std::int32_t answer);
    // While true, the real dialog is shown after all (to test the dialog
    // itself); nothing is recorded then.
    void RealDialogs(bool NewRealDialogs);
    const std::vector<Message>& Shown() const { return shown_; }
    void Forget() { shown_.clear(); }

private:
    friend std::int32_t MsgBox(const std::string&, std::int32_t, const std::string&);
    std::vector<std::int32_t> answers_;
    std::vector<Message> shown_;
    bool realDialogs_ = false;
};

}  // namespace orvane::toolkit
