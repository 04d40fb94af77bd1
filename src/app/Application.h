#pragma once

#include <QApplication>
#include <functional>

// Catches what escapes an event handler: one message box, then the program
// ends with a non-zero status, so nothing fails silently.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv) : QApplication(argc, argv) {}

    bool notify(QObject *receiver, QEvent *event) override;

    // Runs body; an exception from it ends the program the same way.
    static int guarded(const std::function<int()> &body);

    [[noreturn]] static void fatal(const QString &reason);

private:
    // A German reason for the exception being handled.
    [[nodiscard]] static QString reasonOfCurrentException();
};
