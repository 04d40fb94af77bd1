#include "support/MainWindowBench.h"

#include "app/Main.h"
#include "app/Settings.h"
#include "app/Windows.h"

#include <QCoreApplication>
#include <QLabel>

void MainWindowBench::showMain()
{
    LoadSettings();
    main = Windows::main();
    main->show();
}

QString MainWindowBench::statusText() const
{
    // The bar refreshes once per turn of the event loop; take that turn first.
    QCoreApplication::sendPostedEvents(main, QEvent::MetaCall);
    return main->findChild<QLabel *>(QStringLiteral("sbPanelRead"))->text();
}
