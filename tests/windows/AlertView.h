// The driver's alert window "ОШИБКА" as the operator sees it, found and closed from a test thread.
#pragma once

#include <windows.h>

#include <string>

namespace wintest {

// A visible alert window whose message differs from previousMessage; nullptr when none came within timeoutMs.
HWND WaitForAlert(const std::string& previousMessage, DWORD timeoutMs);

// The alert's message label, as UTF-8.
std::string AlertMessage(HWND alert);

// True when message is a critical log line: "hh:mm:ss.zzz " followed by text.
bool IsLogLine(const std::string& message, const std::string& text);

// Its size, place, colours, controls, that it stays on top and that it is modal over owner.
void CheckAlertLook(HWND alert, HWND owner);

// Presses "ВВОД" as the operator does; true when the window went away or went on to the next waiting line.
bool PressAlertButton(HWND alert);

}  // namespace wintest
