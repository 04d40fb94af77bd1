#include "app/Application.h"

#include "ui/ErrorBox.h"

#include <cstdlib>
#include <exception>
#include <new>

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        fatal(reasonOfCurrentException());
    }
}

QString Application::reasonOfCurrentException()
{
    try {
        throw;
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Der Arbeitsspeicher reicht nicht aus.");
    } catch (const std::exception &error) {
        return QStringLiteral("Interner Fehler (%1)").arg(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return QStringLiteral("Interner Fehler unbekannter Art");
    }
}

int Application::guarded(const std::function<int()> &body)
{
    try {
        return body();
    } catch (...) {
        fatal(reasonOfCurrentException());
    }
}

void Application::fatal(const QString &reason)
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    showErrorBox(
        {QStringLiteral("Fehler: Unerwarteter Fehler"),
         QStringLiteral("Ein unerwarteter Fehler ist aufgetreten, das Programm wird beendet.\n\nUrsache: ") +
             reason});
    std::exit(EXIT_FAILURE);
}
