#pragma once

#include <QString>

// Where the upload to the central database stands, for the status bar.
struct CentralStatus
{
    enum class State {
        Off,         // no central database: the field stays empty
        SavingOff,   // [Ergebnisse] Speichern=False: nothing is queued
        Invalid,     // the connection string cannot be used
        Checking,    // started, the queue not counted yet
        Current,     // nothing queued
        Pending,     // rows queued, the server answered last time
        Unreachable, // the last attempt failed; retried after a pause
        StoreFailed, // the results store could not be read
    };
    State state = State::Off;
    qint64 pending = 0;   // rows queued
    bool sending = false; // a batch is on its way
    QString reason;       // Unreachable, StoreFailed, Invalid: the short cause
    QString detail;       // the full text with libpq's or the server's words

    // "Zentrale: aktuell", "Zentrale: 12 ausstehend", "Zentrale nicht erreichbar: <Ursache>", …
    [[nodiscard]] QString text() const;
    // The details for the field's tool tip.
    [[nodiscard]] QString toolTip() const;
};
