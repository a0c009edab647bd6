#pragma once
// Keeps Qt's own remarks (a missing XDG_RUNTIME_DIR, platform plugin notes,
// font warnings) off the terminal: a user or a script reading stderr sees the
// program's messages only. Critical and fatal messages still appear, and
// setting QT_LOGGING_RULES (a developer asking for Qt's logs) lets every
// message through as usual.
namespace QuietQt {

// Installs the filter; call before the application object is made.
void install();

} // namespace QuietQt
