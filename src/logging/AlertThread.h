// The alert thread (TEMThread): wakes on every critical log line and has the user-interface thread show the
// waiting lines one by one.
#pragma once

namespace sb {

// Starts the thread for the process log; it runs for the life of the process.
void StartAlertThread();

// Shows every line waiting in the process log's alert queue, oldest first, in one alert window. Runs in the
// user-interface thread.
void ShowAlerts();

}  // namespace sb
