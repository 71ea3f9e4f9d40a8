#include "detail/Widgets.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>

#include "Events.h"
#include "Form.h"

namespace orvane::toolkit::detail {

// A small sans-serif face of about 8 points at 96 dpi; Nimbus Sans (metrics
// of Helvetica) is close to the one the layouts were drawn with, DejaVu Sans
// is the fallback. Every property is set, so none is left for a parent's or
// the application's font to fill in.
QFont UserInterfaceFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setStretch(QFont::Unstretched);
    return font;
}

Qt::WindowFlags FormWindow::Flags() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}

FormWindow::FormWindow(Form& form) : QWidget(nullptr, Flags()), form_(form) { setFont(UserInterfaceFont()); }

void FormWindow::closeEvent(QCloseEvent* event) {
    // The close box unloads the form; Unload takes the widget away itself.
    event->ignore();
    Form& form = form_;
    Events::Raise([&form] { form.Unload(); });
}

void FormWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    NoteFrameMargins(*this);
}

void FrameWidget::SetCaption(QString caption) {
    caption_ = std::move(caption);
    // A screen reader announces the group by the caption drawn on its border.
    setAccessibleName(caption_);
    update();
}

void FrameWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    // The border's top line runs through the middle of the caption.
    const int top = caption_.isEmpty() ? 0 : metrics.height() / 2;
    const QRect border = rect().adjusted(0, top, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.adjusted(1, 1, 0, 0));
    if (caption_.isEmpty()) return;
    const QRect label(6, 0, metrics.horizontalAdvance(caption_) + 4, metrics.height());
    painter.fillRect(label, palette().window());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(label, Qt::AlignCenter, caption_);
}

PictureWidget::PictureWidget(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
}

void PictureWidget::SetImage(QImage image) {
    image_ = std::move(image);
    update();
}

void PictureWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (image_.isNull()) return;
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawImage(inner.topLeft(), image_);
}

}  // namespace orvane::toolkit::detail
