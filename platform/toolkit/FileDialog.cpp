#include "FileDialog.h"

#include <QApplication>
#include <QFileDialog>

#include "detail/Runtime.h"

namespace orvane::toolkit {
namespace {
FileDialogTester*& ActiveTester() {
    static FileDialogTester* tester = nullptr;
    return tester;
}
}  // namespace

FileDialogTester::FileDialogTester() { ActiveTester() = this; }
FileDialogTester::~FileDialogTester() {
    if (ActiveTester() == this) ActiveTester() = nullptr;
}

std::vector<std::string> ShowOpenFiles(const std::string& title, const std::string& filter) {
    if (FileDialogTester* tester = ActiveTester()) {
        tester->shown_.push_back({false, title, filter});
        if (tester->opens_.empty()) return {};
        std::vector<std::string> files = std::move(tester->opens_.front());
        tester->opens_.erase(tester->opens_.begin());
        return files;
    }
    detail::ModalScope modal;
    const QStringList chosen = QFileDialog::getOpenFileNames(QApplication::activeWindow(), QString::fromStdString(title),
                                                             QString(), QString::fromStdString(filter));
    std::vector<std::string> files;
    for (const QString& file : chosen) files.push_back(file.toStdString());
    return files;
}

SaveChoice ShowSaveFile(const std::string& title, const std::string& filter, const std::string& suggestedName) {
    if (FileDialogTester* tester = ActiveTester()) {
        tester->shown_.push_back({true, title, filter});
        if (tester->saves_.empty()) return {{}, 0};
        SaveChoice choice = std::move(tester->saves_.front());
        tester->saves_.erase(tester->saves_.begin());
        return choice;
    }
    const QStringList filters = QString::fromStdString(filter).split(";;");
    QString selected = filters.value(0);
    detail::ModalScope modal;
    const QString path = QFileDialog::getSaveFileName(QApplication::activeWindow(), QString::fromStdString(title),
                                                      QString::fromStdString(suggestedName),
                                                      QString::fromStdString(filter), &selected);
    return {path.toStdString(), static_cast<std::int32_t>(std::max<qsizetype>(0, filters.indexOf(selected)))};
}

}  // namespace orvane::toolkit
