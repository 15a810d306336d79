#pragma once

#include <QString>

namespace ondrix {

// A desktop notification: one line that says what happened, more below it.
struct DesktopNotice {
    QString summary;
    QString body;
};

// The notice of a console program's end where no terminal shows it. On
// success (failure empty): "a.mp3 written" with the file's place, or "LAME
// finished" when what it writes is unknown. On failure ("stopped with
// status 1"): "LAME stopped with status 1" and where its log is. Places under
// home are written from "~"; names are cleaned as all outside text.
DesktopNotice programEndNotice(const QString& program, const QString& failure,
                               const QString& output, const QString& log, const QString& home);

// Shows the notice through the session bus's notification service
// (org.freedesktop.Notifications); nothing when there is no bus or no such
// service. It waits a few seconds at most for the service's answers, so it
// is for a process without a window.
void showDesktopNotice(const QString& appName, const DesktopNotice& notice);

}  // namespace ondrix
