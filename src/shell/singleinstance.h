// One running copy per user: a later start hands over to the first one.
#pragma once

#include <QString>

class QWidget;

namespace sky {

// The name of the local channel the first copy listens on, made from the
// application title and the user (the user's id and data folder).
QString InstanceChannelName(const QString& title, const QString& appDataFolder);

// When another copy is running and answers, asks it to bring its main
// window to the front and ends this process with exit code 0; otherwise
// returns and start-up goes on.
void ActivatePreviousInstance();

// Starts listening for later copies; each one restores and raises `window`.
void ListenForLaterInstances(QWidget* window);
void StopListeningForLaterInstances();

} // namespace sky
