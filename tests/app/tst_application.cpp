#include "app/Application.h"

#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <stdexcept>

namespace {
// An event handler that fails the way a fatal step does.
class Thrower : public QObject
{
public:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Testfehler im Ereignis");
        return QObject::event(event);
    }
};

// Child process: the real application object, one failing handler. Prints
// the message box it shows, so the parent can check what the operator saw.
int runFailingChild(int argc, char **argv)
{
    Application app(argc, argv);
    Thrower thrower;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            std::printf("%s|%s|%d\n", qPrintable(box->windowTitle()), qPrintable(box->text()),
                        int(box->icon()));
            std::fflush(stdout);
            box->accept();
        }
    });
    watcher.start(10);
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    // Reaching the end normally would mean the failure went unnoticed.
    return app.exec() == 0 ? 0 : 3;
}
} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private slots:
    void failingHandlerEndsProgramWithMessage();
};

void TestApplication::failingHandlerEndsProgramWithMessage()
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--failing-child")});
    child.start();
    QVERIFY(child.waitForFinished(20000));
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 1);
    const QStringList parts = out.trimmed().split(QLatin1Char('|'));
    QCOMPARE(parts.size(), 3);
    QCOMPARE(parts[0], QStringLiteral("Fehler: Unerwarteter Fehler"));
    QVERIFY(parts[1].contains(QStringLiteral("Testfehler im Ereignis")));
    QCOMPARE(parts[2].toInt(), int(QMessageBox::Critical));
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--failing-child") == 0)
        return runFailingChild(argc, argv);
    QApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
