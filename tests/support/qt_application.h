#pragma once

#include <QApplication>
#include <chrono>
#include <functional>

// The one application object of a widget test binary, on the offscreen
// platform unless the test run chose another.
QApplication& EnsureQtApplication();

// Runs the event loop until done() holds or the time is up; returns done().
bool ProcessEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Runs action from the event loop once a window of that class is shown (a
// modal dialog that has started its loop); false when none showed in time.
void WhenWindowShown(const wchar_t* windowClass, std::function<void(QWidget* window)> action);
