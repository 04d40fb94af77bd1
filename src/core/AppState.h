#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <optional>

// The one process-wide record every window reads and writes. Only the
// user-interface thread touches it. Every setter that changes a value emits
// changed(), so the status bar follows without any caller remembering to.
class AppState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Schnittstelle READ schnittstelle WRITE setSchnittstelle NOTIFY changed)
    Q_PROPERTY(QString DataFile READ dataFile WRITE setDataFile NOTIFY changed)
    Q_PROPERTY(QString DataTrenner READ dataTrenner WRITE setDataTrenner NOTIFY changed)
    Q_PROPERTY(QString MaschinenTyp READ maschinenTyp WRITE setMaschinenTyp NOTIFY changed)
    Q_PROPERTY(QString Grenzwertdatei READ limitsFile WRITE setLimitsFile NOTIFY changed)
    Q_PROPERTY(bool Bewertung READ verdictColumns WRITE setVerdictColumns NOTIFY changed)
    Q_PROPERTY(bool DemoModus READ demoModus WRITE setDemoModus NOTIFY changed)
    Q_PROPERTY(bool MainGestartet READ mainGestartet WRITE setMainGestartet NOTIFY changed)
    Q_PROPERTY(QString LastReadOutcome READ lastReadOutcome WRITE setLastReadOutcome NOTIFY changed)
public:
    [[nodiscard]] static AppState &instance();

    // Serial port name, e.g. "Com3".
    [[nodiscard]] QString schnittstelle() const { return m_schnittstelle; }
    void setSchnittstelle(const QString &value) { assign(m_schnittstelle, value); }
    // Full path of the data file.
    [[nodiscard]] QString dataFile() const { return m_dataFile; }
    void setDataFile(const QString &value) { assign(m_dataFile, value); }
    // Separator entry text, e.g. "Semikolon [;]".
    [[nodiscard]] QString dataTrenner() const { return m_dataTrenner; }
    void setDataTrenner(const QString &value) { assign(m_dataTrenner, value); }
    // Machine type last saved with a record.
    [[nodiscard]] QString maschinenTyp() const { return m_maschinenTyp; }
    void setMaschinenTyp(const QString &value) { assign(m_maschinenTyp, value); }
    // Full path of the limits table; empty: no verdict anywhere.
    [[nodiscard]] QString limitsFile() const { return m_limitsFile; }
    void setLimitsFile(const QString &value) { assign(m_limitsFile, value); }
    // A new data file gets the columns Bewertung and Abweichung.
    [[nodiscard]] bool verdictColumns() const { return m_verdictColumns; }
    void setVerdictColumns(bool value) { assign(m_verdictColumns, value); }
    [[nodiscard]] bool demoModus() const { return m_demoModus; }
    void setDemoModus(bool value) { assign(m_demoModus, value); }
    [[nodiscard]] bool mainGestartet() const { return m_mainGestartet; }
    void setMainGestartet(bool value) { assign(m_mainGestartet, value); }
    // Numbers, dates and times of the log window and the data file: the
    // settings file's regional format, or (nothing) the desktop's at the time.
    [[nodiscard]] QLocale regionalFormat() const { return m_regionalFormat.value_or(QLocale()); }
    void setRegionalFormat(const std::optional<QLocale> &value) { assign(m_regionalFormat, value); }
    // The results store's file (empty: switched off) and the bench's name
    // in it, as the settings file's [Ergebnisse] says; read, never written.
    [[nodiscard]] QString resultsFile() const { return m_resultsFile; }
    void setResultsFile(const QString &value) { assign(m_resultsFile, value); }
    [[nodiscard]] QString bench() const { return m_bench; }
    void setBench(const QString &value) { assign(m_bench, value); }
    // Outcome of the last read of any window, as the status bar shows it.
    [[nodiscard]] QString lastReadOutcome() const { return m_lastReadOutcome; }
    void setLastReadOutcome(const QString &value) { assign(m_lastReadOutcome, value); }

    // All values back to their start, as a fresh process has them.
    void reset();

    // Every read tells what it found of its port's device, so that the status
    // bar's port field follows an adapter that was unplugged or came back.
    void notePortRead(int portNumber, const QString &devicePath, bool present)
    {
        emit portRead(portNumber, devicePath, present);
    }
    // Called by a save once its record is written, for those who pass it on
    // (the upload to the central database).
    void noteRecordSaved() { emit recordSaved(); }

signals:
    void changed();
    void portRead(int portNumber, const QString &devicePath, bool present);
    void recordSaved();

private:
    AppState() = default;

    template <class T> void assign(T &field, const T &value)
    {
        if (field == value)
            return;
        field = value;
        emit changed();
    }

    QString m_schnittstelle;
    QString m_dataFile;
    QString m_dataTrenner;
    QString m_maschinenTyp;
    QString m_limitsFile;
    bool m_verdictColumns = false;
    bool m_demoModus = false;
    bool m_mainGestartet = false;
    QString m_lastReadOutcome;
    std::optional<QLocale> m_regionalFormat;
    QString m_resultsFile;
    QString m_bench;
};
