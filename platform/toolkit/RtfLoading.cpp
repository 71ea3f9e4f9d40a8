#include "detail/RtfLoading.h"

#include <QTimerEvent>

#include "Events.h"

namespace orvane::toolkit::detail {
namespace {

// The toolkit's classes carry no meta-object, so the loading is found by name.
const QString kName = QStringLiteral("orvane-rtf-loading");

RtfLoading* Find(const QTextDocument& document) {
    return dynamic_cast<RtfLoading*>(document.findChild<QObject*>(kName, Qt::FindDirectChildrenOnly));
}

}  // namespace

RtfLoading::RtfLoading(QTextDocument& document, std::unique_ptr<rtf::RtfStepReader> reader)
    : QObject(&document), reader_(std::move(reader)) {
    setObjectName(kName);
    timer_.start(0, this);
}

bool RtfLoading::Active(const QTextDocument& document) {
    const RtfLoading* loading = Find(document);
    return loading && loading->reader_;
}

void RtfLoading::Stop(QTextDocument& document) { delete Find(document); }

void RtfLoading::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) return QObject::timerEvent(event);
    bool done = true;
    // A failure (out of memory) keeps what has been read and is reported once.
    Events::Raise([&] { done = reader_->Step(); });
    if (!done) return;
    timer_.stop();
    reader_.reset();
    deleteLater();
}

}  // namespace orvane::toolkit::detail
