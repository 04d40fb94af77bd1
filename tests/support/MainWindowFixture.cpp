#include "support/MainWindowFixture.h"

#include "app/Main.h"
#include "app/Settings.h"
#include "app/Windows.h"

#include <QCoreApplication>
#include <QLabel>

Main *MainWindowFixture::showMain()
{
    LoadSettings();
    main = Windows::main();
    main->show();
    return main;
}

QString MainWindowFixture::statusText() const
{
    // The bar refreshes once per turn of the event loop; take that turn first.
    QCoreApplication::sendPostedEvents(main, QEvent::MetaCall);
    return main->findChild<QLabel *>(QStringLiteral("sbPanelRead"))->text();
}
