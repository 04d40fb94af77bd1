#pragma once

#include <QObject>
#include <QString>

// The one process-wide record every window reads and writes. Only the
// user-interface thread touches it. Writers call notifyChanged() so that the
// status bar follows.
class AppState : public QObject
{
    Q_OBJECT
public:
    [[nodiscard]] static AppState &instance();

    QString Schnittstelle; // serial port name, e.g. "Com3"
    QString DataFile;      // full path of the data file
    QString DataTrenner;   // separator entry text, e.g. "Semikolon [;]"
    QString MaschinenTyp;  // machine type last saved with a record
    bool DemoModus = false;
    bool MainGestartet = false;

    void notifyChanged() { emit changed(); }
    // Outcome of the last read of any window, for the status bar.
    void reportReadOutcome(const QString &statusText) { emit readOutcome(statusText); }

signals:
    void changed();
    void readOutcome(const QString &statusText);

private:
    AppState() = default;
};
