#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QTextDocument>

#include <memory>

#include "rtf/RtfReader.h"

namespace orvane::toolkit::detail {

// Reads the rest of a long document into the rich-text box between events,
// a step at a time from a zero timer, so the window paints and takes input
// while the document comes in. A child of the document it reads into: it
// goes when the box drops that document for another or is closed.
class RtfLoading : public QObject {
public:
    RtfLoading(QTextDocument& document, std::unique_ptr<rtf::RtfStepReader> reader);
    // Whether the document is still being read.
    static bool Active(const QTextDocument& document);
    // Stops reading into the document before something else replaces its content.
    static void Stop(QTextDocument& document);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    std::unique_ptr<rtf::RtfStepReader> reader_;
    QBasicTimer timer_;
};

}  // namespace orvane::toolkit::detail
