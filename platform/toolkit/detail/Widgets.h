#pragma once

// Qt widgets behind the toolkit's forms and controls; only the toolkit's own
// sources (and its tests) include this.

#include <QFont>
#include <QFrame>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::toolkit {
class Form;
}

namespace orvane::toolkit::detail {

// Remembers the frame margins of a visible window for windows not yet shown.
void NoteFrameMargins(const QWidget& window);

// The one font the windows' twip layouts were drawn for. Every window and
// control carries it as its own, so a platform theme's font (for the whole
// application or for one class of widget) does not reach them; being in
// points, it scales with the screen's logical dpi.
QFont UserInterfaceFont();

// A top-level window whose close box unloads its form.
class FormWindow : public QWidget {
public:
    explicit FormWindow(Form& form);
    // Title bar with the system menu, minimise and close boxes; no maximise.
    static Qt::WindowFlags Flags();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The window manager's frame arrives after the window is shown.
    void moveEvent(QMoveEvent* event) override;

private:
    Form& form_;
};

// A frame: an etched border around its children, its caption (if any)
// standing on the top line. Children are placed from the widget's own
// corner, so the caption line lies above a first row at 240 twips.
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(QWidget* parent) : QWidget(parent) {}

    void SetCaption(QString caption);
    const QString& Caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

// A picture drawn unscaled at the top-left of the inner area, clipped to it.
class PictureWidget : public QFrame {
public:
    explicit PictureWidget(QWidget* parent);

    void SetImage(QImage image);
    const QImage& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

}  // namespace orvane::toolkit::detail
