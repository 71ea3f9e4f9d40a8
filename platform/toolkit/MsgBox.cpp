#include "MsgBox.h"

#include <QApplication>
#include <QMessageBox>

#include "Application.h"
#include "detail/Runtime.h"

namespace orvane::toolkit {
namespace {

MsgBoxTester*& ActiveTester() {
    static MsgBoxTester* tester = nullptr;
    return tester;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;
};

ButtonSet ButtonsOf(std::int32_t style) {
    switch (style & 7) {
        case vbOKCancel: return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok};
        case vbAbortRetryIgnore:
            return {QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Abort};
        case vbYesNoCancel: return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes};
        case vbYesNo: return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
        case vbRetryCancel: return {QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry};
        default: return {QMessageBox::Ok, QMessageBox::Ok};
    }
}

QMessageBox::Icon IconOf(std::int32_t style) {
    switch (style & 0x70) {
        case vbCritical: return QMessageBox::Critical;
        case vbQuestion: return QMessageBox::Question;
        case vbExclamation: return QMessageBox::Warning;
        case vbInformation: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

std::int32_t AnswerOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok: return vbOK;
        case QMessageBox::Cancel: return vbCancel;
        case QMessageBox::Abort: return vbAbort;
        case QMessageBox::Retry: return vbRetry;
        case QMessageBox::Ignore: return vbIgnore;
        case QMessageBox::Yes: return vbYes;
        case QMessageBox::No: return vbNo;
        default: return vbCancel;
    }
}

}  // namespace

MsgBoxTester::MsgBoxTester() { ActiveTester() = this; }
MsgBoxTester::~MsgBoxTester() {
    if (ActiveTester() == this) ActiveTester() = nullptr;
}
void MsgBoxTester::QueueAnswer(std::int32_t answer) { answers_.push_back(answer); }
void MsgBoxTester::RealDialogs(bool NewRealDialogs) { realDialogs_ = NewRealDialogs; }

std::int32_t MsgBox(const std::string& prompt, std::int32_t buttons, const std::string& title) {
    const std::string shownTitle = title.empty() ? Program::Title() : title;
    const ButtonSet set = ButtonsOf(buttons);
    if (MsgBoxTester* tester = ActiveTester(); tester && !tester->realDialogs_) {
        tester->shown_.push_back({prompt, buttons, shownTitle});
        if (tester->answers_.empty()) return AnswerOf(set.first);
        const std::int32_t answer = tester->answers_.front();
        tester->answers_.erase(tester->answers_.begin());
        return answer;
    }
    QMessageBox box(IconOf(buttons), QString::fromStdString(shownTitle), QString::fromStdString(prompt), set.buttons,
                    QApplication::activeWindow());
    // Prompts carry user data (a name like "Smith <CEO>"): never markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(set.first);
    detail::ModalScope modal;
    box.exec();
    return AnswerOf(box.standardButton(box.clickedButton()));
}

}  // namespace orvane::toolkit
