// orvane-make-diagram: draws the three-tier picture that the diagram window
// shows and writes it as the 24-bit bitmap compiled into the program.
//
//   QT_QPA_PLATFORM=offscreen orvane-make-diagram <out.bmp>
//
// Every colour is snapped to the 216-colour cube after drawing, so the
// picture uses only colours of the table that the file carries.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>

#include "BmpWriter.h"
#include "core/Error.h"

namespace {

using orvane::diagram::RgbImage;

constexpr int kWidth = 508;
constexpr int kHeight = 361;

// Table geometry.
constexpr int kLeft = 1;
constexpr int kTop = 70;
constexpr int kRight = 506;
constexpr int kBottom = 359;
constexpr int kHeadingRule = 95;
constexpr int kClientRule = 142;
constexpr int kDataRule = 324;

// Column centres.
constexpr int kClientX = (kLeft + kClientRule) / 2;
constexpr int kBusinessX = (kClientRule + kDataRule) / 2;
constexpr int kDataX = (kDataRule + kRight) / 2;

// Rows of the two arrows that cross the column rules.
constexpr int kClientArrowY = 192;
constexpr int kDataArrowY = 182;

// Picture elements, all on the cube.
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kBlack(0x00, 0x00, 0x00);
const QColor kDarkBlue(0x00, 0x00, 0x99);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kArrowGrey(0x99, 0x99, 0x99);
const QColor kLineGrey(0x66, 0x66, 0x66);
const QColor kFace(0xCC, 0xCC, 0xCC);
const QColor kDarkGrey(0x66, 0x66, 0x66);
const QColor kTowerFront(0x99, 0x99, 0xCC);
const QColor kTowerTop(0xCC, 0xCC, 0xFF);
const QColor kTowerSide(0x66, 0x66, 0x99);
const QColor kTowerEdge(0x33, 0x33, 0x66);
const QColor kTowerBay(0x66, 0x66, 0x99);
const QColor kLamp(0x00, 0xCC, 0x00);

// Centre of pixel p: shapes of odd width drawn there cover whole pixels.
constexpr double C(int p) { return p + 0.5; }

int Snap(int channel) { return (channel + 25) / 51 * 51; }

QFont Font(int pixelSize, bool bold, bool condensed = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    if (condensed) {
        font.setStretch(QFont::SemiCondensed);
    }
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Rows and columns that text really inks once snapped to the cube, relative
// to the pen position it is drawn at.
QRect InkRect(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    const int pad = 8;
    QImage scratch(metrics.horizontalAdvance(text) + 2 * pad, metrics.height() + 2 * pad, QImage::Format_RGB32);
    scratch.fill(kWhite);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(font);
        painter.setPen(kBlack);
        painter.drawText(pad, pad + metrics.ascent(), text);
    }
    int top = scratch.height(), bottom = -1, left = scratch.width(), right = -1;
    for (int y = 0; y < scratch.height(); ++y) {
        for (int x = 0; x < scratch.width(); ++x) {
            const QRgb rgb = scratch.pixel(x, y);
            if (Snap(qRed(rgb)) != 0xFF || Snap(qGreen(rgb)) != 0xFF || Snap(qBlue(rgb)) != 0xFF) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return QRect(QPoint(left - pad, top - pad - metrics.ascent()), QPoint(right - pad, bottom - pad - metrics.ascent()));
}

// Largest bold font whose ink for text is at most maxHeight rows high.
QFont FitHeight(const QString& text, int maxHeight) {
    QFont font = Font(8, true);
    for (int size = 9; size < 60; ++size) {
        const QFont candidate = Font(size, true);
        if (InkRect(candidate, text).height() > maxHeight) {
            break;
        }
        font = candidate;
    }
    return font;
}

// Largest font not above maxSize whose text fits in maxWidth pixels.
QFont FitWidth(const QString& text, int maxSize, int maxWidth, bool bold, bool condensed) {
    for (int size = maxSize; size > 6; --size) {
        const QFont candidate = Font(size, bold, condensed);
        if (InkRect(candidate, text).width() <= maxWidth) {
            return candidate;
        }
    }
    return Font(6, bold, condensed);
}

// Draws text centred on column centreX with its ink starting on row inkTop.
void TextAt(QPainter& painter, const QFont& font, const QColor& colour, const QString& text, int centreX, int inkTop) {
    const QRect ink = InkRect(font, text);
    const int x = centreX - ink.left() - (ink.width() - 1) / 2;
    const int y = inkTop - ink.top();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(x, y, text);
}

// Draws text with its ink centred on (centreX, centreY).
void TextCentred(QPainter& painter, const QFont& font, const QColor& colour, const QString& text, int centreX,
                 int centreY) {
    const QRect ink = InkRect(font, text);
    TextAt(painter, font, colour, text, centreX, centreY - (ink.height() - 1) / 2);
}

void Rule(QPainter& painter, int x1, int y1, int x2, int y2) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kBlack, 1));
    painter.drawLine(x1, y1, x2, y2);
    painter.setRenderHint(QPainter::Antialiasing, true);
}

void Table(QPainter& painter) {
    Rule(painter, kLeft, kTop, kRight, kTop);
    Rule(painter, kLeft, kBottom, kRight, kBottom);
    Rule(painter, kLeft, kTop, kLeft, kBottom);
    Rule(painter, kRight, kTop, kRight, kBottom);
    Rule(painter, kLeft, kHeadingRule, kRight, kHeadingRule);
    Rule(painter, kClientRule, kTop, kClientRule, kBottom);
    Rule(painter, kDataRule, kTop, kDataRule, kBottom);
}

void Title(QPainter& painter) {
    const QString first = QStringLiteral("Three-Tier Application Diagram");
    const QString second = QStringLiteral("For Address Book Application");
    TextAt(painter, FitHeight(first, 19), kDarkBlue, first, kWidth / 2, 7);
    TextAt(painter, FitHeight(second, 19), kDarkBlue, second, kWidth / 2, 31);
}

void Headings(QPainter& painter) {
    const QFont heading = Font(15, true);
    const int middle = (kTop + kHeadingRule) / 2;
    TextCentred(painter, heading, kBlack, QStringLiteral("Client Tier"), kClientX, middle);
    TextCentred(painter, heading, kBlack, QStringLiteral("Business Tier"), kBusinessX, middle);
    TextCentred(painter, heading, kBlack, QStringLiteral("Data Tier"), kDataX, middle);

    const QFont label = Font(13, true);
    TextAt(painter, label, kDarkBlue, QStringLiteral("(Orvane)"), kClientX, 104);
    TextAt(painter, label, kDarkBlue, QStringLiteral("(CBusinessTier.dll)"), kBusinessX, 104);
    TextAt(painter, label, kDarkBlue, QStringLiteral("(CData.dll)"), kDataX, 104);
    const QString contains = QStringLiteral("contains CDataTier and CDataDBTier)");
    TextAt(painter, FitWidth(contains, 11, kRight - kDataRule - 10, false, true), kDarkBlue, contains, kDataX, 122);
}

// The address-book window in miniature: title bar, name list on the left,
// five labelled fields and the five-button panel on the right.
void WindowDrawing(QPainter& painter, const QRect& outer) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kDarkGrey, 1));
    painter.setBrush(kFace);
    painter.drawRect(outer.adjusted(0, 0, -1, -1));

    const QRect titleBar(outer.left() + 2, outer.top() + 2, outer.width() - 4, 8);
    painter.fillRect(titleBar, kDarkGrey);
    painter.fillRect(QRect(titleBar.left() + 3, titleBar.top() + 3, 24, 2), kFace);
    for (int i = 0; i < 3; ++i) {
        painter.fillRect(QRect(titleBar.right() - 7 - 7 * i, titleBar.top() + 2, 5, 4), kFace);
    }

    const int clientTop = titleBar.bottom() + 4;
    const int clientBottom = outer.bottom() - 4;

    // Name list with a few names.
    const QRect list(outer.left() + 5, clientTop, 36, clientBottom - clientTop + 1);
    painter.setPen(QPen(kDarkGrey, 1));
    painter.setBrush(kWhite);
    painter.drawRect(list.adjusted(0, 0, -1, -1));
    painter.fillRect(QRect(list.left() + 2, list.top() + 2, list.width() - 4, 5), QColor(0x99, 0x99, 0x99));
    for (int i = 0; i < 7; ++i) {
        const int length = 18 + (i * 7) % 11;
        painter.fillRect(QRect(list.left() + 4, list.top() + 3 + 7 * i, length, 2),
                         i == 0 ? kWhite : QColor(0x99, 0x99, 0x99));
    }

    // Labelled fields.
    const int labelLeft = list.right() + 6;
    const int fieldLeft = labelLeft + 17;
    const int fieldRight = outer.right() - 6;
    for (int i = 0; i < 5; ++i) {
        const int y = clientTop + 7 * i;
        painter.fillRect(QRect(labelLeft, y + 2, 10 + (i * 3) % 5, 2), kDarkGrey);
        painter.setPen(QPen(kDarkGrey, 1));
        painter.setBrush(kWhite);
        painter.drawRect(QRect(fieldLeft, y, fieldRight - fieldLeft, 5));
    }

    // Button panel: Add, Edit, delete; Save, Cancel.
    const QRect panel(labelLeft, clientTop + 37, fieldRight - labelLeft + 1, clientBottom - clientTop - 36);
    painter.setPen(QPen(QColor(0x99, 0x99, 0x99), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(panel.adjusted(0, 0, -1, -1));
    const int buttonWidth = (panel.width() - 12) / 3;
    auto button = [&](int x, int y) {
        const QRect face(x, y, buttonWidth, 7);
        painter.fillRect(face, kFace);
        painter.setPen(QPen(kWhite, 1));
        painter.drawLine(face.topLeft(), face.topRight());
        painter.drawLine(face.topLeft(), face.bottomLeft());
        painter.setPen(QPen(kDarkGrey, 1));
        painter.drawLine(face.bottomLeft(), face.bottomRight());
        painter.drawLine(face.topRight(), face.bottomRight());
        painter.fillRect(QRect(x + buttonWidth / 2 - 3, y + 3, 6, 1), kDarkGrey);
    };
    for (int i = 0; i < 3; ++i) {
        button(panel.left() + 3 + i * (buttonWidth + 3), panel.top() + 3);
    }
    for (int i = 0; i < 2; ++i) {
        button(panel.left() + 3 + buttonWidth / 2 + i * (buttonWidth + 3), panel.top() + 13);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
}

// A tower case seen slightly from above and the right.
void Tower(QPainter& painter, const QRect& front) {
    const int depth = 7;
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPen edge(kTowerEdge, 1);

    painter.setPen(edge);
    painter.setBrush(kTowerSide);
    const QPoint side[] = {front.topRight(), front.topRight() + QPoint(depth, -depth),
                           front.bottomRight() + QPoint(depth, -depth), front.bottomRight()};
    painter.drawPolygon(side, 4);
    painter.setBrush(kTowerTop);
    const QPoint top[] = {front.topLeft(), front.topLeft() + QPoint(depth, -depth),
                          front.topRight() + QPoint(depth, -depth), front.topRight()};
    painter.drawPolygon(top, 4);
    painter.setBrush(kTowerFront);
    painter.drawRect(front.adjusted(0, 0, -1, -1));

    // Drive bays.
    for (int i = 0; i < 3; ++i) {
        const QRect bay(front.left() + 6, front.top() + 7 + 9 * i, front.width() - 12, 6);
        painter.setPen(edge);
        painter.setBrush(kTowerBay);
        painter.drawRect(bay.adjusted(0, 0, -1, -1));
        painter.fillRect(QRect(bay.left() + 3, bay.top() + 2, bay.width() - 10, 2), kTowerEdge);
    }
    // Power lamp and switch.
    painter.fillRect(QRect(front.left() + 7, front.top() + 38, 3, 3), kLamp);
    painter.setPen(edge);
    painter.setBrush(kTowerTop);
    painter.drawRect(QRect(front.right() - 12, front.top() + 36, 6, 6));
    // Vents.
    for (int y = front.top() + 52; y < front.bottom() - 8; y += 4) {
        painter.fillRect(QRect(front.left() + 8, y, front.width() - 16, 2), kTowerSide);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
}

void Cylinder(QPainter& painter, const QRectF& box) {
    const double rim = 8;
    QPainterPath body;
    body.moveTo(box.left(), box.top() + rim);
    body.lineTo(box.left(), box.bottom() - rim);
    body.arcTo(QRectF(box.left(), box.bottom() - 2 * rim, box.width(), 2 * rim), 180, 180);
    body.lineTo(box.right(), box.top() + rim);
    body.arcTo(QRectF(box.left(), box.top(), box.width(), 2 * rim), 0, -180);
    body.closeSubpath();

    QLinearGradient shade(box.left(), 0, box.right(), 0);
    shade.setColorAt(0.0, QColor(0x99, 0x99, 0x99));
    shade.setColorAt(0.35, QColor(0xCC, 0xCC, 0xCC));
    shade.setColorAt(1.0, QColor(0x99, 0x99, 0x99));
    painter.setPen(QPen(kDarkGrey, 1.2));
    painter.setBrush(shade);
    painter.drawPath(body);
    painter.setBrush(QColor(0xCC, 0xCC, 0xCC));
    painter.drawEllipse(QRectF(box.left(), box.top(), box.width(), 2 * rim));
    // Bands between stacked platters.
    painter.setBrush(Qt::NoBrush);
    for (double y : {box.top() + box.height() * 0.38, box.top() + box.height() * 0.66}) {
        painter.drawArc(QRectF(box.left(), y - rim, box.width(), 2 * rim), 180 * 16, 180 * 16);
    }
}

// A straight grey arrow with a head at both ends.
void Arrow(QPainter& painter, QPointF from, QPointF to) {
    const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF along = (to - from) / length;
    const QPointF across(-along.y(), along.x());
    const double head = 10;
    const double half = 6;
    const double shaft = 1.5;

    QPolygonF shape;
    shape << from << from + along * head + across * half << from + along * head + across * shaft
          << to - along * head + across * shaft << to - along * head + across * half << to
          << to - along * head - across * half << to - along * head - across * shaft
          << from + along * head - across * shaft << from + along * head - across * half;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kArrowGrey);
    painter.drawPolygon(shape);
}

void Crossing(QPainter& painter, int x, int y) {
    painter.setPen(QPen(kRed, 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(C(x), C(y)), 13, 13);
}

void Draw(QImage& image) {
    image.fill(kWhite);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    Title(painter);
    Table(painter);
    Headings(painter);

    // Client column: the program's window.
    const QRect window(14, kClientArrowY - 40, 110, 81);
    TextAt(painter, Font(12, true), kBlack, QStringLiteral("Interface (IDE)"), kClientX, window.top() - 16);
    WindowDrawing(painter, window);

    // Business and data columns: the two servers and the database.
    const QRect businessServer(kBusinessX - 25, 146, 44, 88);
    const QRect dataServer(kDataX - 25, 144, 44, 88);
    Tower(painter, businessServer);
    Tower(painter, dataServer);
    const QRectF database(kDataX - 37, 272, 69, 47);
    Cylinder(painter, database);
    TextAt(painter, Font(12, true), kBlack, QStringLiteral("Database"), kDataX - 3, 327);

    const QFont servers = Font(12, true);
    const int serversX = kDataRule - 38;
    const int serversY = 284;
    const QRect serversInk = InkRect(servers, QStringLiteral("Servers"));
    TextCentred(painter, servers, kBlack, QStringLiteral("Servers"), serversX, serversY);
    painter.setPen(QPen(kLineGrey, 1));
    const double labelLeft = serversX - serversInk.width() / 2.0 - 4;
    const double labelRight = serversX + serversInk.width() / 2.0 + 4;
    painter.drawLine(QPointF(labelLeft, C(serversY)), QPointF(businessServer.center().x() + 4, businessServer.bottom() + 4));
    painter.drawLine(QPointF(labelRight, C(serversY)), QPointF(dataServer.left() + 4, dataServer.bottom() + 4));

    // Arrows along the two crossing rows and down to the database.
    Arrow(painter, QPointF(window.right() + 3, C(kClientArrowY)), QPointF(businessServer.left() - 3, C(kClientArrowY)));
    Arrow(painter, QPointF(businessServer.right() + 10, C(kDataArrowY)), QPointF(dataServer.left() - 3, C(kDataArrowY)));
    Arrow(painter, QPointF(C(kDataX - 3), dataServer.bottom() + 4), QPointF(C(kDataX - 3), database.top() - 3));

    Crossing(painter, kClientRule, kClientArrowY);
    Crossing(painter, kDataRule, kDataArrowY);

    // Legend.
    Crossing(painter, 43, 325);
    const QFont legend = Font(12, true);
    const QRect first = InkRect(legend, QStringLiteral("= Crossing"));
    painter.setFont(legend);
    painter.setPen(kBlack);
    painter.drawText(64 - first.left(), 318 - first.top(), QStringLiteral("= Crossing"));
    painter.drawText(64 - first.left(), 333 - first.top(), QStringLiteral("Over Tiers"));
}

RgbImage Snapped(const QImage& image) {
    RgbImage out;
    out.width = image.width();
    out.height = image.height();
    out.pixels.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = image.pixel(x, y);
            out.pixels.push_back(static_cast<std::uint32_t>(Snap(qRed(rgb)) << 16 | Snap(qGreen(rgb)) << 8 |
                                                            Snap(qBlue(rgb))));
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: orvane-make-diagram <out.bmp>\n";
        return 2;
    }
    const std::string path = argv[1];
    QGuiApplication app(argc, argv);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    Draw(image);
    try {
        orvane::diagram::WriteBmp24(path, Snapped(image), orvane::diagram::ColourCube());
    } catch (const orvane::Error& error) {
        std::cerr << "orvane-make-diagram: " << error.Description() << '\n';
        return 1;
    }
    return 0;
}
