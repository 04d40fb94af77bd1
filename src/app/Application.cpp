#include "app/Application.h"

#include "app/ErrorBox.h"

#include <cstdlib>
#include <exception>

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        fatal(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        fatal(QStringLiteral("unbekannte Ursache"));
    }
}

int Application::guarded(const std::function<int()> &body)
{
    try {
        return body();
    } catch (const std::exception &error) {
        fatal(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        fatal(QStringLiteral("unbekannte Ursache"));
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
