#pragma once

#include <QString>

// A message for the operator: a title beginning "Fehler: " and a German text.
// Plain data so that code without widgets can say what to show.
struct UserMessage
{
    QString title;
    QString text;

    [[nodiscard]] bool isEmpty() const { return title.isEmpty() && text.isEmpty(); }
    friend bool operator==(const UserMessage &, const UserMessage &) = default;
};
