#pragma once

#include "core/UserMessage.h"

class QWidget;

// The one way the program shows a message to the operator: a modal message
// box with the error icon, title and text exactly as given.
void showErrorBox(const UserMessage &message, QWidget *parent = nullptr);
