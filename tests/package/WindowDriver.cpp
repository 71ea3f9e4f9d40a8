// Preloaded (LD_PRELOAD) into the unpacked, installed program by the package
// test, this acts as the user on the real address-book window: real mouse
// clicks and key presses on its controls, found by their names, so every
// change goes through the window's own event handlers. ORVANE_DRIVE says
// what to do; without it nothing happens.
//
//   list                 report what the window shows, then click "Close"
//   add <first> <last>   click "Add", type both names, click "Save",
//                        report, then click "Close"
//
// The report goes to standard output, one line each:
//   rows <n>, then "row <display text>" per entry of the name list, then
//   "choices <state/province entries> <country entries>".
// A message box at any moment is reported as "message <text>" and ends the
// program with status 3: no one would be there to answer it.

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

void Print(const QString& line) {
    std::fputs((line + '\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

[[noreturn]] void Fail(const QString& why) {
    Print("failed " + why);
    std::_Exit(4);
}

void ReportMessageBoxes() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Print("message " + box->text());
        std::_Exit(3);
    }
}

QWidget* AddressBookWindow() {
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->objectName() == QLatin1String("lstAddress") && widget->window()->isVisible())
            return widget->window();
    Fail("no address-book window is shown");
}

template <class W>
W* Control(QWidget* window, const char* name) {
    auto* control = window->findChild<W*>(QLatin1String(name));
    if (!control) Fail(QString("no control ") + name);
    return control;
}

void Click(QWidget* window, const char* name) {
    auto* button = Control<QPushButton>(window, name);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

void Type(QWidget* window, const char* name, const QString& text) {
    auto* edit = Control<QLineEdit>(window, name);
    QTest::keyClicks(edit, text);
}

void Report(QWidget* window) {
    QCoreApplication::processEvents();  // list entries reach the view in batches
    QAbstractItemModel* names = Control<QListView>(window, "lstAddress")->model();
    Print(QString("rows %1").arg(names->rowCount()));
    for (int row = 0; row < names->rowCount(); ++row) Print("row " + names->index(row, 0).data().toString());
    Print(QString("choices %1 %2")
              .arg(Control<QComboBox>(window, "cboStateProv")->count())
              .arg(Control<QComboBox>(window, "cboCountry")->count()));
}

void Drive(const QStringList& words) {
    QWidget* window = AddressBookWindow();
    if (words.value(0) == QLatin1String("add") && words.size() == 3) {
        Click(window, "cmdAdd");
        Type(window, "txtFirstname", words[1]);
        Type(window, "txtLastname", words[2]);
        Click(window, "cmdSave");
    } else if (words.value(0) != QLatin1String("list")) {
        Fail("ORVANE_DRIVE is not understood: " + words.join(' '));
    }
    Report(window);
    Click(window, "cmdClose");
}

void StartDriving() {
    const QStringList words = QString::fromLocal8Bit(qgetenv("ORVANE_DRIVE")).split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) return;
    // Runs once the program waits for the user: in its event loop, or in the
    // loop of a message box that came first.
    QMetaObject::invokeMethod(
        qApp,
        [words] {
            auto* watch = new QTimer(qApp);
            QObject::connect(watch, &QTimer::timeout, qApp, &ReportMessageBoxes);
            watch->start(100);
            ReportMessageBoxes();
            // After what the start left queued (list entries still on their
            // way to the view).
            QTimer::singleShot(0, qApp, [words] { Drive(words); });
        },
        Qt::QueuedConnection);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartDriving)
