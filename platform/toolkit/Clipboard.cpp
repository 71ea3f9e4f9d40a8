#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace orvane::toolkit::Clipboard {

void SetText(const std::string& text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); }

std::string GetText() { return QGuiApplication::clipboard()->text().toStdString(); }

}  // namespace orvane::toolkit::Clipboard
